#include "wizard/directory/CImportLDAPUsersPage1.h"

#include "wizard/app/CImportExportWizard.h"
#include "wizard/app/Captions.h"
#include "wizard/directory/CUserSelectorPage.h"
#include "wizard/directory/DirectoryPageTexts.h"
#include "users/DirectoryImport.h"

namespace orn::wizard {

CImportLDAPUsersPage1::CImportLDAPUsersPage1()
    : CWizardPage({136, QStringLiteral("LDAP-Benutzer importieren"), 140}),
      m_editServer(new QLineEdit),
      m_readUsers([](const std::string& server) { return ReadLdapUsers(server); }) {
  Place(PageText(QStringLiteral("Hiermit importieren Sie Benutzer von einem Verzeichnisdienst-Server (LDAP) nach "
                                "Orn. Beispiele für Verzeichnisdienst-Server sind der Lotus-Notes-Server")),
        100, 8, 173, 40);
  Place(PageText(QStringLiteral("Verzeichnisdienst-Server:")), 100, 56, 173, 10);
  m_editServer->setObjectName(QStringLiteral("server"));
  Place(m_editServer, 100, 68, 173, 14);
}

bool CImportLDAPUsersPage1::OnSetActive() {
  Sheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
  return CWizardPage::OnSetActive();
}

int CImportLDAPUsersPage1::OnWizardBack() { return BackToActionPage(); }

int CImportLDAPUsersPage1::OnWizardNext() {
  m_strServer = m_editServer->text();  // an empty name is not refused: the directory decides
  DirectoryReadResult result;
  {
    WaitCursorScope wait(Ui().waitCursor);
    result = ReadDirectoryUsers([&] { return m_readUsers(m_strServer.toStdString()); });
  }
  using Outcome = DirectoryReadResult::Outcome;
  const QString message = QString::fromStdString(result.message);
  if (result.outcome == Outcome::kFailed) {  // the selection page keeps the list it had
    MessageBox(message);
    return -1;
  }
  static_cast<CUserSelectorPage*>(Sheet()->GetPage(kUserSelectorPage))->SetUserList(result.users);
  if (result.outcome == Outcome::kNoUsers) {
    MessageBox(message, QString::fromUtf8(kApplicationTitle));
    return -1;
  }
  if (result.outcome == Outcome::kIncomplete) MessageBox(message + QString::fromUtf8(kIncompleteReadHint));
  return 0;
}

}  // namespace orn::wizard
