// Asks for the product identification code of the installation that wrote a configuration file:
// six fields of three characters, shown as "xxx.xxx/xxx.xxx/xxx.xxx". Letters become upper case
// as they are typed; a field that reaches three characters hands the focus on (the sixth to OK).
#pragma once

#include <array>
#include <optional>

#include <QDialog>
#include <QString>

#include "wizard/app/DialogUnits.h"

class QLineEdit;
class QPushButton;

namespace orn::wizard {

class ProductCodeDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kFields = 6;
  static constexpr int kFieldLength = 3;

  explicit ProductCodeDialog(QWidget* parent = nullptr);

  // Field 1 gets the focus.
  void OnInitDialog();
  // Joins the six fields without separators into m_strCode and closes with Accepted.
  void OnOK();

  QString m_strCode;

  QLineEdit* Field(int index) const { return fields_[static_cast<size_t>(index)]; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

 private:
  // A field's text changed: at exactly three characters the focus moves to the next tab stop.
  void OnFieldChanged(const QString& text);

  DialogUnits units_;
  std::array<QLineEdit*, kFields> fields_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

// Shows the dialog modally; the code, or nothing when it was cancelled.
std::optional<QString> AskForProductCode(QWidget* parent);

}  // namespace orn::wizard
