// The user choice that the LDAP import's selection page and the network import's second page
// share: the text "Wählen Sie die Benutzer aus, die importiert werden sollen.", the list box and
// its two buttons "Alle auswählen" and "Keine auswählen", laid out as both templates place them.
#pragma once

#include <QPushButton>
#include <QWidget>

#include "wizard/app/DialogUnits.h"
#include "wizard/directory/UserListBox.h"

namespace orn::wizard {

class UserChoice : public QWidget {
  Q_OBJECT

 public:
  // Its place on the page, in dialog units.
  static constexpr int kX = 100, kY = 8, kWidth = 173, kHeight = 139;

  explicit UserChoice(const DialogUnits& units);

  UserListBox* const list;
  QPushButton* const all;
  QPushButton* const none;
};

}  // namespace orn::wizard
