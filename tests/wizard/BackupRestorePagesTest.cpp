// The backup and restore pages on a demo installation: the check box and its extension rule, the
// password checks, browsing, and a backup restored through the pages.
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <ctime>

#include "wizard/app/CImportExportWizard.h"
#include "wizard/app/PageIndex.h"
#include "wizard/app/QtUiServices.h"
#include "backup/Backup.h"
#include "wizard/backup/CBackupCFGPage1.h"
#include "install/ServerStop.h"
#include "wizard/restore/CRestoreCFGPage1.h"
#include "support/DemoWizard.h"
#include "support/FakeUi.h"

namespace orn::wizard::test {

class BackupRestorePagesTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  FakeUi ui_;
  std::unique_ptr<DemoFolder> demo_;
  std::unique_ptr<CImportExportWizard> wizard_;

  QString Demo() const { return demo_->dir.path(); }
  // A fresh demo installation (protected with the settings password "demo" when asked).
  void Install(bool isProtected) {
    wizard_.reset();
    demo_.reset();
    demo_ = std::make_unique<DemoFolder>(isProtected ? QStringList{QStringLiteral("--protected")} : QStringList{});
    QVERIFY(qEnvironmentVariableIsSet("ORN_REGISTRY"));
  }
  template <class Page>
  Page* Open(int index) {
    ui_.messages.shown.clear();
    wizard_ = std::make_unique<CImportExportWizard>(ui_.Services(), [](const QString&) { return true; });
    wizard_->OnInitDialog();
    wizard_->SetActivePage(index);
    return static_cast<Page*>(wizard_->GetPage(index));
  }
  QString LastMessage() const { return ui_.messages.shown.empty() ? QString() : ui_.messages.shown.back().text; }
  QString Today(const char* format) const { return QString::fromStdString(FormatLocalTime(time(nullptr), format)); }

 private slots:
  void cleanup() {
    wizard_.reset();
    StopServer();
  }

  void TheCheckBoxNeedsASettingsPassword() {
    Install(false);
    auto* page = Open<CBackupCFGPage1>(kBackupCFGPage1);
    QCOMPARE(page->m_editPath->text(), Demo() + "/orn/" + Today("orn_%d%m%y") + ".eff");
    QVERIFY(page->m_chkEncrypt->isHidden());
    QVERIFY(page->m_editPassword->isHidden() == false);

    Install(true);
    page = Open<CBackupCFGPage1>(kBackupCFGPage1);
    QVERIFY(page->m_chkEncrypt->isHidden() == false);
    wizard_->show();
    QVERIFY(Screenshot(*wizard_, QStringLiteral("backup-page.png")));
    QVERIFY(page->m_chkEncrypt->isChecked());
    page->m_chkEncrypt->click();  // the extension follows the box, the password group goes
    QCOMPARE(page->m_editPath->text(), Demo() + "/orn/" + Today("orn_%d%m%y") + ".zip");
    QVERIFY(page->m_editPassword->isHidden());
    page->m_editPath->clear();
    page->m_chkEncrypt->click();
    QCOMPARE(page->m_editPath->text(), QStringLiteral(".eff"));
  }

  void FinishChecksAndCorrectsThePath() {
    Install(false);
    auto* page = Open<CBackupCFGPage1>(kBackupCFGPage1);
    page->m_editPath->setText(dir_.filePath(QStringLiteral("sicherung.tar")));
    page->m_editPassword->setText(QStringLiteral("a"));
    page->m_editConfirm->setText(QStringLiteral("A"));
    QCOMPARE(page->OnWizardFinish(), 0);
    QCOMPARE(LastMessage(), QStringLiteral("Die angegebenen Kennwörter stimmen nicht überein."));
    page->m_editConfirm->setText(QStringLiteral("a"));
    QCOMPARE(page->OnWizardFinish(), 1);
    QCOMPARE(LastMessage(), "Die Konfiguration wurde unter " + dir_.filePath(QStringLiteral("sicherung.eff")) + " gesichert.");
    QVERIFY(QFile::exists(dir_.filePath(QStringLiteral("sicherung.eff"))));
    QVERIFY(!QFile::exists(dir_.filePath(QStringLiteral("sicherung.tar"))));
  }

