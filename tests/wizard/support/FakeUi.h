// Recording stand-ins for the message boxes, file dialogs, wait cursor and help viewer.
#pragma once

#include <deque>
#include <vector>

#include <QtTest>
#include <QtWidgets>

#include "wizard/app/UiServices.h"

namespace orn::wizard::test {

using namespace Qt::StringLiterals;

struct ShownMessage {
  QWidget* owner;
  QString caption, text;
};

struct FakeMessageBoxes : IMessageBoxes {
  void Show(QWidget* owner, const QString& caption, const QString& text) override {
    shown.push_back({owner, caption, text});
  }
  std::vector<ShownMessage> shown;
};

struct FileRequest {
  bool save;
  QString filter, defaultExtension, initialPath;
};

// Answers each request with the next of answers; a null string, or none left, cancels.
struct FakeFileDialogs : IFileDialogs {
  std::optional<QString> Open(QWidget*, const QString& filter, const QString& initialPath) override {
    return Answer({false, filter, QString(), initialPath});
  }
  std::optional<QString> Save(QWidget*, const QString& filter, const QString& extension,
                              const QString& initialPath) override {
    return Answer({true, filter, extension, initialPath});
  }
  std::optional<QString> Answer(FileRequest request) {
    requests.push_back(std::move(request));
    const QString answer = answers.empty() ? QString() : answers.front();
    if (!answers.empty()) answers.pop_front();
    return answer.isNull() ? std::nullopt : std::optional(answer);
  }
  std::vector<FileRequest> requests;
  std::deque<QString> answers;
};

struct FakeWaitCursor : IWaitCursor {
  void Begin() override { ++depth, ++begun; }
  void End() override { --depth; }
  int depth = 0, begun = 0;
};

struct FakeHelpViewer : IHelpViewer {
  void Open(const QString&) override {}
};

struct FakeUi {
  FakeMessageBoxes messages;
  FakeFileDialogs files;
  FakeWaitCursor waitCursor;
  FakeHelpViewer help;
  UiServices Services() { return {messages, files, waitCursor, help}; }
};

// Renders window into the screenshots folder (the pictures of docs/screenshots).
inline bool Screenshot(QWidget& window, const QString& name) {
  return QDir().mkpath(QStringLiteral(SCREENSHOT_DIR)) && window.grab().save(QStringLiteral(SCREENSHOT_DIR "/") + name);
}

}  // namespace orn::wizard::test
