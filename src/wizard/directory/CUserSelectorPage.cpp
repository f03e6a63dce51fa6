#include "wizard/directory/CUserSelectorPage.h"

#include "wizard/app/CWizardSheet.h"
#include "wizard/directory/DirectoryPageTexts.h"
#include "users/DirectorySelection.h"

namespace orn::wizard {

CUserSelectorPage::CUserSelectorPage()
    : CWizardPage({144, QStringLiteral("Benutzer auswählen"), 140}),
      m_lbUsers(new UserListBox),
      m_btnAll(new QPushButton(QStringLiteral("Alle auswählen"))),
      m_btnNone(new QPushButton(QStringLiteral("Keine auswählen"))) {
  Place(PageText(QStringLiteral("Wählen Sie die Benutzer aus, die importiert werden sollen.")), 100, 8, 173, 20);
  Place(m_lbUsers, 100, 30, 173, 98);
  m_btnAll->setObjectName(QStringLiteral("selectAll"));
  m_btnNone->setObjectName(QStringLiteral("selectNone"));
  Place(m_btnAll, 100, 133, 60, 14);
  Place(m_btnNone, 165, 133, 60, 14);
  connect(m_btnAll, &QPushButton::clicked, m_lbUsers, &UserListBox::SelectAll);
  connect(m_btnNone, &QPushButton::clicked, m_lbUsers, &UserListBox::SelectNone);
}

bool CUserSelectorPage::OnSetActive() {
  Sheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
  m_lbUsers->Fill(m_users, &SelectorEntryText);
  m_lbUsers->SelectAll();
  return CWizardPage::OnSetActive();
}

int CUserSelectorPage::OnWizardNext() {
  if (m_lbUsers->count() > 0) m_users = RemoveDeselectedUsers(m_users, m_lbUsers->DeselectedTexts(), &SelectorEntryText);
  return 0;
}

}  // namespace orn::wizard
