// How orncfg-cli reports: results on standard output, failures on standard error.
#pragma once

#include <string>

namespace orn::cli {

// Prints text on standard error and returns the failure exit code.
int ReportFailure(const std::string& text);
// Prints "<sentence>\nFehlermeldung: <text>", as the wizard shows a failure that carries a text;
// the sentence alone when text is empty.
int ReportFailure(const std::string& sentence, const std::string& text);
// "Es konnte keine ORN!-Installation gefunden werden." with the lower layer's text, followed by the
// hive that was read (ORN_REGISTRY or the default path).
int ReportNoInstallation(const std::string& text = "");

}  // namespace orn::cli
