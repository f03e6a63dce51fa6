#include "wizard/users/CImportCSVPage1.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "wizard/app/CImportExportWizard.h"
#include "users/CsvTransfer.h"
#include "wizard/users/CsvPageTexts.h"

namespace orn::wizard {

CImportCSVPage1::CImportCSVPage1()
    : CWizardPage({147, QStringLiteral("Benutzerdaten aus einer CSV-Datei importieren"), 138}),
      m_editPath(new QLineEdit),
      m_btnBrowse(new QPushButton(QStringLiteral("..."))) {
  auto* intro = new QLabel(QStringLiteral("Hiermit importieren Sie Benutzerdaten aus einer kommagetrennten Datei."));
  intro->setWordWrap(true);
  intro->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Place(intro, 100, 8, 173, 20);
  Place(new QLabel(QStringLiteral("Daten werden importiert von")), 100, 32, 173, 10);
  m_editPath->setObjectName(QStringLiteral("path"));
  Place(m_editPath, 100, 43, 148, 14);
  Place(m_btnBrowse, 253, 43, 20, 14);
  connect(m_btnBrowse, &QPushButton::clicked, this, &CImportCSVPage1::OnBrowse);
}

bool CImportCSVPage1::OnSetActive() {
  Sheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
  return CWizardPage::OnSetActive();
}

int CImportCSVPage1::OnWizardBack() { return BackToActionPage(); }

void CImportCSVPage1::OnBrowse() {
  const std::optional<QString> chosen = Ui().files.Open(this, QString::fromUtf8(kCsvFilter), QStringLiteral("orn.csv"));
  if (!chosen) return;
  m_strPath = *chosen;
  m_editPath->setText(m_strPath);
}

int CImportCSVPage1::OnWizardFinish() {
  m_strPath = m_editPath->text();
  const CsvImportResult result = ImportUsersFromCsv(m_strPath.toStdString());
  MessageBox(QString::fromStdString(result.message));
  return result.success ? 1 : 0;
}

}  // namespace orn::wizard
