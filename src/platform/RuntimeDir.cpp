#include "platform/RuntimeDir.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>

namespace orn::platform {

namespace {

// An environment variable; empty counts as unset.
const char* Env(const char* name) {
  const char* value = getenv(name);
  return value && *value ? value : nullptr;
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string RuntimeDirectory() {
  const char* dir = Env("ORN_RUNTIME_DIR");
  return dir ? dir : "/run/orn";
}

std::string RuntimeSubdirectory(const std::string& sub) {
  std::string path = RuntimeDirectory() + "/" + sub;
  return MakeDirectories(path, 0700) ? path : std::string();
}

bool MakeDirectories(const std::string& path, unsigned mode) {
  if (path.empty()) return false;
  // Every leading part of the path in turn, then the whole path.
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    std::string part = path.substr(0, slash);
    if (part.back() != '/' && mkdir(part.c_str(), mode) != 0 && errno != EEXIST) return false;
  }
  if (mkdir(path.c_str(), mode) != 0 && errno != EEXIST) return false;
  return IsDirectory(path);
}

std::string TempDirectory() {
  if (const char* dir = Env("TEMP")) return dir;
  if (const char* dir = Env("TMPDIR")) return dir;
  return "/tmp";
}

}  // namespace orn::platform
