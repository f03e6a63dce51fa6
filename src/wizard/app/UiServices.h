// What the pages ask of the desktop: message boxes, file dialogs, the wait cursor and the help
// viewer. Each is one small interface, so that page tests answer it and read what was shown;
// QtUiServices.h holds the real ones.
#pragma once

#include <optional>

#include <QString>

class QWidget;

namespace orn::wizard {

class IMessageBoxes {
 public:
  virtual ~IMessageBoxes() = default;
  // A modal message with the caption, an OK button only and no icon, owned by owner.
  virtual void Show(QWidget* owner, const QString& caption, const QString& text) = 0;
};

// Filters are given in the Windows form "Description|*.a;*.b|Other|*.c||".
class IFileDialogs {
 public:
  virtual ~IFileDialogs() = default;
  // The chosen existing file, or nothing when the dialog was cancelled.
  virtual std::optional<QString> Open(QWidget* owner, const QString& filter, const QString& initialPath) = 0;
  // The chosen file name, with defaultExtension (without dot) appended when the name has none.
  virtual std::optional<QString> Save(QWidget* owner, const QString& filter, const QString& defaultExtension,
                                      const QString& initialPath) = 0;
};

class IWaitCursor {
 public:
  virtual ~IWaitCursor() = default;
  virtual void Begin() = 0;
  virtual void End() = 0;
};

class IHelpViewer {
 public:
  virtual ~IHelpViewer() = default;
  // Shows the help file at path (absolute) with the desktop's viewer.
  virtual void Open(const QString& path) = 0;
};

// The four services as the sheet hands them to its pages; the owner keeps them alive.
struct UiServices {
  IMessageBoxes& messages;
  IFileDialogs& files;
  IWaitCursor& waitCursor;
  IHelpViewer& help;
};

// Shows the wait cursor for the life of the scope.
class WaitCursorScope {
 public:
  explicit WaitCursorScope(IWaitCursor& cursor) : cursor_(cursor) { cursor_.Begin(); }
  ~WaitCursorScope() { cursor_.End(); }
  WaitCursorScope(const WaitCursorScope&) = delete;
  WaitCursorScope& operator=(const WaitCursorScope&) = delete;

 private:
  IWaitCursor& cursor_;
};

}  // namespace orn::wizard
