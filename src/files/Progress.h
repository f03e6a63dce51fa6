// Progress of long file work: every file that the zip writer packs, the zip reader unpacks or a
// copy puts in place is reported with its size to a hook that a front end installs (the command
// line shows files and bytes on a terminal). Without a hook nothing happens.
#pragma once

#include <cstdint>

namespace orn {

using FileProgressHook = void (*)(uint64_t bytes);

// Installs the hook (null removes it).
void SetFileProgressHook(FileProgressHook hook);

// Reports one file of the given size as done.
void ReportFileDone(uint64_t bytes);

}  // namespace orn
