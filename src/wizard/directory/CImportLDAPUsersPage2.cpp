#include "wizard/directory/CImportLDAPUsersPage2.h"

#include <exception>

#include "wizard/app/CWizardSheet.h"
#include "wizard/directory/CUserSelectorPage.h"
#include "wizard/directory/DirectoryPageTexts.h"
#include "users/DirectoryImport.h"

namespace orn::wizard {

CImportLDAPUsersPage2::CImportLDAPUsersPage2() : CWizardPage({148, QStringLiteral("LDAP-Benutzer importieren"), 140}) {
  Place(PageText(QStringLiteral("Es stehen jetzt genügend Informationen zur Verfügung, um die Benutzer zu "
                                "importieren. Klicken Sie auf \"Fertigstellen\", um den Import zu starten.")),
        100, 8, 173, 40);
}

bool CImportLDAPUsersPage2::OnSetActive() {
  Sheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
  return CWizardPage::OnSetActive();
}

int CImportLDAPUsersPage2::OnWizardFinish() {
  const ImportUserList users = Page<CUserSelectorPage>()->GetUserList();
  try {
    AddDirectoryUsers(users, nullptr);
  } catch (...) {  // the finish is accepted all the same
    MessageBox(ImportFailedText(FailureText(std::current_exception()), ';'));
    return 1;
  }
  MessageBox(QStringLiteral("Die Benutzerdaten wurden erfolgreich importiert."));
  return 1;
}

}  // namespace orn::wizard
