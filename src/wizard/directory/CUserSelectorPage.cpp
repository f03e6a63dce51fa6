#include "wizard/directory/CUserSelectorPage.h"

#include "wizard/app/CWizardSheet.h"
#include "wizard/directory/DirectoryPageTexts.h"
#include "users/DirectorySelection.h"

namespace orn::wizard {

CUserSelectorPage::CUserSelectorPage()
    : CWizardPage({144, QStringLiteral("Benutzer auswählen"), 140}),
      m_choice(new UserChoice(Units())),
      m_lbUsers(m_choice->list),
      m_btnAll(m_choice->all),
      m_btnNone(m_choice->none) {
  Place(m_choice, UserChoice::kX, UserChoice::kY, UserChoice::kWidth, UserChoice::kHeight);
}

bool CUserSelectorPage::OnSetActive() {
  Sheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
  m_lbUsers->Fill(m_users, &SelectorEntryText);
  m_lbUsers->SelectAll();
  return CWizardPage::OnSetActive();
}

int CUserSelectorPage::OnWizardNext() {
  if (m_lbUsers->count() > 0)
    m_users = RemoveDeselectedUsers(m_users, m_lbUsers->DeselectedTexts(), &SelectorEntryText);
  return 0;
}

}  // namespace orn::wizard
