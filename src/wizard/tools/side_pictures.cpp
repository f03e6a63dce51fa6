// Paints the four side pictures of the wizard pages into a folder:
//   orncfg-side-pictures DIR   ->   DIR/bitmap137.png .. DIR/bitmap140.png
// 137 the action page, 138 restoring and importing, 139 saving and exporting, 140 users from a
// directory. A calm blue-grey panel with one white line drawing each, 3 pixels per dialog unit.
#include <cstdio>

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

constexpr int kWidth = 85 * 3;
constexpr int kHeight = 141 * 3;

const QColor kLine(255, 255, 255, 235);
const QColor kFill(255, 255, 255, 40);

void Background(QPainter& p) {
  QLinearGradient sky(0, 0, 0, kHeight);
  sky.setColorAt(0.0, QColor(0x2c, 0x45, 0x5e));
  sky.setColorAt(1.0, QColor(0x7d, 0x9c, 0xb8));
  p.fillRect(0, 0, kWidth, kHeight, sky);
  // Soft rising arcs at the foot of the panel.
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 3; ++i) {
    p.setBrush(QColor(255, 255, 255, 14 + 6 * i));
    const int r = 260 - 50 * i;
    p.drawEllipse(QPoint(kWidth / 2 - 40 + 30 * i, kHeight + r / 3), r, r);
  }
}

QPen Stroke(qreal width = 7) {
  QPen pen(kLine, width);
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

// A configuration: three stacked rounded slabs with a light in each.
void Slabs(QPainter& p, QPointF top, qreal w) {
  for (int i = 0; i < 3; ++i) {
    const QRectF slab(top.x() - w / 2, top.y() + i * 42, w, 32);
    p.setPen(Stroke(5));
    p.setBrush(kFill);
    p.drawRoundedRect(slab, 9, 9);
    p.setBrush(kLine);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(slab.right() - 18, slab.center().y()), 5, 5);
  }
}

// An archive: a box with a lid and a clasp.
void Archive(QPainter& p, QPointF centre) {
  p.setPen(Stroke(5));
  p.setBrush(kFill);
  p.drawRoundedRect(QRectF(centre.x() - 62, centre.y() - 30, 124, 70), 8, 8);
  p.drawRoundedRect(QRectF(centre.x() - 70, centre.y() - 50, 140, 24), 6, 6);
  p.drawLine(QPointF(centre.x() - 18, centre.y() - 6), QPointF(centre.x() + 18, centre.y() - 6));
}

void Arrow(QPainter& p, QPointF from, QPointF to) {
  p.setPen(Stroke());
  p.drawLine(from, to);
  const qreal dir = to.y() > from.y() ? -1 : 1;
  p.drawLine(to, to + QPointF(-18, dir * 18));
  p.drawLine(to, to + QPointF(18, dir * 18));
}

void Person(QPainter& p, QPointF head, qreal scale) {
  p.setPen(Stroke(5 * scale));
  p.setBrush(kFill);
  p.drawEllipse(head, 17 * scale, 17 * scale);
  QPainterPath body;
  body.moveTo(head + QPointF(-34 * scale, 70 * scale));
  body.cubicTo(head + QPointF(-34 * scale, 26 * scale), head + QPointF(34 * scale, 26 * scale),
               head + QPointF(34 * scale, 70 * scale));
  body.closeSubpath();
  p.drawPath(body);
}

// An arc round centre, drawn counter-clockwise from start over span degrees, with a head at its end.
void ArcArrow(QPainter& p, QPointF centre, qreal radius, qreal start, qreal span) {
  p.setPen(Stroke());
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), int(start * 16), int(span * 16));
  const qreal a = qDegreesToRadians(start + span);
  const QPointF end = centre + QPointF(radius * qCos(a), -radius * qSin(a));
  const QPointF along(-qSin(a), -qCos(a));  // direction of travel on the screen
  const QPointF across(qCos(a), -qSin(a));
  p.drawLine(end, end - 18 * along + 13 * across);
  p.drawLine(end, end - 18 * along - 13 * across);
}

void Actions(QPainter& p) {
  Slabs(p, QPointF(kWidth / 2.0, 150), 120);
  // Two arcs going round the configuration: away and back.
  const QPointF centre(kWidth / 2.0, 192);
  ArcArrow(p, centre, 100, 200, 120);
  ArcArrow(p, centre, 100, 20, 120);
}

void Restore(QPainter& p) {
  Archive(p, QPointF(kWidth / 2.0, 120));
  Arrow(p, QPointF(kWidth / 2.0, 180), QPointF(kWidth / 2.0, 240));
  Slabs(p, QPointF(kWidth / 2.0, 262), 120);
}

void Backup(QPainter& p) {
  Slabs(p, QPointF(kWidth / 2.0, 90), 120);
  Arrow(p, QPointF(kWidth / 2.0, 212), QPointF(kWidth / 2.0, 262));
  Archive(p, QPointF(kWidth / 2.0, 330));
}

void Users(QPainter& p) {
  const QPointF hub(kWidth / 2.0, 300);
  const QPointF heads[] = {{62, 120}, {kWidth / 2.0, 90}, {kWidth - 62.0, 120}};
  p.setPen(Stroke(3));
  for (size_t i = 0; i < 3; ++i) p.drawLine(heads[i] + QPointF(0, i == 1 ? 70 : 56), hub);
  p.setBrush(kLine);
  p.drawEllipse(hub, 11, 11);
  Person(p, heads[0], 0.8);
  Person(p, heads[2], 0.8);
  Person(p, heads[1], 1.0);
}

bool Paint(const QString& folder, int id, void (*drawing)(QPainter&)) {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  Background(p);
  drawing(p);
  p.end();
  return image.save(QStringLiteral("%1/bitmap%2.png").arg(folder).arg(id));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Aufruf: orncfg-side-pictures ORDNER\n");
    return 2;
  }
  QGuiApplication application(argc, argv);
  const QString folder = QString::fromLocal8Bit(argv[1]);
  const bool ok = Paint(folder, 137, Actions) && Paint(folder, 138, Restore) && Paint(folder, 139, Backup) &&
                  Paint(folder, 140, Users);
  return ok ? 0 : 1;
}
