#include "wizard/directory/CImportWindowsUsersPage2.h"

#include <exception>

#include "wizard/app/CWizardSheet.h"
#include "wizard/directory/DirectoryPageTexts.h"
#include "install/ServerStop.h"
#include "users/DirectoryImport.h"
#include "users/DirectorySelection.h"

namespace orn::wizard {

CImportWindowsUsersPage2::CImportWindowsUsersPage2()
    : CWizardPage({145, QStringLiteral("Konfigurationsdaten aus einem Microsoft-Netzwerk importieren"), 140}),
      m_lbUsers(new UserListBox),
      m_btnAll(new QPushButton(QStringLiteral("Alle auswählen"))),
      m_btnNone(new QPushButton(QStringLiteral("Keine auswählen"))),
      m_stopServer(&StopServer) {
  Place(PageText(QStringLiteral("Wählen Sie die Benutzer aus, die importiert werden sollen.")), 100, 8, 173, 20);
  Place(m_lbUsers, 100, 30, 173, 98);
  m_btnAll->setObjectName(QStringLiteral("selectAll"));
  m_btnNone->setObjectName(QStringLiteral("selectNone"));
  Place(m_btnAll, 100, 133, 60, 14);
  Place(m_btnNone, 165, 133, 60, 14);
  connect(m_btnAll, &QPushButton::clicked, m_lbUsers, &UserListBox::SelectAll);
  connect(m_btnNone, &QPushButton::clicked, m_lbUsers, &UserListBox::SelectNone);
}

bool CImportWindowsUsersPage2::OnSetActive() {
  Sheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
  m_lbUsers->Fill(m_users, &NetworkEntryText);
  return CWizardPage::OnSetActive();
}

int CImportWindowsUsersPage2::OnWizardFinish() {
  const ImportUserList users = RemoveDeselectedUsers(m_users, m_lbUsers->DeselectedTexts(), &NetworkEntryText);
  if (users.Empty()) {
    MessageBox(QStringLiteral("Keine Benutzer selektiert."));
    return 0;
  }
  std::exception_ptr failure;
  {
    WaitCursorScope wait(Ui().waitCursor);
    try {
      AddDirectoryUsers(users, m_stopServer);
    } catch (...) {
      failure = std::current_exception();
    }
  }
  // After a failure too the finish is accepted; the server starts again when the program ends.
  MessageBox(failure ? ImportFailedText(FailureText(failure)) : QStringLiteral("Die Benutzer wurden erfolgreich importiert."));
  return 1;
}

}  // namespace orn::wizard
