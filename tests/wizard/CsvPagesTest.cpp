// The CSV pages on the demo installation: the export's proposal, separators and layouts; the
// import's source check; for both the browse dialog, Back, and what Finish writes or says.
#include <QCheckBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

#include "wizard/action/CActionPage.h"
#include "support/DemoWizard.h"
#include "wizard/users/CExportCSVPage1.h"
#include "wizard/users/CImportCSVPage1.h"

namespace orn::wizard::test {

class CsvPagesTest : public QObject {
  Q_OBJECT

  std::unique_ptr<DemoWizard> w_;
  CExportCSVPage1* export_ = nullptr;
  CImportCSVPage1* import_ = nullptr;

  void OpenExport() {  // from the action page's fifth row, listed with the directory module
    w_.reset();
    qputenv("ORN_ADS_MODULE", FAKE_ADS_MODULE);
    w_ = std::make_unique<DemoWizard>();
    w_->At<CActionPage>(kActionPage)->m_lbActions->setCurrentRow(4);
    w_->Next();
    QCOMPARE(w_->Active(), int(kExportCSVPage1));
    export_ = w_->At<CExportCSVPage1>(kExportCSVPage1);
  }
  void OpenImport() {  // the action list does not offer this import: the page is made active directly
    w_.reset();
    qunsetenv("ORN_ADS_MODULE");
    w_ = std::make_unique<DemoWizard>();
    QVERIFY(w_->Ok() && w_->wizard.SetActivePage(kImportCSVPage1));
    import_ = w_->At<CImportCSVPage1>(kImportCSVPage1);
  }
  static QStringList Lines(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n")) : QStringList();
  }
  void FinishWith(const QString& name, const QByteArray& content = {}) {
    QFile file(w_->Path(name));
    if (!content.isEmpty()) QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    import_->m_editPath->setText(name.isEmpty() ? QString() : file.fileName());
    file.close();
    w_->Finish();
  }

 private slots:
  void ExportProposalAndBothLayouts() {
    OpenExport();
    QCOMPARE(w_->wizard.windowTitle(), QStringLiteral("Benutzerdaten nach CSV exportieren"));
    QCOMPARE(w_->wizard.WizardButtons(), PSWIZB_BACK | PSWIZB_FINISH);
    const QString proposed = export_->m_editPath->text();
    QCOMPARE(proposed, w_->Path(QDate::currentDate().toString(QStringLiteral("'orn/orn_'ddMMyy'.csv'"))));
    QVERIFY(export_->m_rbComma->isChecked() && !export_->m_chkOneAddressPerRow->isChecked());
    QVERIFY(w_->Render(QStringLiteral("export-csv-page.png")));
    Tick(export_->m_rbSemicolon);
    w_->Finish();
    QCOMPARE(w_->Messages(export_), QStringList(QStringLiteral("Der Export wurde erfolgreich abgeschlossen.")));
    QVERIFY(w_->Closed());
    QStringList lines = Lines(proposed);  // the header, 36 users, nothing after the last line end
    QCOMPARE(lines.size(), 38);
    QCOMPARE(lines[0], QStringLiteral("UserName;Name;E-Mail;E-Mail1;E-Mail2;E-Mail3"));
    QVERIFY(lines.contains(QStringLiteral("amueller;Anna Müller;amueller@firma-demo.de;info@firma-demo.de;;")));

    OpenExport();  // tabs, one row per address; the text beside the box toggles it
    export_->m_editPath->setText(w_->Path(QStringLiteral("rows.csv")));
    Tick(export_->m_rbTab);
    QTest::mouseClick(export_->m_lblOneAddressPerRow, Qt::LeftButton);
    w_->Finish();
    lines = Lines(w_->Path(QStringLiteral("rows.csv")));
    QCOMPARE(lines.value(0), QStringLiteral("UserName\tName\tE-Mail"));
    QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^admin\t"))).size(), 4);
  }

