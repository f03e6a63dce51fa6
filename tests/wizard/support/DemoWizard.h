// The real wizard on a fresh demo installation, with recording UI services.
#pragma once

#include "support/FakeUi.h"
#include "support/TestSupport.h"
#include "users/ConfigUsers.h"
#include "wizard/app/CImportExportWizard.h"

namespace orn::wizard::test {

struct DemoFolder : orn::test::IsolatedFolder {
  const bool installed;
  explicit DemoFolder(const std::string& options = "")  // --protected: settings password "demo"
      : installed(orn::test::UseDemoInstallation(scratch / "demo", options)) {}
  QString Path(const QString& relative = {}) const {
    return QString::fromStdString(scratch / "demo") + (relative.isEmpty() ? u""_s : u"/"_s + relative);
  }
};

struct DemoWizard {
  FakeUi ui;
  DemoFolder folder;
  CImportExportWizard wizard{ui.Services()};

  DemoWizard() {
    if (folder.installed && wizard.OnInitDialog()) wizard.show();
  }
  bool Ok() const { return wizard.isVisible(); }
  QString Path(const QString& relative) const { return folder.Path(relative); }
  QString Config() const { return Path(u"orn/orn.cfg"_s); }
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
  Page* At(int index) const {
    return static_cast<Page*>(wizard.GetPage(index));
  }
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
      texts << (m.owner == owner && m.caption == u"Konfiguration von ORN! sichern/wiederherstellen..."_s
                    ? m.text
                    : u"(caption or owner) "_s + m.text);
    return texts;
  }
  bool Render(const QString& name) { return Screenshot(wizard, name); }
};

// Check boxes and radio buttons answer clicks on their box and text only, not on the space after.
inline void Tick(QAbstractButton* button) {
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, button->height() / 2));
}

}  // namespace orn::wizard::test
