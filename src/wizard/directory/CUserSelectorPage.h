// The choice of the users read from a directory server: every user starts selected; Next removes
// the deselected ones from the held list.
#pragma once

#include <QPushButton>

#include "wizard/app/CWizardPage.h"
#include "wizard/directory/UserChoice.h"
#include "users/ImportUser.h"

namespace orn::wizard {

class CUserSelectorPage : public CWizardPage {
  Q_OBJECT

 public:
  CUserSelectorPage();

  // Replaces the held list with a copy of users.
  void SetUserList(const ImportUserList& users) { m_users = users; }
  const ImportUserList& GetUserList() const { return m_users; }

  bool OnSetActive() override;
  int OnWizardNext() override;

  UserChoice* m_choice;
  UserListBox* m_lbUsers;
  QPushButton* m_btnAll;
  QPushButton* m_btnNone;

 private:
  ImportUserList m_users;
};

}  // namespace orn::wizard
