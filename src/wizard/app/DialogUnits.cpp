#include "wizard/app/DialogUnits.h"

#include <QFontMetrics>

#include <algorithm>

namespace orn::wizard {

namespace {
// The average width is taken over the 52 letters and rounded, as the dialog manager does.
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int width = metrics.horizontalAdvance(QString::fromLatin1(kAlphabet));
  baseX_ = std::max(1, (width / 26 + 1) / 2);
  baseY_ = std::max(1, metrics.height());
}

// MulDiv rounding: units * base / 4 (or / 8), to the nearest pixel.
int DialogUnits::X(int units) const { return (units * baseX_ * 2 + (units >= 0 ? 4 : -4)) / 8; }
int DialogUnits::Y(int units) const { return (units * baseY_ * 2 + (units >= 0 ? 8 : -8)) / 16; }

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
  const int left = X(x), top = Y(y);
  return QRect(left, top, X(x + width) - left, Y(y + height) - top);
}

QSize DialogUnits::Size(int width, int height) const { return QSize(X(width), Y(height)); }

}  // namespace orn::wizard
