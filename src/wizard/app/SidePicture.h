// The side pictures of the pages (resources 137 to 140).
#pragma once

#include <QPixmap>
#include <QSize>

namespace orn::wizard {

// Picture id scaled smoothly to size; an empty pixmap for an unknown id.
QPixmap SidePicture(int id, const QSize& size);

}  // namespace orn::wizard
