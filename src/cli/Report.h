// How orncfg-cli reports: results on standard output, failures on standard error.
#pragma once

#include <string>

namespace orn::cli {

// Prints text on standard error and returns the failure exit code.
int ReportFailure(const std::string& text);
// Prints "<sentence>\nFehlermeldung: <text>", as the wizard shows a failure that carries a text.
int ReportFailure(const std::string& sentence, const std::string& text);

}  // namespace orn::cli
