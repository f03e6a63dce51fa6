// orncfg in a real X server (Xvfb) on a demo installation, driven with xdotool by window title.

#include <QtTest>

#include "support/TestSupport.h"

namespace orn::wizard::test {

using namespace Qt::StringLiterals;

const QString kWizardTitle = u"Konfiguration von ORN! sichern/wiederherstellen..."_s;

class WizardProgramTest : public QObject {
  Q_OBJECT

  orn::test::IsolatedFolder folder_;  // the demo installation's variables reach the programs started
  QString scratch_ = QString::fromStdString(folder_.scratch.Path());
  QProcess xserver_;
  QProcessEnvironment environment_;
  std::vector<std::unique_ptr<QProcess>> wizards_;  // started by the running test

  // Runs a program to its end; its exit code (-1 when it did not end), its output in *output.
  int Run(const QString& program, const QStringList& arguments, QString* output = nullptr) {
    QProcess process;
    process.setProcessEnvironment(environment_);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) return -1;
    if (output) *output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    return process.exitCode();
  }
  bool ServerRuns() {
    QString output;
    Run(QStringLiteral(ORN_CLI_BINARY), {u"server"_s, u"status"_s}, &output);
    return output == u"ORN! läuft."_s;
  }
  // The visible window with exactly this title; empty when none shows within 20 s.
  QString FindWindow(const QString& title) {
    const QStringList search = {u"search"_s, u"--onlyvisible"_s, u"--name"_s,
                                QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$')};
    QString id;
    const bool found = QTest::qWaitFor([&] { return Run(u"xdotool"_s, search, &id) == 0 && !id.isEmpty(); }, 20000);
    return found ? id.section(QLatin1Char('\n'), 0, 0) : QString();
  }
  QProcess& StartWizard() {
    QProcess& wizard = *wizards_.emplace_back(std::make_unique<QProcess>());
    wizard.setProcessEnvironment(environment_);
    wizard.setWorkingDirectory(scratch_);
    wizard.start(QStringLiteral(ORN_WIZARD_BINARY), {});
    return wizard;
  }
  static bool EndsWithCode(QProcess& process, int code) {
    return process.waitForFinished(20000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == code;
  }

 private slots:
  void initTestCase() {
    // Xvfb takes a free display and tells its number on standard output; -noreset keeps it from
    // resetting (and refusing connections for a moment) whenever its last client leaves.
    xserver_.start(u"Xvfb"_s, u"-displayfd 1 -noreset -nolisten tcp -screen 0 1024x768x24"_s.split(QLatin1Char(' ')));
    QTRY_VERIFY_WITH_TIMEOUT(xserver_.canReadLine(), 20000);
    QVERIFY(orn::test::UseDemoInstallation(folder_.scratch / "demo"));
    environment_ = QProcessEnvironment::systemEnvironment();
    environment_.remove(u"QT_QPA_PLATFORM"_s);
    environment_.insert(u"DISPLAY"_s, QLatin1Char(':') + QString::fromUtf8(xserver_.readLine()).trimmed());
    environment_.insert(u"XDG_RUNTIME_DIR"_s, scratch_);
    environment_.insert(u"ORN_ADS_MODULE"_s, u"/nonexistent/libornads.so"_s);
  }

  void cleanup() {
    for (auto& wizard : wizards_) {
      if (QTest::currentTestFailed()) qWarning() << "wizard:" << wizard->exitCode() << wizard->readAllStandardError();
      wizard->kill();
      wizard->waitForFinished();
    }
    wizards_.clear();
    Run(QStringLiteral(ORN_CLI_BINARY), {u"server"_s, u"stop"_s});
  }

  void cleanupTestCase() {
    xserver_.terminate();
    xserver_.waitForFinished(10000);
  }

  void ASecondInstanceEndsAtOnceAndEscapeStartsTheServer() {
    QProcess& first = StartWizard();
    const QString window = FindWindow(kWizardTitle);
    QVERIFY2(!window.isEmpty(), "the wizard did not show its first page");
    QProcess& second = StartWizard();
    QVERIFY(EndsWithCode(second, 0));
    QVERIFY(!ServerRuns());

    QCOMPARE(Run(u"xdotool"_s, {u"windowfocus"_s, u"--sync"_s, window, u"key"_s, u"Escape"_s}), 0);
    QVERIFY(EndsWithCode(first, 0));
    QTRY_VERIFY_WITH_TIMEOUT(ServerRuns(), 10000);
  }

  void WithoutADisplayItSaysSoInOneLine() {
    QProcessEnvironment bare = environment_;
    bare.remove(u"DISPLAY"_s);
    bare.remove(u"WAYLAND_DISPLAY"_s);
    QProcess wizard;
    wizard.setProcessEnvironment(bare);
    wizard.start(QStringLiteral(ORN_WIZARD_BINARY), {});
    QVERIFY(EndsWithCode(wizard, 1));
    const QString error = QString::fromUtf8(wizard.readAllStandardError());
    QCOMPARE(error.count(QLatin1Char('\n')), 1);
    // It points to what works without a display, not to a platform that shows nothing.
    QVERIFY(!error.contains(u"offscreen"_s));
    QVERIFY(error.contains(u"ssh -X"_s) && error.contains(u"orncfg-cli"_s));
  }
};

}  // namespace orn::wizard::test

QTEST_GUILESS_MAIN(orn::wizard::test::WizardProgramTest)
#include "WizardProgramTest.moc"
