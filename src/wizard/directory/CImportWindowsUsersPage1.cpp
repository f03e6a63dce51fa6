#include "wizard/directory/CImportWindowsUsersPage1.h"

#include "wizard/app/CImportExportWizard.h"
#include "wizard/directory/CImportWindowsUsersPage2.h"
#include "wizard/directory/CWaitDialog.h"
#include "wizard/directory/DirectoryPageTexts.h"
#include "users/DirectoryImport.h"

namespace orn::wizard {

CImportWindowsUsersPage1::CImportWindowsUsersPage1()
    : CWizardPage({146, QStringLiteral("Konfigurationsdaten aus einem Microsoft-Netzwerk importieren"), 140}),
      m_editName(new QLineEdit),
      m_readUsers([](const std::string& name, bool winNTFirst) { return ReadNetworkUsers(name, winNTFirst); }) {
  Place(PageText(QStringLiteral("Diese Aktion importiert ORN!-Daten wie Benutzer und E-Mail-Adressen aus einem "
                                "Microsoft-Netzwerk. Dabei werden die importierten Daten zur aktuellen "
                                "ORN!-Konfiguration hinzugefügt.")),
        100, 8, 173, 40);
  Place(PageText(QStringLiteral("Geben Sie den Namen des Netzwerks bzw. den Computernamen an.\n")), 100, 56, 173, 18);
  m_editName->setObjectName(QStringLiteral("name"));
  Place(m_editName, 100, 76, 173, 14);
  Place(PageText(QStringLiteral("Für den Import der Benutzer müssen Sie über Administratorrechte verfügen!")), 100, 100,
        173, 18);
}

bool CImportWindowsUsersPage1::OnInitDialog() {
  const NetworkSource source = DefaultNetworkSource();
  m_strName = QString::fromStdString(source.name);
  m_bWinNTFirst = source.winNTFirst;
  m_editName->setText(m_strName);
  return true;
}

bool CImportWindowsUsersPage1::OnSetActive() {
  Sheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
  return CWizardPage::OnSetActive();
}

int CImportWindowsUsersPage1::OnWizardBack() { return BackToActionPage(); }

int CImportWindowsUsersPage1::OnWizardNext() {
  m_strName = m_editName->text();
  DirectoryReadResult result;
  {
    CWaitDialog waitDialog(this);  // gone when Next ends, on every path
    waitDialog.ShowNow();
    WaitCursorScope wait(Ui().waitCursor);
    result = ReadDirectoryUsers([&] { return m_readUsers(m_strName.toStdString(), m_bWinNTFirst); });
    waitDialog.hide();
  }
  using Outcome = DirectoryReadResult::Outcome;
  if (result.outcome != Outcome::kRead) {
    MessageBox(QString::fromStdString(result.message) +
               (result.outcome == Outcome::kIncomplete ? QString::fromUtf8(kIncompleteReadHint) : QString()));
    if (result.outcome != Outcome::kIncomplete) return -1;
  }
  static_cast<CImportWindowsUsersPage2*>(Sheet()->GetPage(kImportWindowsUsersPage2))->m_users = result.users;
  return 0;
}

}  // namespace orn::wizard
