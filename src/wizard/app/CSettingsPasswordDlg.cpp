#include "wizard/app/CSettingsPasswordDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "wizard/app/Captions.h"
#include "wizard/app/UiServices.h"

namespace orn::wizard {

CSettingsPasswordDlg::CSettingsPasswordDlg(IMessageBoxes& messages, QWidget* parent)
    : QDialog(parent),
      messages_(messages),
      units_(font()),
      edit_(new QLineEdit(this)),
      ok_(new QPushButton(QStringLiteral("OK"), this)),
      cancel_(new QPushButton(QStringLiteral("Abbrechen"), this)) {
  setWindowTitle(QStringLiteral("Kennwort eingeben"));
  setFixedSize(units_.Size(242, 65));

  auto* text = new QLabel(QStringLiteral("Die Einstellungen sind durch ein Kennwort geschützt. Zum "
                                         "Sichern/Wiederherstellen der Konfiguration muss dieses Kennwort "
                                         "eingegeben werden."),
                          this);
  text->setWordWrap(true);
  text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  text->setGeometry(units_.Rect(7, 7, 170, 34));
  edit_->setObjectName(QStringLiteral("password"));
  edit_->setEchoMode(QLineEdit::Password);
  edit_->setGeometry(units_.Rect(7, 44, 170, 14));
  ok_->setGeometry(units_.Rect(185, 7, 50, 14));
  cancel_->setGeometry(units_.Rect(185, 24, 50, 14));
  ok_->setDefault(true);
  cancel_->setAutoDefault(false);

  connect(ok_, &QPushButton::clicked, this, &CSettingsPasswordDlg::OnOK);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void CSettingsPasswordDlg::OnInitDialog() {
  m_strEntered.clear();
  edit_->setText(m_strEntered);
  edit_->setFocus();
}

void CSettingsPasswordDlg::OnOK() {
  m_strEntered = edit_->text();
  if (m_strEntered == m_strExpected) {
    accept();
    return;
  }
  messages_.Show(this, QString::fromUtf8(kApplicationTitle), QStringLiteral("Das Kennwort ist falsch!"));
}

bool PromptForSettingsPassword(const QString& expected, IMessageBoxes& messages) {
  CSettingsPasswordDlg dialog(messages);
  dialog.m_strExpected = expected;
  dialog.OnInitDialog();
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace orn::wizard
