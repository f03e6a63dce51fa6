// The LDAP import's first page: the directory server's name; Next reads its users and hands them
// to the selection page.
#pragma once

#include <functional>
#include <string>

#include <QLineEdit>

#include "wizard/app/CWizardPage.h"
#include "users/DirectoryImport.h"

namespace orn::wizard {

class CImportLDAPUsersPage1 : public CWizardPage {
  Q_OBJECT

 public:
  CImportLDAPUsersPage1();

  bool OnSetActive() override;
  int OnWizardBack() override;
  int OnWizardNext() override;

  QString m_strServer;
  QLineEdit* m_editServer;
  // Reads the users of the server; ReadLdapUsers unless a test replaced it.
  std::function<DirectoryRead(const std::string& server)> m_readUsers;
};

}  // namespace orn::wizard
