#include "files/DirectoryListing.h"

#include <fcntl.h>
#include <unistd.h>

namespace orn {

int OpenDirectoryAt(int dirFd, const std::string& name) {
  return openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

DirectoryListing::DirectoryListing(const std::string& path) { Adopt(OpenDirectoryAt(AT_FDCWD, path)); }

DirectoryListing::DirectoryListing(int dirFd, const std::string& name) { Adopt(OpenDirectoryAt(dirFd, name)); }

DirectoryListing::DirectoryListing(UniqueFd fd) { Adopt(fd.Release()); }

DirectoryListing::~DirectoryListing() {
  if (dir_) closedir(dir_);
}

void DirectoryListing::Adopt(int fd) {
  if (fd < 0) return;
  dir_ = fdopendir(fd);
  if (!dir_) close(fd);
}

int DirectoryListing::Fd() const { return dir_ ? dirfd(dir_) : -1; }

const char* DirectoryListing::Next() {
  if (!dir_) return nullptr;
  const dirent* entry = readdir(dir_);
  type_ = entry ? entry->d_type : static_cast<unsigned char>(DT_UNKNOWN);
  return entry ? entry->d_name : nullptr;
}

}  // namespace orn
