#include "files/TreeReplacement.h"

#include <cerrno>
#include <memory>
#include <fcntl.h>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

#include "files/DirectoryListing.h"
#include "files/DirectoryTree.h"
#include "files/FileCopy.h"
#include "files/FilePaths.h"
#include "files/UniqueFd.h"
#include "platform/AtomicFile.h"

namespace orn {

namespace {

// The entry's type from the listing, asked of the file system only where the listing does not
// tell it (or where st is wanted anyway: want set).
bool EntryStat(DirectoryListing& listing, const char* name, bool want, struct stat& st) {
  const unsigned char type = listing.Type();
  if (want || type == DT_UNKNOWN) return fstatat(listing.Fd(), name, &st, AT_SYMLINK_NOFOLLOW) == 0;
  st.st_mode = type == DT_DIR ? S_IFDIR : type == DT_REG ? S_IFREG : type == DT_LNK ? S_IFLNK : 0;
  return true;
}

// The names a folder that this walk only writes into holds already, by whether each is a folder;
// leftovers of killed runs are removed from it. Listed through a duplicate descriptor: the folder
// is not opened again.
std::unordered_map<std::string, bool> ListAndClean(int dirFd) {
  std::unordered_map<std::string, bool> names;
  DirectoryListing listing(UniqueFd(fcntl(dirFd, F_DUPFD_CLOEXEC, 0)));
  while (const char* name = listing.Next()) {
    if (platform::IsLeftoverTempName(name))
      unlinkat(dirFd, name, 0);
    else if (name[0] != '.')
      names.emplace(name, listing.Type() == DT_DIR || listing.Type() == DT_UNKNOWN);
  }
  return names;
}

// The regular files of a listed folder, by name.
std::unordered_set<std::string> RegularFiles(DirectoryListing& listing) {
  std::unordered_set<std::string> files;
  struct stat st {};
  while (const char* name = listing.Next())
    if (name[0] != '.' && EntryStat(listing, name, false, st) && S_ISREG(st.st_mode)) files.insert(name);
  return files;
}

}  // namespace

// The two walks over one folder level each: every folder opened once, its files reached by name.
class TreeReplacement::Walk {
 public:
  explicit Walk(TreeReplacement& owner) : owner_(owner) {}
  bool complete = true;

  void Keep(DirectoryListing& target, DirectoryListing* incoming, int safetyFd) {
    const std::unordered_map<std::string, bool> older = ListAndClean(safetyFd);
    const std::unordered_set<std::string> replaced =
        incoming && incoming->IsOpen() ? RegularFiles(*incoming) : std::unordered_set<std::string>{};
    std::shared_ptr<UniqueFd> safety;  // safetyFd, held open for the removals it has pending
    struct stat st {};
    while (const char* name = target.Next()) {
      if (name[0] == '.') {
        if (platform::IsLeftoverTempName(name)) unlinkat(target.Fd(), name, 0);
        continue;
      }
      if (!EntryStat(target, name, target.Type() == DT_REG, st)) {
        complete = false;
      } else if (S_ISDIR(st.st_mode)) {
        DirectoryListing targetChild(target.Fd(), name);
        DirectoryListing incomingChild(incoming && incoming->IsOpen() ? incoming->Fd() : -1, name);
        UniqueFd safetyChild(OpenTargetFolder(safetyFd, name));
        if (targetChild.IsOpen() && safetyChild.IsValid())
          Keep(targetChild, &incomingChild, safetyChild.Get());
        else
          complete = false;
      } else if (S_ISREG(st.st_mode)) {
        // An older safety copy of the name (a restore earlier that day) makes way.
        const auto it = older.find(name);
        if (it != older.end() && !it->second) {
          if (!safety) safety = std::make_shared<UniqueFd>(fcntl(safetyFd, F_DUPFD_CLOEXEC, 0));
          if (safety->IsValid()) owner_.removal_.Remove(safety, name);
        }
        complete = owner_.KeepAt(target.Fd(), name, st, safetyFd, name, replaced.count(name) != 0) && complete;
      }
    }
  }

  void Move(DirectoryListing& incoming, int targetFd) {
    struct stat st {};
    while (const char* name = incoming.Next()) {
      if (name[0] == '.') continue;
      if (!EntryStat(incoming, name, false, st)) {
        complete = false;
      } else if (S_ISDIR(st.st_mode)) {
        DirectoryListing incomingChild(incoming.Fd(), name);
        UniqueFd targetChild(OpenTargetFolder(targetFd, name));
        if (incomingChild.IsOpen() && targetChild.IsValid())
          Move(incomingChild, targetChild.Get());
        else
          complete = false;
      } else if (S_ISREG(st.st_mode)) {
        complete = owner_.MoveAt(incoming.Fd(), name, targetFd, name) && complete;
      }
    }
  }

