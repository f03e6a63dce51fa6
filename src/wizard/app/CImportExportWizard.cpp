#include "app/CImportExportWizard.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "action/CActionPage.h"
#include "backup/CBackupCFGPage1.h"
#include "cfgimport/CImportCFGPage1.h"
#include "cfgimport/CImportCFGPage2.h"
#include "cfgimport/CImportCFGPage3.h"
#include "directory/CImportLDAPUsersPage1.h"
#include "directory/CImportLDAPUsersPage2.h"
#include "directory/CImportWindowsUsersPage1.h"
#include "directory/CImportWindowsUsersPage2.h"
#include "directory/CUserSelectorPage.h"
#include "restore/CRestoreCFGPage1.h"
#include "app/CSettingsPasswordDlg.h"
#include "app/Captions.h"
#include "install/InstallPaths.h"
#include "install/ProductKey.h"
#include "users/CExportCSVPage1.h"
#include "users/CImportCSVPage1.h"

namespace orn::wizard {

namespace {

template <class Page>
CWizardPage* Make() {
  return new Page;
}

struct PageSlot {
  const char* className;
  CWizardPage* (*make)();  // null: the page is not part of this program yet
};

// The pages by sheet index. A page is added by including its header above and putting its Make
// here; until then its slot stays empty and the action page refuses the row that leads there.
constexpr std::array<PageSlot, kPageCount> kPages = {{
    {"CActionPage", &Make<CActionPage>},
    {"CBackupCFGPage1", &Make<CBackupCFGPage1>},
    {"CRestoreCFGPage1", &Make<CRestoreCFGPage1>},
    {"CImportCFGPage1", &Make<CImportCFGPage1>},
    {"CImportCFGPage2", &Make<CImportCFGPage2>},
    {"CImportCFGPage3", &Make<CImportCFGPage3>},
    {"CImportWindowsUsersPage1", &Make<CImportWindowsUsersPage1>},
    {"CImportWindowsUsersPage2", &Make<CImportWindowsUsersPage2>},
    {"CImportLDAPUsersPage1", &Make<CImportLDAPUsersPage1>},
    {"CUserSelectorPage", &Make<CUserSelectorPage>},
    {"CImportLDAPUsersPage2", &Make<CImportLDAPUsersPage2>},
    {"CExportCSVPage1", &Make<CExportCSVPage1>},
    {"CImportCSVPage1", &Make<CImportCSVPage1>},
}};

}  // namespace

CImportExportWizard::CImportExportWizard(UiServices ui, PasswordPrompt prompt)
    : CWizardSheet(QString::fromUtf8(kSheetCaption), ui), prompt_(std::move(prompt)) {
  if (!prompt_) {
    prompt_ = [this](const QString& expected) { return PromptForSettingsPassword(expected, Ui().messages); };
  }
  for (const PageSlot& slot : kPages) AddPage(slot.make ? slot.make() : nullptr);
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
