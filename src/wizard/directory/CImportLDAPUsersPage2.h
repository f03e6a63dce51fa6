// The LDAP import's last page: Finish adds the users kept on the selection page to the
// configuration. The server keeps running.
#pragma once

#include "wizard/app/CWizardPage.h"

namespace orn::wizard {

class CImportLDAPUsersPage2 : public CWizardPage {
  Q_OBJECT

 public:
  CImportLDAPUsersPage2();

  bool OnSetActive() override;
  int OnWizardFinish() override;
};

}  // namespace orn::wizard
