#include "glyphs.h"

#include <QLinearGradient>
#include <QPainter>
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
  static constexpr char kLetters[] = {'F', 'S', 'D'};
  static const QColor kColors[] = {QColor(96, 96, 96), QColor(0, 128, 0), QColor(0, 64, 192)};
  const int index = kernel < 0 || kernel > 2 ? 0 : kernel;
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

}  // namespace vortexa
