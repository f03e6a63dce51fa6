#include "cli/Report.h"

#include <cstdio>
#include <cstdlib>

#include "cli/Command.h"
#include "install/FailureText.h"
#include "install/InstallPaths.h"
#include "platform/Hive.h"

namespace orn::cli {

namespace {
bool quiet = false;
}  // namespace

int ReportFailure(const std::string& text) {
  fprintf(stderr, "%s\n", text.c_str());
  return kExitFailure;
}

int ReportFailure(const std::string& sentence, const std::string& text) {
  return text.empty() ? ReportFailure(sentence) : ReportFailure(FailureText(sentence, text));
}

int ReportNoInstallation(const std::string& text) {
  ReportFailure(kNoInstallation, text);
  const bool fromEnvironment = getenv("ORN_REGISTRY") && *getenv("ORN_REGISTRY");
  fprintf(stderr, "Gelesene Registry: %s (%s)\n", platform::Hive::DefaultPath().c_str(),
          fromEnvironment ? "aus ORN_REGISTRY" : "Voreinstellung; ORN_REGISTRY ist nicht gesetzt");
  return kExitFailure;
}

void SetQuiet(bool value) { quiet = value; }

bool Quiet() { return quiet; }

void Say(const std::string& text) {
  if (!quiet) fputs(text.c_str(), stdout);
}

}  // namespace orn::cli
