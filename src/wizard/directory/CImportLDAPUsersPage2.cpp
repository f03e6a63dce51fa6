#include "wizard/directory/CImportLDAPUsersPage2.h"

#include "wizard/app/CWizardSheet.h"
#include "wizard/app/PageIndex.h"
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
  const ImportUserList users = static_cast<CUserSelectorPage*>(Sheet()->GetPage(kUserSelectorPage))->GetUserList();
  // A failure too accepts the finish.
  MessageBox(QString::fromStdString(ImportDirectoryUsers(DirectorySource::kLdap, users, nullptr).message));
  return 1;
}

}  // namespace orn::wizard
