#include "backup/BackupPacking.h"

#include "backup/BackupTable.h"
#include "files/ZipPacker.h"

namespace orn {

bool PackBackup(CPackSink& sink, unsigned threads, const std::string& work, const std::string& install,
                std::vector<LeftOutEntry>& leftOut) {
  CZipPacker packer(sink, threads, work);
  if (!packer.Open() || !PackFile(packer, work + "/orn.cfg", "orn.cfg", leftOut) ||
      !PackFile(packer, work + "/reg.cfg", "reg.cfg", leftOut))
    return false;
  for (const char* file : kBackupFiles)
    if (!PackFile(packer, install + "/" + file, file, leftOut)) return false;
  return PackTree(packer, install + "/" + kArchiveFolder, kArchiveFolder, leftOut) && packer.Close();
}

}  // namespace orn
