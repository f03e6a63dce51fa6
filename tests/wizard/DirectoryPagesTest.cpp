// The directory import pages: what they pass to the reads, the selection, Next and Back, results.

#include "install/MessageError.h"
#include "support/DemoWizard.h"
#include "users/DirectoryImport.h"
#include "wizard/directory/CImportLDAPUsersPage1.h"
#include "wizard/directory/CImportWindowsUsersPage1.h"
#include "wizard/directory/CImportWindowsUsersPage2.h"
#include "wizard/directory/CUserSelectorPage.h"
#include "wizard/directory/CWaitDialog.h"

namespace orn::wizard::test {

namespace {

DirectoryRead Read(const std::vector<ImportUser>& users, DirectoryReadStatus status = {}) {
  DirectoryRead read{{}, std::move(status)};
  for (const ImportUser& user : users) read.users.Append(user);
  return read;
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

const QString kFailed = u"Die Benutzerdaten konnten nicht importiert werden.\n\nFehlermeldung: connection failed"_s;

}  // namespace

class DirectoryPagesTest : public QObject {
  Q_OBJECT

  std::unique_ptr<DemoWizard> w_;

  // A fresh wizard showing page (entered directly: the action list does not lead to the LDAP import).
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
    QStringList servers;
    page1->m_readUsers = [&](const std::string& server) {
      servers << QString::fromStdString(server);
      return Read({{"hmeier", "Hans Meier", {}}, {"hmeier2", "Hans Meier", {}}, {"eweiss", "Eva Weiß", {}}});
    };
    page1->m_editServer->setText(u"ldap.firma-demo.de"_s);
    w_->Next();
    QCOMPARE(w_->Active(), int(kUserSelectorPage));
    QCOMPARE(servers, QStringList(u"ldap.firma-demo.de"_s));
    QVERIFY(w_->ui.waitCursor.begun == 1 && w_->ui.waitCursor.depth == 0);
    QVERIFY(w_->Render(u"user-selector-page.png"_s));
    // Every entry starts selected; deselecting one of two equal names removes the first of them.
    QCOMPARE(Entries(selector->m_lbUsers, true), QStringList({u"Hans Meier"_s, u"Hans Meier"_s, u"Eva Weiß"_s}));
    Toggle(selector->m_lbUsers, 1);
    w_->Next();
    QCOMPARE(w_->Active(), int(kImportLDAPUsersPage2));
    QCOMPARE(w_->wizard.WizardButtons(), PSWIZB_BACK | PSWIZB_FINISH);
    // Back shows the reduced list, all selected again.
    w_->Back();
    QCOMPARE(Entries(selector->m_lbUsers, true), QStringList({u"Hans Meier"_s, u"Eva Weiß"_s}));
    w_->Next();
    w_->Finish();
    QCOMPARE(w_->Messages(w_->wizard.GetPage(kImportLDAPUsersPage2)),
             QStringList(u"Die Benutzerdaten wurden erfolgreich importiert."_s));
    QVERIFY(w_->Closed());
    QVERIFY(!w_->User("eweiss").name.empty() && w_->User("hmeier").name.empty() && !w_->User("hmeier2").name.empty());
  }

  // A failed read stays on the page and keeps the last list; no users carry the application's
  // caption; a read cut short gets the page's hint and goes on to the selection.
  void LdapReadResultsReachTheUser() {
    QVERIFY(Start(kImportLDAPUsersPage1));
    auto* page1 = w_->At<CImportLDAPUsersPage1>(kImportLDAPUsersPage1);
    auto* selector = w_->At<CUserSelectorPage>(kUserSelectorPage);
    selector->SetUserList(Read({{"alt", "Alter Stand", {}}}).users);
    page1->m_readUsers = [](const std::string&) -> DirectoryRead { throw MessageError("connection failed"); };
    w_->Next();
    QCOMPARE(selector->GetUserList().Count(), size_t(1));
    page1->m_readUsers = [](const std::string&) { return DirectoryRead(); };
    w_->Next();
    QCOMPARE(w_->Active(), int(kImportLDAPUsersPage1));
    QCOMPARE(w_->Messages(page1), QStringList({kFailed, u"(caption or owner) Keine Benutzer verfügbar."_s}));
    QCOMPARE(w_->ui.messages.shown.back().caption, u"ORN!"_s);
    const DirectoryReadStatus cut{false, ads::LdapResultFailure(4), "Size limit exceeded"};
    page1->m_readUsers = [&](const std::string&) { return Read({{"jneu", "Jana Neu", {}}}, cut); };
    w_->Next();
    QCOMPARE(w_->Active(), int(kUserSelectorPage));
    QVERIFY(w_->ui.messages.shown.back().text.endsWith(
        u"\n\nDie gelesenen Benutzer können trotzdem ausgewählt und importiert werden."_s));
  }

