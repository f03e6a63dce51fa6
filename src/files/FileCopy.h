// Copying one file into place without torn writes: the data goes to a temporary name beside the
// target and is then renamed over the target, so that a reader (or a crash) sees the old file or
// the complete new one, never a part. Takes the place of CopyFileA with overwriting.
#pragma once

#include <string>
#include <sys/types.h>

namespace orn {

// The copy takes the replaced file's permissions, or the source's for a new file.
inline constexpr mode_t kKeepMode = static_cast<mode_t>(-1);

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
