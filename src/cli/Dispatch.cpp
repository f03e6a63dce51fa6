#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>

#include "cli/Command.h"
#include "cli/Report.h"
#include "install/MessageError.h"

namespace orn::cli {

namespace {

std::string currentPath;      // "orncfg-cli reg get", for usage lines
const Command* currentLeaf = nullptr;

bool IsHelp(const std::string& arg) { return arg == "--help" || arg == "-h"; }

void PrintHelp(const Command& command, FILE* out) {
  if (command.run) {
    fprintf(out, "Aufruf: %s%s%s\n  %s\n", currentPath.c_str(), *command.usage ? " " : "",
            command.usage, command.summary);
    if (*command.details) fprintf(out, "%s\n", command.details);
    return;
  }
  fprintf(out, "Aufruf: %s BEFEHL ...\n  %s\n\nBefehle:\n", currentPath.c_str(), command.summary);
  for (const Command& child : command.children)
    fprintf(out, "  %-15s %s\n", child.name, child.summary);
  fprintf(out, "\n'%s BEFEHL --help' zeigt die Hilfe zu einem Befehl.\n", currentPath.c_str());
}

}  // namespace

int UsageError(const std::string& text) {
  fprintf(stderr, "%s\n", text.c_str());
  if (currentLeaf)
    fprintf(stderr, "Aufruf: %s%s%s\n", currentPath.c_str(), *currentLeaf->usage ? " " : "", currentLeaf->usage);
  return kExitUsage;
}

int Dispatch(const Command& root, const Args& args) {
  const Command* command = &root;
  currentPath = root.name;
  size_t i = 0;
  while (!command->run) {
    if (i == args.size()) {
      PrintHelp(*command, stderr);
      return kExitUsage;
    }
    if (IsHelp(args[i])) {
      PrintHelp(*command, stdout);
      return kExitOk;
    }
    const Command* next = nullptr;
    for (const Command& child : command->children)
      if (args[i] == child.name) next = &child;
    if (!next) {
      fprintf(stderr, "Unbekannter Befehl: %s\n\n", args[i].c_str());
      PrintHelp(*command, stderr);
      return kExitUsage;
    }
    command = next;
    currentPath += std::string(" ") + command->name;
    ++i;
  }
  Args rest(args.begin() + static_cast<long>(i), args.end());
  for (const std::string& arg : rest)
    if (IsHelp(arg)) {
      PrintHelp(*command, stdout);
      return kExitOk;
    }
  currentLeaf = command;
  try {
    return command->run(rest);
  } catch (const MessageError& e) {
    return ReportFailure(e.Text());
  } catch (const std::exception& e) {
    return ReportFailure(e.what());
  }
}

}  // namespace orn::cli
