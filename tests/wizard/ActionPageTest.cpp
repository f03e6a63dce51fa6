// The action page (CsvPagesTest renders the real wizard's one for docs/screenshots).

#include "support/FakeUi.h"
#include "wizard/action/ActionTable.h"
#include "wizard/action/CActionPage.h"
#include "wizard/app/CImportExportWizard.h"

namespace orn::wizard::test {

// An action's first page: Back returns to the action page, as on every first page.
class FirstPage : public CWizardPage {
 public:
  explicit FirstPage(int id) : CWizardPage({id, u"Aktion"_s, 139}) { new QLineEdit(this); }
  bool OnSetActive() override { return Sheet()->SetWizardButtons(PSWIZB_BACK | PSWIZB_FINISH), true; }
  int OnWizardBack() override { return Sheet()->SetActivePage(kActionPage), -1; }
};

const QString kCaption = u"Konfiguration von ORN! sichern/wiederherstellen..."_s;

class ActionPageTest : public QObject {
  Q_OBJECT

  FakeUi ui_;
  std::unique_ptr<CWizardSheet> sheet_;
  CActionPage* page_ = nullptr;

  // The action page and first pages for every listed action but the restore, whose slot is empty.
  void Build(const QByteArray& module) {
    qputenv("ORN_ADS_MODULE", module);
    ui_.messages.shown.clear();
    sheet_ = std::make_unique<CWizardSheet>(u"Wizard"_s, ui_.Services());
    sheet_->AddPage(page_ = new CActionPage);
    for (int index = 1; index < kPageCount; ++index) {
      const bool built = index == kBackupCFGPage1 || index == kImportCFGPage1 || index == kImportWindowsUsersPage1 ||
                         index == kExportCSVPage1;
      sheet_->AddPage(built ? new FirstPage(index) : nullptr);
    }
    sheet_->OnInitDialog();
    sheet_->show();
  }
  QStringList Titles() const {
    QStringList titles;
    for (int row = 0; row < page_->m_lbActions->count(); ++row) titles << page_->m_lbActions->item(row)->text();
    return titles;
  }
  QPoint RowCentre(int row) const { return page_->m_lbActions->visualItemRect(page_->m_lbActions->item(row)).center(); }
  void Click(int row, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(page_->m_lbActions->viewport(), Qt::LeftButton, modifiers, RowCentre(row));
  }
  void Press(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
  QString Description() const { return page_->findChild<QLabel*>(u"description"_s)->text(); }
  // The one message shown so far.
  QString OnlyMessage() const { return ui_.messages.shown.size() == 1 ? ui_.messages.shown[0].text : QString(); }

 private slots:
  void ThreeOrFiveRowsAsTheModuleLoads() {
    const QStringList five = {u"Vollständige Konfiguration sichern"_s, u"Vollständige Konfiguration wiederherstellen"_s,
                              u"Import aus einer Datei"_s, u"Import aus einem Microsoft-Netzwerk"_s,
                              u"E-Mail-Adressen exportieren"_s};
    Build(FAKE_ADS_MODULE);
    QCOMPARE(Titles(), five);
    for (const QByteArray& module :
         {QByteArray("/nonexistent/libornads.so"), QByteArray() /* beside this test program, where there is none */}) {
      Build(module);
      QCOMPARE(Titles(), five.mid(0, 3));
    }
  }

  void TheDescriptionFollowsTheSelection() {
    Build(FAKE_ADS_MODULE);
    QCOMPARE(sheet_->windowTitle(), kCaption);
    QCOMPARE(page_->m_lbActions->selectedItems().size(), 1);
    QCOMPARE(Description(), QString::fromUtf8(kActionTable[0].description));
    QVERIFY(!sheet_->BackButton()->isEnabled() && sheet_->NextButton()->isEnabled());
    Click(4);
    QCOMPARE(Description(),
             u"Exportiert Benutzernamen und E-Mail-Adressen von ORN! in eine kommagetrennte Datei (.csv)."_s);
    Click(4, Qt::ControlModifier);  // takes the selection away
    QCOMPARE(Description(), QString());
    Press(sheet_->NextButton());
    QCOMPARE(sheet_->GetActiveIndex(), 0);
    QCOMPARE(OnlyMessage(), u"Wählen Sie bitte eine Aktion aus."_s);
  }

  void NextAndDoubleClickLeadToTheFirstPageAndBackKeepsTheSelection() {
    Build(FAKE_ADS_MODULE);
    const int firstPage[] = {kBackupCFGPage1, kRestoreCFGPage1, kImportCFGPage1, kImportWindowsUsersPage1,
                             kExportCSVPage1};
    for (int row : {0, 2, 3, 4}) {  // the untouched list: the backup
      if (row) Click(row);
      Press(sheet_->NextButton());
      QCOMPARE(sheet_->GetActiveIndex(), firstPage[row]);
      Press(sheet_->BackButton());
      QCOMPARE(sheet_->GetActiveIndex(), 0);
    }
    QCOMPARE(Description(), QString::fromUtf8(kActionTable[4].description));
    QTest::mouseDClick(page_->m_lbActions->viewport(), Qt::LeftButton, {}, RowCentre(2));
    QTRY_COMPARE(sheet_->GetActiveIndex(), int(kImportCFGPage1));
    QVERIFY(ui_.messages.shown.empty());
    // The restore's page is missing here: its row is refused, and no page shows in its place.
    Press(sheet_->BackButton());
    Click(1);
    Press(sheet_->NextButton());
    QCOMPARE(sheet_->GetActiveIndex(), 0);
    QCOMPARE(OnlyMessage(), u"Diese Aktion ist in dieser Version noch nicht verfügbar."_s);
  }
};

}  // namespace orn::wizard::test

QTEST_MAIN(orn::wizard::test::ActionPageTest)
#include "ActionPageTest.moc"
