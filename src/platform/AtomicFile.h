// Writing a file so that its name shows the old contents or the complete new ones, never a part:
// the data goes to a temporary file beside the target, which is renamed over the target when it
// is complete and removed when it is not. Every file the program writes in place goes this way.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace orn::platform {

// How far a commit waits for the disk. Data: the file's data is on disk before the rename.
// DataAndDirectory: the rename is on disk too. None: the kernel writes both back when it
// chooses; the action flushes the file system once at its end. WriteBack: as None, but the
// kernel starts writing the data at once, so that the flush at the end finds less to wait for.
enum class Durability { None, WriteBack, Data, DataAndDirectory };

// Mode of every file that holds configuration data.
inline constexpr mode_t kPrivateFileMode = 0600;

// Writes all size bytes, through short writes and interruptions; false on an error.
bool WriteFully(int fd, const void* data, size_t size);

// The folder part of a path: "." without a "/", "/" for a file in the root.
std::string ParentFolder(const std::string& path);

// The file that path names, a symbolic link in its last component followed to the end; path
// itself when it is no link or the link leads nowhere.
std::string FollowLink(const std::string& path);

// True for a temporary name of this program ("." first, so that the tree walks and the backup's
// packing pass it by) whose writing process no longer runs: a leftover of a killed run.
bool IsLeftoverTempName(std::string_view name);

// A new temporary name of this run, for a file that is to be renamed or removed later; a leftover
// once the run has ended.
std::string NewTempName();

// Removes the leftovers of killed runs from the open folder dirFd (not below it); returns how
// many were removed.
size_t RemoveLeftoversAt(int dirFd);
// The same for a folder named by its path; a missing folder has none.
size_t RemoveLeftovers(const std::string& folder);

class AtomicFile {
 public:
  // A temporary file for name inside the open folder dirFd, which must stay open until the file
  // is committed or discarded. The target name is taken as it is (a link there is replaced).
  AtomicFile(int dirFd, std::string name, mode_t mode);
  // A temporary file for the file path. When path is a symbolic link, the file it leads to is
  // the one replaced, beside it; the link stays.
  AtomicFile(const std::string& path, mode_t mode);
  ~AtomicFile();  // discards what was not committed
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  // The descriptor of the temporary file, open for writing.
  int Fd() const { return fd_; }
  // The temporary file's path, for writers that open it by name (valid until commit or discard).
  std::string TempPath() const;

  bool Write(const void* data, size_t size) { return fd_ >= 0 && WriteFully(fd_, data, size); }
  // Closes the temporary file and renames it over the target; on failure it is discarded and the
  // target stays as it was.
  bool Commit(Durability durability);
  // Closes and removes the temporary file; the target stays as it was.
  void Discard();

 private:
  void Create(mode_t mode);

  int dirFd_ = -1;
  int ownedDirFd_ = -1;  // the folder opened for a path
  std::string folder_;   // its path, for TempPath
  std::string name_;
  std::string tempName_;
  int fd_ = -1;
};

}  // namespace orn::platform
