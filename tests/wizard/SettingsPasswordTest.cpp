// The settings password: the prompt's rules, and when the wizard asks at all.
#include <functional>

#include "wizard/app/CImportExportWizard.h"
#include "wizard/app/CSettingsPasswordDlg.h"
#include "install/InstallPaths.h"
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
  static void Type(CSettingsPasswordDlg& dialog, const QString& text) {
    dialog.PasswordEdit()->clear();
    QTest::keyClicks(dialog.PasswordEdit(), text);
    QTest::keyClick(dialog.PasswordEdit(), Qt::Key_Return);
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
    QStringList shown;
    for (const ShownMessage& message : ui_.messages.shown) shown << message.caption + u": "_s + message.text;
    QCOMPARE(shown, QStringList(wrong.size(), u"ORN!: Das Kennwort ist falsch!"_s));
  }

  void CancelEndsThePrompt() {
    QVERIFY(!Prompt(u"ab"_s, [](CSettingsPasswordDlg& dialog) {
      Type(dialog, u"x"_s);
      QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
    }));
  }

  // From two characters on the wizard asks; a cancelled prompt ends its initialisation.
  void TheWizardAsksForStoredPasswords() {
    const orn::test::IsolatedFolder installation;
    const auto writeKey = [&](const std::string& password) {
      orn::test::WriteInstallationHive(installation.HivePath(), {{"InstallDirectory", installation.scratch.Path()},
                                                                 {"CDKey", "A7K2QXM4P9ZRT3CW8N"},
                                                                 {"ConfigPassword", password}});
    };
    writeKey("");  // the product code enciphers
    char enciphered[81];
    QCOMPARE(pwstringencrypt("Grün 7", enciphered, sizeof enciphered), 0);
    QStringList asked;
    bool answer = true;
    const auto opens = [&] {
      CImportExportWizard wizard(ui_.Services(), [&](const QString& expected) { return asked << expected, answer; });
      return wizard.OnInitDialog() ? 1 + wizard.m_bPasswordProtected : 0;  // 0: not opened, 2: protected
    };
    for (const std::string stored : {"", "x", "xY", static_cast<const char*>(enciphered)}) {
      writeKey(stored);
      QCOMPARE(opens(), stored.size() >= 2 ? 2 : 1);
    }
    QCOMPARE(asked, QStringList({u"xY"_s, u"Grün 7"_s}));
    answer = false;
    QCOMPARE(opens(), 0);
    // An enciphered value that cannot be deciphered never opens the wizard, and nobody is asked.
    writeKey(std::string(80, 'z'));
    ui_.messages.shown.clear();
    answer = true;
    QCOMPARE(opens(), 0);
    QVERIFY(asked.size() == 3 && ui_.messages.shown.size() == 1);
    QCOMPARE(ui_.messages.shown[0].text, QString::fromUtf8(kSettingsPasswordUndecipherable));
  }
};

}  // namespace orn::wizard::test

QTEST_MAIN(orn::wizard::test::SettingsPasswordTest)
#include "SettingsPasswordTest.moc"
