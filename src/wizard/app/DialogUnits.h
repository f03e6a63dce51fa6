// Dialog units, as dialog templates measure their controls: a horizontal unit is a quarter of the
// font's average character width, a vertical unit an eighth of its height.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace orn::wizard {

class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);
  // Average character width and character height of the font, in pixels.
  int BaseX() const { return baseX_; }
  int BaseY() const { return baseY_; }

  int X(int units) const;
  int Y(int units) const;
  QRect Rect(int x, int y, int width, int height) const;
  QSize Size(int width, int height) const;

 private:
  int baseX_;
  int baseY_;
};

}  // namespace orn::wizard
