// The backup and restore pages: the check box and its extension rule, browsing, the core calls.
#include <ctime>

#include "backup/Backup.h"
#include "install/ServerStop.h"
#include "support/DemoWizard.h"
#include "wizard/backup/CBackupCFGPage1.h"
#include "wizard/restore/CRestoreCFGPage1.h"

namespace orn::wizard::test {

class BackupRestorePagesTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  FakeUi ui_;
  std::unique_ptr<DemoFolder> demo_;
  std::unique_ptr<CImportExportWizard> wizard_;

  // A fresh demo installation (protected with the settings password "demo" when asked).
  void Install(bool isProtected) {
    wizard_.reset();
    demo_.reset();
    demo_ = std::make_unique<DemoFolder>(isProtected ? "--protected" : "");
    QVERIFY(demo_->installed);
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
  QString Proposed(const char* extension) const {
    return demo_->Path(u"orn/"_s) + QString::fromStdString(FormatLocalTime(time(nullptr), "orn_%d%m%y")) + extension;
  }
  QString Scratch(const QString& name) const { return dir_.filePath(name); }

 private slots:
  void cleanup() {
    wizard_.reset();
    StopServer();
  }

  // The box shows only with a settings password (else every backup is encrypted, whatever name
  // the dialog returns); the extension follows the box, and browsing sets the box.
  void TheKindFollowsTheCheckBoxAndTheExtension() {
    Install(false);
    auto* page = Open<CBackupCFGPage1>(kBackupCFGPage1);
    QCOMPARE(page->m_editPath->text(), Proposed(".eff"));
    QVERIFY(page->m_chkEncrypt->isHidden() && !page->m_editPassword->isHidden());
    ui_.files.answers = {Scratch(u"klar.zip"_s)};
    page->OnBrowse();
    QCOMPARE(page->m_editPath->text(), Scratch(u"klar.eff"_s));

    Install(true);
    page = Open<CBackupCFGPage1>(kBackupCFGPage1);
    QVERIFY(!page->m_chkEncrypt->isHidden() && page->m_chkEncrypt->isChecked());
    wizard_->show();
    QVERIFY(Screenshot(*wizard_, u"backup-page.png"_s));
    page->m_chkEncrypt->click();  // the password group goes
    QCOMPARE(page->m_editPath->text(), Proposed(".zip"));
    QVERIFY(page->m_editPassword->isHidden());
    page->m_editPath->clear();
    page->m_chkEncrypt->click();
    QCOMPARE(page->m_editPath->text(), u".eff"_s);
    page->m_editPassword->setText(u"typed"_s);
    ui_.files.answers = {Scratch(u"neu.zip"_s)};
    page->OnBrowse();
    QCOMPARE(ui_.files.requests.back().defaultExtension, u"eff"_s);
    QVERIFY(page->m_editPath->text() == Scratch(u"neu.zip"_s) && !page->m_chkEncrypt->isChecked());
    QVERIFY(page->m_editPassword->isHidden() && page->m_editPassword->text().isEmpty());  // written from the members
  }

  void BackupAndRestoreThroughThePages() {
    Install(false);
    auto* backup = Open<CBackupCFGPage1>(kBackupCFGPage1);
    const QString archive = Scratch(u"r.eff"_s);
    backup->m_editPath->setText(Scratch(u"r.tar"_s));
    backup->m_editPassword->setText(u"pw"_s);
    backup->m_editConfirm->setText(u"PW"_s);
    QCOMPARE(backup->OnWizardFinish(), 0);
    QCOMPARE(LastMessage(), u"Die angegebenen Kennwörter stimmen nicht überein."_s);
    backup->m_editConfirm->setText(u"pw"_s);
    QCOMPARE(backup->OnWizardFinish(), 1);
    QVERIFY(LastMessage().contains(archive));

    auto* page = Open<CRestoreCFGPage1>(kRestoreCFGPage1);
    wizard_->show();
    QVERIFY(Screenshot(*wizard_, u"restore-page.png"_s));
    QCOMPARE(page->OnWizardFinish(), 0);
    QCOMPARE(LastMessage(), u"Geben Sie bitte einen gültigen Dateipfad an."_s);
    page->m_editPath->setText(archive);
    int asked = 0;
    page->SetPasswordPrompt([&](QWidget*) -> std::optional<QString> { return ++asked, std::nullopt; });
    ui_.messages.shown.clear();
    QCOMPARE(page->OnWizardFinish(), 0);  // cancelled: no message
    QVERIFY(ui_.messages.shown.empty());
    page->SetPasswordPrompt([](QWidget*) -> std::optional<QString> { return u"pw"_s; });
    QCOMPARE(page->OnWizardFinish(), 1);
    QVERIFY(LastMessage().contains(archive));
    QCOMPARE(asked, 1);
    QVERIFY(ui_.waitCursor.depth == 0 && ui_.waitCursor.begun == 1);

    ui_.files.answers = {archive};
    page->OnBrowse();
    QCOMPARE(ui_.files.requests.back().initialPath, demo_->Path(u"orn/"_s));
    QCOMPARE(page->m_editPath->text(), archive);
    QCOMPARE(page->OnWizardBack(), -1);
    QCOMPARE(wizard_->GetActiveIndex(), kActionPage);
  }
};

}  // namespace orn::wizard::test

QTEST_MAIN(orn::wizard::test::BackupRestorePagesTest)
#include "BackupRestorePagesTest.moc"
