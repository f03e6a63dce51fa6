// The CSV import page on the demo installation: the source check, the browse dialog, Back, and
// what Finish adds or says.
#include <QLineEdit>

#include "support/DemoWizard.h"
#include "wizard/users/CImportCSVPage1.h"

namespace orn::wizard::test {

class ImportCSVPageTest : public QObject {
  Q_OBJECT

  std::unique_ptr<DemoWizard> w_;
  CImportCSVPage1* page_ = nullptr;

  void FinishWith(const QString& name, const QByteArray& content = {}) {
    QFile file(w_->Path(name));
    if (!content.isEmpty()) QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    page_->m_editPath->setText(name.isEmpty() ? QString() : file.fileName());
    file.close();
    w_->Finish();
  }

 private slots:
  void init() {  // the action list does not offer this import: the page is made active directly
    w_.reset();
    w_ = std::make_unique<DemoWizard>();
    QVERIFY(w_->Ok() && w_->wizard.SetActivePage(kImportCSVPage1));
    page_ = w_->At<CImportCSVPage1>(kImportCSVPage1);
  }

  void AddsTheNewUsersAndEnds() {
    QCOMPARE(w_->wizard.windowTitle(), QStringLiteral("Benutzerdaten aus einer CSV-Datei importieren"));
    QCOMPARE(w_->wizard.WizardButtons(), PSWIZB_BACK | PSWIZB_FINISH);
    QVERIFY(w_->Render(QStringLiteral("import-csv-page.png")));
    FinishWith(QStringLiteral("neu.csv"), "Name;FullName;E-Mail\r\njneu;Jana Neu;jneu@firma-demo.de\r\n");
    QCOMPARE(w_->Messages(page_), QStringList(QStringLiteral("Das Importieren der Benutzer war erfolgreich.")));
    QVERIFY(w_->Closed());
    QCOMPARE(w_->User("jneu").emails, std::vector<std::string>{"jneu@firma-demo.de"});
  }

  void RefusalsFailuresBrowseAndBack() {
    const QByteArray config = w_->ConfigBytes();
    FinishWith(QString());
    FinishWith(QStringLiteral("fehlt.csv"));
    FinishWith(QStringLiteral("export.csv"), "UserName,Name,E-Mail\r\nx,X,x@y\r\n");
    FinishWith(QStringLiteral("import"));  // a folder passes the check and cannot be read
    QCOMPARE(w_->ConfigBytes(), config);
    QFile::remove(w_->Config());
    FinishWith(QStringLiteral("gut.csv"), "Name,FullName,E-Mail\r\njneu,Jana Neu,jneu@firma-demo.de\r\n");
    QCOMPARE(w_->Messages(page_),
             QStringList({QStringLiteral("Geben Sie bitte einen gültigen Dateipfad an."),
                          QStringLiteral("Geben Sie bitte einen gültigen Dateipfad an."),
                          QStringLiteral("Die Benutzer konnten nicht gelesen werden.\n"
                                         "Fehlermeldung: Die Datei hat ein ungültiges Format"),
                          QStringLiteral("Die Benutzer konnten nicht gelesen werden.\nFehlermeldung: no opened file"),
                          QStringLiteral("Die Benutzer konnten nicht importiert werden.\n"
                                         "Fehlermeldung: opening config file failed")}));
    QVERIFY(!QFile::exists(w_->Config()));

    w_->ui.files.answers = {QStringLiteral("/srv/benutzer.csv")};
    QTest::mouseClick(page_->m_btnBrowse, Qt::LeftButton);
    QCOMPARE(page_->m_editPath->text(), QStringLiteral("/srv/benutzer.csv"));
    const FileRequest& request = w_->ui.files.requests.back();
    QVERIFY(!request.save && request.initialPath == QStringLiteral("orn.csv"));
    QCOMPARE(request.filter, QStringLiteral("kommagetrennte Datei (*.csv)|*.csv|Alle Dateien (*.*)|*.*||"));
    w_->Back();
    QCOMPARE(w_->Active(), int(kActionPage));
  }
};

}  // namespace orn::wizard::test

QTEST_MAIN(orn::wizard::test::ImportCSVPageTest)
#include "ImportCSVPageTest.moc"
