#include "backup/Restore.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
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
#include "files/DirectoryTree.h"
#include "files/FileCopy.h"
#include "files/FilePaths.h"
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

bool IsRegularFile(const std::string& path) { return platform::FileAttributes(path) != platform::kInvalidAttributes &&
                                                     !(platform::FileAttributes(path) & platform::kAttrDirectory); }

// The folder below the working folder that the archive is unpacked into: no entry can then meet
// the working files ("zip.tmp") beside it.
std::string Unpacked(const std::string& work) { return work + "/unpacked"; }

// Steps shared by the restore and the check of an archive: from the path to a loaded archived
// configuration in the working folder. Returns nothing on success, else the result to report.
std::optional<RestoreResult> UnpackAndLoad(const std::string& archivePath, const std::string& work,
                                           RestoreInteraction& interaction, ConfigHolder& archived) {
  if (archivePath.empty() || platform::FileAttributes(archivePath) == platform::kInvalidAttributes)
    return Fail(kInvalidPath);
  std::string dir, name, ext;
  if (!SplitFilePath(archivePath, dir, name, ext)) return Fail(kInvalidPath);

  const std::string packed = work + "/zip.tmp";
  if (ext == "eff") {
    const std::optional<std::string> password = interaction.AskArchivePassword();
    if (!password) return RestoreResult{RestoreOutcome::Cancelled, "", "", {}, false};
    if (crypto::DecryptArchiveFile(archivePath.c_str(), packed.c_str(), password->c_str()) != 0)
      return Fail(
          "Die Datei konnte nicht entschlüsselt werden. Bitte stellen Sie sicher, dass die angegebene Datei eine "
          "gültige Sicherungsdatei einer ORN!-Konfiguration ist. Überprüfen Sie auch das Kennwort.");
  } else {
    errno = 0;
    if (!CopyFile(archivePath, packed))
      return Fail("Die Datei konnte nicht kopiert werden.", errno ? strerror(errno) : "");
  }

  CZipReader zip;
  if (!zip.Open(packed.c_str())) return Fail("Das ORN!-Konfigurationsarchiv konnte nicht geöffnet werden.");
  if (zip.EntryCount() == 0 || !zip.ExtractAll(Unpacked(work), false))
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

// Replaces the installation's files with the archive's, keeping safety copies (the steps after
// the configuration has been written). Messages about single files do not stop it; false when one
// of them was shown. Each name goes into the safety folder once, before its first replacement
// ("bpjslist.cfg" stands in the table twice). The table files and "arsp" may be links to data
// elsewhere: the files they lead to are saved and replaced.
bool RestoreFiles(const std::string& unpacked, const std::string& install, const std::string& safety,
                  RestoreInteraction& interaction) {
  bool complete = true;
  std::set<std::string> saved;
  for (const char* file : kBackupFiles) {
    if (saved.insert(file).second) CopyFile(install + "/" + file, safety + "/" + file);
    const std::string archived = unpacked + "/" + file;
    if (IsRegularFile(archived) && !CopyFile(archived, install + "/" + file)) {
      interaction.ShowMessage(std::string("Die Datei ") + file + " konnte nicht kopiert werden.");
      complete = false;
    }
  }
  const std::string folder = std::string("/") + kArchiveFolder;
  const std::string target = platform::FollowLink(install + folder);
  CopyDirectoryTree(target, safety + folder, nullptr, true);
  if (!CopyDirectoryTree(unpacked + folder, target, nullptr, true)) {
    interaction.ShowMessage(std::string("Das Verzeichnis ") + kArchiveFolder + " konnte nicht kopiert werden.");
    complete = false;
  }
  return complete;
}

}  // namespace

RestoreResult RunRestore(const std::string& archivePath, RestoreInteraction& interaction) {
  if (archivePath.empty() || platform::FileAttributes(archivePath) == platform::kInvalidAttributes)
    return Fail(kInvalidPath);
  // The folder holds the archive's contents in clear: it goes on every way out.
  WorkFolder folder;
  std::string reason;
  if (!folder.Create(kRestoreWorkFolder, &reason)) return Fail(kNoTempFiles, reason);
  const std::string& work = folder.Path();

  ConfigHolder archived(true);
  if (auto failure = UnpackAndLoad(archivePath, work, interaction, archived)) return *failure;

  char install[kMaxPath];
  try {
    if (GetInstallDirectory(install, sizeof install) < 1) throw MessageError("");
  } catch (const MessageError&) {
    return Fail(kNoInstallation);
  }
  const std::string safety =
      std::string(install) + "/backup/orncfg/" + FormatLocalTime(::time(nullptr), "%d%m%y");
  CreateDirectoryPath(safety);

  try {
    ReadRegistrySnapshot(Unpacked(work));
  } catch (...) {
    return Fail("Die Registry konnte nicht wiederhergestellt werden.");
  }

  interaction.BeginWait();
  try {
    StopServer();
    char current[kMaxPath];
    if (GetCurrentConfigPath(current, sizeof current) == -1) throw MessageError("");
    platform::RemoveLeftovers(install);  // of a restore that was killed
    platform::RemoveLeftovers(safety);
    CopyFile(current, safety + "/orn.cfg", platform::kPrivateFileMode);
    archived.Save(current, true);
  } catch (const MessageError& e) {
    interaction.EndWait();
    return Fail(FailureText("Die Konfiguration konnte nicht wiederhergestellt werden.", e.Text()));
  } catch (...) {
    interaction.EndWait();
    return Fail("Die Konfiguration konnte nicht wiederhergestellt werden.");
  }

  const bool complete = RestoreFiles(Unpacked(work), install, safety, interaction);
  FlushFileSystem(install);
  folder.Remove();
  interaction.EndWait();
  return {RestoreOutcome::Restored, "Die Konfiguration wurde von " + archivePath + " wiederhergestellt.\n", "",
          safety, !complete};
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
