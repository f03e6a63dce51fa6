// The pages of the two directory imports on the demo installation: the LDAP chain with its
// selection page, and the network import with its wait dialog, its reader order and its server
// stop. The network read runs on libornads.so over a throw-away account list.

#include "wizard/directory/CImportLDAPUsersPage1.h"
#include "wizard/directory/CImportLDAPUsersPage2.h"
#include "wizard/directory/CImportWindowsUsersPage1.h"
#include "wizard/directory/CImportWindowsUsersPage2.h"
#include "wizard/directory/CUserSelectorPage.h"
#include "wizard/directory/CWaitDialog.h"
#include "install/MessageError.h"
#include "support/DemoWizard.h"
#include "users/DirectoryImport.h"

namespace orn::wizard::test {

namespace {

ImportUserList Users(const std::vector<ImportUser>& users) {
  ImportUserList list;
  for (const ImportUser& user : users) list.Append(user);
  return list;
}

// A read that the directory delivered whole, or ended early when status says so.
DirectoryRead Read(const std::vector<ImportUser>& users, DirectoryReadStatus status = {}) {
  return DirectoryRead{Users(users), std::move(status)};
}

QStringList Entries(const QListWidget* box, bool selectedOnly = false) {
  QStringList texts;
  for (int i = 0; i < box->count(); ++i)
    if (!selectedOnly || box->item(i)->isSelected()) texts << box->item(i)->text();
  return texts;
}

void Toggle(QListWidget* box, int row) {
  QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, box->visualItemRect(box->item(row)).center());
}

CWaitDialog* AnyWaitDialog() {
  for (QWidget* window : QApplication::topLevelWidgets())
    if (auto* dialog = qobject_cast<CWaitDialog*>(window)) return dialog;
  return nullptr;
}

const QString kFailed = u"Die Benutzerdaten konnten nicht importiert werden.\n\nFehlermeldung"_s;

}  // namespace

class DirectoryPagesTest : public QObject {
  Q_OBJECT

  std::unique_ptr<DemoWizard> w_;
  orn::test::ScratchDir accounts_;

  // A fresh wizard on a fresh demo installation, showing page (the action list does not lead to
  // the LDAP import, so every chain is entered directly).
  bool Start(int page) {
    w_.reset();
    w_ = std::make_unique<DemoWizard>();
    return w_->Ok() && w_->wizard.SetActivePage(page);
  }

 private slots:
  void LdapChainNarrowsTheUsersByTheSelection() {
    QVERIFY(Start(kImportLDAPUsersPage1));
    auto* page1 = w_->At<CImportLDAPUsersPage1>(kImportLDAPUsersPage1);
    auto* selector = w_->At<CUserSelectorPage>(kUserSelectorPage);
    QCOMPARE(w_->wizard.windowTitle(), u"LDAP-Benutzer importieren"_s);
    QCOMPARE(w_->wizard.WizardButtons(), PSWIZB_BACK | PSWIZB_NEXT);
    QStringList servers;
    page1->m_readUsers = [&](const std::string& server) {
      servers << QString::fromStdString(server);
      return Read({{"hmeier", "Hans Meier", {"hm@firma-demo.de"}},
                   {"hmeier2", "Hans Meier", {}},
                   {"eweiss", "Eva Weiß", {"ew@firma-demo.de", "eva@firma-demo.de"}}});
    };
    page1->m_editServer->setText(u"ldap.firma-demo.de"_s);
    w_->Next();
    QCOMPARE(w_->Active(), int(kUserSelectorPage));
    QCOMPARE(servers, QStringList(u"ldap.firma-demo.de"_s));
    QCOMPARE(w_->ui.waitCursor.begun, 1);
    QCOMPARE(w_->ui.waitCursor.depth, 0);
    QCOMPARE(w_->wizard.windowTitle(), u"Benutzer auswählen"_s);
    QCOMPARE(w_->wizard.WizardButtons(), PSWIZB_BACK | PSWIZB_NEXT);
    QVERIFY(w_->Render(u"user-selector-page.png"_s));
    // Every entry starts selected; deselecting one of two equal names removes the first of them.
    QCOMPARE(Entries(selector->m_lbUsers, true), QStringList({u"Hans Meier"_s, u"Hans Meier"_s, u"Eva Weiß"_s}));
    Toggle(selector->m_lbUsers, 1);
    w_->Next();
    QCOMPARE(w_->Active(), int(kImportLDAPUsersPage2));
    QCOMPARE(w_->wizard.WizardButtons(), PSWIZB_BACK | PSWIZB_FINISH);
    QVERIFY(selector->GetUserList().Count() == 2 && selector->GetUserList()[0].name == "hmeier2");
    // Back shows the reduced list, all selected again; Back once more and Next reads anew.
    w_->Back();
    QCOMPARE(w_->Active(), int(kUserSelectorPage));
    QCOMPARE(Entries(selector->m_lbUsers, true), QStringList({u"Hans Meier"_s, u"Eva Weiß"_s}));
    w_->Back();
    QCOMPARE(w_->Active(), int(kImportLDAPUsersPage1));
    w_->Next();
    QCOMPARE(servers.size(), 2);
    QCOMPARE(selector->m_lbUsers->count(), 3);
    QTest::mouseClick(selector->m_btnNone, Qt::LeftButton);
    Toggle(selector->m_lbUsers, 2);
    w_->Next();
    w_->Finish();
    QCOMPARE(w_->Messages(w_->wizard.GetPage(kImportLDAPUsersPage2)),
             QStringList(u"Die Benutzerdaten wurden erfolgreich importiert."_s));
    QVERIFY(w_->Closed());
    QCOMPARE(w_->User("eweiss").emails, std::vector<std::string>{"ew@firma-demo.de"});
    QVERIFY(w_->User("hmeier").name.empty() && w_->User("hmeier2").name.empty());
  }

