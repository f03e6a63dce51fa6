// CZipReader: unpacks the entries of a zip archive into a folder, creating folders on the way and
// restoring each file's last-write time from the entry. Failures are false results, never
// exceptions. An entry is written only below the target: a name that is absolute, has a drive or
// a ".." component, or leads through a symbolic link already in the target is refused with
// nothing written; a read-only file of the same name (no write bit) is never replaced. A file is
// written under a temporary name beside its own and renamed when its data is complete (exactly
// the declared size, matching CRC), so a failed entry leaves no half-written file under its name.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <minizip/unzip.h>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "files/Progress.h"
#include "files/UniqueFd.h"
#include "files/ZipEntryInfo.h"

namespace orn {

// The data regions of an archive's entries unpacked so far, shared by the readers that unpack one
// archive together: data that overlaps the data of another entry is refused, since archives whose
// entries share their data multiply a small file into any amount of output.
class ZipDataRegions {
 public:
  // Claims size bytes from start for the entry whose central header is at entry; false when they
  // overlap the claim of another entry.
  bool Claim(uint64_t start, uint64_t size, uint64_t entry);

 private:
  struct Region {
    uint64_t end;
    uint64_t entry;
  };
  std::mutex mutex_;
  std::map<uint64_t, Region> regions_;  // by start offset
};

class CZipReader {
 public:
  CZipReader() = default;
  // Calls Open.
  explicit CZipReader(const std::string& archivePath);
  virtual ~CZipReader();
  CZipReader(const CZipReader&) = delete;
  CZipReader& operator=(const CZipReader&) = delete;

  // Closes what was open, then opens the archive (a regular file); the default target becomes
  // its full path without the extension. True when an archive is open afterwards. An archive of
  // no entries at all opens too (minizip cannot), so that extracting it fails as described.
  bool Open(const std::string& archivePath);
  bool IsOpen() const { return zip_ != nullptr || empty_; }
  const std::string& DefaultTarget() const { return defaultTarget_; }

  // The header of the current entry; false when nothing is open, the header cannot be read, or
  // its name is longer than kMaxEntryName or holds a zero byte.
  bool GetCurrentFileInfo(ZipEntryInfo& info) const;
  // Calls visit for every entry in archive order. False when nothing is open or a header cannot be
  // read (visit has then seen the entries before it).
  bool ListEntries(const std::function<void(const ZipEntryInfo&)>& visit);

  // The number of entries the archive declares; 0 when nothing is open.
  uint64_t EntryCount() const;
  // The entry names in archive order (backslashes); empty when nothing is open or the central
  // directory is damaged.
  std::vector<std::string> EntryNames();

  // The position of the current entry's central header, and a move to the entry at such a
  // position (false when it holds no readable entry).
  uint64_t CurrentEntryOffset() const;
  bool GoToEntry(uint64_t offset);
  // Checks the data of the entries against the regions that other unpacks of the same archive
  // claimed (each reader has regions of its own otherwise).
  void ShareDataRegions(const CZipReader& other) { regions_ = other.regions_; }

  // Extracts the current entry below the target (nullopt: the default target), created when
  // missing. A folder entry creates its folder; with flat, a file entry goes directly into the
  // target under its bare file name.
  bool ExtractCurrent(const std::optional<std::string>& target, bool flat);
  // Extracts every entry in archive order and stops at the first failure (what was extracted
  // stays). False also for an archive without entries or with a damaged central directory.
  bool ExtractAll(const std::string& target, bool flat);

  // Closes the current entry and the archive; true when minizip closed the archive without error.
  bool Close();

  // Where every extracted file is reported (the default reports to nobody).
  void SetProgress(Progress& progress) { progress_ = &progress; }
  // The number of file entries and their unpacked sizes, from the central directory.
  ProgressTotals FileTotals();

 private:
  bool ExtractFile(int dirFd, const std::string& name, const ZipEntryInfo& info);
  int EntryDirectory(const std::string& folder, const std::vector<std::string>& components, size_t depth);

  unzFile zip_ = nullptr;
  bool empty_ = false;  // an archive without entries, which minizip cannot open
  std::string defaultTarget_;
  std::shared_ptr<ZipDataRegions> regions_ = std::make_shared<ZipDataRegions>();
  // The open folders from the target down to the last entry's folder (folders[i + 1] is
  // names[i] inside folders[i]): entries come folder by folder, so each folder is opened once.
  std::string target_;
  std::vector<std::string> names_;
  std::vector<UniqueFd> folders_;
  Progress* progress_ = &NoProgress();
};

}  // namespace orn
