// The backup as a scheduled job runs it: into a folder, keeping the newest archives there.
#pragma once

#include <cstddef>

#include "backup/Backup.h"

namespace orn {

// Runs the backup. A request.path that names an existing folder means "<folder>/orn_ddmmyy.eff"
// (".zip" when not encrypted). When keep > 0 and the backup succeeded, the older archives of the
// new archive's folder (regular files named "orn_*.eff" or "orn_*.zip", newest by modification
// time first) are removed until keep remain, the new one included; nothing else is touched.
// A removal that fails makes the result a failure naming the file.
BackupResult RunBackupKeeping(BackupRequest request, size_t keep);

}  // namespace orn
