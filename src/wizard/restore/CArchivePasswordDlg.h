// Asks for the password of an encrypted archive.
#pragma once

#include <QDialog>
#include <QString>

#include "wizard/app/DialogUnits.h"

class QLineEdit;
class QPushButton;

namespace orn::wizard {

class CArchivePasswordDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CArchivePasswordDlg(QWidget* parent = nullptr);

  QString GetPassword() const { return m_strPassword; }
  QLineEdit* PasswordEdit() const { return edit_; }
  QPushButton* OkButton() const { return ok_; }

  QString m_strPassword;

 private:
  DialogUnits units_;
  QLineEdit* edit_;
  QPushButton* ok_;
};

}  // namespace orn::wizard
