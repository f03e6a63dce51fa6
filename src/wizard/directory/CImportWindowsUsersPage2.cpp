#include "wizard/directory/CImportWindowsUsersPage2.h"

#include "wizard/app/CWizardSheet.h"
#include "install/ServerStop.h"
#include "users/DirectoryImport.h"
#include "users/DirectorySelection.h"

namespace orn::wizard {

CImportWindowsUsersPage2::CImportWindowsUsersPage2()
    : CWizardPage({145, QStringLiteral("Konfigurationsdaten aus einem Microsoft-Netzwerk importieren"), 140}),
      m_choice(new UserChoice(Units())),
      m_lbUsers(m_choice->list),
      m_btnAll(m_choice->all),
      m_btnNone(m_choice->none),
      m_stopServer(&StopServer) {
  Place(m_choice, UserChoice::kX, UserChoice::kY, UserChoice::kWidth, UserChoice::kHeight);
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
  DirectoryImportResult result;
  {
    WaitCursorScope wait(Ui().waitCursor);
    result = ImportDirectoryUsers(DirectorySource::kNetwork, users, m_stopServer);
  }
  // After a failure too the finish is accepted; the server starts again when the program ends.
  MessageBox(QString::fromStdString(result.message));
  return 1;
}

}  // namespace orn::wizard
