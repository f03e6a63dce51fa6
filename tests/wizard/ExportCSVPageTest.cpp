// The CSV export page on the demo installation: its proposal, the separators, the browse dialog,
// Back, and what Finish writes or says.
#include <QCheckBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

#include "wizard/action/CActionPage.h"
#include "support/DemoWizard.h"
#include "wizard/users/CExportCSVPage1.h"

namespace orn::wizard::test {

class ExportCSVPageTest : public QObject {
  Q_OBJECT

  std::unique_ptr<DemoWizard> w_;
  CExportCSVPage1* page_ = nullptr;

  void Open() {  // from the action page's fifth row, listed with the directory module
    w_.reset();
    qputenv("ORN_ADS_MODULE", FAKE_ADS_MODULE);
    w_ = std::make_unique<DemoWizard>();
    w_->At<CActionPage>(kActionPage)->m_lbActions->setCurrentRow(4);
    w_->Next();
    QCOMPARE(w_->Active(), int(kExportCSVPage1));
    page_ = w_->At<CExportCSVPage1>(kExportCSVPage1);
  }
  static QStringList Lines(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n")) : QStringList();
  }

 private slots:
  void ProposalAndBothLayouts() {
    Open();
    QCOMPARE(w_->wizard.windowTitle(), QStringLiteral("Benutzerdaten nach CSV exportieren"));
    QCOMPARE(w_->wizard.WizardButtons(), PSWIZB_BACK | PSWIZB_FINISH);
    const QString proposed = page_->m_editPath->text();
    QCOMPARE(proposed, w_->Path(QDate::currentDate().toString(QStringLiteral("'orn/orn_'ddMMyy'.csv'"))));
    QVERIFY(page_->m_rbComma->isChecked() && !page_->m_chkOneAddressPerRow->isChecked());
    QVERIFY(w_->Render(QStringLiteral("export-csv-page.png")));
    Tick(page_->m_rbSemicolon);
    w_->Finish();
    QCOMPARE(w_->Messages(page_), QStringList(QStringLiteral("Der Export wurde erfolgreich abgeschlossen.")));
    QVERIFY(w_->Closed());
    QStringList lines = Lines(proposed);  // the header, 36 users, nothing after the last line end
    QCOMPARE(lines.size(), 38);
    QCOMPARE(lines[0], QStringLiteral("UserName;Name;E-Mail;E-Mail1;E-Mail2;E-Mail3"));
    QVERIFY(lines.contains(QStringLiteral("amueller;Anna Müller;amueller@firma-demo.de;info@firma-demo.de;;")));

    Open();  // tabs, one row per address; the text beside the box toggles it
    page_->m_editPath->setText(w_->Path(QStringLiteral("rows.csv")));
    Tick(page_->m_rbTab);
    QTest::mouseClick(page_->m_lblOneAddressPerRow, Qt::LeftButton);
    w_->Finish();
    lines = Lines(w_->Path(QStringLiteral("rows.csv")));
    QCOMPARE(lines.value(0), QStringLiteral("UserName\tName\tE-Mail"));
    QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^admin\t"))).size(), 4);
  }

  void RefusalsFailuresBrowseAndBack() {
    Open();
    const QString proposed = page_->m_editPath->text();
    w_->ui.files.answers = {QString(), QStringLiteral("/srv/benutzer.csv")};
    for (int i = 0; i < 2; ++i) QTest::mouseClick(page_->m_btnBrowse, Qt::LeftButton);  // cancelled, then chosen
    QCOMPARE(page_->m_editPath->text(), QStringLiteral("/srv/benutzer.csv"));
    const FileRequest& request = w_->ui.files.requests.back();
    QVERIFY(request.save && request.defaultExtension == QStringLiteral("csv") && request.initialPath == proposed);
    QCOMPARE(request.filter, QStringLiteral("kommagetrennte Datei (*.csv)|*.csv|Alle Dateien (*.*)|*.*||"));

    for (const QString& path : {QString(), w_->Path(QStringLiteral("fehlt/b.csv")), w_->Path(QStringLiteral("a.csv"))}) {
      if (path.endsWith(QStringLiteral("/a.csv"))) QFile::resize(w_->Config(), 10);
      page_->m_editPath->setText(path);
      w_->Finish();
    }
    QCOMPARE(w_->Messages(page_),
             QStringList({QStringLiteral("Geben Sie bitte einen Dateipfad an."),
                          QStringLiteral("Die Benutzer konnten nicht geschrieben werden.\nFehlermeldung: no opened file"),
                          QStringLiteral("Die Konfiguration konnte nicht geladen werden.\n"
                                         "Fehlermeldung: opening config file failed")}));
    QVERIFY(!QFile::exists(w_->Path(QStringLiteral("a.csv"))));
    w_->Back();
    QCOMPARE(w_->Active(), int(kActionPage));
  }

  void WithoutAnInstallationDirectoryNothingIsProposed() {
    Open();
    QFile hive(qEnvironmentVariable("ORN_REGISTRY"));
    QVERIFY(hive.open(QIODevice::WriteOnly));
    hive.write("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\OSKA\\ORN\\CurrentVersion]\n\"Task_DNS\"=\"1\"\n");
    hive.close();
    CImportExportWizard wizard(w_->ui.Services());
    QVERIFY(wizard.OnInitDialog() && wizard.SetActivePage(kExportCSVPage1));
    QCOMPARE(static_cast<CExportCSVPage1*>(wizard.GetActivePage())->m_editPath->text(), QString());
    QCOMPARE(w_->ui.messages.shown.back().text, QStringLiteral("Das Installationsverzeichnis von ORN! konnte nicht "
                                                               "ermittelt werden.\nFehlermeldung: Die Registry konnte "
                                                               "nicht gelesen werden"));
  }
};

}  // namespace orn::wizard::test

QTEST_MAIN(orn::wizard::test::ExportCSVPageTest)
#include "ExportCSVPageTest.moc"
