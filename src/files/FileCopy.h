// Copying one file into place without torn writes: the data goes to a temporary name beside the
// target and is then renamed over the target, so that a reader (or a crash) sees the old file or
// the complete new one, never a part. Takes the place of CopyFileA with overwriting.
#pragma once

#include <string>
#include <sys/stat.h>
#include <sys/types.h>

#include "files/UniqueFd.h"

namespace orn {

// The copy takes the replaced file's permissions, or the source's for a new file.
inline constexpr mode_t kKeepMode = static_cast<mode_t>(-1);

// A file without any write permission bit: the copies and deletions leave it alone, also for root.
inline bool IsReadOnly(const struct stat& st) { return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

// Whether the program runs as root: a replaced file's owner is then carried over to its successor.
bool IsRoot();

// Whether a file may take the place of name in dirFd: nothing stands there, or a regular file
// that is not read-only, or a symbolic link (replaced, never followed). existing gets what stands
// there (st_mode 0 for nothing).
bool MayReplace(int dirFd, const std::string& name, struct stat& existing);

// The open folder of the file at path and the file's name in it; a link in the last component is
// followed to its file. The folder is invalid when it cannot be opened or the name is empty.
struct FileInFolder {
  UniqueFd folder;
  std::string name;
};
FileInFolder OpenFileFolder(const std::string& path);

// Copies the regular file sourceName of the directory sourceDirFd to targetName in targetDirFd.
// Neither name is followed when it is a symbolic link: a link at the target's place is replaced
// by the copy, never written through. Fails when the source is not a regular file, or the target
// is read-only (no write permission bit, also for root), a directory or another special file.
// The copy keeps the source's last-write time and gets mode (kKeepMode: see there); for root, a
// replaced file's owner.
bool CopyFileAt(int sourceDirFd, const std::string& sourceName, int targetDirFd, const std::string& targetName,
                mode_t mode = kKeepMode);

// The same for two paths named by the program itself: a link as the source or the target is
// followed (the file it leads to is read, or replaced).
bool CopyFile(const std::string& source, const std::string& target, mode_t mode = kKeepMode);

// Waits until everything written to the file system that holds path is on disk.
void FlushFileSystem(const std::string& path);

}  // namespace orn
