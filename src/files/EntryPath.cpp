#include "files/EntryPath.h"

#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/DirectoryListing.h"
#include "files/FilePaths.h"
#include "files/UniqueFd.h"

namespace orn {

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool HasDrive(const std::string& name) {
  return name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':';
}

}  // namespace

std::optional<std::vector<std::string>> SplitEntryName(const std::string& name) {
  if (name.empty() || IsSeparator(name.front()) || HasDrive(name)) return std::nullopt;
  std::vector<std::string> components;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = start;
    while (end < name.size() && !IsSeparator(name[end])) ++end;
    std::string component = name.substr(start, end - start);
    if (component == "..") return std::nullopt;
    if (!component.empty() && component != ".") components.push_back(std::move(component));
    start = end + 1;
  }
  if (components.empty()) return std::nullopt;
  return components;
}

int OpenEntryDirectory(int rootFd, const std::vector<std::string>& components, size_t count) {
  UniqueFd current(fcntl(rootFd, F_DUPFD_CLOEXEC, 0));
  for (size_t i = 0; i < count && i < components.size() && current.IsValid(); ++i) {
    const std::string& name = components[i];
    int next = OpenDirectoryAt(current.Get(), name);
    if (next < 0 && errno == ENOENT) {
      if (mkdirat(current.Get(), name.c_str(), kCreatedDirectoryMode) != 0 && errno != EEXIST) return -1;
      next = OpenDirectoryAt(current.Get(), name);
    }
    current.Reset(next);
  }
  return current.Release();
}

}  // namespace orn
