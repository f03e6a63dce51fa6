// The settings password: the prompt's rules, and when the wizard asks at all.
#include <functional>

#include "wizard/app/CImportExportWizard.h"
#include "wizard/app/CSettingsPasswordDlg.h"
#include "install/MessageError.h"
#include "support/FakeUi.h"
#include "support/TestSupport.h"
#include "tiloconf/tiloconf.h"

namespace orn::wizard::test {

class SettingsPasswordTest : public QObject {
  Q_OBJECT

  FakeUi ui_;

  // Runs the prompt; once it shows, act() plays the user's part on it (and must end it).
  bool Prompt(const QString& expected, const std::function<void(CSettingsPasswordDlg&)>& act) {
    ui_.messages.shown.clear();
    QTimer::singleShot(0, this, [act] {
      if (auto* dialog = qobject_cast<CSettingsPasswordDlg*>(QApplication::activeModalWidget())) act(*dialog);
    });
    return PromptForSettingsPassword(expected, ui_.messages);
  }
  static void Type(CSettingsPasswordDlg& dialog, const QString& text, Qt::Key key = Qt::Key_Return) {
    dialog.PasswordEdit()->clear();
    QTest::keyClicks(dialog.PasswordEdit(), text);
    QTest::keyClick(dialog.PasswordEdit(), key);
  }

 private slots:
  void OnlyTheExactTextIsAccepted() {
    const QStringList wrong = {u"geheim 1"_s, u"Geheim 1 "_s, u" Geheim 1"_s, u"Geheim"_s, QString()};
    QStringList atStart, kept;
    bool hidden = false, rendered = false;
    QVERIFY(Prompt(u"Geheim 1"_s, [&](CSettingsPasswordDlg& dialog) {
      atStart << dialog.windowTitle() << dialog.PasswordEdit()->text();
      hidden = dialog.PasswordEdit()->echoMode() == QLineEdit::Password;
      for (const QString& entry : wrong) {
        Type(dialog, entry);
        if (dialog.isVisible()) kept << dialog.PasswordEdit()->text();
      }
      QTest::keyClicks(dialog.PasswordEdit(), u"Geheim 1"_s);
      rendered = Screenshot(dialog, u"password-prompt.png"_s);
      QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    }));
    QCOMPARE(atStart, QStringList({u"Kennwort eingeben"_s, QString()}));
    QVERIFY(hidden && rendered);
    QCOMPARE(kept, wrong);  // the dialog stayed open with the typed text
    QCOMPARE(ui_.messages.shown.size(), size_t(wrong.size()));
    for (const ShownMessage& message : ui_.messages.shown) {
      QCOMPARE(message.text, u"Das Kennwort ist falsch!"_s);
      QCOMPARE(message.caption, u"ORN!"_s);
    }
  }

  void CancelAndEscapeEndThePrompt() {
    QVERIFY(!Prompt(u"ab"_s, [](CSettingsPasswordDlg& dialog) {
      Type(dialog, u"x"_s);
      QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
    }));
    QVERIFY(!Prompt(u"ab"_s, [](CSettingsPasswordDlg& dialog) { Type(dialog, u"ab"_s, Qt::Key_Escape); }));
  }

  // From two characters on the wizard asks; a cancelled prompt ends its initialisation.
  void TheWizardAsksForStoredPasswords() {
    const orn::test::IsolatedFolder installation;
    const auto writeKey = [&](const std::string& password) {
      orn::test::WriteInstallationHive(installation.HivePath(), {{"InstallDirectory", installation.scratch.Path()},
                                                                 {"CDKey", "A7K2QXM4P9ZRT3CW8N"},
                                                                 {"ConfigPassword", password}});
    };
    writeKey("");
    char enciphered[81];
    QCOMPARE(pwstringencrypt("Grün 7", enciphered, sizeof enciphered), 0);
    QStringList asked;
    bool answer = true;
    for (const std::string stored : {"x", "xY", static_cast<const char*>(enciphered)}) {
      writeKey(stored);
      CImportExportWizard wizard(ui_.Services(), [&](const QString& expected) { return asked << expected, answer; });
      QVERIFY(wizard.OnInitDialog());
      QCOMPARE(wizard.m_bPasswordProtected, stored.size() >= 2);
    }
    QCOMPARE(asked, QStringList({u"xY"_s, u"Grün 7"_s}));
    answer = false;
    CImportExportWizard cancelled(ui_.Services(), [&](const QString&) { return answer; });
    QVERIFY(!cancelled.OnInitDialog());

    // An enciphered value that cannot be deciphered never opens the wizard, with or without a prompt.
    writeKey(std::string(80, 'z'));
    ui_.messages.shown.clear();
    answer = true;
    CImportExportWizard damaged(ui_.Services(), [&](const QString& expected) { return asked << expected, answer; });
    QVERIFY(!damaged.OnInitDialog());
    QCOMPARE(asked.size(), 2);
    QCOMPARE(ui_.messages.shown.size(), size_t(1));
    QVERIFY(ui_.messages.shown[0].text.startsWith(u"Das gespeicherte Kennwort der Einstellungen"_s));
  }

  void WithoutTheInstallationKeyTheWizardDoesNotStart() {
    const orn::test::IsolatedFolder installation;  // no hive at all
    CImportExportWizard wizard(ui_.Services(), [](const QString&) { return true; });
    QVERIFY_THROWS_EXCEPTION(MessageError, wizard.OnInitDialog());
  }
};

}  // namespace orn::wizard::test

QTEST_MAIN(orn::wizard::test::SettingsPasswordTest)
#include "SettingsPasswordTest.moc"
