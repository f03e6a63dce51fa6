// orncfg-cli status: what the installation looks like.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/Json.h"
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

// What the status shows, gathered before anything is printed.
struct Status {
  std::string directory, configPath;
  bool serverRuns = false, isProtected = false, keyOpened = false;
  std::vector<std::optional<std::string>> taskValues;
  ConfigSummary summary;
};

void PrintText(const Status& status) {
  printf("Installationsverzeichnis: %s\n", status.directory.c_str());
  printf("Konfigurationsdatei:      %s\n", status.configPath.c_str());
  printf("Server:                   %s\n", status.serverRuns ? "läuft" : "läuft nicht");
  printf("Einstellungen:            %s\n", status.isProtected ? "durch ein Kennwort geschützt" : "nicht geschützt");
  if (status.keyOpened) {
    printf("Dienste:\n");
    for (size_t i = 0; i < status.taskValues.size(); ++i)
      printf("  %-13s %s\n", kTaskValueNames[i],
             status.taskValues[i] ? status.taskValues[i]->c_str() : "(nicht gesetzt)");
  }
  printf("Benutzer:                 %zu\n", status.summary.users);
  printf("E-Mail-Adressen:          %zu\n", status.summary.addresses);
}

void PrintJsonStatus(const Status& status) {
  JsonWriter json;
  json.BeginObject()
      .Field("installDirectory", status.directory)
      .Field("configPath", status.configPath)
      .Field("serverRunning", status.serverRuns)
      .Field("settingsProtected", status.isProtected)
      .Key("taskValues");
  if (status.keyOpened) {
    json.BeginObject();
    for (size_t i = 0; i < status.taskValues.size(); ++i) {
      json.Key(kTaskValueNames[i]);
      if (status.taskValues[i])
        json.String(*status.taskValues[i]);
      else
        json.Null();
    }
    json.EndObject();
  } else {
    json.Null();
  }
  json.Field("users", uint64_t{status.summary.users}).Field("addresses", uint64_t{status.summary.addresses});
  PrintJson(json.EndObject());
}

int Run(const Args& args) {
  if (!args.empty()) return UsageError("Dieser Befehl nimmt keine Argumente.");
  Status status;
  try {
    status.directory = InstallDirectory();
    status.configPath = CurrentConfigPath();
  } catch (const MessageError& e) {
    return ReportNoInstallation(e.Text());
  }

  HANDLE mutex = OpenMutexGlobal(SYNCHRONIZE, 0, kServerStartMutex);
  status.serverRuns = mutex != nullptr;
  CloseHandle(mutex);

  char password[kMaxPath];
  status.isProtected = ReadConfigPassword(password, sizeof password) >= 2;

  RegistryKey key;
  status.keyOpened = key.Open(RegistryRoot::LocalMachine, ProductKey(), kKeyRead);
  if (status.keyOpened) {
    for (const char* name : kTaskValueNames) {
      std::string value;
      status.taskValues.push_back(key.GetString(name, value) ? std::optional(value) : std::nullopt);
    }
  }

  try {
    ConfigHolder holder(LoadCurrentConfig());
    status.summary = Summarize(holder.Record());
  } catch (const MessageError& e) {
    return ReportFailure("Die Konfiguration konnte nicht geladen werden.", e.Text());
  }
  if (args.Has("--json"))
    PrintJsonStatus(status);
  else
    PrintText(status);
  return kExitOk;
}

constexpr Option kOptions[] = {{"--json"}};

}  // namespace

const Command& StatusCommand() {
  static const Command command{"status", "", "zeigt Installation, Server, Dienste und Benutzerzahl",
                               &Run,     {}, "  --json  dieselben Angaben als ein JSON-Dokument",
                               kOptions};
  return command;
}

}  // namespace orn::cli
