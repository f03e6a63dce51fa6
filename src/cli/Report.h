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

// --quiet: no progress and no success messages; failures and requested data are still printed.
void SetQuiet(bool quiet);
bool Quiet();
// Prints a success message (text as given, no line end added) unless --quiet was given.
void Say(const std::string& text);

}  // namespace orn::cli
