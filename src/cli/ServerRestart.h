// The end of the verbs that stop the server (restore, import-config, users import-network): the
// server is started again, as the wizard does when it closes, unless --no-start was given.
#pragma once

#include "cli/Options.h"

namespace orn::cli {

// The option that keeps the server stopped.
inline constexpr Option kNoStartOption{"--no-start"};

// Starts the server when it does not run and says so; with --no-start says how to start it.
// Returns exitCode, or the failure code when the start failed after a success.
int StartServerAgain(const Args& args, int exitCode);

}  // namespace orn::cli
