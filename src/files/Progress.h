// Progress of long file work, handed to the operation that does it (the way questions go through
// RestoreInteraction): the operation names each phase with its totals and reports every file done
// with its size. The default reports to nobody; the command line shows a line on a terminal.
#pragma once

#include <cstdint>
#include <string>

namespace orn {

enum class ProgressPhase {
  Packing,     // the backup packs the installation
  Unpacking,   // the restore unpacks the archive into its working folder
  SafetyCopy,  // the restore keeps the installation's files in the safety folder
  CopyBack,    // the restore puts the archive's files into the installation
};

struct ProgressTotals {
  uint64_t files = 0;
  uint64_t bytes = 0;
};

class Progress {
 public:
  virtual ~Progress() = default;
  // Whether the totals of a phase are wanted. Some cost a walk of their own (the files of a
  // folder tree), which an operation makes only for a progress that shows them.
  virtual bool WantsTotals() const { return false; }
  // A phase begins; totals are zero where they were not wanted.
  virtual void BeginPhase(ProgressPhase /*phase*/, const ProgressTotals& /*totals*/) {}
  // One file of the phase is done.
  virtual void FileDone(uint64_t /*bytes*/) {}
};

// The progress that reports to nobody.
Progress& NoProgress();

// The regular files below path and their sizes; symbolic links are followed when followLinks
// (a link back to one of its own folders counted once), else left out. Names beginning with "."
// are left out, as the walks that copy and pack leave them.
ProgressTotals CountTree(const std::string& path, bool followLinks);

}  // namespace orn
