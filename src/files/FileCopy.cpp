#include "files/FileCopy.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "files/UniqueFd.h"
#include "platform/AtomicFile.h"

namespace orn {

namespace {

constexpr size_t kCopyBufferSize = 64 * 1024;

bool CopyByReading(int from, int to) {
  std::vector<char> buffer(kCopyBufferSize);
  for (;;) {
    const ssize_t n = read(from, buffer.data(), buffer.size());
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (!platform::WriteFully(to, buffer.data(), static_cast<size_t>(n))) return false;
  }
}

// The kernel copies (a reflink where the file system offers one); files it cannot copy that way
// (another file system on old kernels, special file systems) are read and written.
bool CopyData(int from, int to, off_t size) {
  off_t done = 0;
  while (done < size) {
    const ssize_t n = copy_file_range(from, nullptr, to, nullptr, static_cast<size_t>(size - done), 0);
    if (n > 0) {
      done += n;
      continue;
    }
    if (n == 0) return true;  // the file became shorter meanwhile
    if (errno == EINTR) continue;
    if (done == 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP))
      return CopyByReading(from, to);
    return false;
  }
  return true;  // the file as large as it was when opened
}

// Copies the open regular file into place as name in targetDirFd. The finished temporary file
// gets the source's time and is renamed over the target: a killed process cannot tear it. The
// actions flush the file system once when they are done (FlushFileSystem), which costs far less
// than waiting for every file on its own.
bool CopyOpenFile(int source, const struct stat& from, int targetDirFd, const std::string& targetName, mode_t mode) {
  struct stat existing {};
  if (!MayReplace(targetDirFd, targetName, existing)) return false;
  const bool replacingFile = S_ISREG(existing.st_mode);
  if (mode == kKeepMode) mode = (replacingFile ? existing.st_mode : from.st_mode) & 0777;

  platform::AtomicFile temp(targetDirFd, targetName, mode);
  if (!temp.IsOpen()) return false;
  if (replacingFile && IsRoot() && fchown(temp.Fd(), existing.st_uid, existing.st_gid) != 0) return false;
  const timespec times[2] = {{0, UTIME_OMIT}, from.st_mtim};
  if (!CopyData(source, temp.Fd(), from.st_size) || futimens(temp.Fd(), times) != 0) return false;
  if (!temp.Commit(platform::Durability::None)) return false;
  return true;
}

bool OpenRegularFile(int dirFd, const std::string& name, int followFlag, UniqueFd& fd, struct stat& st) {
  fd.Reset(openat(dirFd, name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | followFlag));
  return fd.IsValid() && fstat(fd.Get(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

bool IsRoot() {
  static const bool root = geteuid() == 0;
  return root;
}

bool MayReplace(int dirFd, const std::string& name, struct stat& existing) {
  if (fstatat(dirFd, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) != 0) {
    existing.st_mode = 0;
    return errno == ENOENT;
  }
  if (S_ISREG(existing.st_mode)) return !IsReadOnly(existing);
  return S_ISLNK(existing.st_mode);  // not a folder, a device or a pipe
}

FileInFolder OpenFileFolder(const std::string& path) {
  const std::string file = platform::FollowLink(path);
  const size_t slash = file.rfind('/');
  FileInFolder located;
  located.name = slash == std::string::npos ? file : file.substr(slash + 1);
  if (!located.name.empty())
    located.folder.Reset(open(platform::ParentFolder(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return located;
}

bool CopyFileAt(int sourceDirFd, const std::string& sourceName, int targetDirFd, const std::string& targetName,
                mode_t mode) {
  UniqueFd source;
  struct stat from {};
  return OpenRegularFile(sourceDirFd, sourceName, O_NOFOLLOW, source, from) &&
         CopyOpenFile(source.Get(), from, targetDirFd, targetName, mode);
}

bool CopyFile(const std::string& source, const std::string& target, mode_t mode) {
  UniqueFd from;
  struct stat st {};
  if (!OpenRegularFile(AT_FDCWD, source, 0, from, st)) return false;
  const FileInFolder place = OpenFileFolder(target);
  return place.folder.IsValid() && CopyOpenFile(from.Get(), st, place.folder.Get(), place.name, mode);
}

void FlushFileSystem(const std::string& path) {
  UniqueFd folder(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.IsValid()) syncfs(folder.Get());
}

}  // namespace orn
