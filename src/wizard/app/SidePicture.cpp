#include "wizard/app/SidePicture.h"

#include <QString>

namespace orn::wizard {

QPixmap SidePicture(int id, const QSize& size) {
  QPixmap picture(QStringLiteral(":/orncfg/bitmap%1.png").arg(id));
  if (picture.isNull() || size.isEmpty()) return picture;
  return picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace orn::wizard
