#include "files/ZipReader.h"

#include <array>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

#include "files/DosTime.h"
#include "files/EntryData.h"
#include "files/EntryPath.h"
#include "files/FileCopy.h"
#include "files/UniqueFd.h"
#include "files/ZipFileReads.h"
#include "files/ZipPaths.h"
#include "platform/AtomicFile.h"
#include "platform/FileAttributes.h"

namespace orn {

namespace {

constexpr size_t kCommentBufferSize = 255;

std::string WithoutExtension(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path;
  return path.substr(0, dot);
}

// True for an archive of no entries: only the end record (22 bytes and its comment), which
// minizip 1.1 does not find because it never looks at offset 0.
bool IsEmptyArchive(const std::string& path, off_t size) {
  constexpr off_t kEndRecord = 22;
  if (size < kEndRecord || size > kEndRecord + 0xFFFF) return false;
  UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  unsigned char record[kEndRecord];
  if (!fd.IsValid() || read(fd.Get(), record, sizeof record) != kEndRecord) return false;
  static const unsigned char kEmpty[20] = {'P', 'K', 5, 6};  // no disks, entries, sizes or offsets
  return memcmp(record, kEmpty, sizeof kEmpty) == 0 && record[20] + 256 * record[21] == size - kEndRecord;
}

}  // namespace

CZipReader::CZipReader(const std::string& archivePath) { Open(archivePath); }

CZipReader::~CZipReader() { Close(); }

bool CZipReader::Open(const std::string& archivePath) {
  Close();
  const std::string full = FullPath(archivePath);
  struct stat st {};
  if (full.empty() || stat(full.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  zlib_filefunc64_def functions = WindowedReadFunctions();
  zip_ = unzOpen2_64(full.c_str(), &functions);
  empty_ = !zip_ && IsEmptyArchive(full, st.st_size);
  if (IsOpen()) defaultTarget_ = WithoutExtension(full);
  return IsOpen();
}

bool CZipReader::Close() {
  if (zip_) unzCloseCurrentFile(zip_);
  const bool closed = empty_ || unzClose(zip_) == UNZ_OK;
  zip_ = nullptr;
  empty_ = false;
  defaultTarget_.clear();
  regions_ = std::make_shared<ZipDataRegions>();
  target_.clear();
  names_.clear();
  folders_.clear();
  return closed;
}

bool CZipReader::GetCurrentFileInfo(ZipEntryInfo& info) const {
  info = ZipEntryInfo{};
  if (!zip_) return false;
  unz_file_info64 header{};
  std::array<char, kMaxEntryName + 1> name{};
  std::array<char, kCommentBufferSize> comment{};
  if (unzGetCurrentFileInfo64(zip_, &header, name.data(), name.size(), nullptr, 0, comment.data(), comment.size()) !=
      UNZ_OK)
    return false;
  if (header.size_filename > kMaxEntryName || strlen(name.data()) != header.size_filename) return false;
  info.name.assign(name.data(), header.size_filename);
  for (char& c : info.name)
    if (c == '/') c = '\\';
  info.comment.assign(comment.data(), std::min<size_t>(header.size_file_comment, kCommentBufferSize - 1));
  info.comment.resize(strlen(info.comment.c_str()));
  info.version = static_cast<uint32_t>(header.version);
  info.versionNeeded = static_cast<uint32_t>(header.version_needed);
  info.flag = static_cast<uint32_t>(header.flag);
  info.compressionMethod = static_cast<uint32_t>(header.compression_method);
  info.dosDateTime = static_cast<uint32_t>(header.dosDate);
  info.crc = static_cast<uint32_t>(header.crc);
  info.compressedSize = header.compressed_size;
  info.uncompressedSize = header.uncompressed_size;
  info.internalAttributes = static_cast<uint32_t>(header.internal_fa);
  info.externalAttributes = static_cast<uint32_t>(header.external_fa);
  info.isDirectory =
      (info.externalAttributes & platform::kAttrDirectory) != 0 || (!info.name.empty() && info.name.back() == '\\');
  return true;
}

bool CZipReader::ListEntries(const std::function<void(const ZipEntryInfo&)>& visit) {
  unz_global_info64 global{};
  if (empty_) return true;
  if (!zip_ || unzGetGlobalInfo64(zip_, &global) != UNZ_OK) return false;
  if (global.number_entry == 0) return true;
  if (unzGoToFirstFile(zip_) != UNZ_OK) return false;
  for (;;) {
    ZipEntryInfo info;
    if (!GetCurrentFileInfo(info)) return false;
    visit(info);
    const int next = unzGoToNextFile(zip_);
    if (next == UNZ_END_OF_LIST_OF_FILE) return true;
    if (next != UNZ_OK) return false;
  }
}

uint64_t CZipReader::EntryCount() const {
  unz_global_info64 global{};
  return zip_ && unzGetGlobalInfo64(zip_, &global) == UNZ_OK ? global.number_entry : 0;
}

std::vector<std::string> CZipReader::EntryNames() {
  std::vector<std::string> names;
  if (!ListEntries([&names](const ZipEntryInfo& info) { names.push_back(info.name); })) names.clear();
  return names;
}

bool CZipReader::ExtractAll(const std::string& target, bool flat) {
  unz_global_info64 global{};
  if (!IsOpen() || target.empty() || !CreateDirectoryTree(target)) return false;
  if (!zip_ || unzGetGlobalInfo64(zip_, &global) != UNZ_OK || global.number_entry == 0) return false;
  if (unzGoToFirstFile(zip_) != UNZ_OK) return false;
  for (;;) {
    if (!ExtractCurrent(target, flat)) return false;
    const int next = unzGoToNextFile(zip_);
    if (next == UNZ_END_OF_LIST_OF_FILE) return true;
    if (next != UNZ_OK) return false;
  }
}

uint64_t CZipReader::CurrentEntryOffset() const { return zip_ ? unzGetOffset64(zip_) : 0; }

bool CZipReader::GoToEntry(uint64_t offset) { return zip_ && unzSetOffset64(zip_, offset) == UNZ_OK; }

bool CZipReader::ExtractCurrent(const std::optional<std::string>& target, bool flat) {
  if (!zip_) return false;
  const std::string& folder = target ? *target : defaultTarget_;
  ZipEntryInfo info;
  if (!GetCurrentFileInfo(info)) return false;
  const auto components = SplitEntryName(info.name);
  if (!components) return false;
  if (info.isDirectory) return EntryDirectory(folder, *components, components->size()) >= 0;
  const int dir = EntryDirectory(folder, *components, flat ? 0 : components->size() - 1);
  return dir >= 0 && ExtractFile(dir, components->back(), info);
}

// Entries come folder by folder: the folders from the target down to the last entry's stay open,
// and only those below the part shared with the next entry's path are opened. Beyond kMaxOpen
// levels the rest of a path is walked from the deepest open folder for each entry.
int CZipReader::EntryDirectory(const std::string& folder, const std::vector<std::string>& components, size_t depth) {
  constexpr size_t kMaxOpen = 64;
  if (folders_.empty() || folder != target_) {
    names_.clear();
    folders_.clear();
    if (!CreateDirectoryTree(folder)) return -1;
    UniqueFd root(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!root.IsValid()) return -1;
    target_ = folder;
    folders_.push_back(std::move(root));
  }
  size_t shared = 0;
  while (shared < names_.size() && shared < depth && names_[shared] == components[shared]) ++shared;
  names_.resize(shared);
  folders_.resize(shared + 1);
  while (names_.size() < depth && names_.size() < kMaxOpen) {
    UniqueFd next(OpenEntryDirectory(folders_.back().Get(), {components[names_.size()]}, 1));
    if (!next.IsValid()) return -1;
    names_.push_back(components[names_.size()]);
    folders_.push_back(std::move(next));
  }
  if (names_.size() == depth) return folders_.back().Get();
  // Deeper than kMaxOpen: the rest walked for this entry, held as one more (last) folder.
  const std::vector<std::string> rest(components.begin() + static_cast<long>(kMaxOpen),
                                      components.begin() + static_cast<long>(depth));
  UniqueFd deep(OpenEntryDirectory(folders_.back().Get(), rest, rest.size()));
  if (!deep.IsValid()) return -1;
  names_.push_back(std::string(1, '\0'));  // matches no component: walked again for the next entry
  folders_.push_back(std::move(deep));
  return folders_.back().Get();
}

bool CZipReader::ExtractFile(int dirFd, const std::string& name, const ZipEntryInfo& info) {
  struct stat existing {};
  if (fstatat(dirFd, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 &&
      (!S_ISREG(existing.st_mode) || IsReadOnly(existing)))
    return false;
  if (info.flag & 1) return false;  // encrypted entries are not ours
  if (unzOpenCurrentFile(zip_) != UNZ_OK) return false;
  std::optional<platform::AtomicFile> temp;
  if (regions_->Claim(unzGetCurrentFileZStreamPos64(zip_), info.compressedSize, unzGetOffset64(zip_)))
    temp.emplace(dirFd, name, platform::kPrivateFileMode);
  bool ok = temp && temp->IsOpen() && WriteEntryData(zip_, info, temp->Fd());  // closes the entry
  unzCloseCurrentFile(zip_);                                                   // when the data was never read
  if (ok) SetFileDosTime(temp->Fd(), info.dosDateTime);  // as on Windows, its result does not count
  // Nothing waits for the disk here (the restore flushes once at its end), but the writing of a
  // large file starts at once: the disk works while the restore goes on.
  constexpr uint64_t kWriteBackAt = 1 << 20;
  ok = ok && temp->Commit(info.uncompressedSize >= kWriteBackAt ? platform::Durability::WriteBack
                                                                : platform::Durability::None);
  if (ok) progress_->FileDone(info.uncompressedSize);
  return ok;
}

ProgressTotals CZipReader::FileTotals() {
  ProgressTotals totals;
  ListEntries([&totals](const ZipEntryInfo& info) {
    if (info.isDirectory) return;
    ++totals.files;
    totals.bytes += info.uncompressedSize;
  });
  return totals;
}

bool ZipDataRegions::Claim(uint64_t start, uint64_t size, uint64_t entry) {
  if (size == 0) return true;
  if (start == 0 || size > UINT64_MAX - start) return false;
  const uint64_t end = start + size;
  std::lock_guard<std::mutex> lock(mutex_);
  auto next = regions_.lower_bound(start);
  if (next != regions_.end() && next->first < end && next->second.entry != entry) return false;
  if (next != regions_.begin()) {
    auto previous = std::prev(next);
    if (previous->second.end > start && previous->second.entry != entry) return false;
  }
  regions_[start] = Region{end, entry};
  return true;
}

}  // namespace orn
