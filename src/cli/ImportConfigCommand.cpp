// orncfg-cli import-config: merges another installation's configuration file into the installed one.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

#include "cfgimport/ConfigImport.h"
#include "cli/Report.h"
#include "cli/ServerRestart.h"
#include "cli/Verbs.h"
#include "files/FilePaths.h"

namespace orn::cli {

namespace {

// The product code from a file (its first line), or asked on the terminal.
class CliProductCodePrompt : public ProductCodePrompt {
 public:
  explicit CliProductCodePrompt(std::string file) : file_(std::move(file)) {}
  std::optional<std::string> AskProductCode() override {
    std::string code;
    if (!file_.empty()) {
      std::ifstream in(file_);
      if (!in || !std::getline(in, code)) return std::nullopt;
    } else {
      FILE* tty = fopen("/dev/tty", "r+");
      if (!tty) return std::nullopt;
      fputs(
          "Damit die Konfiguration in die aktuelle Konfiguration übernommen werden kann, müssen Sie den Product "
          "Identification Code der ausgewählten Konfigurationsdatei eingeben.\nProduct Identification Code: ",
          tty);
      fflush(tty);
      char line[256];
      const bool answered = fgets(line, sizeof line, tty) != nullptr;
      fclose(tty);
      if (!answered) return std::nullopt;
      code = line;
    }
    while (!code.empty() && (code.back() == '\n' || code.back() == '\r')) code.pop_back();
    // The dialog's fields take the code in upper case and without its separators.
    std::string joined;
    for (char c : code)
      if (c != '.' && c != '/' && c != '-' && c != ' ')
        joined += static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return joined;
  }

 private:
  std::string file_;
};

void PrintList(const char* heading, const std::vector<std::string>& names) {
  if (names.empty()) return;
  printf("  %s (%zu):", heading, names.size());
  for (const std::string& name : names) printf(" %s", name.empty() ? "\"\"" : name.c_str());
  printf("\n");
}

void PrintReport(const ConfigImportReport& report, bool dryRun) {
  printf("Benutzer:\n");
  PrintList(dryRun ? "würden hinzugefügt" : "hinzugefügt", report.usersAdded);
  PrintList(dryRun ? "würden ersetzt" : "ersetzt", report.usersReplaced);
  PrintList("beibehalten", report.usersKept);
  printf("E-Mail-Adressen:\n");
  PrintList(dryRun ? "würden hinzugefügt" : "hinzugefügt", report.addressesAdded);
  PrintList(dryRun ? "würden ersetzt" : "ersetzt", report.addressesReplaced);
  PrintList("beibehalten", report.addressesKept);
}

int Run(const Args& args) {
  if (args.size() > 1) return UsageError(UnknownArgument(args[1]));
  ConfigImportRequest request;
  request.selection.users = !args.Has("--no-users");
  request.selection.emailAddresses = !args.Has("--no-addresses");
  request.overwrite = args.Has("--overwrite");
  request.dryRun = args.Has("--dry-run");
  const std::string* codeFile = args.Value("--product-code-file");
  if (!args.empty()) request.path = args[0];
  if (request.path.empty() || access(request.path.c_str(), F_OK) != 0) return ReportFailure(kInvalidPath);

  CliProductCodePrompt prompt(codeFile ? *codeFile : "");
  const ConfigImportResult result = ImportConfiguration(request, prompt);
  int code = kExitOk;
  switch (result.outcome) {
    case ConfigImportOutcome::Imported:
      if (request.dryRun) printf("Probelauf: die installierte Konfiguration bleibt unverändert.\n");
      PrintReport(result.report, request.dryRun);
      if (!request.dryRun) Say(result.message + "\n");
      break;
    case ConfigImportOutcome::Cancelled:
      code = ReportFailure("Der Import wurde abgebrochen: kein Product Identification Code angegeben.");
      break;
    default:
      code = ReportFailure(result.message);
  }
  return request.dryRun ? code : StartServerAgain(args, code);
}

constexpr Option kOptions[] = {{"--no-users"}, {"--no-addresses"}, {"--overwrite"}, {"--product-code-file", "F"},
                               {"--dry-run"},  kNoStartOption};

}  // namespace

const Command& ImportConfigCommand() {
  static const Command command{
      "import-config",
      "FILE",
      "importiert Benutzer und E-Mail-Adressen aus einer anderen ORN!-Konfigurationsdatei",
      &Run,
      {},
      "  ORN! wird dafür beendet (außer mit --dry-run) und danach wieder gestartet, außer mit --no-start.\n"
      "  --no-users        keine Benutzer übernehmen\n"
      "  --no-addresses    keine E-Mail-Adressen übernehmen\n"
      "  --overwrite       vorhandene Einträge überschreiben (sonst beibehalten)\n"
      "  --product-code-file F  Product Identification Code der Datei aus F (erste Zeile);\n"
      "                    sonst wird er am Terminal erfragt, wenn die Kennwörter nicht lesbar sind\n"
      "  --dry-run         nur zeigen, was hinzugefügt oder ersetzt würde; nichts wird geschrieben\n"
      "  --no-start        ORN! danach nicht wieder starten",
      kOptions,
      kHoldsRunMutex | kAsksSettingsPassword};
  return command;
}

}  // namespace orn::cli
