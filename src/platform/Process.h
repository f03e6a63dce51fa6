// Starting programs.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace orn::platform {

// Starts program (args[0] is set to program) with posix_spawn in a new session (setsid), with the
// caller's environment, in workingDirectory (empty: the caller's). The program is not waited for
// and leaves no zombie behind. Returns its pid, or -1 with the reason in *error when it cannot be
// executed.
pid_t SpawnDetached(const std::string& program, const std::vector<std::string>& args,
                    const std::string& workingDirectory, std::string* error);

}  // namespace orn::platform
