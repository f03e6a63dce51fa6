// The configuration import, first page: the configuration file to import from.
#pragma once

#include <QString>

#include "wizard/app/CWizardPage.h"

class QLineEdit;
class QPushButton;

namespace orn::wizard {

class CImportCFGPage1 : public CWizardPage {
  Q_OBJECT

 public:
  CImportCFGPage1();

  bool OnSetActive() override;
  int OnWizardBack() override;
  // Goes on only with a path that names an existing file or directory.
  int OnWizardNext() override;

  QString m_strPath;

  QLineEdit* m_editPath;
  QPushButton* m_btnBrowse;

 private:
  void OnBrowse();
};

}  // namespace orn::wizard
