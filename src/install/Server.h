// Starting the installed server program.
#pragma once

#include <sys/types.h>

namespace orn {

// A started process. The pid is not waited for; the handle only records it.
class ProcessHandle {
 public:
  ProcessHandle(pid_t pid, bool owns) : pid_(pid), owns_(owns) {}
  virtual ~ProcessHandle() = default;
  pid_t Pid() const { return pid_; }
  bool Owns() const { return owns_; }

 private:
  pid_t pid_;
  bool owns_;
};

// Starts the program at commandLine (a path, not split into arguments) in a new session, in
// workingDirectory (null: the caller's). The show flag has no meaning on Linux. Throws MessageError
// "process could not be created." when it cannot be executed.
ProcessHandle LaunchProcess(const char* commandLine, const char* workingDirectory, bool show);

// Starts "<InstallDirectory>/orn", not waited for. Throws the texts of GetInstallDirectory, and
// "process could not be created." when the program cannot be started (also for an installation
// directory of 250 characters or more).
void RestartServer();
// Shown by both front ends, with the text thrown, when RestartServer fails.
inline constexpr const char* kServerNotStarted = "Der ORN!-Server konnte nicht gestartet werden.";

}  // namespace orn