  void ExportRefusalsFailuresBrowseAndBack() {
    OpenExport();
    const QString proposed = export_->m_editPath->text();
    w_->ui.files.answers = {QString(), QStringLiteral("/srv/benutzer.csv")};
    for (int i = 0; i < 2; ++i) QTest::mouseClick(export_->m_btnBrowse, Qt::LeftButton);  // cancelled, then chosen
    QCOMPARE(export_->m_editPath->text(), QStringLiteral("/srv/benutzer.csv"));
    const FileRequest& request = w_->ui.files.requests.back();
    QVERIFY(request.save && request.defaultExtension == QStringLiteral("csv") && request.initialPath == proposed);
    QCOMPARE(request.filter, QStringLiteral("kommagetrennte Datei (*.csv)|*.csv|Alle Dateien (*.*)|*.*||"));

    for (const QString& path : {QString(), w_->Path(QStringLiteral("fehlt/b.csv")), w_->Path(QStringLiteral("a.csv"))}) {
      if (path.endsWith(QStringLiteral("/a.csv"))) QFile::resize(w_->Config(), 10);
      export_->m_editPath->setText(path);
      w_->Finish();
    }
    QCOMPARE(w_->Messages(export_),
             QStringList({QStringLiteral("Geben Sie bitte einen Dateipfad an."),
                          QStringLiteral("Die Benutzer konnten nicht geschrieben werden.\nFehlermeldung: no opened file"),
                          QStringLiteral("Die Konfiguration konnte nicht geladen werden.\n"
                                         "Fehlermeldung: opening config file failed")}));
    QVERIFY(!QFile::exists(w_->Path(QStringLiteral("a.csv"))));
    w_->Back();
    QCOMPARE(w_->Active(), int(kActionPage));
  }

  void ExportWithoutAnInstallationDirectoryProposesNothing() {
    OpenExport();
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

  void ImportAddsTheNewUsersAndEnds() {
    OpenImport();
    QCOMPARE(w_->wizard.windowTitle(), QStringLiteral("Benutzerdaten aus einer CSV-Datei importieren"));
    QCOMPARE(w_->wizard.WizardButtons(), PSWIZB_BACK | PSWIZB_FINISH);
    QVERIFY(w_->Render(QStringLiteral("import-csv-page.png")));
    FinishWith(QStringLiteral("neu.csv"), "Name;FullName;E-Mail\r\njneu;Jana Neu;jneu@firma-demo.de\r\n");
    QCOMPARE(w_->Messages(import_), QStringList(QStringLiteral("Das Importieren der Benutzer war erfolgreich.")));
    QVERIFY(w_->Closed());
    QCOMPARE(w_->User("jneu").emails, std::vector<std::string>{"jneu@firma-demo.de"});
  }

  void ImportRefusalsFailuresBrowseAndBack() {
    OpenImport();
    const QByteArray config = w_->ConfigBytes();
    FinishWith(QString());
    FinishWith(QStringLiteral("fehlt.csv"));
    FinishWith(QStringLiteral("export.csv"), "UserName,Name,E-Mail\r\nx,X,x@y\r\n");
    FinishWith(QStringLiteral("import"));  // a folder passes the check and cannot be read
    QCOMPARE(w_->ConfigBytes(), config);
    QFile::remove(w_->Config());
    FinishWith(QStringLiteral("gut.csv"), "Name,FullName,E-Mail\r\njneu,Jana Neu,jneu@firma-demo.de\r\n");
    QCOMPARE(w_->Messages(import_),
             QStringList({QStringLiteral("Geben Sie bitte einen gültigen Dateipfad an."),
                          QStringLiteral("Geben Sie bitte einen gültigen Dateipfad an."),
                          QStringLiteral("Die Benutzer konnten nicht gelesen werden.\n"
                                         "Fehlermeldung: Die Datei hat ein ungültiges Format"),
                          QStringLiteral("Die Benutzer konnten nicht gelesen werden.\nFehlermeldung: no opened file"),
                          QStringLiteral("Die Benutzer konnten nicht importiert werden.\n"
                                         "Fehlermeldung: opening config file failed")}));
    QVERIFY(!QFile::exists(w_->Config()));

    w_->ui.files.answers = {QStringLiteral("/srv/benutzer.csv")};
    QTest::mouseClick(import_->m_btnBrowse, Qt::LeftButton);
    QCOMPARE(import_->m_editPath->text(), QStringLiteral("/srv/benutzer.csv"));
    const FileRequest& request = w_->ui.files.requests.back();
    QVERIFY(!request.save && request.initialPath == QStringLiteral("orn.csv"));
    QCOMPARE(request.filter, QStringLiteral("kommagetrennte Datei (*.csv)|*.csv|Alle Dateien (*.*)|*.*||"));
    w_->Back();
    QCOMPARE(w_->Active(), int(kActionPage));
  }
};

}  // namespace orn::wizard::test

QTEST_MAIN(orn::wizard::test::CsvPagesTest)
#include "CsvPagesTest.moc"
