#include "wizard/directory/UserChoice.h"

#include "wizard/directory/DirectoryPageTexts.h"

namespace orn::wizard {

UserChoice::UserChoice(const DialogUnits& units)
    : list(new UserListBox),
      all(new QPushButton(QStringLiteral("Alle auswählen"))),
      none(new QPushButton(QStringLiteral("Keine auswählen"))) {
  // Coordinates relative to the choice's own corner at (kX, kY) of the page.
  QLabel* text = PageText(QStringLiteral("Wählen Sie die Benutzer aus, die importiert werden sollen."));
  text->setParent(this);
  text->setGeometry(units.Rect(0, 0, 173, 20));
  list->setParent(this);
  list->setGeometry(units.Rect(0, 22, 173, 98));
  all->setObjectName(QStringLiteral("selectAll"));
  all->setParent(this);
  all->setGeometry(units.Rect(0, 125, 60, 14));
  none->setObjectName(QStringLiteral("selectNone"));
  none->setParent(this);
  none->setGeometry(units.Rect(65, 125, 60, 14));
  connect(all, &QPushButton::clicked, list, &UserListBox::SelectAll);
  connect(none, &QPushButton::clicked, list, &UserListBox::SelectNone);
}

}  // namespace orn::wizard
