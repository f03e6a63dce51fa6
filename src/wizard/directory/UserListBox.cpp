#include "wizard/directory/UserListBox.h"

namespace orn::wizard {

UserListBox::UserListBox() {
  setObjectName(QStringLiteral("users"));
  setSelectionMode(QAbstractItemView::MultiSelection);
  setSortingEnabled(false);
}

void UserListBox::Fill(const ImportUserList& users, std::string (*entryText)(const ImportUser&)) {
  clear();
  for (const ImportUser& user : users) addItem(QString::fromStdString(entryText(user)));
}

void UserListBox::SelectAll() {
  for (int i = 0; i < count(); ++i) item(i)->setSelected(true);
}

void UserListBox::SelectNone() { clearSelection(); }

std::vector<std::string> UserListBox::DeselectedTexts() const {
  std::vector<std::string> texts;
  for (int i = 0; i < count(); ++i)
    if (!item(i)->isSelected()) texts.push_back(item(i)->text().toStdString());
  return texts;
}

}  // namespace orn::wizard
