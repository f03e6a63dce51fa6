// The CSV pages; the export and import (CsvTransfer) have no test of their own: their messages
// are pinned here.

#include "support/DemoWizard.h"
#include "wizard/action/CActionPage.h"
#include "wizard/users/CExportCSVPage1.h"
#include "wizard/users/CImportCSVPage1.h"

namespace orn::wizard::test {

const QString kCsvFilter = u"kommagetrennte Datei (*.csv)|*.csv|Alle Dateien (*.*)|*.*||"_s;

class CsvPagesTest : public QObject {
  Q_OBJECT

  std::unique_ptr<DemoWizard> w_;
  CExportCSVPage1* export_ = nullptr;
  CImportCSVPage1* import_ = nullptr;

  void OpenExport() {  // from the action page's fifth row, listed with the directory module
    w_.reset();
    qputenv("ORN_ADS_MODULE", FAKE_ADS_MODULE);
    w_ = std::make_unique<DemoWizard>();
    QVERIFY(w_->Render(u"action-page.png"_s));
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
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(u"\r\n"_s) : QStringList();
  }
  void FinishWith(const QString& name, const std::string& content = {}) {
    if (!content.empty()) orn::test::WriteFile(w_->Path(name).toStdString(), content);
    import_->m_editPath->setText(name.isEmpty() ? QString() : w_->Path(name));
    w_->Finish();
  }
  // Browsing puts the answer into the field; the request for it.
  FileRequest Browse(QAbstractButton* button, QLineEdit* field) {
    w_->ui.files.answers = {QString(), u"/srv/benutzer.csv"_s};
    for (int i = 0; i < 2; ++i) QTest::mouseClick(button, Qt::LeftButton);  // cancelled, then chosen
    return field->text() == u"/srv/benutzer.csv"_s ? w_->ui.files.requests.back() : FileRequest{};
  }

 private slots:
  // The semicolon and the tab with one address per row (the box's text toggles it) reach the export.
  void ExportProposalAndBothLayouts() {
    OpenExport();
    QCOMPARE(w_->wizard.windowTitle(), u"Benutzerdaten nach CSV exportieren"_s);
    QCOMPARE(w_->wizard.WizardButtons(), PSWIZB_BACK | PSWIZB_FINISH);
    const QString proposed = export_->m_editPath->text();
    QCOMPARE(proposed, w_->Path(QDate::currentDate().toString(u"'orn/orn_'ddMMyy'.csv'"_s)));
    QVERIFY(export_->m_rbComma->isChecked() && !export_->m_chkOneAddressPerRow->isChecked());
    QVERIFY(w_->Render(u"export-csv-page.png"_s));
    Tick(export_->m_rbSemicolon);
    w_->Finish();
    QCOMPARE(w_->Messages(export_), QStringList(u"Der Export wurde erfolgreich abgeschlossen."_s));
    QVERIFY(w_->Closed());
    QCOMPARE(Lines(proposed).value(0), u"UserName;Name;E-Mail;E-Mail1;E-Mail2;E-Mail3"_s);

    OpenExport();
    export_->m_editPath->setText(w_->Path(u"rows.csv"_s));
    Tick(export_->m_rbTab);
    QTest::mouseClick(export_->m_lblOneAddressPerRow, Qt::LeftButton);
    w_->Finish();
    const QStringList lines = Lines(w_->Path(u"rows.csv"_s));
    QCOMPARE(lines.value(0), u"UserName\tName\tE-Mail"_s);
    QCOMPARE(lines.filter(QRegularExpression(u"^admin\t"_s)).size(), 4);
  }

  void ExportRefusalsFailuresBrowseAndBack() {
    OpenExport();
    const FileRequest request = Browse(export_->m_btnBrowse, export_->m_editPath);
    QVERIFY(request.save && request.defaultExtension == u"csv"_s && request.filter == kCsvFilter);
    QCOMPARE(request.initialPath, w_->Path(QDate::currentDate().toString(u"'orn/orn_'ddMMyy'.csv'"_s)));
    for (const QString& path : {QString(), w_->Path(u"fehlt/b.csv"_s), w_->Path(u"a.csv"_s)}) {
      if (path.endsWith(u"/a.csv"_s)) QFile::resize(w_->Config(), 10);
      export_->m_editPath->setText(path);
      w_->Finish();
    }
    QCOMPARE(
        w_->Messages(export_),
        QStringList({u"Geben Sie bitte einen Dateipfad an."_s,
                     u"Die Benutzer konnten nicht geschrieben werden.\nFehlermeldung: no opened file"_s,
                     u"Die Konfiguration konnte nicht geladen werden.\nFehlermeldung: opening config file failed"_s}));
    QVERIFY(!QFile::exists(w_->Path(u"a.csv"_s)));
    w_->Back();
    QCOMPARE(w_->Active(), int(kActionPage));
  }

  void ImportAddsTheNewUsersAndEnds() {
    OpenImport();
    QCOMPARE(w_->wizard.windowTitle(), u"Benutzerdaten aus einer CSV-Datei importieren"_s);
    QCOMPARE(w_->wizard.WizardButtons(), PSWIZB_BACK | PSWIZB_FINISH);
    QVERIFY(w_->Render(u"import-csv-page.png"_s));
    FinishWith(u"neu.csv"_s, "Name;FullName;E-Mail\r\njneu;Jana Neu;jneu@firma-demo.de\r\n");
    QCOMPARE(w_->Messages(import_), QStringList(u"Das Importieren der Benutzer war erfolgreich."_s));
    QVERIFY(w_->Closed());
    QCOMPARE(w_->User("jneu").emails, std::vector<std::string>{"jneu@firma-demo.de"});
  }

  void ImportRefusalsFailuresBrowseAndBack() {
    OpenImport();
    const QByteArray config = w_->ConfigBytes();
    FinishWith(u"fehlt.csv"_s);
    FinishWith(u"export.csv"_s, "UserName,Name,E-Mail\r\nx,X,x@y\r\n");
    QCOMPARE(w_->ConfigBytes(), config);
    QFile::remove(w_->Config());
    FinishWith(u"gut.csv"_s, "Name,FullName,E-Mail\r\njneu,Jana Neu,jneu@firma-demo.de\r\n");
    QCOMPARE(w_->Messages(import_),
             QStringList(
                 {u"Geben Sie bitte einen gültigen Dateipfad an."_s,
                  u"Die Benutzer konnten nicht gelesen werden.\nFehlermeldung: Die Datei hat ein ungültiges Format"_s,
                  u"Die Benutzer konnten nicht importiert werden.\nFehlermeldung: opening config file failed"_s}));
    QVERIFY(!QFile::exists(w_->Config()));
    const FileRequest request = Browse(import_->m_btnBrowse, import_->m_editPath);
    QVERIFY(!request.save && request.initialPath == u"orn.csv"_s && request.filter == kCsvFilter);
    w_->Back();
    QCOMPARE(w_->Active(), int(kActionPage));
  }
};

}  // namespace orn::wizard::test

QTEST_MAIN(orn::wizard::test::CsvPagesTest)
#include "CsvPagesTest.moc"
