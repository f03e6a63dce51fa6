// orncfg-cli server: stopping and starting the installed server.
#include "cli/Report.h"
#include "cli/Verbs.h"
#include "install/MessageError.h"
#include "install/Server.h"
#include "install/ServerStop.h"
#include "oskasys/oskasys.h"

namespace orn::cli {

namespace {

int Stop(const Args& args) {
  if (!args.empty()) return UsageError("Dieser Befehl nimmt keine Argumente.");
  StopServer();
  Say("ORN! wurde beendet.\n");
  return kExitOk;
}

int Start(const Args& args) {
  if (!args.empty()) return UsageError("Dieser Befehl nimmt keine Argumente.");
  try {
    RestartServer();
  } catch (const MessageError& e) {
    return ReportFailure(kServerNotStarted, e.Text());
  }
  Say("ORN! wurde gestartet.\n");
  return kExitOk;
}

int Status(const Args& args) {
  if (!args.empty()) return UsageError("Dieser Befehl nimmt keine Argumente.");
  HANDLE mutex = OpenMutexGlobal(SYNCHRONIZE, 0, kServerStartMutex);
  Say(mutex ? "ORN! läuft.\n" : "ORN! läuft nicht.\n");
  CloseHandle(mutex);
  return mutex ? kExitOk : kExitNotRunning;
}

const Command kChildren[] = {
    {"stop", "", "beendet ORN! und wartet höchstens 30 Sekunden darauf", &Stop, {}},
    {"start", "", "startet ORN! aus dem Installationsverzeichnis", &Start, {}},
    {"status",
     "",
     "zeigt, ob ORN! läuft",
     &Status,
     {},
     "  Rückgabewert 0, wenn ORN! läuft, 3, wenn nicht (wie 'systemctl is-active')."},
};

}  // namespace

const Command& ServerCommand() {
  static const Command command{"server", "", "ORN! beenden und starten", nullptr, kChildren};
  return command;
}

}  // namespace orn::cli
