#include "files/PackingWalk.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

#include "files/EntryPath.h"

namespace orn {

namespace {

constexpr int kOpenFile = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
constexpr int kOpenFolder = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
constexpr size_t kMostOpenFolders = 64;

bool OutOfDescriptors(int error) { return error == EMFILE || error == ENFILE; }

// A quarter of the descriptors the process may have, between 2 and kMostOpenFolders.
size_t OpenFolderBound() {
  struct rlimit limit {};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kMostOpenFolders;
  return std::clamp<size_t>(static_cast<size_t>(limit.rlim_cur / 4), 2, kMostOpenFolders);
}

struct Folder {
  ~Folder() {
    if (dir) closedir(dir);
  }
  DIR* dir = nullptr;  // null while closed to save descriptors
  dev_t device = 0;
  ino_t inode = 0;
  std::string name;                                             // its entry name
  std::string component;                                        // its name in its parent
  std::vector<std::pair<std::string, unsigned char>> children;  // name and d_type, as listed
  size_t next = 0;
};

class Walk {
 public:
  Walk(CZipPacker& packer, std::string rootPath, std::vector<LeftOutEntry>& leftOut)
      : packer_(packer), rootPath_(std::move(rootPath)), leftOut_(leftOut), maxOpen_(OpenFolderBound()) {}

  bool Run(const std::string& name);

 private:
  void Report(std::string name, LeftOutReason reason) { leftOut_.push_back({std::move(name), reason}); }
  int OpenAt(int dirFd, const char* name, int flags);
  bool CloseAncestors();
  void LimitOpen(size_t keep);
  int Fd(size_t level);
  bool Enter(int fd, const struct stat& st, std::string name, std::string component);
  bool Visit(const std::string& child, unsigned char type);
  bool VisitFolder(int dirFd, const std::string& child, const std::string& entry);

  CZipPacker& packer_;
  std::string rootPath_;
  std::vector<LeftOutEntry>& leftOut_;
  size_t maxOpen_;
  size_t open_ = 0;
  std::vector<std::unique_ptr<Folder>> stack_;
};

// openat, and when the descriptors run out: write queued entries (each holds its file's), then
// close the folders above the deepest one, then try again.
int Walk::OpenAt(int dirFd, const char* name, int flags) {
  for (;;) {
    const int fd = openat(dirFd, name, flags);
    if (fd >= 0 || !OutOfDescriptors(errno)) return fd;
    if (packer_.WriteOldest()) continue;
    if (packer_.Failed() || !CloseAncestors()) {
      errno = EMFILE;
      return -1;
    }
  }
}

bool Walk::CloseAncestors() {
  bool closed = false;
  for (size_t i = 0; i + 1 < stack_.size(); ++i) {
    if (!stack_[i]->dir) continue;
    closedir(stack_[i]->dir);
    stack_[i]->dir = nullptr;
    --open_;
    closed = true;
  }
  if (closed) maxOpen_ = std::max<size_t>(2, std::min(maxOpen_, open_ + 1));
  return closed;
}

// Closes the shallowest open folders below index keep until at most maxOpen_ are open.
void Walk::LimitOpen(size_t keep) {
  for (size_t i = 0; i < keep && open_ > maxOpen_; ++i) {
    if (!stack_[i]->dir) continue;
    closedir(stack_[i]->dir);
    stack_[i]->dir = nullptr;
    --open_;
  }
}

// The descriptor of the folder at level, opened again from its nearest open ancestor (or from the
// root's path) when it was closed; -1 when that fails or finds another folder than before.
int Walk::Fd(size_t level) {
  if (stack_[level]->dir) return dirfd(stack_[level]->dir);
  size_t from = level;
  while (from > 0 && !stack_[from - 1]->dir) --from;
  for (size_t i = from; i <= level; ++i) {
    Folder& folder = *stack_[i];
    const int fd = i == 0 ? OpenAt(AT_FDCWD, rootPath_.c_str(), kOpenFolder)
                          : OpenAt(dirfd(stack_[i - 1]->dir), folder.component.c_str(), kOpenFolder);
    struct stat st {};
    if (fd < 0) return -1;
    if (fstat(fd, &st) != 0 || st.st_dev != folder.device || st.st_ino != folder.inode ||
        !(folder.dir = fdopendir(fd))) {
      close(fd);
      return -1;
    }
    ++open_;
    LimitOpen(i);  // keeps this one open for the next
  }
  return dirfd(stack_[level]->dir);
}

bool Walk::Enter(int fd, const struct stat& st, std::string name, std::string component) {
  auto folder = std::make_unique<Folder>();
  folder->device = st.st_dev;
  folder->inode = st.st_ino;
  folder->name = std::move(name);
  folder->component = std::move(component);
  if (!(folder->dir = fdopendir(fd))) {
    close(fd);
    Report(folder->name, LeftOutReason::kUnreadable);
    return true;
  }
  errno = 0;
  while (const dirent* child = readdir(folder->dir)) {
    if (child->d_name[0] != '.') folder->children.emplace_back(child->d_name, child->d_type);
    errno = 0;
  }
  if (errno != 0) Report(folder->name, LeftOutReason::kUnreadable);  // listed only in part
  stack_.push_back(std::move(folder));
  ++open_;
  LimitOpen(stack_.size() - 1);
  return true;
}

bool Walk::Run(const std::string& name) {
  const int fd = OpenAt(AT_FDCWD, rootPath_.c_str(), kOpenFolder);
  struct stat st {};
  if (fd < 0) {
    if (OutOfDescriptors(errno)) return false;
    const bool exists = stat(rootPath_.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) Report(name, LeftOutReason::kUnreadable);
    return packer_.Add(name, exists ? &st : nullptr, UniqueFd());
  }
  if (fstat(fd, &st) != 0 || !packer_.Add(name, &st, UniqueFd())) {
    close(fd);
    return false;
  }
  Enter(fd, st, name, "");
  while (!stack_.empty()) {
    Folder& top = *stack_.back();
    if (top.next == top.children.size()) {
      if (top.dir) --open_;
      stack_.pop_back();
      continue;
    }
    const auto& [child, type] = top.children[top.next++];
    if (!Visit(child, type)) return false;
  }
  return !packer_.Failed();
}

bool Walk::Visit(const std::string& child, unsigned char type) {
  const std::string entry = stack_.back()->name + "\\" + child;
  if (child.find('\\') != std::string::npos) {  // would read back as a separator
    Report(entry, LeftOutReason::kBadName);
    return true;
  }
  if (entry.size() > kMaxEntryName) return false;  // cannot be packed, and must not be lost
  const int dirFd = Fd(stack_.size() - 1);
  if (dirFd < 0) return false;
  struct stat st {};
  if (type != DT_REG && type != DT_DIR) {  // a link, or a file system that does not say
    if (fstatat(dirFd, child.c_str(), &st, 0) != 0) {
      Report(entry, type == DT_LNK && (errno == ENOENT || errno == ELOOP) ? LeftOutReason::kMissingTarget
                                                                          : LeftOutReason::kUnreadable);
      return true;
    }
    if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
      Report(entry, LeftOutReason::kNotAFile);
      return true;
    }
    type = S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
  }
  if (type == DT_DIR) return VisitFolder(dirFd, child, entry);
  const int fd = OpenAt(dirFd, child.c_str(), kOpenFile);
  if (fd < 0) {
    if (OutOfDescriptors(errno)) return false;
    Report(entry, LeftOutReason::kUnreadable);
    return true;
  }
  UniqueFd file(fd);
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    Report(entry, LeftOutReason::kNotAFile);
    return true;
  }
  return packer_.Add(entry, &st, std::move(file));
}

