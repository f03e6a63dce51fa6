// Texts the two CSV pages share.
#pragma once

#include <QString>

#include "install/FailureText.h"
#include "install/MessageError.h"

namespace orn::wizard {

// The filter of the CSV pages' file dialogs.
inline constexpr const char* kCsvFilter = "kommagetrennte Datei (*.csv)|*.csv|Alle Dateien (*.*)|*.*||";

// "<sentence>\nFehlermeldung: <the error's text>".
inline QString WithErrorText(const char* sentence, const MessageError& error) {
  return QString::fromUtf8(FailureText(sentence, error.Text()));
}

}  // namespace orn::wizard
