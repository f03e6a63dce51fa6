// Texts and helpers the pages of the two directory imports share.
#pragma once

#include <exception>

#include <QLabel>
#include <QString>

#include "install/MessageError.h"

namespace orn::wizard {

inline constexpr const char* kNoUsersAvailable = "Keine Benutzer verfügbar.";
inline constexpr const char* kImportFailed = "Die Benutzerdaten konnten nicht importiert werden.";

// "<kImportFailed>\n\nFehlermeldung<separator> <text>". The LDAP import's Finish writes a
// semicolon after "Fehlermeldung", every other failure a colon.
inline QString ImportFailedText(const QString& text, char separator = ':') {
  return QString::fromUtf8(kImportFailed) + QStringLiteral("\n\nFehlermeldung") + QChar(separator) + QChar(' ') + text;
}

// The text of a failure caught by a page: the message exception's text, else what() of a standard
// exception, else nothing.
inline QString FailureText(std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const MessageError& error) {
    return QString::fromUtf8(error.Text());
  } catch (const std::exception& error) {
    return QString::fromUtf8(error.what());
  } catch (...) {
    return QString();
  }
}

// A static text of a page: wrapped, top left.
inline QLabel* PageText(const QString& text) {
  auto* label = new QLabel(text);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

}  // namespace orn::wizard
