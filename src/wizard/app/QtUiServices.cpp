#include "wizard/app/QtUiServices.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTranslator>
#include <QUrl>
#include <QVBoxLayout>

namespace orn::wizard {

void QtMessageBoxes::Show(QWidget* owner, const QString& caption, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

namespace {

std::optional<QString> RunFileDialog(QFileDialog& dialog, const QString& filter, const QString& initialPath) {
  const QStringList filters = QtNameFilters(filter);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  // The name is proposed after the filters: choosing a filter gives the name in Qt's save dialog the
  // suffix of the filter's first pattern ("orn_DDMMYY.eff" would show as ".zip").
  if (!initialPath.isEmpty()) dialog.selectFile(initialPath);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
}

}  // namespace

std::optional<QString> QtFileDialogs::Open(QWidget* owner, const QString& filter, const QString& initialPath) {
  QFileDialog dialog(owner);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  return RunFileDialog(dialog, filter, initialPath);
}

std::optional<QString> QtFileDialogs::Save(QWidget* owner, const QString& filter, const QString& defaultExtension,
                                           const QString& initialPath) {
  QFileDialog dialog(owner);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(defaultExtension);
  return RunFileDialog(dialog, filter, initialPath);
}

void QtWaitCursor::Begin() { QApplication::setOverrideCursor(Qt::WaitCursor); }

void QtWaitCursor::End() {
  if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

namespace {

constexpr int kViewerStartMs = 5000;
constexpr int kViewerAnswerMs = 5000;

// Hands the file to the desktop's launcher. False when it cannot be started or says that it found
// no viewer (it ends with a failure); a launcher still running after a while has found one.
bool StartDesktopViewer(const QString& path) {
  auto* launcher = new QProcess(qApp);
  QObject::connect(launcher, &QProcess::finished, launcher, &QObject::deleteLater);
  launcher->setProcessChannelMode(QProcess::ForwardedErrorChannel);
  launcher->start(QStringLiteral("xdg-open"), {path});
  if (!launcher->waitForStarted(kViewerStartMs)) {
    launcher->deleteLater();
    return false;
  }
  if (!launcher->waitForFinished(kViewerAnswerMs)) return true;  // deleted when it ends
  return launcher->exitStatus() == QProcess::NormalExit && launcher->exitCode() == 0;
}

// The help file in a window of the program's own, for a machine without a desktop's viewer.
void ShowHelpWindow(const QString& path) {
  auto* window = new QDialog(QApplication::activeWindow());
  window->setObjectName(QStringLiteral("helpWindow"));
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowTitle(QStringLiteral("ORN! - Hilfe"));
  auto* browser = new QTextBrowser(window);
  browser->setOpenExternalLinks(false);
  browser->setSource(QUrl::fromLocalFile(path));
  auto* close = new QDialogButtonBox(QDialogButtonBox::Close, window);
  QObject::connect(close, &QDialogButtonBox::rejected, window, &QDialog::close);
  auto* layout = new QVBoxLayout(window);
  layout->addWidget(browser);
  layout->addWidget(close);
  window->resize(640, 520);
  window->show();
}

}  // namespace

void QtHelpViewer::Open(const QString& path) {
  if (QFileInfo::exists(path)) {
    if (!StartDesktopViewer(path)) ShowHelpWindow(path);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ORN!"),
                  QStringLiteral("Die Hilfedatei %1 konnte nicht geöffnet werden.").arg(path), QMessageBox::Ok,
                  QApplication::activeWindow());
  box.exec();
}

bool InstallQtTranslations() {
  static QTranslator* translator = nullptr;
  if (translator) return true;
  auto* loaded = new QTranslator(qApp);
  if (!loaded->load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete loaded;
    return false;
  }
  QCoreApplication::installTranslator(loaded);
  translator = loaded;
  return true;
}

QStringList QtNameFilters(const QString& windowsFilter) {
  static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
  const QStringList parts = windowsFilter.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString text = parts[i];
    const QString patterns = parts[i + 1].trimmed();
    if (text.isEmpty() && patterns.isEmpty()) break;  // the closing "||"
    text.remove(trailingPatterns);
    QStringList list = patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& pattern : list) pattern = pattern.trimmed();
    filters << QStringLiteral("%1 (%2)").arg(text, list.join(QLatin1Char(' ')));
  }
  return filters;
}

}  // namespace orn::wizard
