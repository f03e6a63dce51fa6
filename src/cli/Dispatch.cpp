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

std::string currentPath;  // "orncfg-cli reg get", for usage lines
const Command* currentLeaf = nullptr;

constexpr char kWaitOption[] = "--wait";
constexpr int kMaxWaitSeconds = 86400;

constexpr char kRootDetails[] =
    "\nOptionen:\n"
    "  --version       zeigt die Version\n"
    "  --quiet         keine Fortschrittsanzeige und keine Erfolgsmeldungen (Fehler weiterhin)\n"
    "  --name=WERT     gleichbedeutend mit --name WERT; '--' beendet die Optionen\n"
    "\nRückgabewerte:\n"
    "  0  Erfolg\n"
    "  1  Fehler (die Meldung steht auf der Standardfehlerausgabe)\n"
    "  2  falscher Aufruf\n"
    "  3  ein anderer Lauf hält die Sperre \"OrnCfg\"; bei 'server status': ORN! läuft nicht\n"
    "  4  Wiederherstellung unvollständig (eine Datei oder der Ordner \"arsp\" wurde nicht zurückgelegt)\n"
    "  5  Verzeichnis unvollständig gelesen (ohne --allow-partial)\n";

bool IsHelp(const std::string& arg) { return arg == "--help" || arg == "-h"; }

// An argument as an error may repeat it: of "--name=value" only the name, as the value may be a secret.
std::string Named(const std::string& arg) {
  const bool option = arg.size() > 1 && arg[0] == '-';
  return option ? arg.substr(0, arg.find('=')) : arg;
}

// The options a leaf accepts: its own, those of its guards, and --quiet (which every verb takes, so
// that usage lines leave it out).
std::vector<Option> LeafOptions(const Command& leaf, bool withQuiet = true) {
  std::vector<Option> options(leaf.options.begin(), leaf.options.end());
  if (withQuiet) options.push_back({"--quiet"});
  if (leaf.guards & kAsksSettingsPassword) options.push_back({kSettingsPasswordOption, "F"});
  if (leaf.guards & kHoldsRunMutex) options.push_back({kWaitOption, "SEKUNDEN"});
  return options;
}

std::string UsageLine(const Command& leaf) {
  return "Aufruf: " + currentPath + (*leaf.usage ? " " : "") + leaf.usage + OptionsUsage(LeafOptions(leaf, false));
}

void PrintHelp(const Command& command, FILE* out) {
  if (command.run) {
    fprintf(out, "%s\n  %s\n", UsageLine(command).c_str(), command.summary);
    if (*command.details) fprintf(out, "%s\n", command.details);
    if (command.guards & kHoldsRunMutex)
      fprintf(out,
              "  Läuft orncfg bereits (der Assistent oder ein anderer Befehl, der die Installation ändert),\n"
              "  endet der Befehl sofort mit Exit-Code 3, ohne etwas zu ändern; --wait SEKUNDEN wartet\n"
              "  höchstens so lange, bis der andere Lauf endet.\n");
    return;
  }
  fprintf(out, "Aufruf: %s BEFEHL ...\n  %s\n\nBefehle:\n", currentPath.c_str(), command.summary);
  for (const Command& child : command.children) fprintf(out, "  %-15s %s\n", child.name, child.summary);
  fprintf(out, "\n'%s BEFEHL --help' zeigt die Hilfe zu einem Befehl.\n", currentPath.c_str());
  if (currentPath.find(' ') == std::string::npos) fputs(kRootDetails, out);
}

// Runs the leaf under its guards: the mutex "OrnCfg" held for the whole run, and the settings
// password checked before anything is read.
int RunGuarded(const Command& leaf, const Args& args) {
  int waitSeconds = 0;
  if (const std::string* value = args.Value(kWaitOption)) {
    char* end = nullptr;
    const long seconds = strtol(value->c_str(), &end, 10);
    if (value->empty() || *end || seconds < 0 || seconds > kMaxWaitSeconds)
      return UsageError("Geben Sie zu --wait eine Anzahl Sekunden von 0 bis 86400 an.");
    waitSeconds = static_cast<int>(seconds);
  }
  std::optional<RunMutex> mutex;
  if (leaf.guards & kHoldsRunMutex) {
    mutex.emplace(waitSeconds);
    if (!mutex->Acquired()) {
      fprintf(stderr, "%s\n", kAnotherRunActive);
      return kExitBusy;
    }
  }
  if (leaf.guards & kAsksSettingsPassword) {
    std::string error;
    try {
      if (!CheckSettingsPassword(args.Value(kSettingsPasswordOption), &error)) return ReportFailure(error);
    } catch (const MessageError& e) {
      return ReportNoInstallation(e.Text());
    }
  }
  return leaf.run(args);
}

}  // namespace

int UsageError(const std::string& text) {
  fprintf(stderr, "%s\n", text.c_str());
  if (currentLeaf) fprintf(stderr, "%s\n", UsageLine(*currentLeaf).c_str());
  return kExitUsage;
}

std::string UnknownArgument(const std::string& arg) { return "Unbekannte Angabe: " + Named(arg); }

int Dispatch(const Command& root, const std::vector<std::string>& words) {
  const Command* command = &root;
  currentPath = root.name;
  size_t i = 0;
  while (!command->run) {
    if (i < words.size() && words[i] == "--quiet") {
      SetQuiet(true);
      ++i;
      continue;
    }
    if (i < words.size() && command == &root && words[i] == "--version") {
      printf("%s %s\n", root.name, ORNCFG_VERSION);
      return kExitOk;
    }
    if (i == words.size()) {
      PrintHelp(*command, stderr);
      return kExitUsage;
    }
    if (IsHelp(words[i])) {
      PrintHelp(*command, stdout);
      return kExitOk;
    }
    const Command* next = nullptr;
    for (const Command& child : command->children)
      if (words[i] == child.name) next = &child;
    if (!next) {
      fprintf(stderr, "Unbekannter Befehl: %s\n\n", Named(words[i]).c_str());
      PrintHelp(*command, stderr);
      return kExitUsage;
    }
    command = next;
    currentPath += std::string(" ") + command->name;
    ++i;
  }
  const std::vector<std::string> rest(words.begin() + static_cast<long>(i), words.end());
  for (const std::string& word : rest) {
    if (word == "--") break;
    if (IsHelp(word)) {
      PrintHelp(*command, stdout);
      return kExitOk;
    }
  }
  currentLeaf = command;
  Args args;
  std::string error;
  if (!ParseOptions(rest, LeafOptions(*command), &args, &error)) return UsageError(error);
  if (args.Has("--quiet")) SetQuiet(true);
  try {
    return RunGuarded(*command, args);
  } catch (const MessageError& e) {
    return ReportFailure(e.Text());
  } catch (const std::exception& e) {
    // The lower layers' English texts stand inside a German sentence, as the wizard shows them.
    return ReportFailure("Der Befehl konnte nicht ausgeführt werden.", e.what());
  }
}

}  // namespace orn::cli
