// The packing step of the backup: the archive layout written into a sink in one pass.
#pragma once

#include <string>
#include <vector>

#include "files/PackSink.h"
#include "files/PackingWalk.h"
#include "files/Progress.h"

namespace orn {

// Packs "orn.cfg" and "reg.cfg" from the working folder work, the files of the backup file table
// that exist in the installation folder install, then "arsp" with its tree, on threads threads
// (0: one per processor). The installation's own paths are followed when they are links. What the
// walk leaves out is added to leftOut. Every file packed is reported to progress, in the phase
// Packing. False when the archive could not be written whole.
bool PackBackup(CPackSink& sink, unsigned threads, const std::string& work, const std::string& install,
                std::vector<LeftOutEntry>& leftOut, Progress& progress = NoProgress());

}  // namespace orn
