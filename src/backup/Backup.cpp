#include "backup/Backup.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <exception>
#include <sys/stat.h>

#include "backup/BackupPacking.h"
#include "backup/BackupTable.h"
#include "backup/RegistrySnapshot.h"
#include "config/ConfigHolder.h"
#include "crypto/ArchiveEncryptor.h"
#include "files/FileCopy.h"
#include "files/FilePaths.h"
#include "files/FileSink.h"
#include "files/WorkFolder.h"
#include "install/FailureText.h"
#include "install/InstallPaths.h"
#include "install/MessageError.h"
#include "platform/AtomicFile.h"
#include "platform/RuntimeDir.h"

namespace orn {

namespace {

Progress& ProgressOf(const BackupRequest& request) { return request.progress ? *request.progress : NoProgress(); }

// strerror of the call that failed last, when it left one.
std::string SystemReason() { return errno ? strerror(errno) : ""; }

BackupResult Fail(std::string message, std::string path = {}, std::string reason = {}) {
  return {false, std::move(message), std::move(path), std::move(reason), {}};
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
  if (!SplitFilePath(request.path, dir, name, ext)) return Fail(kInvalidPath);
  const std::string target = MakeArchivePath(dir, name, request.encrypt ? 1 : 0);
  if (request.encrypt) {
    if (request.password.empty()) return Fail("Geben Sie bitte ein Kennwort an.", target);
    if (request.password != request.confirm) return Fail("Die angegebenen Kennwörter stimmen nicht überein.", target);
  }

  ConfigHolder holder(true);
  try {
    holder.SetRecord(LoadCurrentConfig());
  } catch (const MessageError& e) {
    return Fail(FailureText("Die Konfiguration konnte nicht geladen werden. Bitte überprüfen Sie, ob ORN! korrekt "
                            "installiert ist.",
                            e.Text()),
                target);
  }

  // The folder holds the configuration in clear: it goes on every way out, also after a failed
  // registry snapshot.
  WorkFolder folder;
  std::string reason;
  if (!folder.Create(kBackupWorkFolder, &reason)) return Fail(kNoTempFiles, target, reason);
  const std::string& work = folder.Path();

  const std::string config = work + "/orn.cfg";
  try {
    holder.Save(config.c_str(), false);
  } catch (const MessageError& e) {
    return Fail(FailureText("Die Konfiguration konnte nicht gesichert werden.", e.Text()), target);
  }

  try {
    WriteRegistrySnapshot(work);
  } catch (const MessageError& e) {
    return Fail("Die Registry konnte nicht gesichert werden.", target, e.Text());
  } catch (const std::exception& e) {
    return Fail("Die Registry konnte nicht gesichert werden.", target, e.what());
  } catch (...) {
    return Fail("Die Registry konnte nicht gesichert werden.", target);
  }

  platform::RemoveLeftovers(dir.empty() ? "." : dir);  // of a backup that was killed
  std::string install;
  try {
    install = InstallDirectory();
  } catch (const MessageError& e) {
    return Fail(FailureText("Die Konfiguration konnte nicht gesichert werden.", e.Text()), target);
  }

  const std::string packed = work + "/zip.tmp";
  std::vector<LeftOutEntry> leftOut;
  if (request.encrypt) {
    crypto::CArchiveEncryptor eff(target);
    errno = 0;
    if (!eff.Open(request.password.c_str(), 1, packed) ||
        !PackBackup(eff, request.threads, work, install, leftOut, ProgressOf(request)) || !eff.Finish())
      return Fail("Die Komprimierung schlug fehl.", target, SystemReason());
  } else {
    CFileSink zip;
    errno = 0;
    if (!zip.Open(packed) || !PackBackup(zip, request.threads, work, install, leftOut, ProgressOf(request)) ||
        !zip.Close())
      return Fail("Die Konfiguration konnte nicht gesichert werden.", target, SystemReason());
    errno = 0;
    if (!CopyFile(packed, target, platform::kPrivateFileMode))
      return Fail("Die Konfiguration konnte nicht kopiert werden.", target, SystemReason());
  }
  FlushFileSystem(dir.empty() ? "." : dir);
  BackupResult result{true, "Die Konfiguration wurde unter " + target + " gesichert.", target, {}, {}};
  for (const LeftOutEntry& entry : leftOut) result.leftOut.push_back(entry.name + ": " + LeftOutText(entry.reason));
  return result;
}

}  // namespace orn
