#include "files/WorkFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

#include "files/FilePaths.h"
#include "platform/RuntimeDir.h"

namespace orn {

bool WorkFolder::Create(const std::string& name, std::string* reason) {
  Remove();
  const std::string temp = platform::TempDirectory();
  if (temp.empty()) {
    reason->clear();
    return false;
  }
  const std::string path = temp + "/" + name;
  std::error_code error;
  std::filesystem::remove_all(path, error);
  if (mkdir(path.c_str(), kCreatedDirectoryMode) != 0) {
    *reason = error ? error.message() : strerror(errno);
    return false;
  }
  path_ = path;
  return true;
}

bool WorkFolder::CreateUnique(const std::string& prefix, std::string* reason) {
  Remove();
  std::string path = platform::TempDirectory() + "/" + prefix + "XXXXXX";
  if (!mkdtemp(path.data())) {
    *reason = strerror(errno);
    return false;
  }
  path_ = path;
  return true;
}

void WorkFolder::Remove() {
  if (path_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
  path_.clear();
}

}  // namespace orn