  void LdapFailures() {
    QVERIFY(Start(kImportLDAPUsersPage1));
    auto* page1 = w_->At<CImportLDAPUsersPage1>(kImportLDAPUsersPage1);
    auto* selector = w_->At<CUserSelectorPage>(kUserSelectorPage);
    selector->SetUserList(Users({{"alt", "Alter Stand", {}}}));
    page1->m_readUsers = [](const std::string&) -> DirectoryRead { throw MessageError("connection failed"); };
    w_->Next();
    QCOMPARE(selector->GetUserList().Count(), size_t(1));  // kept after a failed read
    page1->m_readUsers = [](const std::string&) { return DirectoryRead(); };
    w_->Next();
    QCOMPARE(w_->Active(), int(kImportLDAPUsersPage1));
    QVERIFY(selector->GetUserList().Empty());
    QCOMPARE(w_->ui.waitCursor.depth, 0);
    // "Keine Benutzer verfügbar." alone carries the application title.
    QCOMPARE(w_->Messages(page1),
             QStringList({kFailed + u": connection failed"_s, u"(caption or owner) Keine Benutzer verfügbar."_s}));
    QCOMPARE(w_->ui.messages.shown.back().caption, u"ORN!"_s);
    // A read that the directory ended early says how many were read and why, then offers them.
    page1->m_readUsers = [](const std::string&) {
      return Read({{"jneu", "Jana Neu", {}}}, {false, ads::LdapResultFailure(4), "paged search: Size limit exceeded"});
    };
    w_->Next();
    QCOMPARE(w_->Active(), int(kUserSelectorPage));
    QCOMPARE(w_->ui.messages.shown.back().text,
             u"Der Verzeichnisdienst hat das Lesen vorzeitig beendet: es wurden nur 1 Benutzer gelesen.\n"
             "Grund: paged search: Size limit exceeded (Code 0x80072004)\n\n"
             "Die gelesenen Benutzer können trotzdem ausgewählt und importiert werden."_s);
    // A failed add still ends the wizard; its message has a semicolon.
    w_->Next();
    QVERIFY(QFile::remove(w_->Config()));
    w_->Finish();
    QVERIFY(w_->Closed());
    QCOMPARE(w_->ui.messages.shown.back().text, kFailed + u"; opening config file failed"_s);
    QVERIFY(!QFile::exists(w_->Config()));
  }

  void NetworkNameAndReaderOrderComeFromTheEnvironment() {  // its variants: DirectoryNetworkSourceTest
    qputenv("USERDNSDOMAIN", "firma-demo.de");
    CImportWindowsUsersPage1 dns;
    dns.OnInitDialog();
    qunsetenv("USERDNSDOMAIN");
    QVERIFY(dns.m_editName->text() == u"firma-demo.de"_s && !dns.m_bWinNTFirst);
  }

