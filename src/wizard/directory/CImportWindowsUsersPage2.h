// The network import's second page: the accounts read, none selected; Finish stops the server and
// adds the selected ones to the configuration.
#pragma once

#include <functional>

#include <QPushButton>

#include "wizard/app/CWizardPage.h"
#include "wizard/directory/UserChoice.h"
#include "users/ImportUser.h"

namespace orn::wizard {

class CImportWindowsUsersPage2 : public CWizardPage {
  Q_OBJECT

 public:
  CImportWindowsUsersPage2();

  bool OnSetActive() override;
  int OnWizardFinish() override;

  ImportUserList m_users;
  UserChoice* m_choice;
  UserListBox* m_lbUsers;
  QPushButton* m_btnAll;
  QPushButton* m_btnNone;
  // Stops the server before the configuration changes; StopServer unless a test replaced it.
  std::function<void()> m_stopServer;
};

}  // namespace orn::wizard
