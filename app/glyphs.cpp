#include "glyphs.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

namespace vortexa {

namespace {

QImage Transparent(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

// Letters drawn as strokes on the 8 × 12 grid, so they stay crisp at any font setting.
void DrawLetter(QPainter& painter, char letter) {
  switch (letter) {
    case 'F':
      painter.drawLine(2, 2, 2, 9);
      painter.drawLine(2, 2, 6, 2);
      painter.drawLine(2, 5, 5, 5);
      break;
    case 'S':
      painter.drawLine(2, 2, 6, 2);
      painter.drawLine(1, 3, 1, 4);
      painter.drawLine(2, 5, 5, 5);
      painter.drawLine(6, 6, 6, 8);
      painter.drawLine(1, 9, 5, 9);
      break;
    case 'P':
      painter.drawLine(2, 2, 2, 9);
      painter.drawLine(2, 2, 5, 2);
      painter.drawLine(6, 3, 6, 4);
      painter.drawLine(2, 5, 5, 5);
      break;
    default:  // 'D'
      painter.drawLine(1, 2, 1, 9);
      painter.drawLine(1, 2, 4, 2);
      painter.drawLine(1, 9, 4, 9);
      painter.drawLine(5, 3, 6, 4);
      painter.drawLine(6, 5, 6, 7);
      painter.drawLine(5, 8, 5, 8);
      break;
  }
}

}  // namespace

QImage KernelGlyph(int kernel) {
  static constexpr char kLetters[] = {'F', 'S', 'D', 'P'};
  static const QColor kColors[] = {QColor(96, 96, 96), QColor(0, 128, 0), QColor(0, 64, 192),
                                   QColor(128, 0, 160)};
  const int index = kernel < 0 || kernel > 3 ? 0 : kernel;
  QImage image = Transparent(8, 12);
  QPainter painter(&image);
  painter.fillRect(0, 0, 8, 12, kColors[index]);
  painter.setPen(Qt::white);
  DrawLetter(painter, kLetters[index]);
  return image;
}

QImage BarGlyph() {
  QImage image = Transparent(9, 17);
  QPainter painter(&image);
  QLinearGradient shade(0, 0, 0, 17);
  shade.setColorAt(0, QColor(170, 200, 255));
  shade.setColorAt(0.45, QColor(40, 100, 220));
  shade.setColorAt(1, QColor(10, 40, 130));
  painter.fillRect(0, 0, 9, 17, shade);
  return image;
}

QImage FolderGlyph() {
  QImage image = Transparent(16, 16);
  QPainter painter(&image);
  const QColor edge(150, 110, 20);
  painter.setPen(edge);
  painter.setBrush(QColor(240, 200, 90));
  painter.drawPolygon(QPolygon(
      {QPoint(1, 3), QPoint(6, 3), QPoint(7, 5), QPoint(14, 5), QPoint(14, 13), QPoint(1, 13)}));
  painter.setBrush(QColor(255, 225, 130));
  painter.drawRect(1, 6, 13, 7);
  return image;
}

QImage OpenFolderGlyph() {
  QImage image = Transparent(16, 16);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const QColor edge(150, 110, 20);
  painter.setPen(edge);
  painter.setBrush(QColor(240, 200, 90));
  painter.drawPolygon(QPolygon(
      {QPoint(1, 3), QPoint(6, 3), QPoint(7, 5), QPoint(13, 5), QPoint(13, 13), QPoint(1, 13)}));
  // The lid, tipped open towards the viewer.
  painter.setBrush(QColor(255, 235, 160));
  painter.drawPolygon(QPolygon({QPoint(3, 8), QPoint(15, 8), QPoint(13, 13), QPoint(1, 13)}));
  return image;
}

QImage FavoriteGlyph() {
  QImage image = Transparent(16, 16);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QColor(90, 90, 120));
  painter.setBrush(QColor(250, 250, 255));
  painter.drawRect(QRectF(2.5, 1.5, 11, 13));
  // A spiral drawn as quarter arcs of growing radius.
  QPainterPath spiral;
  spiral.moveTo(8, 8);
  double radius = 0.8;
  for (int quarter = 0; quarter < 7; ++quarter, radius *= 1.45)
    spiral.arcTo(QRectF(8 - radius, 8 - radius, 2 * radius, 2 * radius), 90.0 * quarter, 90);
  painter.setPen(QPen(QColor(40, 80, 200), 1.2));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(spiral);
  return image;
}

QImage TourFavoriteGlyph() {
  QImage image = FavoriteGlyph();
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QColor(20, 100, 20));
  painter.setBrush(QColor(60, 190, 60));
  painter.drawPolygon(
      QPolygonF({QPointF(7.5, 10.5), QPointF(11.5, 10.5), QPointF(11.5, 8.5), QPointF(15.5, 12),
                 QPointF(11.5, 15.5), QPointF(11.5, 13.5), QPointF(7.5, 13.5)}));
  return image;
}

QImage TreeToggleGlyph() {
  QImage image = Transparent(16, 16);
  QPainter painter(&image);
  painter.setPen(QColor(60, 60, 60));
  painter.drawLine(3, 4, 3, 12);
  painter.drawLine(3, 8, 7, 8);
  painter.drawLine(3, 12, 7, 12);
  painter.setBrush(QColor(240, 200, 90));
  for (const QPoint& at : {QPoint(1, 1), QPoint(8, 6), QPoint(8, 10)})
    painter.drawRect(QRect(at, QSize(5, 4)));
  return image;
}

QImage ArrowRightGlyph() {
  QImage image = Transparent(12, 12);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(20, 20, 20));
  painter.drawPolygon(QPolygonF({QPointF(3, 1.5), QPointF(10, 6), QPointF(3, 10.5)}));
  return image;
}

}  // namespace vortexa