  void BrowsingSetsTheKindFromTheExtensionOnlyWithASettingsPassword() {
    Install(true);
    auto* page = Open<CBackupCFGPage1>(kBackupCFGPage1);
    page->m_editPassword->setText(QStringLiteral("typed"));
    ui_.files.answers = {dir_.filePath(QStringLiteral("neu.zip"))};
    page->OnBrowse();
    QCOMPARE(ui_.files.requests.back().defaultExtension, QStringLiteral("eff"));
    QVERIFY(ui_.files.requests.back().save);
    QCOMPARE(page->m_editPath->text(), dir_.filePath(QStringLiteral("neu.zip")));
    QVERIFY(!page->m_chkEncrypt->isChecked());
    QVERIFY(page->m_editPassword->isHidden());
    QCOMPARE(page->m_editPassword->text(), QString());  // the fields are written from the members

    // Without a settings password every backup is encrypted, whatever name the dialog returns.
    Install(false);
    page = Open<CBackupCFGPage1>(kBackupCFGPage1);
    ui_.files.answers = {dir_.filePath(QStringLiteral("klar.zip"))};
    page->OnBrowse();
    QCOMPARE(page->m_editPath->text(), dir_.filePath(QStringLiteral("klar.eff")));
    page->m_editPassword->setText(QStringLiteral("pw"));
    page->m_editConfirm->setText(QStringLiteral("pw"));
    page->m_bEncrypt = false;  // whatever the page holds
    page->m_editPath->setText(dir_.filePath(QStringLiteral("klar.zip")));
    QCOMPARE(page->OnWizardFinish(), 1);
    QVERIFY(!QFile::exists(dir_.filePath(QStringLiteral("klar.zip"))));
    QFile archive(dir_.filePath(QStringLiteral("klar.eff")));
    QVERIFY(archive.open(QIODevice::ReadOnly));
    QVERIFY(!archive.read(2).startsWith("PK"));  // not a plain zip
  }

  void TheRealSaveDialogKeepsTheProposedNameAndSpeaksGerman() {
    QVERIFY(InstallQtTranslations());
    Install(true);
    QtFileDialogs realDialogs;
    UiServices services{ui_.messages, realDialogs, ui_.waitCursor, ui_.help};
    CImportExportWizard wizard(services, [](const QString&) { return true; });
    wizard.OnInitDialog();
    wizard.SetActivePage(kBackupCFGPage1);
    auto* page = static_cast<CBackupCFGPage1*>(wizard.GetPage(kBackupCFGPage1));
    const QString proposed = page->m_editPath->text();
    QVERIFY(proposed.endsWith(QStringLiteral(".eff")));

    QString shownName, saveButton;
    QTimer driver;
    connect(&driver, &QTimer::timeout, [&] {
      for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QFileDialog*>(window);
        if (!dialog || !dialog->isVisible()) continue;
        shownName = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
        saveButton = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save)->text();
        QMetaObject::invokeMethod(dialog, "accept");
        driver.stop();
      }
    });
    driver.start(20);
    page->OnBrowse();
    QCOMPARE(shownName, QFileInfo(proposed).fileName());
    QCOMPARE(page->m_editPath->text(), proposed);
    QVERIFY(page->m_chkEncrypt->isChecked());
    QCOMPARE(saveButton.remove(QLatin1Char('&')), QStringLiteral("Speichern"));
  }

  void RestoreThroughThePage() {
    Install(false);
    auto* backup = Open<CBackupCFGPage1>(kBackupCFGPage1);
    const QString archive = dir_.filePath(QStringLiteral("r.eff"));
    backup->m_editPath->setText(archive);
    backup->m_editPassword->setText(QStringLiteral("pw"));
    backup->m_editConfirm->setText(QStringLiteral("pw"));
    QCOMPARE(backup->OnWizardFinish(), 1);

    auto* page = Open<CRestoreCFGPage1>(kRestoreCFGPage1);
    wizard_->show();
    QVERIFY(Screenshot(*wizard_, QStringLiteral("restore-page.png")));
    QCOMPARE(page->OnWizardFinish(), 0);
    QCOMPARE(LastMessage(), QStringLiteral("Geben Sie bitte einen gültigen Dateipfad an."));
    page->m_editPath->setText(archive);
    int asked = 0;
    page->SetPasswordPrompt([&](QWidget*) -> std::optional<QString> { return ++asked, std::nullopt; });
    ui_.messages.shown.clear();
    QCOMPARE(page->OnWizardFinish(), 0);  // cancelled: no message
    QVERIFY(ui_.messages.shown.empty());
    page->SetPasswordPrompt([](QWidget*) -> std::optional<QString> { return QStringLiteral("pw"); });
    QCOMPARE(page->OnWizardFinish(), 1);
    QCOMPARE(LastMessage(), "Die Konfiguration wurde von " + archive + " wiederhergestellt.\n");
    QCOMPARE(asked, 1);
    QCOMPARE(ui_.waitCursor.depth, 0);
    QCOMPARE(ui_.waitCursor.begun, 1);
    QVERIFY(QDir(Demo() + "/orn/backup/orncfg/" + Today("%d%m%y")).exists());

    ui_.files.answers = {archive};
    page->OnBrowse();
    QCOMPARE(ui_.files.requests.back().initialPath, Demo() + "/orn/");
    QVERIFY(!ui_.files.requests.back().save);
    QCOMPARE(page->m_editPath->text(), archive);
    QCOMPARE(page->OnWizardBack(), -1);
    QCOMPARE(wizard_->GetActiveIndex(), kActionPage);
  }
};

}  // namespace orn::wizard::test

QTEST_MAIN(orn::wizard::test::BackupRestorePagesTest)
#include "BackupRestorePagesTest.moc"
