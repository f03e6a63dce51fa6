// The wizard sheet: default Back and Next, -1 to stay, empty slots, Finish, cancelling, help,
// the dialog-unit layout, the file-dialog filters and the help window.

#include "wizard/app/CWizardPage.h"
#include "wizard/app/CWizardSheet.h"
#include "wizard/app/QtUiServices.h"
#include "support/FakeUi.h"
#include "support/TestSupport.h"

namespace orn::wizard::test {

// A page that answers as told and counts what the sheet asked of it.
class StubPage : public CWizardPage {
 public:
  StubPage(int id, int buttons) : CWizardPage({id, u"Seite %1"_s.arg(id), 138}), buttons_(buttons) {}
  bool OnInitDialog() override { return ++inits, true; }
  bool OnSetActive() override { return Sheet()->SetWizardButtons(buttons_), acceptActivation; }
  bool OnKillActive() override { return acceptLeaving; }
  int OnWizardNext() override { return next; }
  int OnWizardFinish() override { return ++finishes, finish; }
  int next = 0, finish = 1, inits = 0, finishes = 0;
  bool acceptActivation = true, acceptLeaving = true;

 private:
  int buttons_;
};

class SheetTest : public QObject {
  Q_OBJECT

  FakeUi ui_;
  std::unique_ptr<CWizardSheet> sheet_;
  std::vector<StubPage*> pages_;

 private slots:
  // Pages at 0, 1 and 3, an empty slot at 2; the last page offers Finish.
  void init() {
    sheet_ = std::make_unique<CWizardSheet>(u"Wizard"_s, ui_.Services());
    pages_ = {new StubPage(100, PSWIZB_NEXT), new StubPage(101, PSWIZB_BACK | PSWIZB_NEXT), nullptr,
              new StubPage(103, PSWIZB_BACK | PSWIZB_FINISH)};
    for (StubPage* page : pages_) sheet_->AddPage(page);
    QVERIFY(sheet_->OnInitDialog());
    sheet_->show();
  }

  void NextAndBackMoveToTheNeighbourUnlessAPageOrAnEmptySlotSaysNo() {
    QCOMPARE(sheet_->windowTitle(), u"Seite 100"_s);
    QVERIFY(!sheet_->BackButton()->isEnabled());
    QTest::keyClick(sheet_.get(), Qt::Key_Return);  // Enter is Next
    QCOMPARE(sheet_->GetActiveIndex(), 1);
    QCOMPARE(sheet_->windowTitle(), u"Seite 101"_s);
    QTest::mouseClick(sheet_->BackButton(), Qt::LeftButton);
    QCOMPARE(sheet_->GetActiveIndex(), 0);

    // Each way of saying no keeps the first page: Next answers -1, leaving or activating is refused.
    for (int refusal = 0; refusal < 3; ++refusal) {
      pages_[0]->next = refusal == 0 ? -1 : 0;
      pages_[0]->acceptLeaving = refusal != 1;
      pages_[1]->acceptActivation = refusal != 2;
      QTest::mouseClick(sheet_->NextButton(), Qt::LeftButton);
      QCOMPARE(sheet_->GetActiveIndex(), 0);
    }
    QCOMPARE(pages_[1]->inits, 1);  // initialised once although shown twice

    // The empty slot at 2 is never entered, whichever way.
    pages_[1]->acceptActivation = true;
    QVERIFY(sheet_->SetActivePage(1));
    QTest::mouseClick(sheet_->NextButton(), Qt::LeftButton);
    for (int index : {2, 4, -1}) QVERIFY(!sheet_->SetActivePage(index));
    QCOMPARE(sheet_->GetActiveIndex(), 1);
  }

  void FinishTakesNextsPlaceAndClosesOnNonZero() {
    QVERIFY(sheet_->SetActivePage(3));
    QVERIFY(!sheet_->NextButton()->isVisible() && sheet_->FinishButton()->isVisible());
    pages_[3]->finish = 0;
    QTest::mouseClick(sheet_->FinishButton(), Qt::LeftButton);
    QVERIFY(sheet_->isVisible());
    pages_[3]->finish = -1;
    QTest::keyClick(sheet_.get(), Qt::Key_Return);
    QVERIFY(!sheet_->isVisible() && sheet_->result() == CWizardSheet::ID_WIZFINISH);
    QCOMPARE(pages_[3]->finishes, 2);
  }

