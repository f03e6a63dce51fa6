#include "backup/Restore.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "backup/Backup.h"
#include "backup/BackupTable.h"
#include "backup/RegistrySnapshot.h"
#include "config/ConfigHolder.h"
#include "config/ConfigSummary.h"
#include "crypto/ArchiveFile.h"
#include "files/FileCopy.h"
#include "files/FilePaths.h"
#include "files/ParallelExtraction.h"
#include "files/TreeReplacement.h"
#include "files/UniqueFd.h"
#include "files/WorkFolder.h"
#include "files/ZipReader.h"
#include "install/FailureText.h"
#include "install/InstallPaths.h"
#include "install/MessageError.h"
#include "install/ProductKey.h"
#include "install/ServerStop.h"
#include "install/TaskValues.h"
#include "platform/AtomicFile.h"
#include "platform/FileAttributes.h"
#include "users/ConfigUsers.h"

namespace orn {

namespace {

RestoreResult Fail(std::string message, std::string reason = {}) {
  return {RestoreOutcome::Failed, std::move(message), std::move(reason), {}, false};
}

bool IsRegularFile(const std::string& path) {
  return platform::FileAttributes(path) != platform::kInvalidAttributes &&
         !(platform::FileAttributes(path) & platform::kAttrDirectory);
}

// The folder below the working folder that the archive is unpacked into: no entry can then meet
// the working files ("zip.tmp") beside it.
std::string Unpacked(const std::string& work) { return work + "/unpacked"; }

// What the copy back puts in place: the table files and the files below "arsp" that the archive
// holds (a name that the archive holds twice lands once).
ProgressTotals CopyBackTotals(CZipReader& zip) {
  const std::string folder = std::string(kArchiveFolder) + "\\";
  std::set<std::string> tables;
  ProgressTotals totals;
  zip.ListEntries([&](const ZipEntryInfo& info) {
    const bool table = std::find_if(std::begin(kBackupFiles), std::end(kBackupFiles),
                                    [&](const char* file) { return info.name == file; }) != std::end(kBackupFiles);
    if (info.isDirectory || (table ? !tables.insert(info.name).second : info.name.rfind(folder, 0) != 0)) return;
    ++totals.files;
    totals.bytes += info.uncompressedSize;
  });
  return totals;
}

// Steps shared by the restore and the check of an archive: from the path to a loaded archived
// configuration in the working folder. Returns nothing on success, else the result to report.
// copyBack, when set, receives what the copy back will put in place (for a progress with totals).
std::optional<RestoreResult> UnpackAndLoad(const std::string& archivePath, const std::string& work,
                                           RestoreInteraction& interaction, ConfigHolder& archived,
                                           Progress& progress = NoProgress(), ProgressTotals* copyBack = nullptr) {
  if (archivePath.empty() || platform::FileAttributes(archivePath) == platform::kInvalidAttributes)
    return Fail(kInvalidPath);
  std::string dir, name, ext;
  if (!SplitFilePath(archivePath, dir, name, ext)) return Fail(kInvalidPath);

  const std::string packed = work + "/zip.tmp";
  if (ext == "eff") {
    const std::optional<std::string> password = interaction.AskArchivePassword();
    if (!password) return RestoreResult{RestoreOutcome::Cancelled, "", "", {}, false};
    if (crypto::DecryptArchiveFile(archivePath.c_str(), packed.c_str(), password->c_str()) != 0)
      return Fail(crypto::kDecryptFailedText);
  } else {
    errno = 0;
    if (!CopyFile(archivePath, packed))
      return Fail("Die Datei konnte nicht kopiert werden.", errno ? strerror(errno) : "");
  }

  CZipReader zip;
  if (!zip.Open(packed.c_str())) return Fail("Das ORN!-Konfigurationsarchiv konnte nicht geöffnet werden.");
  if (progress.WantsTotals() && copyBack) *copyBack = CopyBackTotals(zip);
  progress.BeginPhase(ProgressPhase::Unpacking, progress.WantsTotals() ? zip.FileTotals() : ProgressTotals{});
  if (zip.EntryCount() == 0 || !ExtractAllInParallel(packed, Unpacked(work), 0, progress))
    return Fail("Das ORN!-Konfigurationsarchiv konnte nicht entpackt werden.");
  zip.Close();

  const std::string config = Unpacked(work) + "/orn.cfg";
  if (!FileExists(config))
    return Fail("Bei der ausgewählten Datei handelt es sich nicht um ein gültiges ORN!-Konfigurationsarchiv.");
  try {
    archived.Load(config.c_str());
  } catch (const MessageError& e) {
    return Fail(FailureText("Die Konfiguration konnte nicht geladen werden.", e.Text()));
  } catch (...) {
    return Fail("Die Konfiguration konnte nicht geladen werden.");
  }
  return std::nullopt;
}

// What the safety copy keeps: the table files of the installation and the files of its "arsp".
ProgressTotals SafetyCopyTotals(const std::string& install, const std::vector<std::string>& tables,
                                const std::string& arsp) {
  ProgressTotals totals = CountTree(arsp, false);
  struct stat st {};
  for (const std::string& file : tables)
    if (stat((install + "/" + file).c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      ++totals.files;
      totals.bytes += static_cast<uint64_t>(st.st_size);
    }
  return totals;
}

// Replaces the installation's files with the archive's, keeping safety copies (the steps after
// the configuration has been written): first every table file and every file of "arsp" goes into
// the safety folder as it is, then the archive's files take their places (see TreeReplacement).
// Messages about single files do not stop it; false when one of them was shown. "bpjslist.cfg"
// stands in the table twice: it is kept and put back once. The table files and "arsp" may be
// links to data elsewhere: the files they lead to are saved and replaced.
bool RestoreFiles(const std::string& unpacked, const std::string& install, const std::string& safety,
                  RestoreInteraction& interaction, TreeReplacement& replacement, Progress& progress,
                  const ProgressTotals& copyBack) {
  const std::string folder = std::string("/") + kArchiveFolder;
  const std::string target = platform::FollowLink(install + folder);
  std::vector<std::string> tables;
  for (const char* file : kBackupFiles)
    if (std::find(tables.begin(), tables.end(), file) == tables.end()) tables.push_back(file);

  progress.BeginPhase(ProgressPhase::SafetyCopy,
                      progress.WantsTotals() ? SafetyCopyTotals(install, tables, target) : ProgressTotals{});
  UniqueFd safetyFd(open(safety.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  UniqueFd unpackedFd(open(unpacked.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  for (const std::string& file : tables)
    replacement.KeepFile(install + "/" + file, safetyFd.Get(), file, IsRegularFile(unpacked + "/" + file));
  replacement.KeepTree(target, unpacked + folder, safety + folder);

  progress.BeginPhase(ProgressPhase::CopyBack, copyBack);
  bool complete = true;
  for (const std::string& file : tables) {
    if (IsRegularFile(unpacked + "/" + file) && !replacement.MoveFile(unpackedFd.Get(), file, install + "/" + file)) {
      interaction.ShowMessage("Die Datei " + file + " konnte nicht kopiert werden.");
      complete = false;
    }
  }
  if (!replacement.MoveTree(unpacked + folder, target)) {
    interaction.ShowMessage(std::string("Das Verzeichnis ") + kArchiveFolder + " konnte nicht kopiert werden.");
    complete = false;
  }
  return complete;
}

// Waits until what the restore wrote is on disk, once for each file system it wrote to: the
// installation's, and those that "arsp" and the table files lead to when they are links.
void FlushWritten(const std::string& install) {
  std::set<dev_t> flushed;
  std::vector<std::string> paths{install, platform::FollowLink(install + "/" + kArchiveFolder)};
  for (const char* file : kBackupFiles)
    paths.push_back(platform::ParentFolder(platform::FollowLink(install + "/" + file)));
  struct stat st {};
  for (const std::string& path : paths)
    if (stat(path.c_str(), &st) == 0 && flushed.insert(st.st_dev).second) FlushFileSystem(path);
}

}  // namespace

RestoreResult RunRestore(const std::string& archivePath, RestoreInteraction& interaction, Progress& progress) {
  if (archivePath.empty() || platform::FileAttributes(archivePath) == platform::kInvalidAttributes)
    return Fail(kInvalidPath);
  // The folder holds the archive's contents in clear: it goes on every way out.
  WorkFolder folder;
  std::string reason;
  if (!folder.Create(kRestoreWorkFolder, &reason)) return Fail(kNoTempFiles, reason);
  const std::string& work = folder.Path();

  ConfigHolder archived(true);
  ProgressTotals copyBack;
  if (auto failure = UnpackAndLoad(archivePath, work, interaction, archived, progress, &copyBack)) return *failure;
  // The archive in clear is not needed any more: its bytes need never reach the disk.
  unlink((work + "/zip.tmp").c_str());

  const std::optional<std::string> install = FindInstallDirectory();
  if (!install) return Fail(kNoInstallation);
  const std::string safety = *install + "/backup/orncfg/" + FormatLocalTime(::time(nullptr), "%d%m%y");
  CreateDirectoryPath(safety);

  try {
    ReadRegistrySnapshot(Unpacked(work));
  } catch (...) {
    return Fail("Die Registry konnte nicht wiederhergestellt werden.");
  }

  interaction.BeginWait();
  try {
    StopServer();
    const std::string current = CurrentConfigPath();
    platform::RemoveLeftovers(*install);  // of a restore that was killed
    platform::RemoveLeftovers(safety);
    CopyFile(current, safety + "/orn.cfg", platform::kPrivateFileMode);
    archived.Save(current.c_str(), true);
  } catch (const MessageError& e) {
    interaction.EndWait();
    return Fail(FailureText("Die Konfiguration konnte nicht wiederhergestellt werden.", e.Text()));
  } catch (...) {
    interaction.EndWait();
    return Fail("Die Konfiguration konnte nicht wiederhergestellt werden.");
  }

  bool complete = false;
  {
    // Its end waits for the older safety copies that made way: they are removed beside the rest.
    TreeReplacement replacement(progress);
    complete = RestoreFiles(Unpacked(work), *install, safety, interaction, replacement, progress, copyBack);
    folder.Remove();  // before the flush: what is left there need not reach the disk
    FlushWritten(*install);
  }
  interaction.EndWait();
  return {RestoreOutcome::Restored, "Die Konfiguration wurde von " + archivePath + " wiederhergestellt.\n", "", safety,
          !complete};
}

VerifyResult VerifyArchive(const std::string& archivePath, RestoreInteraction& interaction,
                           const std::function<void(const std::string& folder)>& inspect) {
  VerifyResult result;
  WorkFolder folder;
  std::string reason;
  if (!folder.CreateUnique("orn-verify-", &reason)) {
    result.message = kNoTempFiles;
    return result;
  }
  const std::string& work = folder.Path();
  ConfigHolder archived(true);
  if (auto failure = UnpackAndLoad(archivePath, work, interaction, archived)) {
    result.outcome = failure->outcome;
    result.message = failure->message;
    return result;
  }

  ArchiveContents& contents = result.contents;
  CZipReader zip;
  if (zip.Open((work + "/zip.tmp").c_str())) contents.entries = zip.EntryNames();
  std::ifstream snapshot(Unpacked(work) + "/reg.cfg", std::ios::binary);
  if (snapshot) {
    contents.hasRegistrySnapshot = true;
    contents.taskValues = ReadRegistrySnapshotLines(Unpacked(work));
  }
  const ConfigSummary summary = Summarize(archived.Record());
  contents.users = summary.users;
  contents.addresses = summary.addresses;
  try {
    for (const ImportUser& user : ReadUsers((Unpacked(work) + "/orn.cfg").c_str())) {
      std::string addresses;
      for (const std::string& a : user.emails) addresses += (addresses.empty() ? "" : ", ") + a;
      contents.userLines.push_back(user.name + "\t" + user.fullName + "\t" + addresses);
    }
  } catch (const MessageError&) {
  }
  if (inspect) inspect(Unpacked(work));
  result.outcome = RestoreOutcome::Restored;
  result.message = "Das Archiv " + archivePath + " ist in Ordnung.";
  return result;
}

}  // namespace orn
