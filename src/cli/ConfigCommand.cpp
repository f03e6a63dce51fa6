// orncfg-cli config: checking a configuration file.
#include <cstdio>

#include "cli/Report.h"
#include "cli/Verbs.h"
#include "config/ConfigHolder.h"
#include "config/ConfigSummary.h"
#include "install/MessageError.h"

namespace orn::cli {

namespace {

int Check(const Args& args) {
  if (args.size() != 1) return UsageError("Geben Sie den Pfad einer Konfigurationsdatei an.");
  try {
    ConfigHolder holder(args[0].c_str());
    holder.CheckAndConvert();
    const ConfigSummary summary = Summarize(holder.Record());
    printf("Die Konfigurationsdatei %s ist in Ordnung.\n", args[0].c_str());
    printf("Benutzer: %zu\nE-Mail-Adressen: %zu\n", summary.users, summary.addresses);
    return kExitOk;
  } catch (const MessageError& e) {
    return ReportFailure("Die Konfigurationsdatei konnte nicht geprüft werden.", e.Text());
  }
}

const Command kChildren[] = {
    {"check", "FILE", "lädt eine Konfigurationsdatei, prüft sie und zählt Benutzer und E-Mail-Adressen", &Check, {}},
};

}  // namespace

const Command& ConfigCommand() {
  static const Command command{"config", "", "Konfigurationsdateien prüfen", nullptr, kChildren};
  return command;
}

}  // namespace orn::cli
