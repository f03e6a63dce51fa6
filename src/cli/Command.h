// The command layout of orncfg-cli: a tree of named commands. A group lists its children; a leaf
// runs with the arguments that follow its name. Each verb lives in a file of its own and exposes
// its node; CommandTable.cpp joins them.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "cli/ExitCodes.h"  // the exit codes

namespace orn::cli {

using Args = std::vector<std::string>;

struct Command {
  const char* name;
  const char* usage;    // arguments of a leaf, e.g. "NAME VALUE"; empty for a group
  const char* summary;  // one line of German text
  int (*run)(const Args& args);  // null for a group
  std::span<const Command> children;
  const char* details = "";      // further lines shown by --help
};


// The root of the tree.
const Command& RootCommand();

// Runs the command named by args (program name excluded) and returns the exit code.
int Dispatch(const Command& root, const Args& args);

// Usage error of a leaf: prints the text and the leaf's usage line, returns kExitUsage.
int UsageError(const std::string& text);

}  // namespace orn::cli