bool Walk::VisitFolder(int dirFd, const std::string& child, const std::string& entry) {
  struct stat st {};
  const int fd = OpenAt(dirFd, child.c_str(), kOpenFolder);
  if (fd < 0) {
    if (OutOfDescriptors(errno)) return false;
    Report(entry, LeftOutReason::kUnreadable);
    return fstatat(dirFd, child.c_str(), &st, 0) != 0 || packer_.Add(entry, &st, UniqueFd());
  }
  if (fstat(fd, &st) != 0) {
    close(fd);
    Report(entry, LeftOutReason::kUnreadable);
    return true;
  }
  for (const auto& ancestor : stack_) {
    if (ancestor->device == st.st_dev && ancestor->inode == st.st_ino) {
      close(fd);
      Report(entry, LeftOutReason::kLoop);
      return true;
    }
  }
  if (!packer_.Add(entry, &st, UniqueFd())) {
    close(fd);
    return false;
  }
  return Enter(fd, st, entry, child);
}

}  // namespace

const char* LeftOutText(LeftOutReason reason) {
  switch (reason) {
    case LeftOutReason::kUnreadable:
      return "nicht lesbar";
    case LeftOutReason::kLoop:
      return "Verknüpfung auf einen übergeordneten Ordner (Schleife)";
    case LeftOutReason::kMissingTarget:
      return "Ziel der Verknüpfung fehlt";
    case LeftOutReason::kNotAFile:
      return "weder Datei noch Ordner";
    case LeftOutReason::kBadName:
      return "Name mit \\ nicht darstellbar";
  }
  return "";
}

bool PackTree(CZipPacker& packer, const std::string& path, const std::string& name,
              std::vector<LeftOutEntry>& leftOut) {
  return Walk(packer, path, leftOut).Run(name);
}

bool PackFile(CZipPacker& packer, const std::string& path, const std::string& name,
              std::vector<LeftOutEntry>& leftOut) {
  int fd;
  while ((fd = open(path.c_str(), kOpenFile)) < 0 && OutOfDescriptors(errno))
    if (!packer.WriteOldest()) return false;
  struct stat st {};
  if (fd < 0) {
    const int error = errno;
    if (lstat(path.c_str(), &st) == 0)
      leftOut.push_back(
          {name, S_ISLNK(st.st_mode) && error == ENOENT ? LeftOutReason::kMissingTarget : LeftOutReason::kUnreadable});
    return true;  // a missing file is left out without notice
  }
  UniqueFd file(fd);
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    leftOut.push_back({name, LeftOutReason::kNotAFile});
    return true;
  }
  return packer.Add(name, &st, std::move(file));
}

}  // namespace orn
