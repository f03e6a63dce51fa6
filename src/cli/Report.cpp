#include "cli/Report.h"

#include <cstdio>

#include "cli/Command.h"

namespace orn::cli {

namespace {
bool quiet = false;
}  // namespace

int ReportFailure(const std::string& text) {
  fprintf(stderr, "%s\n", text.c_str());
  return kExitFailure;
}

int ReportFailure(const std::string& sentence, const std::string& text) {
  fprintf(stderr, "%s\nFehlermeldung: %s\n", sentence.c_str(), text.c_str());
  return kExitFailure;
}

void SetQuiet(bool value) { quiet = value; }

bool Quiet() { return quiet; }

void Say(const std::string& text) {
  if (!quiet) fputs(text.c_str(), stdout);
}

}  // namespace orn::cli
