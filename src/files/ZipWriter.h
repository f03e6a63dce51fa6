// CZipWriter: packs files and whole folder trees into a new zip archive (or appends to one),
// naming each entry by its path relative to a base folder, with backslashes. Entries are deflated
// at the default level without extra fields or comments; their time is the source's last-write
// time as a local DOS time, their external attributes the source's Windows attribute word (see
// platform/FileAttributes.h) in the MS-DOS layout (version made by 0), so that folder entries
// carry 0x10 and no data, and their names no trailing separator. Names that are valid UTF-8 and
// not plain ASCII carry the UTF-8 flag (bit 11). Data moves through one 2048-byte buffer. From
// 65,535 entries on, or beyond 4 GiB, the archive ends with the zip64 end records.
// Failures are false results, never exceptions.
#pragma once

#include <cstdint>
#include <minizip/zip.h>
#include <optional>
#include <string>

namespace orn {

class CZipWriter {
 public:
  CZipWriter() = default;
  // Calls Open when an archive path is given.
  explicit CZipWriter(const std::string& archivePath, const std::optional<std::string>& baseDirectory = std::nullopt,
                      bool append = false);
  virtual ~CZipWriter();
  CZipWriter(const CZipWriter&) = delete;
  CZipWriter& operator=(const CZipWriter&) = delete;

  // Closes what was open, then creates the archive (mode 0600); with append and an existing file,
  // a new archive is written after the file's present contents (APPEND_STATUS_CREATEAFTER). The base folder: without
  // one, the archive's folder; an empty one leaves names as the paths give them; otherwise the folder made absolute.
  // True when open afterwards.
  bool Open(const std::string& archivePath, const std::optional<std::string>& baseDirectory = std::nullopt,
            bool append = false);
  bool IsOpen() const { return zip_ != nullptr; }
  const std::string& BaseDirectory() const { return base_; }

  // Adds one regular file (never through a symbolic link). A relative path lies below the base
  // folder; an absolute one must lie inside it. With flat the entry has the bare file name. False,
  // with no entry written, when the name cannot be formed (outside the base, a ".." component, a
  // backslash in a file name, longer than kMaxEntryName) or the file cannot be opened; true when
  // the entry was written and closed.
  bool AddFile(const std::string& path, bool flat = false);

  // Adds a folder entry, then everything inside the folder, depth first in the order the file
  // system lists it; names beginning with "." and symbolic links are left out. The entry is
  // written also for a missing folder (attributes 0xFFFFFFFF, date and time zero). True once
  // walked (the children's results are not used); false only when nothing is open or the name
  // cannot be formed. A symbolic link given as the folder gets no entry.
  bool AddDirectory(const std::string& path, bool flat = false);

  // Closes the archive (no global comment); true when that succeeded or nothing was open.
  bool Close();

 private:
  bool EntryName(const std::string& path, bool flat, std::string& name) const;
  bool OpenEntry(const std::string& name, const std::string& location, bool large);

  zipFile zip_ = nullptr;
  std::string base_;
  std::string path_;      // the archive open
  uint64_t entries_ = 0;  // entries opened in it, for the zip64 end records
};

}  // namespace orn
