#include "cli/Report.h"

#include <cstdio>

#include "cli/Command.h"

namespace orn::cli {

int ReportFailure(const std::string& text) {
  fprintf(stderr, "%s\n", text.c_str());
  return kExitFailure;
}

int ReportFailure(const std::string& sentence, const std::string& text) {
  fprintf(stderr, "%s\nFehlermeldung: %s\n", sentence.c_str(), text.c_str());
  return kExitFailure;
}

}  // namespace orn::cli
