#include "backup/Backup.h"

#include <cerrno>
#include <ctime>
#include <sys/stat.h>

#include "backup/BackupPacking.h"
#include "backup/BackupTable.h"
#include "backup/RegistrySnapshot.h"
#include "config/ConfigHolder.h"
#include "crypto/ArchiveEncryptor.h"
#include "files/DirectoryTree.h"
#include "files/FileCopy.h"
#include "files/FilePaths.h"
#include "files/FileSink.h"
#include "install/InstallPaths.h"
#include "install/MessageError.h"
#include "install/ProductKey.h"
#include "platform/RuntimeDir.h"

namespace orn {

namespace {

constexpr const char* kNoTempFiles = "Es konnten keine temporären Dateien erzeugt werden.";

BackupResult Fail(std::string message, std::string path = {}) { return {false, std::move(message), std::move(path), {}}; }

std::string WithError(const char* sentence, const char* error) {
  return std::string(sentence) + "\nFehlermeldung: " + error;
}

}  // namespace

std::string MakeArchivePath(const std::string& dir, const std::string& name, int kind) {
  std::string path = dir.empty() ? name : dir + "/" + name;
  if (kind == 1) path += ".eff";
  if (kind == 0) path += ".zip";
  return path;
}

std::string FormatLocalTime(int64_t time, const char* format) {
  const time_t t = static_cast<time_t>(time);
  struct tm local {};
  if (!localtime_r(&t, &local)) return "";
  char text[128];
  const size_t n = strftime(text, sizeof text, format, &local);
  return n == 0 ? "" : std::string(text, n);
}

std::string DefaultArchivePath(const std::string& installDirectory) {
  return installDirectory + "/" + FormatLocalTime(::time(nullptr), "orn_%d%m%y") + ".eff";
}

BackupResult RunBackup(const BackupRequest& request) {
  std::string dir, name, ext;
  if (!SplitFilePath(request.path, dir, name, ext)) return Fail("Geben Sie bitte einen gültigen Dateipfad an.");
  const std::string target = MakeArchivePath(dir, name, request.encrypt ? 1 : 0);
  if (request.encrypt) {
    if (request.password.empty()) return Fail("Geben Sie bitte ein Kennwort an.", target);
    if (request.password != request.confirm) return Fail("Die angegebenen Kennwörter stimmen nicht überein.", target);
  }

  ConfigHolder holder(true);
  try {
    holder.SetRecord(LoadCurrentConfig());
  } catch (const MessageError& e) {
    return Fail(WithError("Die Konfiguration konnte nicht geladen werden. Bitte überprüfen Sie, ob ORN! korrekt "
                          "installiert ist.",
                          e.Text()),
                target);
  }

  const std::string temp = platform::TempDirectory();
  if (temp.empty()) return Fail(kNoTempFiles, target);
  const std::string work = temp + "/" + kBackupWorkFolder;
  DeleteDirectoryTree(work, nullptr, true);
  if (mkdir(work.c_str(), kCreatedDirectoryMode) != 0) return Fail(kNoTempFiles, target);

  const std::string config = work + "/orn.cfg";
  try {
    holder.Save(config.c_str(), false);
  } catch (const MessageError& e) {
    DeleteDirectoryTree(work, nullptr, true);
    return Fail(WithError("Die Konfiguration konnte nicht gesichert werden.", e.Text()), target);
  }

  try {
    WriteRegistrySnapshot(work);
  } catch (...) {
    return Fail("Die Registry konnte nicht gesichert werden.", target);  // the working folder stays
  }

  std::string install;
  try {
    char buffer[kMaxPath];
    GetInstallDirectory(buffer, sizeof buffer);
    install = buffer;
  } catch (const MessageError& e) {
    DeleteDirectoryTree(work, nullptr, true);
    return Fail(WithError("Die Konfiguration konnte nicht gesichert werden.", e.Text()), target);
  }

  const std::string packed = work + "/zip.tmp";
  std::vector<LeftOutEntry> leftOut;
  if (request.encrypt) {
    crypto::CArchiveEncryptor eff(target);
    if (!eff.Open(request.password.c_str(), 1, packed) || !PackBackup(eff, request.threads, work, install, leftOut) ||
        !eff.Finish()) {
      DeleteDirectoryTree(work, nullptr, true);
      return Fail("Die Komprimierung schlug fehl.", target);
    }
  } else {
    CFileSink zip;
    if (!zip.Open(packed) || !PackBackup(zip, request.threads, work, install, leftOut) || !zip.Close()) {
      DeleteDirectoryTree(work, nullptr, true);
      return Fail("Die Konfiguration konnte nicht gesichert werden.", target);
    }
    if (!CopyFile(packed, target)) {
      DeleteDirectoryTree(work, nullptr, true);
      return Fail("Die Konfiguration konnte nicht kopiert werden.", target);
    }
  }
  FlushFileSystem(dir.empty() ? "." : dir);
  DeleteDirectoryTree(work, nullptr, true);
  BackupResult result{true, "Die Konfiguration wurde unter " + target + " gesichert.", target, {}};
  for (const LeftOutEntry& entry : leftOut) result.leftOut.push_back(entry.name + ": " + LeftOutText(entry.reason));
  return result;
}

}  // namespace orn
