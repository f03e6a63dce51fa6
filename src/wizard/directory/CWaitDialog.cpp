#include "wizard/directory/CWaitDialog.h"

#include <QCoreApplication>
#include <QLabel>

#include "wizard/app/DialogUnits.h"

namespace orn::wizard {

CWaitDialog::CWaitDialog(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName(QStringLiteral("waitDialog"));
  setWindowTitle(QStringLiteral("Bitte warten ..."));
  setModal(false);
  const DialogUnits units(font());
  setFixedSize(units.Size(186, 54));
  auto* text = new QLabel(QStringLiteral("Die Benutzer werden vom Server gelesen. Dies kann mehrere Minuten "
                                         "dauern.\n\nBitte warten Sie ..."),
                          this);
  text->setWordWrap(true);
  text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  text->setGeometry(units.Rect(7, 7, 172, 40));
}

void CWaitDialog::ShowNow() {
  if (QWidget* owner = parentWidget()) {
    const QPoint centre = owner->mapToGlobal(owner->rect().center());
    move(centre - QPoint(width() / 2, height() / 2));
  }
  show();
  repaint();
  // Let the window system map and draw the window before the read blocks the thread.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace orn::wizard
