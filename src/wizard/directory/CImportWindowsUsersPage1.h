// The network import's first page: the name of the domain or computer; Next reads its accounts
// behind the wait dialog and hands them to the second page.
#pragma once

#include <functional>
#include <string>

#include <QLineEdit>

#include "wizard/app/CWizardPage.h"
#include "users/DirectoryImport.h"

namespace orn::wizard {

class CImportWindowsUsersPage1 : public CWizardPage {
  Q_OBJECT

 public:
  CImportWindowsUsersPage1();

  // Takes the name and the reader order from USERDNSDOMAIN / USERDOMAIN.
  bool OnInitDialog() override;
  bool OnSetActive() override;
  int OnWizardBack() override;
  int OnWizardNext() override;

  QString m_strName;
  bool m_bWinNTFirst = true;
  QLineEdit* m_editName;
  // Reads the accounts; ReadNetworkUsers unless a test replaced it.
  std::function<DirectoryRead(const std::string& name, bool winNTFirst)> m_readUsers;
};

}  // namespace orn::wizard
