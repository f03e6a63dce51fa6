#include "wizard/app/QtUiServices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>
#include <QUrl>

namespace orn::wizard {

void QtMessageBoxes::Show(QWidget* owner, const QString& caption, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

namespace {

std::optional<QString> RunFileDialog(QFileDialog& dialog, const QString& filter) {
  const QStringList filters = QtNameFilters(filter);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
}

}  // namespace

std::optional<QString> QtFileDialogs::Open(QWidget* owner, const QString& filter, const QString& initialPath) {
  QFileDialog dialog(owner, QString(), initialPath);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  return RunFileDialog(dialog, filter);
}

std::optional<QString> QtFileDialogs::Save(QWidget* owner, const QString& filter, const QString& defaultExtension,
                                           const QString& initialPath) {
  QFileDialog dialog(owner, QString(), initialPath);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(defaultExtension);
  return RunFileDialog(dialog, filter);
}

void QtWaitCursor::Begin() { QApplication::setOverrideCursor(Qt::WaitCursor); }

void QtWaitCursor::End() {
  if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

void QtHelpViewer::Open(const QString& path) {
  if (QFileInfo::exists(path) && QDesktopServices::openUrl(QUrl::fromLocalFile(path))) return;
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ORN!"),
                  QStringLiteral("Die Hilfedatei %1 konnte nicht geöffnet werden.").arg(path), QMessageBox::Ok,
                  QApplication::activeWindow());
  box.exec();
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
