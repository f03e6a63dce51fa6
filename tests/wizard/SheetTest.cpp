// The wizard sheet: Back and Next, -1 to stay, empty slots, Finish, cancelling, file filters.

#include "wizard/app/CWizardPage.h"
#include "wizard/app/CWizardSheet.h"
#include "wizard/app/QtUiServices.h"
#include "support/FakeUi.h"

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
                                                     [this] { sheet_->CancelButton()->click(); }};
    for (const auto& way : ways) {
      QTimer::singleShot(0, sheet_.get(), way);
      QCOMPARE(sheet_->DoModal(), CWizardSheet::IDCANCEL);
    }
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
