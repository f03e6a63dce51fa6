// The CSV export: target file, separator and whether every e-mail address gets a row of its own;
// Finish writes the installation's users into the file.
#pragma once

#include <QString>

#include "wizard/app/CWizardPage.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace orn::wizard {

class CExportCSVPage1 : public CWizardPage {
  Q_OBJECT

 public:
  CExportCSVPage1();

  // Proposes "<installation directory>/orn_ddmmyy.csv" and the comma.
  bool OnInitDialog() override;
  bool OnSetActive() override;
  int OnWizardBack() override;
  int OnWizardFinish() override;

  QString m_strPath;
  char m_cSeparator = ',';
  int m_bOneAddressPerRow = 0;

  QLineEdit* m_editPath;
  QPushButton* m_btnBrowse;
  QRadioButton* m_rbComma;
  QRadioButton* m_rbSemicolon;
  QRadioButton* m_rbTab;
  QCheckBox* m_chkOneAddressPerRow;
  QLabel* m_lblOneAddressPerRow;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnBrowse();
  void UpdateData();
};

}  // namespace orn::wizard
