#include "wizard/restore/CArchivePasswordDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace orn::wizard {

CArchivePasswordDlg::CArchivePasswordDlg(QWidget* parent)
    : QDialog(parent), units_(font()), edit_(new QLineEdit(this)), ok_(new QPushButton(QStringLiteral("OK"), this)) {
  setWindowTitle(QStringLiteral("Kennwort"));
  setFixedSize(units_.Size(242, 65));
  auto* text = new QLabel(QStringLiteral("Die ausgewählte Datei ist mit einem Kennwort gesichert. Geben Sie bitte "
                                         "das Kennwort an."),
                          this);
  text->setWordWrap(true);
  text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  text->setGeometry(units_.Rect(7, 7, 170, 30));
  edit_->setObjectName(QStringLiteral("password"));
  edit_->setEchoMode(QLineEdit::Password);
  edit_->setGeometry(units_.Rect(7, 44, 170, 14));
  auto* cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
  ok_->setGeometry(units_.Rect(185, 7, 50, 14));
  cancel->setGeometry(units_.Rect(185, 24, 50, 14));
  ok_->setDefault(true);
  cancel->setAutoDefault(false);
  connect(ok_, &QPushButton::clicked, this, [this] {
    m_strPassword = edit_->text();
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

}  // namespace orn::wizard
