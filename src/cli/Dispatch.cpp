#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>

#include "cli/Command.h"
#include "cli/Report.h"
#include "cli/SettingsPassword.h"
#include "install/MessageError.h"
#include "install/RunMutex.h"

namespace orn::cli {

namespace {

std::string currentPath;      // "orncfg-cli reg get", for usage lines
const Command* currentLeaf = nullptr;

constexpr char kWaitOption[] = "--wait";
constexpr int kMaxWaitSeconds = 86400;

bool IsHelp(const std::string& arg) { return arg == "--help" || arg == "-h"; }

// An argument as an error may repeat it: of "--name=value" only the name, as the value may be a secret.
std::string Named(const std::string& arg) {
  const bool option = arg.size() > 1 && arg[0] == '-';
  return option ? arg.substr(0, arg.find('=')) : arg;
}

// The usage line of a leaf, with the options that Dispatch takes for its guards.
std::string UsageLine(const Command& leaf) {
  std::string line = currentPath + (*leaf.usage ? " " : "") + leaf.usage;
  if (leaf.guards & kAsksSettingsPassword) line += std::string(" [") + kSettingsPasswordOption + " F]";
  if (leaf.guards & kHoldsRunMutex) line += std::string(" [") + kWaitOption + " SEKUNDEN]";
  return line;
}

void PrintHelp(const Command& command, FILE* out) {
  if (command.run) {
    fprintf(out, "Aufruf: %s\n  %s\n", UsageLine(command).c_str(), command.summary);
    if (*command.details) fprintf(out, "%s\n", command.details);
    if (command.guards & kHoldsRunMutex)
      fprintf(out,
              "  Läuft orncfg bereits (der Assistent oder ein anderer Befehl, der die Installation ändert),\n"
              "  endet der Befehl sofort mit Exit-Code 3, ohne etwas zu ändern; --wait SEKUNDEN wartet\n"
              "  höchstens so lange, bis der andere Lauf endet.\n");
    return;
  }
  fprintf(out, "Aufruf: %s BEFEHL ...\n  %s\n\nBefehle:\n", currentPath.c_str(), command.summary);
  for (const Command& child : command.children)
    fprintf(out, "  %-15s %s\n", child.name, child.summary);
  fprintf(out, "\n'%s BEFEHL --help' zeigt die Hilfe zu einem Befehl.\n", currentPath.c_str());
  if (currentPath.find(' ') == std::string::npos)
    fprintf(out,
            "\nExit-Codes: 0 Erfolg, 1 Fehler, 2 falscher Aufruf, 3 ein anderer Lauf von orncfg ist aktiv\n"
            "(Befehle, die die Installation ändern, warten mit --wait SEKUNDEN; bei 'server status': ORN!\n"
            "läuft nicht), 4 Wiederherstellung unvollständig, 5 Verzeichnis unvollständig gelesen.\n");
}

struct GuardOptions {
  std::optional<std::string> settingsPasswordFile;
  int waitSeconds = 0;
};

// Takes the options of the leaf's guards out of rest. Returns an exit code to end with, or
// nothing to go on.
std::optional<int> TakeGuardOptions(unsigned guards, Args& rest, GuardOptions* options) {
  Args kept;
  for (size_t i = 0; i < rest.size(); ++i) {
    const bool settings = (guards & kAsksSettingsPassword) && rest[i] == kSettingsPasswordOption;
    const bool wait = (guards & kHoldsRunMutex) && rest[i] == kWaitOption;
    if (!settings && !wait) {
      kept.push_back(rest[i]);
      continue;
    }
    if (i + 1 == rest.size()) return UsageError("Zur Angabe " + rest[i] + " fehlt der Wert.");
    const std::string& value = rest[++i];
    if (settings) {
      options->settingsPasswordFile = value;
    } else {
      char* end = nullptr;
      const long seconds = strtol(value.c_str(), &end, 10);
      if (value.empty() || *end || seconds < 0 || seconds > kMaxWaitSeconds)
        return UsageError("Geben Sie zu --wait eine Anzahl Sekunden von 0 bis 86400 an.");
      options->waitSeconds = static_cast<int>(seconds);
    }
  }
  rest = std::move(kept);
  return std::nullopt;
}

// Runs the leaf under its guards: the mutex "OrnCfg" held for the whole run, and the settings
// password checked before anything is read.
int RunGuarded(const Command& leaf, Args rest) {
  GuardOptions options;
  if (const std::optional<int> end = TakeGuardOptions(leaf.guards, rest, &options)) return *end;
  std::optional<RunMutex> mutex;
  if (leaf.guards & kHoldsRunMutex) {
    mutex.emplace(options.waitSeconds);
    if (!mutex->Acquired()) {
      fprintf(stderr, "%s\n", kAnotherRunActive);
      return kExitBusy;
    }
  }
  if (leaf.guards & kAsksSettingsPassword) {
    std::string error;
    try {
      const std::string* file = options.settingsPasswordFile ? &*options.settingsPasswordFile : nullptr;
      if (!CheckSettingsPassword(file, &error)) return ReportFailure(error);
    } catch (const MessageError& e) {
      return ReportNoInstallation(e.Text());
    }
  }
  return leaf.run(rest);
}

}  // namespace

int UsageError(const std::string& text) {
  fprintf(stderr, "%s\n", text.c_str());
  if (currentLeaf) fprintf(stderr, "Aufruf: %s\n", UsageLine(*currentLeaf).c_str());
  return kExitUsage;
}

std::string UnknownArgument(const std::string& arg) { return "Unbekannte Angabe: " + Named(arg); }

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
      fprintf(stderr, "Unbekannter Befehl: %s\n\n", Named(args[i]).c_str());
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
    return RunGuarded(*command, std::move(rest));
  } catch (const MessageError& e) {
    return ReportFailure(e.Text());
  } catch (const std::exception& e) {
    // The lower layers' English texts stand inside a German sentence, as the wizard shows them.
    return ReportFailure("Der Befehl konnte nicht ausgeführt werden.", e.what());
  }
}

}  // namespace orn::cli
