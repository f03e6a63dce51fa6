#include "wizard/cfgimport/ProductCodeDialog.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

namespace orn::wizard {

namespace {

// Turns typed letters into capitals, one character for one, so that the field's limit holds.
class UpperCaseValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    for (QChar& c : input) c = c.toUpper();
    return Acceptable;
  }
};

// The dialog's template, in dialog units.
constexpr int kWidth = 230, kHeight = 88;
constexpr int kFieldLeft = 7, kFieldTop = 47, kFieldWidth = 28, kFieldHeight = 14, kSeparatorWidth = 8;
constexpr char kSeparators[] = "././.";

}  // namespace

ProductCodeDialog::ProductCodeDialog(QWidget* parent)
    : QDialog(parent),
      units_(font()),
      ok_(new QPushButton(QStringLiteral("OK"), this)),
      cancel_(new QPushButton(QStringLiteral("Abbruch"), this)) {
  setWindowTitle(QStringLiteral("ORN! Product Identification Code"));
  setFixedSize(units_.Size(kWidth, kHeight));

  auto* text = new QLabel(QStringLiteral("Damit die Konfiguration in die aktuelle Konfiguration übernommen werden "
                                         "kann, müssen Sie den Product Identification Code der ausgewählten "
                                         "Konfigurationsdatei eingeben."),
                          this);
  text->setWordWrap(true);
  text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  text->setGeometry(units_.Rect(7, 7, kWidth - 14, 36));

  auto* validator = new UpperCaseValidator(this);
  int x = kFieldLeft;
  for (int i = 0; i < kFields; ++i) {
    auto* field = new QLineEdit(this);
    field->setObjectName(QStringLiteral("field%1").arg(1001 + i));
    field->setMaxLength(kFieldLength);
    field->setValidator(validator);
    field->setGeometry(units_.Rect(x, kFieldTop, kFieldWidth, kFieldHeight));
    connect(field, &QLineEdit::textChanged, this, &ProductCodeDialog::OnFieldChanged);
    fields_[static_cast<size_t>(i)] = field;
    x += kFieldWidth;
    if (i + 1 < kFields) {
      auto* separator = new QLabel(QString(QLatin1Char(kSeparators[i])), this);
      separator->setAlignment(Qt::AlignCenter);
      separator->setGeometry(units_.Rect(x, kFieldTop, kSeparatorWidth, kFieldHeight));
      x += kSeparatorWidth;
    }
  }
  ok_->setGeometry(units_.Rect(kWidth - 114, kHeight - 21, 50, 14));
  cancel_->setGeometry(units_.Rect(kWidth - 57, kHeight - 21, 50, 14));
  ok_->setDefault(true);
  cancel_->setAutoDefault(false);

  // The tab stops in dialog order: the six fields, OK, Abbruch.
  QWidget* previous = fields_[0];
  for (QWidget* next :
       {static_cast<QWidget*>(fields_[1]), static_cast<QWidget*>(fields_[2]), static_cast<QWidget*>(fields_[3]),
        static_cast<QWidget*>(fields_[4]), static_cast<QWidget*>(fields_[5]), static_cast<QWidget*>(ok_),
        static_cast<QWidget*>(cancel_)}) {
    setTabOrder(previous, next);
    previous = next;
  }

  connect(ok_, &QPushButton::clicked, this, &ProductCodeDialog::OnOK);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void ProductCodeDialog::OnInitDialog() { fields_[0]->setFocus(); }

void ProductCodeDialog::OnFieldChanged(const QString& text) {
  if (text.size() != kFieldLength) return;
  // Forward from the control that has the focus, whichever field changed.
  QWidget* focused = focusWidget();
  QWidget* next = focused ? focused->nextInFocusChain() : nullptr;
  while (next && next != focused &&
         !(next->focusPolicy() & Qt::TabFocus && next->isEnabled() && next->isVisibleTo(this)))
    next = next->nextInFocusChain();
  if (next && next != focused) next->setFocus(Qt::TabFocusReason);
}

void ProductCodeDialog::OnOK() {
  m_strCode.clear();
  for (const QLineEdit* field : fields_) m_strCode += field->text();
  accept();
}

std::optional<QString> AskForProductCode(QWidget* parent) {
  ProductCodeDialog dialog(parent);
  dialog.OnInitDialog();
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.m_strCode;
}

}  // namespace orn::wizard
