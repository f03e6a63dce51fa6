// Copying one file into place without torn writes: the data goes to a temporary name beside the
// target, is flushed to disk and then renamed over the target, so that a reader (or a crash)
// sees the old file or the complete new one, never a part. Takes the place of CopyFileA with
// overwriting.
#pragma once

#include <string>

namespace orn {

// Copies the regular file sourceName of the directory sourceDirFd to targetName in targetDirFd,
// replacing a file of that name. Neither name is followed when it is a symbolic link. Fails
// when the source is not a regular file, or the target is read-only (no write permission bit,
// also for root), a directory, a link or another special file. The copy keeps the source's
// last-write time; it gets the replaced file's permissions (and, for root, its owner), or the
// source's permissions when the target is new.
bool CopyFileAt(int sourceDirFd, const std::string& sourceName, int targetDirFd, const std::string& targetName);

// The same for two paths; the folders leading to them are taken as they are.
bool CopyFile(const std::string& source, const std::string& target);

// Waits until everything written to the file system that holds path is on disk.
void FlushFileSystem(const std::string& path);

}  // namespace orn