 private:
  TreeReplacement& owner_;
};

bool TreeReplacement::KeepAt(int folder, const std::string& name, const struct stat& st, int safetyDir,
                             const std::string& safetyName, bool willReplace) {
  bool kept = false;
  if (willReplace && linkWorks_ && !IsReadOnly(st)) {
    kept = linkat(folder, name.c_str(), safetyDir, safetyName.c_str(), 0) == 0;
    struct stat found {};
    if (!kept && errno == EEXIST && fstatat(safetyDir, safetyName.c_str(), &found, AT_SYMLINK_NOFOLLOW) == 0 &&
        !S_ISDIR(found.st_mode) && !IsReadOnly(found) && unlinkat(safetyDir, safetyName.c_str(), 0) == 0)
      kept = linkat(folder, name.c_str(), safetyDir, safetyName.c_str(), 0) == 0;
    if (!kept && errno == EXDEV) linkWorks_ = false;
  }
  kept = kept || CopyFileAt(folder, name, safetyDir, safetyName);
  if (kept) progress_.FileDone(static_cast<uint64_t>(st.st_size));
  return kept;
}

bool TreeReplacement::MoveAt(int incomingDir, const std::string& name, int targetDir, const std::string& targetName) {
  struct stat from {
  }, existing{};
  if (fstatat(incomingDir, name.c_str(), &from, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(from.st_mode)) return false;
  if (!MayReplace(targetDir, targetName, existing)) return false;
  const bool replacingFile = S_ISREG(existing.st_mode);

  bool moved = false;
  if (renameWorks_) {
    // The replaced file's permissions and owner, given to the new file before it takes the name.
    const mode_t mode = existing.st_mode & 0777;
    if (replacingFile && mode != (from.st_mode & 0777) && fchmodat(incomingDir, name.c_str(), mode, 0) != 0)
      return false;
    if (replacingFile && IsRoot() && (existing.st_uid != from.st_uid || existing.st_gid != from.st_gid) &&
        fchownat(incomingDir, name.c_str(), existing.st_uid, existing.st_gid, AT_SYMLINK_NOFOLLOW) != 0)
      return false;
    moved = renameat(incomingDir, name.c_str(), targetDir, targetName.c_str()) == 0;
    if (!moved && errno != EXDEV) return false;
    if (!moved) renameWorks_ = false;
  }
  moved = moved || CopyFileAt(incomingDir, name, targetDir, targetName);
  if (moved) progress_.FileDone(static_cast<uint64_t>(from.st_size));
  return moved;
}

bool TreeReplacement::KeepFile(const std::string& path, int safetyDir, const std::string& name, bool willReplace) {
  const FileInFolder file = OpenFileFolder(path);
  struct stat st {};
  return file.folder.IsValid() && fstatat(file.folder.Get(), file.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
         S_ISREG(st.st_mode) && KeepAt(file.folder.Get(), file.name, st, safetyDir, name, willReplace);
}

bool TreeReplacement::KeepTree(const std::string& target, const std::string& incoming, const std::string& safety) {
  DirectoryListing targetListing(target);
  if (!targetListing.IsOpen()) return errno == ENOENT;
  if (!CreateDirectoryPath(safety)) return false;
  UniqueFd safetyFd(OpenDirectoryAt(AT_FDCWD, safety));
  if (!safetyFd.IsValid()) return false;
  DirectoryListing incomingListing(incoming);
  Walk walk(*this);
  walk.Keep(targetListing, &incomingListing, safetyFd.Get());
  return walk.complete;
}

bool TreeReplacement::MoveFile(int incomingDir, const std::string& name, const std::string& path) {
  const FileInFolder file = OpenFileFolder(path);
  return file.folder.IsValid() && MoveAt(incomingDir, name, file.folder.Get(), file.name);
}

bool TreeReplacement::MoveTree(const std::string& incoming, const std::string& target) {
  DirectoryListing incomingListing(incoming);
  if (!incomingListing.IsOpen() || !CreateDirectoryPath(target)) return false;
  UniqueFd targetFd(OpenDirectoryAt(AT_FDCWD, target));
  if (!targetFd.IsValid()) return false;
  Walk walk(*this);
  walk.Move(incomingListing, targetFd.Get());
  return walk.complete;
}

}  // namespace orn
