// The backup page: where the archive goes, whether it is encrypted and under which password.
// Finish runs the backup.
#pragma once

#include <QString>

#include "wizard/app/CWizardPage.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace orn::wizard {

class CBackupCFGPage1 : public CWizardPage {
  Q_OBJECT

 public:
  CBackupCFGPage1();

  bool OnInitDialog() override;
  bool OnSetActive() override;
  int OnWizardBack() override;
  int OnWizardFinish() override;

  // Browse (button 1005) and the encrypt check box (1006).
  void OnBrowse();
  void OnEncryptToggled();
  // Shows the five password controls when m_bEncrypt is set, hides them otherwise.
  void UpdatePasswordControls();

  QString m_strPath;
  bool m_bEncrypt = true;
  QString m_strPassword;
  QString m_strConfirm;

  QLineEdit* m_editPath;
  QPushButton* m_btnBrowse;
  QCheckBox* m_chkEncrypt;
  QLineEdit* m_editPassword;
  QLineEdit* m_editConfirm;

 private:
  // Members to controls and back.
  void ToControls();
  void FromControls();
  // Whether the installation has a settings password; without one every backup is encrypted.
  bool Protected() const;

  QGroupBox* passwordGroup_;
  QLabel* passwordLabel_;
  QLabel* confirmLabel_;
};

}  // namespace orn::wizard