  void EscapeCancelAndTheCloseButtonCancel() {
    const std::vector<std::function<void()>> ways = {[this] { QTest::keyClick(sheet_.get(), Qt::Key_Escape); },
                                                     [this] { sheet_->CancelButton()->click(); },
                                                     [this] { sheet_->close(); }};
    for (const auto& way : ways) {
      QTimer::singleShot(0, sheet_.get(), way);
      QCOMPARE(sheet_->DoModal(), CWizardSheet::IDCANCEL);
    }
  }

  void HelpOpensTheFileOfTheCurrentDirectory() {
    QTemporaryDir elsewhere;
    const QString before = QDir::currentPath();
    QTest::mouseClick(sheet_->HelpButton(), Qt::LeftButton);
    QVERIFY(QDir::setCurrent(elsewhere.path()));
    QTest::keyClick(sheet_.get(), Qt::Key_F1);
    QDir::setCurrent(before);
    QCOMPARE(ui_.help.opened, std::vector<QString>({QDir(before).filePath(u"orncfg.html"_s),
                                                    QDir(elsewhere.path()).filePath(u"orncfg.html"_s)}));
  }

  void HelpShowsInAWindowOfItsOwnWhenNoViewerStarts() {
    QTemporaryDir dir;
    const QString help = dir.filePath(u"orncfg.html"_s);
    orn::test::WriteFile(help.toStdString(), "<html><body><h1>Hilfe zu ORN!</h1></body></html>");
    // No launcher on the PATH, and a launcher that finds no viewer (as xdg-open without a desktop).
    QVERIFY(QDir(dir.path()).mkdir(u"failing"_s));
    orn::test::WriteFile(dir.filePath(u"failing/xdg-open"_s).toStdString(), "#!/bin/sh\nexit 3\n");
    QVERIFY(QFile::setPermissions(dir.filePath(u"failing/xdg-open"_s), QFile::ReadOwner | QFile::ExeOwner));
    const QByteArray path = qgetenv("PATH");
    for (const QString& bin : {dir.filePath(u"empty"_s), dir.filePath(u"failing"_s)}) {
      qputenv("PATH", bin.toUtf8());
      QtHelpViewer().Open(help);
      qputenv("PATH", path);
      QWidget* window = nullptr;
      for (QWidget* candidate : QApplication::topLevelWidgets())
        if (candidate->objectName() == u"helpWindow"_s && candidate->isVisible()) window = candidate;
      QVERIFY2(window, qPrintable(bin));
      QVERIFY(window->findChild<QTextBrowser*>()->toPlainText().contains(u"Hilfe zu ORN!"_s));
      window->close();
    }
  }

  void PagesAreLaidOutInDialogUnits() {
    const QFontMetrics metrics(pages_[0]->font());
    const DialogUnits units(pages_[0]->font());
    const int letters = metrics.horizontalAdvance(u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"_s);
    QVERIFY(std::abs(units.BaseX() * 52 - letters) <= 26);
    QCOMPARE(units.BaseY(), metrics.height());
    auto* picture = pages_[0]->findChild<QLabel*>(u"sidePicture"_s);
    QVERIFY(picture && !picture->pixmap().isNull() && picture->geometry().right() < pages_[0]->width());
    QVERIFY(sheet_->NextButton()->geometry().top() >= pages_[0]->geometry().bottom());
  }

  void WindowsFiltersBecomeQtNameFilters() {
    QCOMPARE(QtNameFilters(u"ORN!-Konfigurationsarchiv (*.zip;*.eff)|*.zip;*.eff|Alle Dateien (*.*)|*.*||"_s),
             QStringList({u"ORN!-Konfigurationsarchiv (*.zip *.eff)"_s, u"Alle Dateien (*.*)"_s}));
    QCOMPARE(QtNameFilters(u"Text|*.csv; *.txt"_s), QStringList({u"Text (*.csv *.txt)"_s}));
    QVERIFY(QtNameFilters(u"|"_s).isEmpty());
  }
};

}  // namespace orn::wizard::test

QTEST_MAIN(orn::wizard::test::SheetTest)
#include "SheetTest.moc"
