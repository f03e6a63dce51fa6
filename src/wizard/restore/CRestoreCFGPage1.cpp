#include "wizard/restore/CRestoreCFGPage1.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "wizard/app/CWizardSheet.h"
#include "install/InstallPaths.h"
#include "backup/Restore.h"
#include "install/InstallPaths.h"
#include "wizard/restore/CArchivePasswordDlg.h"

namespace orn::wizard {

namespace {

constexpr char kArchiveFilter[] =
    "ORN!-Konfigurationsarchiv (*.zip;*.eff)|*.zip;*.eff|unverschlüsseltes ORN!-Konfigurationsarchiv "
    "(*.zip)|*.zip|verschlüsseltes ORN!-Konfigurationsarchiv (*.eff)|*.eff|Alle Dateien (*.*)|*.*||";

QLabel* Text(const QString& text) {
  auto* label = new QLabel(text);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

std::optional<QString> AskWithDialog(QWidget* owner) {
  CArchivePasswordDlg dialog(owner);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.GetPassword();
}

// What the restore asks of the user, answered with the page's dialogs and cursor.
class PageInteraction : public RestoreInteraction {
 public:
  PageInteraction(CWizardPage* page, const CRestoreCFGPage1::ArchivePasswordPrompt& prompt, IWaitCursor& cursor,
                  std::function<void(const QString&)> show)
      : page_(page), prompt_(prompt), cursor_(cursor), show_(std::move(show)) {}
  std::optional<std::string> AskArchivePassword() override {
    const std::optional<QString> password = prompt_(page_);
    if (!password) return std::nullopt;
    return password->toStdString();
  }
  void ShowMessage(const std::string& text) override { show_(QString::fromStdString(text)); }
  // The restore begins and ends the wait itself; held as a scope, the cursor also comes back when
  // the restore ends another way, and never twice.
  void BeginWait() override {
    if (!wait_) wait_.emplace(cursor_);
  }
  void EndWait() override { wait_.reset(); }

 private:
  CWizardPage* page_;
  const CRestoreCFGPage1::ArchivePasswordPrompt& prompt_;
  IWaitCursor& cursor_;
  std::function<void(const QString&)> show_;
  std::optional<WaitCursorScope> wait_;
};

}  // namespace

CRestoreCFGPage1::CRestoreCFGPage1()
    : CWizardPage({135, QStringLiteral("Konfiguration wiederherstellen"), 138}),
      m_editPath(new QLineEdit),
      m_btnBrowse(new QPushButton(QStringLiteral("..."))),
      prompt_(&AskWithDialog) {
  Place(Text(QStringLiteral("Mit dieser Aktion stellen Sie eine zuvor gesicherte ORN!-Konfiguration wieder her.")), 100,
        8, 171, 24);
  Place(Text(QStringLiteral("Die Konfiguration wird aus der folgenden Datei wiederhergestellt:")), 100, 40, 171, 20);
  m_editPath->setObjectName(QStringLiteral("path"));
  Place(m_editPath, 100, 69, 161, 12);
  m_btnBrowse->setObjectName(QStringLiteral("browse"));
  Place(m_btnBrowse, 261, 69, 10, 12);
  Place(Text(QStringLiteral("ACHTUNG!\nDie aktuelle ORN!-Konfiguration wird dabei überschrieben.")), 100, 96, 171, 24);
  connect(m_btnBrowse, &QPushButton::clicked, this, &CRestoreCFGPage1::OnBrowse);
}

bool CRestoreCFGPage1::OnSetActive() {
  Sheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
  return CWizardPage::OnSetActive();
}

int CRestoreCFGPage1::OnWizardBack() { return BackToActionPage(); }

void CRestoreCFGPage1::OnBrowse() {
  const std::optional<std::string> directory = FindInstallDirectory();
  if (!directory) {
    MessageBox(QString::fromUtf8(kNoInstallation));
    return;
  }
  // The dialog starts in the installation directory, where the backup puts its archives.
  const std::optional<QString> chosen = Ui().files.Open(this, QString::fromUtf8(kArchiveFilter),
                                                        QString::fromStdString(*directory) + QStringLiteral("/"));
  if (!chosen) return;
  m_strPath = *chosen;
  m_editPath->setText(m_strPath);
}

int CRestoreCFGPage1::OnWizardFinish() {
  m_strPath = m_editPath->text();
  PageInteraction interaction(this, prompt_, Ui().waitCursor, [this](const QString& text) { MessageBox(text); });
  const RestoreResult result = RunRestore(m_strPath.toStdString(), interaction);
  if (result.outcome == RestoreOutcome::Cancelled) return 0;
  MessageBox(QString::fromStdString(result.message));
  return result.outcome == RestoreOutcome::Restored ? 1 : 0;
}

}  // namespace orn::wizard
