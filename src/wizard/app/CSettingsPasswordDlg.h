// The prompt for the settings password, shown at start when one is stored.
#pragma once

#include <QDialog>
#include <QString>

#include "wizard/app/DialogUnits.h"

class QLineEdit;
class QPushButton;

namespace orn::wizard {

class IMessageBoxes;

class CSettingsPasswordDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CSettingsPasswordDlg(IMessageBoxes& messages, QWidget* parent = nullptr);

  QString m_strExpected;  // the stored password
  QString m_strEntered;   // the text of the password field

  QLineEdit* PasswordEdit() const { return edit_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

  // Empties the field.
  void OnInitDialog();
  // Closes with Accepted only for exactly the stored password; otherwise says so and stays.
  void OnOK();

 private:
  IMessageBoxes& messages_;
  DialogUnits units_;
  QLineEdit* edit_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

// Asks for the settings password until it is entered exactly; false when the prompt was cancelled.
bool PromptForSettingsPassword(const QString& expected, IMessageBoxes& messages);

}  // namespace orn::wizard
