#include "wizard/app/CImportExportWizard.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "wizard/action/CActionPage.h"
#include "wizard/backup/CBackupCFGPage1.h"
#include "wizard/cfgimport/CImportCFGPage1.h"
#include "wizard/cfgimport/CImportCFGPage2.h"
#include "wizard/cfgimport/CImportCFGPage3.h"
#include "wizard/directory/CImportLDAPUsersPage1.h"
#include "wizard/directory/CImportLDAPUsersPage2.h"
#include "wizard/directory/CImportWindowsUsersPage1.h"
#include "wizard/directory/CImportWindowsUsersPage2.h"
#include "wizard/directory/CUserSelectorPage.h"
#include "wizard/restore/CRestoreCFGPage1.h"
#include "wizard/app/CSettingsPasswordDlg.h"
#include "wizard/app/Captions.h"
#include "install/InstallPaths.h"
#include "install/ProductKey.h"
#include "wizard/users/CExportCSVPage1.h"
#include "wizard/users/CImportCSVPage1.h"

namespace orn::wizard {

namespace {

template <class Page>
CWizardPage* Make() {
  return new Page;
}

struct PageSlot {
  PageIndex index;
  CWizardPage* (*make)();
};

template <class Page>
constexpr PageSlot Slot() {
  return {PageId<Page>::value, &Make<Page>};
}

// The pages by sheet index. A page is added by including its header above, giving it its PageId
// (app/PageTable.h) and putting its Slot here, at the place of its index.
constexpr std::array<PageSlot, kPageCount> kPages = {{
    Slot<CActionPage>(),
    Slot<CBackupCFGPage1>(),
    Slot<CRestoreCFGPage1>(),
    Slot<CImportCFGPage1>(),
    Slot<CImportCFGPage2>(),
    Slot<CImportCFGPage3>(),
    Slot<CImportWindowsUsersPage1>(),
    Slot<CImportWindowsUsersPage2>(),
    Slot<CImportLDAPUsersPage1>(),
    Slot<CUserSelectorPage>(),
    Slot<CImportLDAPUsersPage2>(),
    Slot<CExportCSVPage1>(),
    Slot<CImportCSVPage1>(),
}};

constexpr bool InIndexOrder() {
  for (size_t i = 0; i < kPages.size(); ++i)
    if (kPages[i].index != static_cast<int>(i)) return false;
  return true;
}
static_assert(InIndexOrder(), "kPages must list every page at the place of its PageIndex");

}  // namespace

CImportExportWizard::CImportExportWizard(UiServices ui, PasswordPrompt prompt)
    : CWizardSheet(QString::fromUtf8(kSheetCaption), ui), prompt_(std::move(prompt)) {
  if (!prompt_) {
    prompt_ = [this](const QString& expected) { return PromptForSettingsPassword(expected, Ui().messages); };
  }
  for (const PageSlot& slot : kPages) AddPage(slot.make());
}

bool CImportExportWizard::OnInitDialog() {
  const bool result = CWizardSheet::OnInitDialog();
  std::string password;
  const SettingsPasswordState state = ReadSettingsPassword(&password);
  m_bPasswordProtected = state != SettingsPasswordState::None;
  const QString expected = QString::fromUtf8(password);
  std::fill(password.begin(), password.end(), '\0');
  if (state == SettingsPasswordState::Undecipherable) {
    // A stored value that cannot be read never opens the settings: no prompt could match it.
    Ui().messages.Show(nullptr, QString::fromUtf8(kMessageCaption), QString::fromUtf8(kSettingsPasswordUndecipherable));
    return false;
  }
  if (m_bPasswordProtected && !prompt_(expected)) return false;
  return result;
}

}  // namespace orn::wizard
