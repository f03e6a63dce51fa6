#include "wizard/cfgimport/CImportCFGPage1.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "wizard/app/CImportExportWizard.h"
#include "files/FilePaths.h"
#include "platform/FileAttributes.h"

namespace orn::wizard {

CImportCFGPage1::CImportCFGPage1()
    : CWizardPage({138, QStringLiteral("Konfigurationsdaten importieren"), 138}),
      m_editPath(new QLineEdit),
      m_btnBrowse(new QPushButton(QStringLiteral("..."))) {
  auto* intro = new QLabel(QStringLiteral(
      "Diese Aktion importiert ORN!-Daten wie Benutzer und E-Mail-Adressen aus einer Konfigurationsdatei. Dabei "
      "werden die importierten Daten zur aktuellen ORN!-Konfiguration hinzugefügt."));
  intro->setWordWrap(true);
  intro->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Place(intro, 100, 8, 173, 50);
  auto* question =
      new QLabel(QStringLiteral("Die Daten werden aus der folgenden Konfigurationsdatei (cfg-Datei) importiert:"));
  question->setWordWrap(true);
  question->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Place(question, 100, 62, 173, 20);
  m_editPath->setObjectName(QStringLiteral("path"));
  Place(m_editPath, 100, 84, 148, 14);
  Place(m_btnBrowse, 253, 84, 20, 14);
  connect(m_editPath, &QLineEdit::textChanged, this, [this](const QString& text) { m_strPath = text; });
  connect(m_btnBrowse, &QPushButton::clicked, this, &CImportCFGPage1::OnBrowse);
}

bool CImportCFGPage1::OnSetActive() {
  Sheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
  return CWizardPage::OnSetActive();
}

int CImportCFGPage1::OnWizardBack() { return BackToActionPage(); }

int CImportCFGPage1::OnWizardNext() {
  const std::string path = m_strPath.toStdString();
  if (path.empty() || platform::FileAttributes(path) == platform::kInvalidAttributes) {
    MessageBox(QString::fromUtf8(kInvalidPath));
    return -1;
  }
  return 0;
}

void CImportCFGPage1::OnBrowse() {
  const std::optional<QString> chosen = Ui().files.Open(
      this, QStringLiteral("ORN!-Konfiguration (*.cfg)|*.cfg|Alle Dateien (*.*)|*.*||"), QStringLiteral("orn.cfg"));
  if (chosen) m_editPath->setText(*chosen);
}

}  // namespace orn::wizard
