// The configuration import's pages: file check, Back and Next, the choices reaching the import,
// where each outcome of Finish leads (its messages are ConfigImportTest's); the product code dialog.

#include "wizard/action/CActionPage.h"
#include "wizard/cfgimport/CImportCFGPage1.h"
#include "wizard/cfgimport/CImportCFGPage2.h"
#include "wizard/cfgimport/CImportCFGPage3.h"
#include "wizard/cfgimport/ProductCodeDialog.h"
#include "config/ConfigHolder.h"
#include "install/ServerStop.h"
#include "support/DemoWizard.h"

namespace orn::wizard::test {

const QString kBranch = u"import/filiale.cfg"_s, kCode = u"b3m7n1p5q9r2s6t4v8"_s;
FakeWaitCursor* stopCursor = nullptr;  // its depth while the server stop reads its clock
int depthDuringStop = -1;

class ImportCFGPagesTest : public QObject {
  Q_OBJECT

  std::unique_ptr<DemoWizard> w_;
  CImportCFGPage1* page1_ = nullptr;
  CImportCFGPage2* page2_ = nullptr;
  CImportCFGPage3* page3_ = nullptr;

  // On to the third page with that file of the demo's folder.
  void ToLastPage(const QString& file = kBranch) {
    page1_->m_editPath->setText(w_->Path(file));
    w_->Next();
    w_->Next();
    QCOMPARE(w_->Active(), int(kImportCFGPage3));
  }
  // Finish with the product code answered (nothing: cancelled); whether the installed file stayed.
  bool FinishKeepsTheFile(const std::optional<QString>& code) {
    const QByteArray installed = w_->ConfigBytes();
    page3_->SetCodeQuestion([code](QWidget*) { return code; });
    w_->Finish();
    return w_->ConfigBytes() == installed;
  }

 private slots:
  void init() {  // from the action page's third row to the import's first page
    w_.reset();
    w_ = std::make_unique<DemoWizard>();
    QVERIFY(w_->Ok());
    w_->At<CActionPage>(kActionPage)->m_lbActions->setCurrentRow(2);
    w_->Next();
    page1_ = w_->At<CImportCFGPage1>(kImportCFGPage1);
    page2_ = w_->At<CImportCFGPage2>(kImportCFGPage2);
    page3_ = w_->At<CImportCFGPage3>(kImportCFGPage3);
  }
  void cleanup() { ResetStopServerClock(); }

  void BackNextAndTheFileCheck() {
    QCOMPARE(w_->wizard.windowTitle(), u"Konfigurationsdaten importieren"_s);
    page1_->m_editPath->setText(w_->Path(u"import/fehlt.cfg"_s));
    w_->Next();
    QCOMPARE(w_->Messages(page1_), QStringList(u"Geben Sie bitte einen gültigen Dateipfad an."_s));
    w_->ui.files.answers = {w_->Path(kBranch)};
    QTest::mouseClick(page1_->m_btnBrowse, Qt::LeftButton);
    const FileRequest& request = w_->ui.files.requests.back();
    QVERIFY(!request.save && request.initialPath == u"orn.cfg"_s &&
            request.filter == u"ORN!-Konfiguration (*.cfg)|*.cfg|Alle Dateien (*.*)|*.*||"_s);

    const int buttons[] = {PSWIZB_BACK | PSWIZB_NEXT, PSWIZB_BACK | PSWIZB_NEXT, PSWIZB_BACK | PSWIZB_FINISH};
    for (int page : {kImportCFGPage1, kImportCFGPage2, kImportCFGPage3}) {
      QCOMPARE(w_->Active(), page);
      QCOMPARE(w_->wizard.WizardButtons(), buttons[page - kImportCFGPage1]);
      QVERIFY(w_->Render(u"import-cfg-page%1.png"_s.arg(page - 2)));
      w_->Next();
    }
    QVERIFY(page2_->m_chkUsers->isChecked() && page2_->m_chkEmailAddresses->isChecked() &&
            page3_->m_rbKeep->isChecked());
    for (int expected : {kImportCFGPage2, kImportCFGPage1, kActionPage}) {  // only page 1 leads back to the list
      w_->Back();
      QCOMPARE(w_->Active(), expected);
    }
  }

