#include "backup/BackupPacking.h"

#include <sys/stat.h>

#include "backup/BackupTable.h"
#include "files/ZipPacker.h"

namespace orn {

namespace {

// The files the backup packs and their sizes, for a progress that shows totals.
ProgressTotals PackingTotals(const std::string& work, const std::string& install) {
  ProgressTotals totals = CountTree(install + "/" + kArchiveFolder, true);
  std::vector<std::string> files{work + "/orn.cfg", work + "/reg.cfg"};
  for (const char* file : kBackupFiles) files.push_back(install + "/" + file);
  struct stat st {};
  for (const std::string& file : files)
    if (stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      ++totals.files;
      totals.bytes += static_cast<uint64_t>(st.st_size);
    }
  return totals;
}

}  // namespace

bool PackBackup(CPackSink& sink, unsigned threads, const std::string& work, const std::string& install,
                std::vector<LeftOutEntry>& leftOut, Progress& progress) {
  progress.BeginPhase(ProgressPhase::Packing, progress.WantsTotals() ? PackingTotals(work, install) : ProgressTotals{});
  CZipPacker packer(sink, threads, work);
  packer.SetProgress(progress);
  if (!packer.Open() || !PackFile(packer, work + "/orn.cfg", "orn.cfg", leftOut) ||
      !PackFile(packer, work + "/reg.cfg", "reg.cfg", leftOut))
    return false;
  for (const char* file : kBackupFiles)
    if (!PackFile(packer, install + "/" + file, file, leftOut)) return false;
  return PackTree(packer, install + "/" + kArchiveFolder, kArchiveFolder, leftOut) && packer.Close();
}

}  // namespace orn
