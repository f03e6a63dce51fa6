// The exit codes of orncfg-cli.
#pragma once

namespace orn::cli {

enum ExitCode {
  kExitOk = 0,
  kExitFailure = 1,
  kExitUsage = 2,
  kExitBusy = 3,
  kExitNotRunning = 3,
  kExitRestoreIncomplete = 4,
  kExitDirectoryIncomplete = 5
};

}  // namespace orn::cli
