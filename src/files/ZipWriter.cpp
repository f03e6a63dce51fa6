#include "files/ZipWriter.h"

#include <cerrno>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/DirectoryListing.h"
#include "files/DosTime.h"
#include "files/EntryData.h"
#include "files/EntryPath.h"
#include "files/UniqueFd.h"
#include "files/ZipPaths.h"
#include "platform/FileAttributes.h"
#include "files/Progress.h"

namespace orn {

namespace {

constexpr uLong kVersionMadeByMsDos = 0;
constexpr uLong kFlagUtf8Name = 0x800;

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

bool IsValidUtf8(const std::string& text, bool& ascii) {
  ascii = true;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x06 ? 2 : (lead >> 4) == 0x0E ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > text.size() || (length == 2 && lead < 0xC2)) return false;
    for (size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    if (length > 1) ascii = false;
    i += length;
  }
  return true;
}

zip_fileinfo FileInfo(const std::string& location) {
  zip_fileinfo info{};
  struct tm local {};
  if (GetFileLocalTime(location, local)) {
    info.tmz_date.tm_sec = static_cast<uInt>(local.tm_sec);
    info.tmz_date.tm_min = static_cast<uInt>(local.tm_min);
    info.tmz_date.tm_hour = static_cast<uInt>(local.tm_hour);
    info.tmz_date.tm_mday = static_cast<uInt>(local.tm_mday);
    info.tmz_date.tm_mon = static_cast<uInt>(local.tm_mon);
    info.tmz_date.tm_year = static_cast<uInt>(local.tm_year + 1900);
    info.dosDate = DosDateTimeFromLocalTime(local);  // kept within the DOS range
  } else {
    info.tmz_date.tm_mon = static_cast<uInt>(-1);  // gives date and time zero
  }
  info.external_fa = platform::FileAttributes(location);
  return info;
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
  if (!baseDirectory)
    base_ = full.substr(0, full.rfind('/'));
  else if (!baseDirectory->empty())
    base_ = FullPath(*baseDirectory);
  TrimTrailingSeparators(base_);
  return true;
}

bool CZipWriter::Close() {
  if (!zip_) return true;
  const bool closed = zipClose(zip_, nullptr) == ZIP_OK;
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
  bool ascii = true;
  const uLong flags = IsValidUtf8(name, ascii) && !ascii ? kFlagUtf8Name : 0;
  return zipOpenNewFileInZip4_64(zip_, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                 Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0,
                                 kVersionMadeByMsDos, flags, large ? 1 : 0) == ZIP_OK;
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
  if (ok && closed) ReportFileDone(static_cast<uint64_t>(st.st_size));
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
