// The list box of the user choice (control 1022): multiple selection where each click toggles an
// entry, unsorted, with the operations of its two buttons "Alle auswählen" and "Keine auswählen".
#pragma once

#include <string>
#include <vector>

#include <QListWidget>

#include "users/ImportUser.h"

namespace orn::wizard {

class UserListBox : public QListWidget {
  Q_OBJECT

 public:
  UserListBox();

  // Empties the box and adds one entry per user in list order, with entryText's text.
  void Fill(const ImportUserList& users, std::string (*entryText)(const ImportUser&));
  void SelectAll();
  void SelectNone();
  // The texts of the entries that are not selected, first to last.
  std::vector<std::string> DeselectedTexts() const;
};

}  // namespace orn::wizard
