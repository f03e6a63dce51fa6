// What a restore of an archive would do, found without changing anything: the archive checked
// and unpacked as the check does it, then compared with the installation.
#pragma once

#include <string>
#include <vector>

#include "backup/Restore.h"

namespace orn {

enum class PlanAction {
  Replace,  // present on both sides with different contents
  Add,      // only in the archive
  Keep,     // stays as it is: the same on both sides, or not in the archive
  Remove,   // users only: installed but not in the archived configuration, which replaces it whole
};

struct PlanItem {
  std::string name;  // file path relative to the installation directory, value name or user name
  PlanAction action;
};

struct RestorePlan {
  RestoreOutcome outcome = RestoreOutcome::Failed;
  std::string message;  // the failure text
  std::vector<PlanItem> files, taskValues, users;
};

// Runs the checks of the restore on archivePath and compares the result with the installation.
// Writes nothing below the installation and in the hive, and never stops the server.
RestorePlan PlanRestore(const std::string& archivePath, RestoreInteraction& interaction);

}  // namespace orn
