#include "wizard/cfgimport/CImportCFGPage3.h"

#include <QButtonGroup>
#include <QLabel>
#include <QRadioButton>

#include "wizard/app/CImportExportWizard.h"
#include "wizard/cfgimport/CImportCFGPage1.h"
#include "wizard/cfgimport/CImportCFGPage2.h"
#include "wizard/cfgimport/ProductCodeDialog.h"
#include "install/ServerStop.h"

namespace orn::wizard {

CImportCFGPage3::CImportCFGPage3()
    : CWizardPage({150, QStringLiteral("Konfigurationsdaten importieren"), 138}),
      m_rbKeep(new QRadioButton(QStringLiteral("vorhandene Einträge beibehalten"))),
      m_rbOverwrite(new QRadioButton(QStringLiteral("vorhandene Einträge überschreiben"))),
      question_(&AskForProductCode) {
  auto* question =
      new QLabel(QStringLiteral("Wie soll verfahren werden, wenn Einträge in der zu importierenden "
                                "Datei schon in der aktuellen ORN!-Konfiguration enthalten sind?"));
  question->setWordWrap(true);
  question->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Place(question, 100, 8, 173, 34);
  Place(m_rbKeep, 110, 46, 163, 10);
  Place(m_rbOverwrite, 110, 60, 163, 10);
  auto* group = new QButtonGroup(this);
  group->addButton(m_rbKeep);
  group->addButton(m_rbOverwrite);
  m_rbKeep->setChecked(true);
  connect(m_rbKeep, &QRadioButton::clicked, this, [this] { m_bOverwrite = false; });
  connect(m_rbOverwrite, &QRadioButton::clicked, this, [this] { m_bOverwrite = true; });
}

bool CImportCFGPage3::OnSetActive() {
  Sheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
  return CWizardPage::OnSetActive();
}

std::optional<std::string> CImportCFGPage3::AskProductCode() {
  const std::optional<QString> code = question_(this);
  if (!code) return std::nullopt;
  return code->toStdString();
}

int CImportCFGPage3::OnWizardFinish() {
  auto* wizard = static_cast<CImportExportWizard*>(Sheet());
  const auto* file = Page<CImportCFGPage1>();
  const auto* choice = Page<CImportCFGPage2>();

  ConfigImportRequest request;
  request.path = file->m_strPath.toStdString();
  request.selection.emailAddresses = choice->m_bEmailAddresses;
  request.selection.users = choice->m_bUsers;
  request.overwrite = m_bOverwrite;
  request.stopServer = [this] {
    WaitCursorScope wait(Ui().waitCursor);
    StopServer();
  };
  const ConfigImportResult result = ImportConfiguration(request, *this);

  switch (result.outcome) {
    case ConfigImportOutcome::Imported:
      MessageBox(QString::fromStdString(result.message));
      return 1;
    case ConfigImportOutcome::NotAConfiguration:
      MessageBox(QString::fromStdString(result.message));
      wizard->SetActiveActionPage();
      return 0;
    case ConfigImportOutcome::WrongProductCode:
      MessageBox(QString::fromStdString(result.message));
      return -1;
    case ConfigImportOutcome::Cancelled:
      return -1;
    case ConfigImportOutcome::Failed:
      break;
  }
  MessageBox(QString::fromStdString(result.message));
  return 0;
}

}  // namespace orn::wizard
