// The CSV import: the source file; Finish adds its users to the installed configuration (the
// server keeps running).
#pragma once

#include <QString>

#include "wizard/app/CWizardPage.h"

class QLineEdit;
class QPushButton;

namespace orn::wizard {

class CImportCSVPage1 : public CWizardPage {
  Q_OBJECT

 public:
  CImportCSVPage1();

  bool OnSetActive() override;
  int OnWizardBack() override;
  int OnWizardFinish() override;

  QString m_strPath;

  QLineEdit* m_editPath;
  QPushButton* m_btnBrowse;

 private:
  void OnBrowse();
};

}  // namespace orn::wizard
