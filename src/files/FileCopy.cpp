#include "files/FileCopy.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "files/FileWrite.h"
#include "files/TempFile.h"
#include "files/UniqueFd.h"
#include "files/Progress.h"

namespace orn {

namespace {

constexpr size_t kCopyBufferSize = 64 * 1024;

bool IsReadOnly(const struct stat& st) { return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

bool CopyData(int from, int to) {
  std::vector<char> buffer(kCopyBufferSize);
  for (;;) {
    const ssize_t n = read(from, buffer.data(), buffer.size());
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (!WriteAll(to, buffer.data(), static_cast<size_t>(n))) return false;
  }
}

// Gives the finished temporary file the target's permissions, owner and time, and starts writing
// it to disk without waiting: the rename that follows is what a killed process cannot tear, and
// the actions flush the whole file system once when they are done (FlushFileSystem), which costs
// far less than waiting for every file on its own.
bool FinishCopy(int fd, const struct stat& source, const struct stat* replaced) {
  if (replaced && geteuid() == 0 && fchown(fd, replaced->st_uid, replaced->st_gid) != 0) return false;
  const mode_t mode = (replaced ? replaced->st_mode : source.st_mode) & 0777;
  const timespec times[2] = {{0, UTIME_OMIT}, source.st_mtim};
  if (fchmod(fd, mode) != 0 || futimens(fd, times) != 0) return false;
  sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
  return true;
}

}  // namespace

bool CopyFileAt(int sourceDirFd, const std::string& sourceName, int targetDirFd, const std::string& targetName) {
  UniqueFd source(openat(sourceDirFd, sourceName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat from {};
  if (!source.IsValid() || fstat(source.Get(), &from) != 0 || !S_ISREG(from.st_mode)) return false;

  struct stat existing {};
  const bool replacing = fstatat(targetDirFd, targetName.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
  if (replacing && (!S_ISREG(existing.st_mode) || IsReadOnly(existing))) return false;
  if (!replacing && errno != ENOENT) return false;

  std::string tempName;
  UniqueFd temp(CreateTempFileAt(targetDirFd, kTempFilePrefix, 0600, tempName));
  if (!temp.IsValid()) return false;
  bool ok = CopyData(source.Get(), temp.Get()) && FinishCopy(temp.Get(), from, replacing ? &existing : nullptr);
  ok = close(temp.Release()) == 0 && ok;
  ok = ok && renameat(targetDirFd, tempName.c_str(), targetDirFd, targetName.c_str()) == 0;
  if (!ok) unlinkat(targetDirFd, tempName.c_str(), 0);
  if (ok) ReportFileDone(static_cast<uint64_t>(from.st_size));
  return ok;
}

bool CopyFile(const std::string& source, const std::string& target) {
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  if (name.empty()) return false;
  UniqueFd targetDir(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return targetDir.IsValid() && CopyFileAt(AT_FDCWD, source, targetDir.Get(), name);
}

void FlushFileSystem(const std::string& path) {
  UniqueFd folder(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.IsValid()) syncfs(folder.Get());
}

}  // namespace orn
