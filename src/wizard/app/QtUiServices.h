// The desktop's own message boxes, file dialogs, wait cursor and help viewer.
#pragma once

#include <QStringList>

#include "wizard/app/UiServices.h"

namespace orn::wizard {

class QtMessageBoxes : public IMessageBoxes {
 public:
  void Show(QWidget* owner, const QString& caption, const QString& text) override;
};

class QtFileDialogs : public IFileDialogs {
 public:
  std::optional<QString> Open(QWidget* owner, const QString& filter, const QString& initialPath) override;
  std::optional<QString> Save(QWidget* owner, const QString& filter, const QString& defaultExtension,
                              const QString& initialPath) override;
};

class QtWaitCursor : public IWaitCursor {
 public:
  void Begin() override;
  void End() override;
};

// The desktop's viewer (xdg-open); where it cannot show the file, a window of the program's own.
class QtHelpViewer : public IHelpViewer {
 public:
  void Open(const QString& path) override;
};

// All four, as the program uses them.
class QtUiServices {
 public:
  UiServices Services() { return {messages_, files_, waitCursor_, help_}; }

 private:
  QtMessageBoxes messages_;
  QtFileDialogs files_;
  QtWaitCursor waitCursor_;
  QtHelpViewer help_;
};

// Installs Qt's German texts (qtbase_de from Qt's translations folder) for the standard buttons and
// the file dialogs. False when they are not installed; the texts stay English then.
bool InstallQtTranslations();

// Turns a Windows filter "Text (*.a;*.b)|*.a;*.b|...||" into Qt's name filters "Text (*.a *.b)".
QStringList QtNameFilters(const QString& windowsFilter);

}  // namespace orn::wizard
