// Where a packed archive's bytes go, in order: a plain file, or a stream that enciphers them as
// they come. The packer writes each byte once, front to back.
#pragma once

#include <cstddef>

namespace orn {

class CPackSink {
 public:
  virtual ~CPackSink() = default;
  // Takes the next length bytes; false when they could not be taken (the archive is lost).
  virtual bool Write(const void* bytes, size_t length) = 0;
};

}  // namespace orn
