// The command layout of orncfg-cli: a tree of named commands. A group lists its children; a leaf
// runs with the arguments that follow its name. Each verb lives in a file of its own and exposes
// its node; CommandTable.cpp joins them.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "cli/ExitCodes.h"
#include "cli/Options.h"

namespace orn::cli {

struct Command {
  const char* name;
  const char* usage;             // positional arguments of a leaf, e.g. "NAME VALUE"; empty for a group
  const char* summary;           // one line of German text
  int (*run)(const Args& args);  // null for a group
  std::span<const Command> children;
  const char* details = "";              // further lines shown by --help
  std::span<const Option> options = {};  // the options a leaf accepts besides --help and --quiet
  unsigned guards = 0;                   // kHoldsRunMutex, kAsksSettingsPassword: taken by Dispatch
};

// What Dispatch does for a leaf before it runs it. kHoldsRunMutex: the verb uses the working
// folders or writes the installation, so it holds the mutex "OrnCfg" for its whole run and takes
// "--wait SEKUNDEN". kAsksSettingsPassword: the verb reads or changes the configuration or its key,
// so a stored settings password is asked for first ("--settings-password-file F").
inline constexpr unsigned kHoldsRunMutex = 1;
inline constexpr unsigned kAsksSettingsPassword = 2;

// The root of the tree.
const Command& RootCommand();

// Runs the command named by args (program name excluded) and returns the exit code.
int Dispatch(const Command& root, const std::vector<std::string>& words);

// Usage error of a leaf: prints the text and the leaf's usage line, returns kExitUsage.
int UsageError(const std::string& text);

// "Unbekannte Angabe: <arg>" for an argument a leaf does not take; of "--name=value" only the name.
std::string UnknownArgument(const std::string& arg);

}  // namespace orn::cli
