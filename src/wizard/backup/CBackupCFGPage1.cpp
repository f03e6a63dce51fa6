#include "wizard/backup/CBackupCFGPage1.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <ctime>

#include "wizard/app/CImportExportWizard.h"
#include "backup/Backup.h"
#include "files/FilePaths.h"
#include "install/InstallPaths.h"

namespace orn::wizard {

namespace {

constexpr char kArchiveFilter[] =
    "ORN!-Konfigurationsarchiv (*.zip;*.eff)|*.zip;*.eff|unverschlüsseltes ORN!-Konfigurationsarchiv "
    "(*.zip)|*.zip|verschlüsseltes ORN!-Konfigurationsarchiv (*.eff)|*.eff|Alle Dateien (*.*)|*.*||";

QLabel* Text(const char* text) {
  auto* label = new QLabel(QString::fromUtf8(text));
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

QString Archive(const std::string& dir, const std::string& name, bool encrypt) {
  return QString::fromStdString(MakeArchivePath(dir, name, encrypt ? 1 : 0));
}

}  // namespace

CBackupCFGPage1::CBackupCFGPage1()
    : CWizardPage({108, QStringLiteral("Konfiguration sichern"), 139}),
      m_editPath(new QLineEdit),
      m_btnBrowse(new QPushButton(QStringLiteral("..."))),
      m_chkEncrypt(new QCheckBox(QStringLiteral("Sicherungsdatei verschlüsseln"))),
      m_editPassword(new QLineEdit),
      m_editConfirm(new QLineEdit),
      passwordGroup_(new QGroupBox(QStringLiteral("Kennwort"))),
      passwordLabel_(new QLabel(QStringLiteral("Kennwort"))),
      confirmLabel_(new QLabel(QStringLiteral("Bestätigung"))) {
  Place(Text("Mit dieser Aktion sichern Sie die aktuelle ORN!-Konfiguration in eine Datei."), 100, 8, 171, 24);
  Place(Text("Die Sicherungsdatei wird im folgenden Pfad mit folgendem Dateinamen angelegt:"), 100, 40, 171, 24);
  m_editPath->setObjectName(QStringLiteral("path"));
  Place(m_editPath, 100, 69, 161, 12);
  m_btnBrowse->setObjectName(QStringLiteral("browse"));
  Place(m_btnBrowse, 261, 69, 10, 12);
  m_chkEncrypt->setObjectName(QStringLiteral("encrypt"));
  Place(m_chkEncrypt, 100, 84, 171, 10);
  Place(passwordGroup_, 100, 103, 171, 44);
  Place(passwordLabel_, 106, 117, 54, 8);
  m_editPassword->setObjectName(QStringLiteral("password"));
  m_editPassword->setEchoMode(QLineEdit::Password);
  Place(m_editPassword, 162, 115, 99, 12);
  Place(confirmLabel_, 106, 132, 54, 8);
  m_editConfirm->setObjectName(QStringLiteral("confirm"));
  m_editConfirm->setEchoMode(QLineEdit::Password);
  Place(m_editConfirm, 162, 130, 99, 12);
  for (QWidget* control : {static_cast<QWidget*>(passwordLabel_), static_cast<QWidget*>(m_editPassword),
                           static_cast<QWidget*>(confirmLabel_), static_cast<QWidget*>(m_editConfirm)})
    control->raise();
  // The template's state: nothing ticked, the password group hidden.
  m_bEncrypt = false;
  UpdatePasswordControls();
  m_bEncrypt = true;

  connect(m_btnBrowse, &QPushButton::clicked, this, &CBackupCFGPage1::OnBrowse);
  connect(m_chkEncrypt, &QCheckBox::clicked, this, &CBackupCFGPage1::OnEncryptToggled);
}

void CBackupCFGPage1::ToControls() {
  m_editPath->setText(m_strPath);
  m_chkEncrypt->setChecked(m_bEncrypt);
  m_editPassword->setText(m_strPassword);
  m_editConfirm->setText(m_strConfirm);
}

void CBackupCFGPage1::FromControls() {
  m_strPath = m_editPath->text();
  m_bEncrypt = m_chkEncrypt->isChecked();
  m_strPassword = m_editPassword->text();
  m_strConfirm = m_editConfirm->text();
}

void CBackupCFGPage1::UpdatePasswordControls() {
  for (QWidget* control : {static_cast<QWidget*>(passwordGroup_), static_cast<QWidget*>(passwordLabel_),
                           static_cast<QWidget*>(m_editPassword), static_cast<QWidget*>(confirmLabel_),
                           static_cast<QWidget*>(m_editConfirm)})
    control->setVisible(m_bEncrypt);
}

bool CBackupCFGPage1::OnInitDialog() {
  const std::optional<std::string> directory = FindInstallDirectory();
  if (!directory) {
    MessageBox(QString::fromUtf8(kNoInstallation));
    return true;
  }
  m_strPath = QString::fromStdString(DefaultArchivePath(*directory));
  ToControls();
  m_bEncrypt = true;
  m_chkEncrypt->setChecked(true);
  // Without a settings password every backup is encrypted.
  if (!Protected()) {
    m_chkEncrypt->setEnabled(false);
    m_chkEncrypt->setVisible(false);
  }
  UpdatePasswordControls();
  return true;
}

bool CBackupCFGPage1::OnSetActive() {
  Sheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
  return CWizardPage::OnSetActive();
}

int CBackupCFGPage1::OnWizardBack() { return BackToActionPage(); }

void CBackupCFGPage1::OnBrowse() {
  std::string dir, name, ext;
  if (SplitFilePath(m_strPath.toStdString(), dir, name, ext))
    m_strPath = Archive(dir, name, m_bEncrypt);
  else
    m_strPath = QString::fromStdString(FormatLocalTime(time(nullptr), "orn_%d%m%y.bak"));
  const std::optional<QString> chosen = Ui().files.Save(
      this, QString::fromUtf8(kArchiveFilter), m_bEncrypt ? QStringLiteral("eff") : QStringLiteral("zip"), m_strPath);
  if (!chosen) return;
  m_strPath = *chosen;
  if (SplitFilePath(m_strPath.toStdString(), dir, name, ext)) {
    if (ext == "eff") m_bEncrypt = true;
    if (ext == "zip") m_bEncrypt = false;
    // Without a settings password every backup is encrypted, whatever name was chosen.
    if (!Protected() && !m_bEncrypt) {
      m_bEncrypt = true;
      m_strPath = Archive(dir, name, true);
    }
    UpdatePasswordControls();
  }
  ToControls();
}

bool CBackupCFGPage1::Protected() const { return static_cast<CImportExportWizard*>(Sheet())->m_bPasswordProtected; }

void CBackupCFGPage1::OnEncryptToggled() {
  FromControls();
  UpdatePasswordControls();
  std::string dir, name, ext;
  SplitFilePath(m_strPath.toStdString(), dir, name, ext);  // an empty path gives empty parts
  m_strPath = Archive(dir, name, m_bEncrypt);
  ToControls();
}

int CBackupCFGPage1::OnWizardFinish() {
  FromControls();
  const bool encrypt = m_bEncrypt || !Protected();
  BackupRequest request{m_strPath.toStdString(), encrypt, m_strPassword.toStdString(), m_strConfirm.toStdString()};
  const BackupResult result = RunBackup(request);
  if (!result.archivePath.empty()) m_strPath = QString::fromStdString(result.archivePath);  // not shown in the edit
  MessageBox(QString::fromStdString(result.message));
  return result.success ? 1 : 0;
}

}  // namespace orn::wizard
