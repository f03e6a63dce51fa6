#include "files/FilePaths.h"

#include <cerrno>
#include <sys/stat.h>

#include "platform/FileAttributes.h"

namespace orn {

namespace {

bool MakeDirectory(const std::string& path) {
  if (mkdir(path.c_str(), kCreatedDirectoryMode) == 0) return true;
  struct stat st {};
  return errno == EEXIST && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);  // made meanwhile
}

}  // namespace

bool CreateDirectoryPath(const std::string& path) {
  std::string rest = path;
  if (!rest.empty() && rest.back() == '/') rest.pop_back();
  std::string built;
  if (!rest.empty() && rest.front() == '/') {  // the root takes the place of the drive
    built = "/";
    rest.erase(0, 1);
  }
  while (!rest.empty()) {
    const size_t next = rest.find('/', 1);
    built += rest.substr(0, next);
    rest = next == std::string::npos ? std::string() : rest.substr(next);
    if (!FileExists(built) && !MakeDirectory(built)) return false;
  }
  return true;
}

bool FileExists(const std::string& path) { return platform::FileAttributes(path) != platform::kInvalidAttributes; }

bool SplitFilePath(const std::string& path, std::string& dir, std::string& name, std::string& ext) {
  if (path.empty()) return false;
  const size_t slash = path.rfind('/');
  const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
  dir = slash == std::string::npos ? std::string() : path.substr(0, slash);
  const size_t dot = file.rfind('.');
  name = file.substr(0, dot);
  ext = dot == std::string::npos ? std::string() : file.substr(dot + 1);
  return true;
}

}  // namespace orn
