#include "wizard/directory/CImportLDAPUsersPage1.h"

#include <exception>

#include "wizard/app/CWizardSheet.h"
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

int CImportLDAPUsersPage1::OnWizardBack() {
  return BackToActionPage();
}

int CImportLDAPUsersPage1::OnWizardNext() {
  m_strServer = m_editServer->text();  // an empty name is not refused: the directory decides
  ImportUserList users;
  std::exception_ptr failure;
  {
    WaitCursorScope wait(Ui().waitCursor);
    try {
      users = m_readUsers(m_strServer.toStdString());
    } catch (...) {
      failure = std::current_exception();
    }
  }
  if (failure) {  // the selection page keeps the list it had
    MessageBox(ImportFailedText(FailureText(failure)));
    return -1;
  }
  Page<CUserSelectorPage>()->SetUserList(users);
  if (users.Empty()) {
    MessageBox(QString::fromUtf8(kNoUsersAvailable), QString::fromUtf8(kApplicationTitle));
    return -1;
  }
  return 0;
}

}  // namespace orn::wizard
