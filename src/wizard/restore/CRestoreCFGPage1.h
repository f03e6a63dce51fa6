// The restore page: which archive to restore. Finish runs the restore.
#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "wizard/app/CWizardPage.h"

class QLineEdit;
class QPushButton;

namespace orn::wizard {

class CRestoreCFGPage1 : public CWizardPage {
  Q_OBJECT

 public:
  // Asks for the archive's password; nothing when cancelled. Default: CArchivePasswordDlg.
  using ArchivePasswordPrompt = std::function<std::optional<QString>(QWidget* owner)>;

  CRestoreCFGPage1();

  bool OnSetActive() override;
  int OnWizardBack() override;
  int OnWizardFinish() override;
  void OnBrowse();

  void SetPasswordPrompt(ArchivePasswordPrompt prompt) { prompt_ = std::move(prompt); }

  QString m_strPath;
  QLineEdit* m_editPath;
  QPushButton* m_btnBrowse;

 private:
  ArchivePasswordPrompt prompt_;
};

}  // namespace orn::wizard