  // The read runs behind the wait dialog with the page's name and order; Finish refuses an empty
  // selection and stops the server under the wait cursor.
  void NetworkImportReadsBehindTheWaitDialogAndStopsTheServer() {
    qunsetenv("USERDNSDOMAIN");
    qputenv("USERDOMAIN", "FIRMA");
    QVERIFY(Start(kImportWindowsUsersPage1));
    qunsetenv("USERDOMAIN");
    auto* page1 = w_->At<CImportWindowsUsersPage1>(kImportWindowsUsersPage1);
    auto* page2 = w_->At<CImportWindowsUsersPage2>(kImportWindowsUsersPage2);
    QVERIFY(w_->Render(u"network-import-page.png"_s));
    bool shownDuringRead = false;
    page1->m_readUsers = [&](const std::string& name, bool winNTFirst) {
      CWaitDialog* wait = AnyWaitDialog();
      shownDuringRead = wait && wait->isVisible() && Screenshot(*wait, u"wait-dialog.png"_s) &&
                        w_->ui.waitCursor.depth == 1 && name == "FIRMA" && winNTFirst;
      return Read({{"anna", "Anna Alt", {}}, {"bernd", "Bernd Bau", {}}, {"carl", "Carl Christ", {}}});
    };
    int stops = 0;
    page2->m_stopServer = [&] { stops += w_->ui.waitCursor.depth; };
    w_->Next();
    QVERIFY(shownDuringRead && !AnyWaitDialog());
    QCOMPARE(w_->Active(), int(kImportWindowsUsersPage2));
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
    QVERIFY(!w_->User("anna").name.empty() && !w_->User("carl").name.empty() && w_->User("bernd").name.empty());
  }

  // Entries show their first address; a failed read stays on the first page; a failed stop still
  // ends the wizard with the configuration untouched.
  void NetworkEntriesAndFailures() {
    QVERIFY(Start(kImportWindowsUsersPage1));
    auto* page1 = w_->At<CImportWindowsUsersPage1>(kImportWindowsUsersPage1);
    auto* page2 = w_->At<CImportWindowsUsersPage2>(kImportWindowsUsersPage2);
    page1->m_readUsers = [](const std::string&, bool) -> DirectoryRead { throw MessageError("connection failed"); };
    w_->Next();
    QCOMPARE(w_->Messages(page1), QStringList(kFailed));
    QVERIFY(w_->Active() == kImportWindowsUsersPage1 && !AnyWaitDialog() && w_->ui.waitCursor.depth == 0);

    page1->m_readUsers = [](const std::string&, bool) {
      return Read({{"max1", "Max Muster", {"max@firma-demo.de", "m@firma-demo.de"}}, {"max2", "Max Muster", {}}});
    };
    w_->Next();
    QCOMPARE(Entries(page2->m_lbUsers), QStringList({u"Max Muster (max@firma-demo.de)"_s, u"Max Muster"_s}));
    QTest::mouseClick(page2->m_btnAll, Qt::LeftButton);
    const QByteArray config = w_->ConfigBytes();
    page2->m_stopServer = [] { throw MessageError("ORN! konnte nicht vor Ablauf des Timeouts beendet werden."); };
    w_->Finish();
    QVERIFY(w_->Closed());
    QVERIFY(w_->ui.messages.shown.back().text.startsWith(u"Die Benutzerdaten konnten nicht importiert werden."_s));
    QCOMPARE(w_->ConfigBytes(), config);
    QCOMPARE(w_->ui.waitCursor.depth, 0);
  }
};

}  // namespace orn::wizard::test

QTEST_MAIN(orn::wizard::test::DirectoryPagesTest)
#include "DirectoryPagesTest.moc"