  void TheDialogAsksAndTheFileIsMergedKeepingEntries() {
    ToLastPage();
    stopCursor = &w_->ui.waitCursor;
    SetStopServerClock(
        {[] { return depthDuringStop = stopCursor->depth, 0L; }, [](platform::MutexReleaseWatch&, int) {}});
    QTimer::singleShot(0, this, [this] {
      auto* dialog = qobject_cast<ProductCodeDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      if (dialog->parentWidget() != page3_ || !QTest::qWaitForWindowActive(dialog)) return dialog->reject();
      for (const QChar c : kCode) QTest::keyClicks(QApplication::focusWidget(), QString(c));
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);  // OK has the focus after the sixth field
    });
    w_->Finish();
    QCOMPARE(w_->Messages(page3_), QStringList(u"Die Konfigurationsdaten wurden erfolgreich importiert."_s));
    QVERIFY(w_->Closed());
    QVERIFY(depthDuringStop == 1 && w_->ui.waitCursor.depth == 0);
    QCOMPARE(w_->User("kfranke").name, std::string("kfranke"));
  }

  void UsersClearedAndOverwrite() {  // the file's addresses replace, its users stay out
    ToLastPage();
    w_->Back();
    Tick(page2_->m_chkUsers);
    w_->Next();
    Tick(page3_->m_rbOverwrite);
    QVERIFY(!FinishKeepsTheFile(kCode));
    QVERIFY(w_->Closed() && w_->User("kfranke").name.empty());
    QCOMPARE(w_->User("amueller").emails, std::vector<std::string>{"amueller@firma-demo.de"});  // info@ is filiale's
  }

  // Each outcome that keeps the installed file: that its message shows, and where the wizard goes.
  void OutcomesThatWriteNothing_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("code");     // null: the dialog is cancelled
    QTest::addColumn<QString>("message");  // its beginning; null: none
    QTest::addColumn<int>("page");         // -1: the wizard closed
    QTest::newRow("wrong code") << kBranch << u"AAABBBCCCDDDEEEFFF"_s << u"Die ausgewählte Konfigurationsdatei"_s << -1;
    QTest::newRow("cancelled") << kBranch << QString() << QString() << -1;
    QTest::newRow("no configuration") << u"leer.cfg"_s << kCode << u"Bei der ausgewählten Datei"_s << int(kActionPage);
    QTest::newRow("not loadable") << u"orn/orn"_s /* the server program */ << kCode
                                  << u"Die Konfigurationsdaten konnten nicht importiert werden.\n"_s
                                  << int(kImportCFGPage3);
  }
  void OutcomesThatWriteNothing() {
    QFETCH(QString, file);
    QFETCH(QString, code);
    QFETCH(QString, message);
    QFETCH(int, page);
    ConfigHolder(new ConfigRecord{}).Save(w_->Path(u"leer.cfg"_s).toUtf8().constData(), true);
    ToLastPage(file);
    QVERIFY(FinishKeepsTheFile(code.isNull() ? std::nullopt : std::optional(code)));
    const QStringList shown = w_->Messages(page3_);  // with the page's caption and owner
    QVERIFY2(message.isNull() ? shown.isEmpty() : shown.size() == 1 && shown[0].startsWith(message),
             qPrintable(shown.join(u'|')));
    QVERIFY(page < 0 ? w_->Closed() : w_->wizard.isVisible() && w_->Active() == page);
  }

  void TheProductCodeDialog() {
    const auto type = [](const QString& text) {  // into whichever control has the focus, as a user does
      for (const QChar c : text) QTest::keyClicks(QApplication::focusWidget(), QString(c));
    };
    ProductCodeDialog dialog;
    dialog.OnInitDialog();
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(dialog.windowTitle(), u"ORN! Product Identification Code"_s);
    QCOMPARE(dialog.CancelButton()->text(), u"Abbruch"_s);
    type(u"ab1"_s);
    QVERIFY(dialog.Field(1)->hasFocus());
    QTest::keyClicks(dialog.Field(0), u"x"_s);  // a full field takes no more
    QCOMPARE(dialog.Field(0)->text(), u"AB1"_s);
    type(u"cd2ef"_s);
    QVERIFY(Screenshot(dialog, u"product-code-dialog.png"_s));
    dialog.Field(3)->setFocus();  // the third field is left with two characters
    type(u"gh3ij4kl5"_s);
    QVERIFY(dialog.OkButton()->hasFocus());  // from the sixth field to OK
    QTest::keyClick(dialog.OkButton(), Qt::Key_Space);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.m_strCode, u"AB1CD2EFGH3IJ4KL5"_s);  // 3+3+2+3+3+3 = 17 characters
  }
};

}  // namespace orn::wizard::test

QTEST_MAIN(orn::wizard::test::ImportCFGPagesTest)
#include "ImportCFGPagesTest.moc"
