#include "install/Server.h"

#include <cstdio>
#include <string>

#include "install/InstallPaths.h"
#include "install/MessageError.h"
#include "platform/Process.h"

namespace orn {

namespace {
constexpr const char* kProcessNotCreated = "process could not be created.";
constexpr const char* kServerProgram = "/orn";
}  // namespace

ProcessHandle LaunchProcess(const char* commandLine, const char* workingDirectory, bool /*show*/) {
  if (!commandLine || !*commandLine) throw MessageError(kProcessNotCreated);
  std::string error;
  pid_t pid = platform::SpawnDetached(commandLine, {}, workingDirectory ? workingDirectory : "", &error);
  if (pid < 0) throw MessageError(kProcessNotCreated);
  return ProcessHandle(pid, false);
}

void RestartServer() {
  char path[250];
  if (GetInstallDirectory(path, sizeof path - 4) < 0) throw MessageError(kProcessNotCreated);
  std::string commandLine = std::string(path) + kServerProgram;
  LaunchProcess(commandLine.c_str(), nullptr, true);
}

}  // namespace orn
