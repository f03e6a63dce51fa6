// The configuration import's three pages on the demo installation: the file check, Back and Next
// between the pages, the choices of pages 2 and 3, and each outcome of Finish, with the branch
// office's file that asks for its product code; and the product code dialog itself.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "wizard/action/CActionPage.h"
#include "wizard/cfgimport/CImportCFGPage1.h"
#include "wizard/cfgimport/CImportCFGPage2.h"
#include "wizard/cfgimport/CImportCFGPage3.h"
#include "wizard/cfgimport/ProductCodeDialog.h"
#include "config/ConfigHolder.h"
#include "install/ServerStop.h"
#include "support/DemoWizard.h"

namespace orn::wizard::test {

const QString kBranch = QStringLiteral("import/filiale.cfg"), kCode = QStringLiteral("b3m7n1p5q9r2s6t4v8");
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
    QCOMPARE(w_->wizard.windowTitle(), QStringLiteral("Konfigurationsdaten importieren"));
    w_->Next();
    page1_->m_editPath->setText(w_->Path(QStringLiteral("import/fehlt.cfg")));
    w_->Next();
    QCOMPARE(w_->Messages(page1_), QStringList(2, QStringLiteral("Geben Sie bitte einen gültigen Dateipfad an.")));
    w_->ui.files.answers = {w_->Path(kBranch)};
    QTest::mouseClick(page1_->m_btnBrowse, Qt::LeftButton);
    const FileRequest& request = w_->ui.files.requests.back();
    QVERIFY(!request.save && request.initialPath == QStringLiteral("orn.cfg"));
    QCOMPARE(request.filter, QStringLiteral("ORN!-Konfiguration (*.cfg)|*.cfg|Alle Dateien (*.*)|*.*||"));

