// Texts and helpers the pages of the two directory imports share.
#pragma once

#include <QLabel>
#include <QString>

namespace orn::wizard {

// Follows the message of a read that the directory ended early, before the choice of users.
inline constexpr const char* kIncompleteReadHint =
    "\n\nDie gelesenen Benutzer können trotzdem ausgewählt und importiert werden.";

// A static text of a page: wrapped, top left.
inline QLabel* PageText(const QString& text) {
  auto* label = new QLabel(text);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

}  // namespace orn::wizard
