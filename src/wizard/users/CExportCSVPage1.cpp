#include "wizard/users/CExportCSVPage1.h"

#include <ctime>

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "wizard/app/CWizardSheet.h"
#include "backup/Backup.h"
#include "install/InstallPaths.h"
#include "install/MessageError.h"
#include "install/ProductKey.h"
#include "users/CsvTransfer.h"
#include "wizard/users/CsvPageTexts.h"

namespace orn::wizard {

CExportCSVPage1::CExportCSVPage1()
    : CWizardPage({143, QStringLiteral("Benutzerdaten nach CSV exportieren"), 139}),
      m_editPath(new QLineEdit),
      m_btnBrowse(new QPushButton(QStringLiteral("..."))),
      m_rbComma(new QRadioButton(QStringLiteral("Komma"))),
      m_rbSemicolon(new QRadioButton(QStringLiteral("Semikolon"))),
      m_rbTab(new QRadioButton(QStringLiteral("Tabulator"))),
      m_chkOneAddressPerRow(new QCheckBox),
      m_lblOneAddressPerRow(new QLabel(QStringLiteral("Jede E-Mail-Adresse in einer neuen Zeile speichern"))) {
  auto* intro = new QLabel(QStringLiteral("Hiermit exportieren Sie die Benutzerdaten in eine kommagetrennte Datei."));
  intro->setWordWrap(true);
  intro->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Place(intro, 100, 8, 173, 20);
  Place(new QLabel(QStringLiteral("Daten werden gespeichert unter")), 100, 32, 173, 10);
  m_editPath->setObjectName(QStringLiteral("path"));
  Place(m_editPath, 100, 43, 148, 14);
  Place(m_btnBrowse, 253, 43, 20, 14);

  Place(new QGroupBox(QStringLiteral("Trennzeichen")), 100, 63, 173, 44);
  Place(m_rbComma, 108, 74, 80, 10);
  Place(m_rbSemicolon, 108, 84, 80, 10);
  Place(m_rbTab, 108, 94, 80, 10);
  auto* separators = new QButtonGroup(this);
  for (QRadioButton* button : {m_rbComma, m_rbSemicolon, m_rbTab}) {
    separators->addButton(button);
    button->raise();
  }

  // A check box's own text does not wrap: the box stands alone, and the text beside it is a label
  // that toggles it when clicked.
  Place(m_chkOneAddressPerRow, 100, 113, 10, 10);
  m_chkOneAddressPerRow->setAccessibleName(m_lblOneAddressPerRow->text());
  m_lblOneAddressPerRow->setWordWrap(true);
  m_lblOneAddressPerRow->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  m_lblOneAddressPerRow->installEventFilter(this);
  Place(m_lblOneAddressPerRow, 111, 114, 162, 20);

  connect(m_btnBrowse, &QPushButton::clicked, this, &CExportCSVPage1::OnBrowse);
  connect(m_rbComma, &QRadioButton::clicked, this, [this] { m_cSeparator = ','; });
  connect(m_rbSemicolon, &QRadioButton::clicked, this, [this] { m_cSeparator = ';'; });
  connect(m_rbTab, &QRadioButton::clicked, this, [this] { m_cSeparator = '\t'; });
}

bool CExportCSVPage1::OnInitDialog() {
  const std::string name = FormatLocalTime(std::time(nullptr), "orn_%d%m%y.csv");
  try {
    m_strPath = QString::fromStdString(InstallDirectory()) + QLatin1Char('/') + QString::fromUtf8(name);
  } catch (const MessageError& error) {
    // Without an installation directory there is no place to propose: the field stays empty and
    // the user learns why at once, not only when Finish fails to read the configuration.
    m_strPath.clear();
    MessageBox(WithErrorText("Das Installationsverzeichnis von ORN! konnte nicht ermittelt werden.", error));
  }
  m_editPath->setText(m_strPath);
  m_cSeparator = ',';
  m_rbComma->setChecked(true);
  return true;
}

bool CExportCSVPage1::OnSetActive() {
  Sheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
  return CWizardPage::OnSetActive();
}

int CExportCSVPage1::OnWizardBack() { return BackToActionPage(); }

bool CExportCSVPage1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_lblOneAddressPerRow && event->type() == QEvent::MouseButtonRelease &&
      m_chkOneAddressPerRow->isEnabled())
    m_chkOneAddressPerRow->toggle();
  return CWizardPage::eventFilter(watched, event);
}

void CExportCSVPage1::UpdateData() {
  m_strPath = m_editPath->text();
  m_bOneAddressPerRow = m_chkOneAddressPerRow->isChecked() ? 1 : 0;
}

void CExportCSVPage1::OnBrowse() {
  UpdateData();
  const std::optional<QString> chosen =
      Ui().files.Save(this, QString::fromUtf8(kCsvFilter), QStringLiteral("csv"), m_strPath);
  if (!chosen) return;
  m_strPath = *chosen;
  m_editPath->setText(m_strPath);
}

int CExportCSVPage1::OnWizardFinish() {
  UpdateData();
  const CsvExportResult result = ExportUsersToCsv({m_strPath.toStdString(), m_cSeparator, m_bOneAddressPerRow != 0});
  MessageBox(QString::fromStdString(result.message));
  return result.success ? 1 : 0;
}

}  // namespace orn::wizard