    const int buttons[] = {PSWIZB_BACK | PSWIZB_NEXT, PSWIZB_BACK | PSWIZB_NEXT, PSWIZB_BACK | PSWIZB_FINISH};
    for (int page : {kImportCFGPage1, kImportCFGPage2, kImportCFGPage3}) {
      QCOMPARE(w_->Active(), page);
      QCOMPARE(w_->wizard.WizardButtons(), buttons[page - kImportCFGPage1]);
      QVERIFY(w_->Render(QStringLiteral("import-cfg-page%1.png").arg(page - 2)));
      w_->Next();
    }
    QVERIFY(page2_->m_chkUsers->isChecked() && page2_->m_chkEmailAddresses->isChecked() && page3_->m_rbKeep->isChecked());
    for (int expected : {kImportCFGPage2, kImportCFGPage1, kActionPage}) {  // only page 1 leads back to the list
      w_->Back();
      QCOMPARE(w_->Active(), expected);
    }
  }

  void TheDialogAsksAndTheFileIsMergedKeepingEntries() {
    ToLastPage();
    stopCursor = &w_->ui.waitCursor;
    SetStopServerClock({[] { return depthDuringStop = stopCursor->depth, 0L; }, [](int) {}});
    QTimer::singleShot(0, this, [this] {
      auto* dialog = qobject_cast<ProductCodeDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      if (dialog->parentWidget() != page3_ || !QTest::qWaitForWindowActive(dialog)) return dialog->reject();
      for (const QChar c : kCode) QTest::keyClicks(QApplication::focusWidget(), QString(c));
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);  // OK has the focus after the sixth field
    });
    w_->Finish();
    QCOMPARE(w_->Messages(page3_), QStringList(QStringLiteral("Die Konfigurationsdaten wurden erfolgreich importiert.")));
    QVERIFY(w_->Closed());
    QVERIFY(depthDuringStop == 1 && w_->ui.waitCursor.depth == 0);
    QCOMPARE(w_->User("kfranke").name, std::string("kfranke"));
    QCOMPARE(w_->User("amueller").fullName, std::string("Anna Müller"));  // kept
  }

  void UsersClearedAndOverwrite() {  // the file's addresses replace, its users stay out
    ToLastPage();
    w_->Back();
    Tick(page2_->m_chkUsers);
    w_->Next();
    Tick(page3_->m_rbOverwrite);
    QVERIFY(!FinishKeepsTheFile(kCode));
    QVERIFY(w_->Closed());
    QCOMPARE(w_->User("kfranke").name, std::string());
    QCOMPARE(w_->User("amueller").fullName, std::string("Anna Müller"));
    QCOMPARE(w_->User("amueller").emails, std::vector<std::string>{"amueller@firma-demo.de"});  // info@ is filiale's
  }

  void AWrongCodeOrNoneEndsTheWizard() {
    ToLastPage();
    QVERIFY(FinishKeepsTheFile(QStringLiteral("AAABBBCCCDDDEEEFFF")));
    QCOMPARE(w_->Messages(page3_), QStringList(QStringLiteral(
        "Die ausgewählte Konfigurationsdatei konnte mit der angegebenen Produkt-ID nicht geladen werden. Dadurch ist "
        "ein Import der Konfigurationsdaten nicht möglich.")));
    QVERIFY(w_->Closed());

    init();  // the dialog cancelled: no message
    ToLastPage();
    QVERIFY(FinishKeepsTheFile(std::nullopt));
    QVERIFY(w_->ui.messages.shown.empty() && w_->Closed());
  }

  void NoConfigurationLeadsBackToTheActionPage() {
    ConfigHolder(new ConfigRecord{}).Save(w_->Path(QStringLiteral("leer.cfg")).toUtf8().constData(), true);
    ToLastPage(QStringLiteral("leer.cfg"));
    QVERIFY(FinishKeepsTheFile(kCode));
    QCOMPARE(w_->Messages(page3_), QStringList(QStringLiteral(
        "Bei der ausgewählten Datei handelt es sich nicht um eine gültige ORN!-Konfigurationsdatei.")));
    QVERIFY(w_->wizard.isVisible() && w_->Active() == kActionPage);
  }

  void AFailureKeepsThePage() {
    ToLastPage(QStringLiteral("orn/orn"));  // the server program
    QVERIFY(FinishKeepsTheFile(kCode));
    QCOMPARE(w_->Messages(page3_), QStringList(QStringLiteral(
        "Die Konfigurationsdaten konnten nicht importiert werden.\nFehlermeldung: Fehler beim Laden der Konfiguration")));
    QVERIFY(w_->wizard.isVisible() && w_->Active() == kImportCFGPage3);
  }

  // The dialog on its own: upper case as typed, the focus moving on after three characters, and
  // the code joined from the fields as they are.
  void TheProductCodeDialog() {
    const auto type = [](const QString& text) {  // into whichever control has the focus, as a user does
      for (const QChar c : text) QTest::keyClicks(QApplication::focusWidget(), QString(c));
    };
    ProductCodeDialog dialog;
    dialog.OnInitDialog();
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("ORN! Product Identification Code"));
    QCOMPARE(dialog.CancelButton()->text(), QStringLiteral("Abbruch"));
    type(QStringLiteral("ab"));
    QVERIFY(dialog.Field(0)->hasFocus());  // two characters: the focus stays
    type(QStringLiteral("1"));
    QVERIFY(dialog.Field(1)->hasFocus());
    QTest::keyClicks(dialog.Field(0), QStringLiteral("x"));  // a full field takes no more
    QCOMPARE(dialog.Field(0)->text(), QStringLiteral("AB1"));
    type(QStringLiteral("cd2ef"));
    QVERIFY(Screenshot(dialog, QStringLiteral("product-code-dialog.png")));
    dialog.Field(3)->setFocus();  // the third field is left with two characters
    type(QStringLiteral("gh3ij4kl5"));
    QVERIFY(dialog.OkButton()->hasFocus());  // from the sixth field to OK
    QTest::keyClick(dialog.OkButton(), Qt::Key_Space);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.m_strCode, QStringLiteral("AB1CD2EFGH3IJ4KL5"));  // 3+3+2+3+3+3 = 17 characters
  }
};

}  // namespace orn::wizard::test

QTEST_MAIN(orn::wizard::test::ImportCFGPagesTest)
#include "ImportCFGPagesTest.moc"
