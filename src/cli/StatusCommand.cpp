// orncfg-cli status: what the installation looks like.
#include <cstdio>
#include <string>

#include "cli/Report.h"
#include "cli/Verbs.h"
#include "config/ConfigHolder.h"
#include "config/ConfigSummary.h"
#include "install/InstallPaths.h"
#include "install/MessageError.h"
#include "install/ProductKey.h"
#include "install/RegistryKey.h"
#include "install/ServerStop.h"
#include "install/TaskValues.h"
#include "oskasys/oskasys.h"

namespace orn::cli {

namespace {

int Status(const Args& args) {
  if (!args.empty()) return UsageError("Dieser Befehl nimmt keine Argumente.");
  char directory[kMaxPath];
  char configPath[kMaxPath];
  try {
    GetInstallDirectory(directory, sizeof directory);
    GetCurrentConfigPath(configPath, sizeof configPath);
  } catch (const MessageError& e) {
    return ReportNoInstallation(e.Text());
  }
  printf("Installationsverzeichnis: %s\n", directory);
  printf("Konfigurationsdatei:      %s\n", configPath);

  HANDLE mutex = OpenMutexGlobal(SYNCHRONIZE, 0, kServerStartMutex);
  printf("Server:                   %s\n", mutex ? "läuft" : "läuft nicht");
  CloseHandle(mutex);

  char password[kMaxPath];
  const int length = ReadConfigPassword(password, sizeof password);
  printf("Einstellungen:            %s\n", length >= 2 ? "durch ein Kennwort geschützt" : "nicht geschützt");

  RegistryKey key;
  if (key.Open(RegistryRoot::LocalMachine, ProductKey(), kKeyRead)) {
    printf("Dienste:\n");
    for (const char* name : kTaskValueNames) {
      std::string value;
      printf("  %-13s %s\n", name, key.GetString(name, value) ? value.c_str() : "(nicht gesetzt)");
    }
  }

  try {
    ConfigHolder holder(LoadCurrentConfig());
    const ConfigSummary summary = Summarize(holder.Record());
    printf("Benutzer:                 %zu\n", summary.users);
    printf("E-Mail-Adressen:          %zu\n", summary.addresses);
  } catch (const MessageError& e) {
    return ReportFailure("Die Konfiguration konnte nicht geladen werden.", e.Text());
  }
  return kExitOk;
}

}  // namespace

const Command& StatusCommand() {
  static const Command command{"status", "", "zeigt Installation, Server, Dienste und Benutzerzahl", &Status, {}};
  return command;
}

}  // namespace orn::cli
