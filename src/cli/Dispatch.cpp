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

std::string UsageLine(const Command& leaf) {
  return "Aufruf: " + currentPath + (*leaf.usage ? " " : "") + leaf.usage + OptionsUsage(leaf.options);
}

void PrintHelp(const Command& command, FILE* out) {
  if (command.run) {
    fprintf(out, "%s\n  %s\n", UsageLine(command).c_str(), command.summary);
    if (*command.details) fprintf(out, "%s\n", command.details);
    return;
  }
  fprintf(out, "Aufruf: %s BEFEHL ...\n  %s\n\nBefehle:\n", currentPath.c_str(), command.summary);
  for (const Command& child : command.children)
    fprintf(out, "  %-15s %s\n", child.name, child.summary);
  fprintf(out, "\n'%s BEFEHL --help' zeigt die Hilfe zu einem Befehl.\n", currentPath.c_str());
  if (currentPath.find(' ') == std::string::npos) fputs(kRootDetails, out);
}

}  // namespace

int UsageError(const std::string& text) {
  fprintf(stderr, "%s\n", text.c_str());
  if (currentLeaf) fprintf(stderr, "%s\n", UsageLine(*currentLeaf).c_str());
  return kExitUsage;
}

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
      fprintf(stderr, "Unbekannter Befehl: %s\n\n", words[i].c_str());
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
  std::vector<Option> options(command->options.begin(), command->options.end());
  options.push_back({"--quiet"});
  Args args;
  std::string error;
  if (!ParseOptions(rest, options, &args, &error)) return UsageError(error);
  if (args.Has("--quiet")) SetQuiet(true);
  try {
    return command->run(args);
  } catch (const MessageError& e) {
    return ReportFailure(e.Text());
  } catch (const std::exception& e) {
    return ReportFailure(e.what());
  }
}

}  // namespace orn::cli
