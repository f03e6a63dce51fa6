#include "platform/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orn::platform {

namespace {

// ".orn-tmp-<pid>-<random of this run>-<counter>": the process id tells a leftover from the file
// of a run still at work; the random part and the counter make names unique without a system
// call each.
constexpr std::string_view kTempPrefix = ".orn-tmp-";

const std::string& RunPrefix() {
  static const std::string prefix = [] {
    unsigned char random[6] = {};
    if (getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
      const auto fallback = static_cast<unsigned long>(getpid()) * 2654435761UL;
      for (size_t i = 0; i < sizeof random; ++i) random[i] = static_cast<unsigned char>(fallback >> (8 * i));
    }
    static const char kHex[] = "0123456789abcdef";
    std::string text = std::string(kTempPrefix) + std::to_string(getpid()) + "-";
    for (unsigned char byte : random) {
      text += kHex[byte >> 4];
      text += kHex[byte & 15];
    }
    return text + "-";
  }();
  return prefix;
}

// The process's umask, read once (setting it back at once).
mode_t ProcessUmask() {
  static const mode_t mask = [] {
    const mode_t old = umask(077);
    umask(old);
    return old;
  }();
  return mask;
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string FollowLink(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

bool WriteFully(int fd, const void* data, size_t size) {
  const char* next = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = write(fd, next, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    next += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

std::string ParentFolder(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NewTempName() {
  static std::atomic<unsigned long long> counter{0};
  return RunPrefix() + std::to_string(counter.fetch_add(1, std::memory_order_relaxed));
}

bool IsLeftoverTempName(std::string_view name) {
  if (!name.starts_with(kTempPrefix)) return false;
  name.remove_prefix(kTempPrefix.size());
  const size_t dash = name.find('-');
  if (dash == 0 || dash == std::string_view::npos || dash > 9) return false;
  if (name.substr(0, dash).find_first_not_of("0123456789") != std::string_view::npos) return false;
  const pid_t pid = static_cast<pid_t>(std::atoi(std::string(name.substr(0, dash)).c_str()));
  if (pid <= 0 || pid == getpid()) return false;
  return kill(pid, 0) != 0 && errno == ESRCH;
}

size_t RemoveLeftoversAt(int dirFd) {
  const int listed = openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* dir = listed >= 0 ? fdopendir(listed) : nullptr;
  if (!dir) {
    if (listed >= 0) close(listed);
    return 0;
  }
  std::vector<std::string> leftovers;
  while (const dirent* entry = readdir(dir))
    if (IsLeftoverTempName(entry->d_name)) leftovers.emplace_back(entry->d_name);
  closedir(dir);
  size_t removed = 0;
  for (const std::string& name : leftovers) removed += unlinkat(dirFd, name.c_str(), 0) == 0;
  return removed;
}

size_t RemoveLeftovers(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return 0;
  const size_t removed = RemoveLeftoversAt(fd);
  close(fd);
  return removed;
}

AtomicFile::AtomicFile(int dirFd, std::string name, mode_t mode) : dirFd_(dirFd), name_(std::move(name)) {
  Create(mode);
}

AtomicFile::AtomicFile(const std::string& path, mode_t mode) {
  const std::string target = FollowLink(path);
  folder_ = ParentFolder(target);
  name_ = BaseName(target);
  ownedDirFd_ = open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  dirFd_ = ownedDirFd_;
  if (dirFd_ >= 0) Create(mode);
}

AtomicFile::~AtomicFile() {
  Discard();
  if (ownedDirFd_ >= 0) close(ownedDirFd_);
}

void AtomicFile::Create(mode_t mode) {
  if (name_.empty() || name_ == "." || name_ == "..") return;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = NewTempName();
    fd_ = openat(dirFd_, candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd_ >= 0) {
      // The umask must not narrow what the caller chose.
      if ((mode & ProcessUmask()) != 0 && fchmod(fd_, mode) != 0) {
        close(fd_);
        fd_ = -1;
        unlinkat(dirFd_, candidate.c_str(), 0);
        return;
      }
      tempName_ = std::move(candidate);
      return;
    }
    if (errno != EEXIST) return;
  }
}

std::string AtomicFile::TempPath() const {
  if (tempName_.empty()) return {};
  return folder_.empty() ? tempName_ : folder_ + "/" + tempName_;
}

bool AtomicFile::Commit(Durability durability) {
  if (fd_ < 0) return false;
  if (durability == Durability::WriteBack) sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);  // a start only
  bool ok = durability <= Durability::WriteBack || fdatasync(fd_) == 0;
  ok = close(fd_) == 0 && ok;
  fd_ = -1;
  ok = ok && renameat(dirFd_, tempName_.c_str(), dirFd_, name_.c_str()) == 0;
  if (!ok) {
    unlinkat(dirFd_, tempName_.c_str(), 0);
    tempName_.clear();
    return false;
  }
  tempName_.clear();
  if (durability == Durability::DataAndDirectory) fsync(dirFd_);  // the rename itself; it already counts
  return true;
}

void AtomicFile::Discard() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  if (!tempName_.empty()) unlinkat(dirFd_, tempName_.c_str(), 0);
  tempName_.clear();
}

}  // namespace orn::platform
