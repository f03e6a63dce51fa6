#include "cli/ServerRestart.h"

#include "cli/Command.h"
#include "cli/Report.h"
#include "install/MessageError.h"
#include "install/Server.h"
#include "install/ServerStop.h"
#include "oskasys/oskasys.h"

namespace orn::cli {

namespace {

bool ServerRuns() {
  HANDLE mutex = OpenMutexGlobal(SYNCHRONIZE, 0, kServerStartMutex);
  CloseHandle(mutex);
  return mutex != nullptr;
}

}  // namespace

int StartServerAgain(const Args& args, int exitCode) {
  if (ServerRuns()) return exitCode;
  if (args.Has(kNoStartOption.name)) {
    Say("ORN! bleibt beendet; 'orncfg-cli server start' startet es wieder.\n");
    return exitCode;
  }
  try {
    RestartServer();
  } catch (const MessageError& e) {
    ReportFailure("Der ORN!-Server konnte nicht gestartet werden.", e.Text());
    return exitCode == kExitOk ? kExitFailure : exitCode;
  }
  Say("ORN! wurde wieder gestartet.\n");
  return exitCode;
}

}  // namespace orn::cli
