// The restore: an archive of the backup validated completely, the server stopped, the replaced
// files kept as safety copies, and the archive's contents written over the installation.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "files/Progress.h"

namespace orn {

// What the restore asks of its user.
class RestoreInteraction {
 public:
  virtual ~RestoreInteraction() = default;
  // The password of an encrypted archive; nothing when the user cancels.
  virtual std::optional<std::string> AskArchivePassword() = 0;
  // A message about one file or folder that does not stop the restore.
  virtual void ShowMessage(const std::string& text) = 0;
  // Around the server stop and the writing: the wizard shows its wait cursor.
  virtual void BeginWait() {}
  virtual void EndWait() {}
};

enum class RestoreOutcome {
  Restored,   // ran to its end: the wizard closes
  Failed,     // stopped with a message: the page stays
  Cancelled,  // the password was not given: the page stays, no message
};

struct RestoreResult {
  RestoreOutcome outcome = RestoreOutcome::Failed;
  std::string message;
  std::string reason;        // the system's reason where message names none; may be empty
  std::string safetyFolder;  // where the replaced files were kept (a restore that ran to its end)
  bool incomplete = false;   // restored, but a file or the "arsp" folder could not be put back
};

// Runs the restore. Its working folder holds the archive's contents in clear and is gone afterwards,
// whatever the outcome (a cancelled password prompt included). Its phases Unpacking, SafetyCopy and
// CopyBack are reported to progress, each file as it is done.
RestoreResult RunRestore(const std::string& archivePath, RestoreInteraction& interaction,
                         Progress& progress = NoProgress());

// What an archive holds, read without touching the installation.
struct ArchiveContents {
  std::vector<std::string> entries;  // entry names as stored
  bool hasRegistrySnapshot = false;
  std::vector<std::string> taskValues;  // the thirteen lines of "reg.cfg", when present
  size_t users = 0, addresses = 0;
  std::vector<std::string> userLines;  // "name\tfull name\taddresses"
};

struct VerifyResult {
  RestoreOutcome outcome = RestoreOutcome::Failed;
  std::string message;
  ArchiveContents contents;
};

// Runs every check of the restore up to the load of the archived configuration in a working
// folder of its own, then reports what the archive holds. Changes nothing in the installation
// and never stops the server. inspect, when set, sees the folder the archive was unpacked into
// before that folder goes.
VerifyResult VerifyArchive(const std::string& archivePath, RestoreInteraction& interaction,
                           const std::function<void(const std::string& folder)>& inspect = nullptr);

}  // namespace orn
