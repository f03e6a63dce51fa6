// Deleting and copying directory trees. Both walk a folder entry by entry, skip every name that
// begins with "." (so "." and "..", and also dot files and dot folders, which stay) except the
// temporary files that a killed run left (platform/AtomicFile.h), which both remove from the
// folders they write, and never follow a symbolic link: deleting removes the link itself, copying
// skips a link in the source and replaces one in the target by the file or folder copied. A read-only entry
// (no write permission bit) is never deleted or overwritten, also for root. When pump is set,
// PumpWaitingMessages runs before each entry, so that the user interface stays responsive; a set
// cancel event stops the walk after the entry at hand. Nothing is undone on failure or cancel:
// what was done stays done.
#pragma once

#include <string>

#include "files/CancelEvent.h"

namespace orn {

// Deletes what lies inside the folder (not a link to one). False when it is missing or not a
// folder, when the event is set, or at the first file that cannot be deleted (the walk stops
// there). A subfolder whose contents could not all be deleted is left in place and the walk goes
// on; the folder holding it then cannot be removed, so DeleteDirectoryTree reports false.
bool DeleteDirectoryContents(const std::string& directory, const CancelEvent* cancel, bool pump);

// Deletes the folder with everything inside; true also when there is no folder of that name (a
// link or a file of that name is left alone). Makes the folder itself writable before removing
// it; the entries inside keep their permissions.
bool DeleteDirectoryTree(const std::string& directory, const CancelEvent* cancel, bool pump);

// Copies every file and folder of source into target (created with its parents), replacing
// files of the same name and leaving target's other files alone; only regular files and folders
// are copied, each file without torn writes (see FileCopy.h). Deeper levels always pump. False
// when the target cannot be created, the source is missing, the event is set, a file or folder
// cannot be copied (the walk stops there), or the target is the source or lies inside it (then
// nothing is created or copied).
bool CopyDirectoryTree(const std::string& source, const std::string& target, const CancelEvent* cancel, bool pump);

// Opens the folder name inside the open folder targetFd, made (mode 0700) when missing. A symbolic
// link in its place is replaced by the folder (the link itself removed, never what it points to);
// a file of that name stays and fails. Returns a new descriptor, or -1.
int OpenTargetFolder(int targetFd, const char* name);

}  // namespace orn
