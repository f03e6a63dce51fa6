// The wizard of the program: the thirteen pages in their fixed order, and the settings password
// asked for before the first page shows.
#pragma once

#include <functional>

#include "wizard/app/CWizardSheet.h"
#include "wizard/app/PageIndex.h"

namespace orn::wizard {

class CImportExportWizard : public CWizardSheet {
  Q_OBJECT

 public:
  // Asks for the stored password; false when the user cancelled.
  using PasswordPrompt = std::function<bool(const QString& expected)>;

  // Without a prompt, PromptForSettingsPassword with the sheet's message boxes is used.
  explicit CImportExportWizard(UiServices ui, PasswordPrompt prompt = {});

  // Shows the action page, then reads the settings password and, when one is stored, asks for
  // it. False when the prompt was cancelled: the program then ends at once. Throws MessageError
  // when the installation key cannot be opened.
  bool OnInitDialog() override;

  // Makes the action page active (the Back of every action's first page).
  bool SetActiveActionPage() { return SetActivePage(kActionPage); }

  bool m_bPasswordProtected = false;

 private:
  PasswordPrompt prompt_;
};

}  // namespace orn::wizard