  void NetworkImportReadsTheAccountsAndStopsTheServer() {
    // The module lies beside the wizard program.
    const QString module = QFileInfo(QStringLiteral(ORN_WIZARD_BINARY)).dir().filePath(u"libornads.so"_s);
    QVERIFY2(QFile::exists(module), qPrintable(module));
    const std::string passwd = accounts_.Path() + "/passwd";
    orn::test::WriteFile(passwd,
                         "root:x:0:0:root:/root:/bin/sh\n"
                         "anna:x:1001:1001:Anna Alt,Raum 1:/home/anna:/bin/sh\n"
                         "bernd:x:1002:1002:Bernd Bau:/home/bernd:/bin/sh\n"
                         "carl:x:1003:1003:Carl Christ:/home/carl:/bin/sh\n");
    qputenv("ORN_ADS_MODULE", module.toUtf8());
    qputenv("ORN_ADS_PASSWD_FILE", passwd.c_str());
    qunsetenv("USERDNSDOMAIN");
    qunsetenv("USERDOMAIN");
    QVERIFY(Start(kImportWindowsUsersPage1));
    auto* page1 = w_->At<CImportWindowsUsersPage1>(kImportWindowsUsersPage1);
    auto* page2 = w_->At<CImportWindowsUsersPage2>(kImportWindowsUsersPage2);
    QCOMPARE(w_->wizard.WizardButtons(), PSWIZB_BACK | PSWIZB_NEXT);
    QVERIFY(w_->Render(u"network-import-page.png"_s));
    bool shownDuringRead = false;
    page1->m_readUsers = [&](const std::string& name, bool winNTFirst) {
      CWaitDialog* wait = AnyWaitDialog();  // shown, and rendered to wait-dialog.png
      shownDuringRead =
          wait && wait->isVisible() && Screenshot(*wait, u"wait-dialog.png"_s) && w_->ui.waitCursor.depth == 1;
      return ReadNetworkUsers(name, winNTFirst);
    };
    int stops = 0;
    page2->m_stopServer = [&] {
      QCOMPARE(w_->ui.waitCursor.depth, 1);
      ++stops;
    };
    w_->Next();
    qunsetenv("ORN_ADS_MODULE");
    qunsetenv("ORN_ADS_PASSWD_FILE");
    QVERIFY(shownDuringRead);
    QVERIFY(!AnyWaitDialog());
    QCOMPARE(w_->Active(), int(kImportWindowsUsersPage2));
    QCOMPARE(w_->wizard.WizardButtons(), PSWIZB_BACK | PSWIZB_FINISH);
    QCOMPARE(Entries(page2->m_lbUsers), QStringList({u"Anna Alt"_s, u"Bernd Bau"_s, u"Carl Christ"_s}));
    QVERIFY(Entries(page2->m_lbUsers, true).isEmpty());
    w_->Finish();
    QCOMPARE(w_->Messages(page2), QStringList(u"Keine Benutzer selektiert."_s));
    QCOMPARE(stops, 0);
    QTest::mouseClick(page2->m_btnAll, Qt::LeftButton);
    Toggle(page2->m_lbUsers, 1);
    w_->Finish();
    QCOMPARE(stops, 1);
    QCOMPARE(w_->ui.messages.shown.back().text, u"Die Benutzer wurden erfolgreich importiert."_s);
    QVERIFY(w_->Closed());
    QCOMPARE(w_->User("anna").fullName, std::string("Anna Alt"));
    QVERIFY(!w_->User("carl").name.empty());
    QVERIFY(w_->User("bernd").name.empty());
  }

  void NetworkEntriesWithAddressesAndFailures() {
    QVERIFY(Start(kImportWindowsUsersPage1));
    auto* page1 = w_->At<CImportWindowsUsersPage1>(kImportWindowsUsersPage1);
    auto* page2 = w_->At<CImportWindowsUsersPage2>(kImportWindowsUsersPage2);
    page1->m_readUsers = [](const std::string&, bool) -> DirectoryRead { throw MessageError("connection failed"); };
    w_->Next();
    page1->m_readUsers = [](const std::string&, bool) { return DirectoryRead(); };
    w_->Next();
    QCOMPARE(w_->Active(), int(kImportWindowsUsersPage1));
    QCOMPARE(w_->Messages(page1), QStringList({kFailed + u": connection failed"_s, u"Keine Benutzer verfügbar."_s}));
    QVERIFY(!AnyWaitDialog());
    QCOMPARE(w_->ui.waitCursor.depth, 0);

    page1->m_readUsers = [](const std::string&, bool) {
      return Read({{"max1", "Max Muster", {"max@firma-demo.de"}},
                   {"max2", "Max Muster", {"max@firma-demo.de", "m@firma-demo.de"}},
                   {"max3", "Max Muster", {}}});
    };
    w_->Next();
    QCOMPARE(Entries(page2->m_lbUsers),
             QStringList({u"Max Muster (max@firma-demo.de)"_s, u"Max Muster (max@firma-demo.de)"_s, u"Max Muster"_s}));
    w_->Back();
    QCOMPARE(w_->Active(), int(kImportWindowsUsersPage1));
    w_->Next();
    // A failed stop leaves the configuration alone and still ends the wizard.
    QTest::mouseClick(page2->m_btnAll, Qt::LeftButton);
    const QByteArray config = w_->ConfigBytes();
    page2->m_stopServer = [] { throw MessageError("ORN! konnte nicht vor Ablauf des Timeouts beendet werden."); };
    w_->Finish();
    QVERIFY(w_->Closed());
    QCOMPARE(w_->ui.messages.shown.back().text,
             kFailed + u": ORN! konnte nicht vor Ablauf des Timeouts beendet werden."_s);
    QCOMPARE(w_->ConfigBytes(), config);
    QCOMPARE(w_->ui.waitCursor.depth, 0);
  }
};

}  // namespace orn::wizard::test

QTEST_MAIN(orn::wizard::test::DirectoryPagesTest)
#include "DirectoryPagesTest.moc"
