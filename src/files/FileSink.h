// A CPackSink into a new file (mode 0600, never through a symbolic link, replaced when it exists).
#pragma once

#include <string>

#include "files/PackSink.h"
#include "files/UniqueFd.h"

namespace orn {

class CFileSink : public CPackSink {
 public:
  bool Open(const std::string& path);
  bool Write(const void* bytes, size_t length) override;
  // Closes the file; false when a write or the close failed.
  bool Close();

 private:
  UniqueFd fd_;
  bool failed_ = false;
};

}  // namespace orn
