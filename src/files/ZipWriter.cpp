#include "files/ZipWriter.h"

#include <cerrno>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/DirectoryListing.h"
#include "files/EntryFileInfo.h"
#include "files/EntryData.h"
#include "files/EntryPath.h"
#include "files/UniqueFd.h"
#include "files/ZipEndRecords.h"
#include "files/ZipPaths.h"
#include "platform/FileAttributes.h"

namespace orn {

namespace {

bool BeginsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// True when path lies inside base (compared ignoring case, as on Windows); rest gets what follows.
bool RelativeToBase(const std::string& base, const std::string& path, std::string& rest) {
  if (path.size() < base.size() || strncasecmp(path.c_str(), base.c_str(), base.size()) != 0) return false;
  if (path.size() > base.size() && !base.empty() && path[base.size()] != '/') return false;  // "/a/bc" is not in "/a/b"
  rest = path.substr(base.size());
  return true;
}

std::string LastComponent(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

zip_fileinfo FileInfo(const std::string& location) {
  struct stat st {};
  const bool exists = lstat(location.c_str(), &st) == 0;
  return EntryFileInfo(exists ? &st : nullptr, platform::FileAttributes(location));
}

}  // namespace

CZipWriter::CZipWriter(const std::string& archivePath, const std::optional<std::string>& baseDirectory, bool append) {
  if (!archivePath.empty()) Open(archivePath, baseDirectory, append);
}

CZipWriter::~CZipWriter() { Close(); }

bool CZipWriter::Open(const std::string& archivePath, const std::optional<std::string>& baseDirectory, bool append) {
  Close();
  const std::string full = FullPath(archivePath);
  if (full.empty()) return false;
  struct stat st {};
  const bool appending = append && stat(full.c_str(), &st) == 0;
  if (!appending) {  // created here first, so that the archive is never readable by others
    UniqueFd fd(open(full.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.IsValid() || fchmod(fd.Get(), 0600) != 0) return false;
  }
  zip_ = zipOpen64(full.c_str(), appending ? APPEND_STATUS_CREATEAFTER : APPEND_STATUS_CREATE);
  if (!zip_) return false;
  path_ = full;
  entries_ = 0;
  if (!baseDirectory)
    base_ = full.substr(0, full.rfind('/'));
  else if (!baseDirectory->empty())
    base_ = FullPath(*baseDirectory);
  TrimTrailingSeparators(base_);
  return true;
}

bool CZipWriter::Close() {
  if (!zip_) return true;
  const bool closed = zipClose(zip_, nullptr) == ZIP_OK && AddZip64EndRecords(path_.c_str(), entries_);
  zip_ = nullptr;
  base_.clear();
  return closed;
}

// Forms the entry name of path (as given, or made absolute for a folder) per the writer's rules.
bool CZipWriter::EntryName(const std::string& path, bool flat, std::string& name) const {
  std::string relative;
  if (flat)
    relative = LastComponent(path);
  else if (!path.empty() && path.front() == '/') {
    if (!RelativeToBase(base_, path, relative)) return false;
  } else
    relative = BeginsWith(path, "./") ? path.substr(2) : path;
  if (relative.find('\\') != std::string::npos) return false;  // would read back as a separator
  for (char& c : relative)
    if (c == '/') c = '\\';
  TrimSeparators(relative);
  if (relative.size() > kMaxEntryName) return false;
  if (!relative.empty() && !SplitEntryName(relative)) return false;  // a ".." component
  name = std::move(relative);
  return true;
}

bool CZipWriter::OpenEntry(const std::string& name, const std::string& location, bool large) {
  const zip_fileinfo info = FileInfo(location);
  const uLong flags = EntryNameFlags(name);
  const bool opened = zipOpenNewFileInZip4_64(zip_, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                              Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY,
                                              nullptr, 0, kVersionMadeByMsDos, flags, large ? 1 : 0) == ZIP_OK;
  if (opened) ++entries_;
  return opened;
}

bool CZipWriter::AddFile(const std::string& path, bool flat) {
  if (!zip_ || (!flat && BeginsWith(path, "../"))) return false;
  const std::string location = MakeAbsoluteToBase(base_, path);
  std::string name;
  if (!EntryName(path, flat, name) || name.empty()) return false;

  UniqueFd file(open(location.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat st {};
  if (!file.IsValid() || fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  bool ok = OpenEntry(name, location, static_cast<uint64_t>(st.st_size) >= 0xFFFFFFFFu);
  if (ok) {
    char buffer[kZipBufferSize];
    for (;;) {
      const ssize_t n = read(file.Get(), buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;  // a failed read ends the entry where it is, as on Windows
      if (zipWriteInFileInZip(zip_, buffer, static_cast<unsigned>(n)) != ZIP_OK) {
        ok = false;
        break;
      }
    }
  }
  const bool closed = zipCloseFileInZip(zip_) == ZIP_OK;
  return ok && closed;
}

bool CZipWriter::AddDirectory(const std::string& path, bool flat) {
  if (!zip_) return false;
  std::string location = MakeAbsoluteToBase(base_, path);
  while (location.size() > 1 && location.back() == '/') location.pop_back();
  struct stat st {};
  if (lstat(location.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) return true;  // a link: never followed
  std::string name;
  if (!EntryName(location, flat, name)) return false;
  if (!name.empty()) {
    OpenEntry(name, location, false);
    zipCloseFileInZip(zip_);
  }
  DirectoryListing listing(location);
  while (const char* child = listing.Next()) {
    if (child[0] == '.') continue;
    const std::string childPath = location == "/" ? location + child : location + "/" + child;
    if (fstatat(listing.Fd(), child, &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISLNK(st.st_mode)) continue;
    if (S_ISDIR(st.st_mode))
      AddDirectory(childPath, flat);
    else
      AddFile(childPath, flat);
  }
  return true;
}

}  // namespace orn
