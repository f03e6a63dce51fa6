// Putting new files in the place of old ones while keeping the old ones in a safety folder, each
// byte written once where the folders share a file system: a file that is about to be replaced
// gets a second name in the safety folder (a hard link), and the new file is renamed over the old
// name, so that the name shows the old file or the complete new one at every moment. What must be
// copied (a file that stays, or any file across file systems) is copied by the kernel, without
// torn writes (FileCopy.h). The tree walks open every folder once and reach each file relative to
// its open folder; no symbolic link inside a tree is followed, and nothing is written outside the
// target and the safety folder. A failed file does not stop a walk: the others are still done.
// Older safety copies that make way are removed on a thread of their own; the object waits for
// that when it is destroyed.
#pragma once

#include <string>
#include <sys/stat.h>

#include "files/DeferredRemoval.h"
#include "files/Progress.h"

namespace orn {

class TreeReplacement {
 public:
  explicit TreeReplacement(Progress& progress = NoProgress()) : progress_(progress) {}

  // Keeps the regular file at path (a symbolic link there followed to its file) as name in the
  // open folder safetyDir: as a hard link when willReplace and the file is writable (it is about
  // to be replaced by MoveFile), otherwise as a copy with the file's time and permissions. An
  // older file of that name in the safety folder is replaced. False when nothing was kept.
  bool KeepFile(const std::string& path, int safetyDir, const std::string& name, bool willReplace);

  // Keeps every regular file below the folder target in safety (made with its parents), the files
  // for which incoming holds a regular file of the same path as links (see KeepFile). Links,
  // special files and names beginning with "." are left out; leftovers of killed runs in the
  // folders of target and safety are removed. True when target is missing or every file was kept.
  bool KeepTree(const std::string& target, const std::string& incoming, const std::string& safety);

  // Puts the regular file name of the open folder incomingDir in the place of the file at path
  // (a symbolic link there followed to its file): renamed, or copied across file systems. A
  // replaced file's permissions (and for root its owner) carry over. Fails, changing nothing,
  // when the file at path is read-only (no write bit, also for root), a folder or a special file.
  bool MoveFile(int incomingDir, const std::string& name, const std::string& path);

  // Puts every regular file below the folder incoming at the same place below target (made with
  // its parents), as MoveFile does; a symbolic link in the place of a file or folder is replaced,
  // never written through. Names beginning with "." are left out. False when incoming is missing
  // or a file or folder could not be put in place.
  bool MoveTree(const std::string& incoming, const std::string& target);

 private:
  class Walk;
  bool KeepAt(int folder, const std::string& name, const struct stat& st, int safetyDir, const std::string& safetyName,
              bool willReplace);
  bool MoveAt(int incomingDir, const std::string& name, int targetDir, const std::string& targetName);

  Progress& progress_;
  DeferredRemoval removal_;  // older safety copies, removed beside the walks
  bool linkWorks_ = true;    // false once a hard link failed across file systems
  bool renameWorks_ = true;  // false once a rename failed across file systems
};

}  // namespace orn
