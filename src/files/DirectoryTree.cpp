#include "files/DirectoryTree.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "files/DirectoryListing.h"
#include "files/FileCopy.h"
#include "files/FilePaths.h"
#include "files/MessagePump.h"
#include "files/UniqueFd.h"
#include "platform/AtomicFile.h"

namespace orn {

namespace {

bool IsDotName(const char* name) { return name[0] == '.'; }

bool DeleteListedContents(DirectoryListing& listing, const CancelEvent* cancel, bool pump);

// Deletes one entry of the listed folder. A subfolder is emptied first; when that fails it stays
// and the walk goes on (its parent then cannot be removed).
bool DeleteEntry(DirectoryListing& listing, const char* name, const CancelEvent* cancel, bool pump) {
  struct stat st {};
  if (fstatat(listing.Fd(), name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
  if (!S_ISDIR(st.st_mode)) return !IsReadOnly(st) && unlinkat(listing.Fd(), name, 0) == 0;
  DirectoryListing sub(listing.Fd(), name);
  if (!DeleteListedContents(sub, cancel, pump)) return true;
  return !IsReadOnly(st) && unlinkat(listing.Fd(), name, AT_REMOVEDIR) == 0;
}

bool DeleteListedContents(DirectoryListing& listing, const CancelEvent* cancel, bool pump) {
  if (!listing.IsOpen() || IsSignalled(cancel)) return false;
  bool success = true;
  while (const char* name = listing.Next()) {
    if (pump) PumpWaitingMessages();
    if (!IsDotName(name) || platform::IsLeftoverTempName(name)) success = DeleteEntry(listing, name, cancel, pump);
    if (IsSignalled(cancel)) return false;
    if (!success) break;
  }
  return success;
}

// Copies the entries of the listed source folder into the open target folder.
bool CopyListedContents(DirectoryListing& source, int targetFd, const CancelEvent* cancel, bool pump);

bool CopyEntry(DirectoryListing& source, const char* name, int targetFd, const CancelEvent* cancel) {
  struct stat st {};
  if (fstatat(source.Fd(), name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
  if (S_ISREG(st.st_mode)) return CopyFileAt(source.Fd(), name, targetFd, name);
  if (!S_ISDIR(st.st_mode)) return true;  // links and special files are not copied
  UniqueFd targetChild(OpenTargetFolder(targetFd, name));
  DirectoryListing sourceChild(source.Fd(), name);
  return targetChild.IsValid() && CopyListedContents(sourceChild, targetChild.Get(), cancel, true);
}

bool CopyListedContents(DirectoryListing& source, int targetFd, const CancelEvent* cancel, bool pump) {
  if (!source.IsOpen() || IsSignalled(cancel)) return false;
  platform::RemoveLeftoversAt(targetFd);  // of a copy that was killed
  bool success = true;
  while (const char* name = source.Next()) {
    if (pump) PumpWaitingMessages();
    if (!IsDotName(name)) success = CopyEntry(source, name, targetFd, cancel);
    if (IsSignalled(cancel)) return false;
    if (!success) break;
  }
  return success;
}

// True when target is source itself or lies below it, links in both paths resolved.
bool IsInsideSource(const std::string& source, const std::string& target) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path from = fs::canonical(source, ec);
  if (ec) return false;  // a missing source fails later
  const fs::path to = fs::weakly_canonical(fs::absolute(target, ec), ec);
  if (ec) return false;
  auto f = from.begin();
  auto t = to.begin();
  for (; f != from.end(); ++f, ++t)
    if (t == to.end() || *f != *t) return false;
  return true;
}

}  // namespace

int OpenTargetFolder(int targetFd, const char* name) {
  if (mkdirat(targetFd, name, kCreatedDirectoryMode) != 0 && errno != EEXIST) return -1;
  const int fd = OpenDirectoryAt(targetFd, name);
  struct stat st {};
  if (fd >= 0 || fstatat(targetFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(st.st_mode)) return fd;
  if (unlinkat(targetFd, name, 0) != 0 || mkdirat(targetFd, name, kCreatedDirectoryMode) != 0) return -1;
  return OpenDirectoryAt(targetFd, name);
}

bool DeleteDirectoryContents(const std::string& directory, const CancelEvent* cancel, bool pump) {
  DirectoryListing listing(directory);
  return DeleteListedContents(listing, cancel, pump);
}

bool DeleteDirectoryTree(const std::string& directory, const CancelEvent* cancel, bool pump) {
  struct stat st {};
  if (lstat(directory.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return true;
  DirectoryListing listing(directory);
  if (!DeleteListedContents(listing, cancel, pump)) return false;
  if (IsReadOnly(st) && fchmod(listing.Fd(), st.st_mode | S_IWUSR) != 0) return false;
  return rmdir(directory.c_str()) == 0;
}

bool CopyDirectoryTree(const std::string& source, const std::string& target, const CancelEvent* cancel, bool pump) {
  if (IsInsideSource(source, target)) return false;
  if (!CreateDirectoryPath(target)) return false;
  DirectoryListing sourceListing(source);
  if (!sourceListing.IsOpen() || IsSignalled(cancel)) return false;
  UniqueFd targetFd(OpenDirectoryAt(AT_FDCWD, target));
  return targetFd.IsValid() && CopyListedContents(sourceListing, targetFd.Get(), cancel, pump);
}

}  // namespace orn
