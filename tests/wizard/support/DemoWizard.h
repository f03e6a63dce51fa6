// The real wizard on a fresh demo installation (orn-demo in a temporary folder; ORN_REGISTRY,
// ORN_RUNTIME_DIR and TEMP point into it while the object lives), with recording UI services.
#pragma once

#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "wizard/app/CImportExportWizard.h"
#include "support/FakeUi.h"
#include "users/ConfigUsers.h"

namespace orn::wizard::test {

struct DemoFolder {
  QTemporaryDir dir;
  explicit DemoFolder(const QStringList& options = {}) {  // --protected: settings password "demo"
    QProcess demo;
    demo.start(QStringLiteral(ORN_DEMO_BINARY), QStringList{dir.path()} + options);
    demo.waitForFinished(60000);
    for (const QByteArray& line : demo.readAllStandardOutput().split('\n')) {
      const qsizetype eq = line.indexOf('=');  // export NAME='value'
      if (line.startsWith("export ") && eq > 0) qputenv(line.mid(7, eq - 7).constData(), line.mid(eq + 2).chopped(1));
    }
  }
  ~DemoFolder() {
    for (const char* name : {"ORN_REGISTRY", "ORN_RUNTIME_DIR", "TEMP"}) qunsetenv(name);
  }
};

struct DemoWizard {
  FakeUi ui;
  DemoFolder folder;
  CImportExportWizard wizard{ui.Services()};

  DemoWizard() {
    if (qEnvironmentVariableIsSet("ORN_REGISTRY") && wizard.OnInitDialog()) wizard.show();
  }
  bool Ok() const { return wizard.isVisible(); }
  QString Path(const QString& relative) const { return folder.dir.filePath(relative); }
  QString Config() const { return Path(QStringLiteral("orn/orn.cfg")); }
  QByteArray ConfigBytes() const {
    QFile file(Config());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  // The installed user of that name; an empty record when there is none.
  ImportUser User(const std::string& name) const {
    for (const ImportUser& user : ReadUsers(Config().toUtf8().constData()))
      if (user.name == name) return user;
    return {};
  }

  template <class Page>
  Page* At(int index) const { return static_cast<Page*>(wizard.GetPage(index)); }
  int Active() const { return wizard.GetActiveIndex(); }
  void Next() { QTest::mouseClick(wizard.NextButton(), Qt::LeftButton); }
  void Back() { QTest::mouseClick(wizard.BackButton(), Qt::LeftButton); }
  void Finish() { QTest::mouseClick(wizard.FinishButton(), Qt::LeftButton); }
  // Finish closed the wizard.
  bool Closed() const { return !wizard.isVisible() && wizard.result() == CWizardSheet::ID_WIZFINISH; }
  // The texts shown so far; one with another caption or owner than the page's is marked.
  QStringList Messages(QWidget* owner) const {
    QStringList texts;
    for (const ShownMessage& m : ui.messages.shown)
      texts << (m.owner == owner && m.caption == QStringLiteral("Konfiguration von ORN! sichern/wiederherstellen...")
                    ? m.text : QStringLiteral("(caption or owner) ") + m.text);
    return texts;
  }
  bool Render(const QString& name) { return Screenshot(wizard, name); }
};

// Check boxes and radio buttons answer clicks on their box and text only, not on the space after.
inline void Tick(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, button->height() / 2)); }

}  // namespace orn::wizard::test
