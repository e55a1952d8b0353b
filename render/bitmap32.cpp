#include "render/bitmap32.h"

#include <QPainter>
#include <algorithm>

namespace vortexa {

namespace {

void ConfigurePainter(QPainter& painter, TCombineMode mode) {
  painter.setCompositionMode(mode == TCombineMode::Blend ? QPainter::CompositionMode_SourceOver
                                                         : QPainter::CompositionMode_Source);
}

}  // namespace

TColor32 BlendOnto(TColor32 color, TColor32 background) {
  const std::uint32_t alpha = color >> 24;
  std::uint32_t result = background & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const std::uint32_t src = (color >> shift) & 0xFF;
    const std::uint32_t dst = (background >> shift) & 0xFF;
    const std::uint32_t mixed = (src * alpha + dst * (255 - alpha) + 127) / 255;
    result |= mixed << shift;
  }
  return result;
}

void TBitmap32::SetSize(int width, int height) {
  if (width == Width() && height == Height()) return;
  if (width <= 0 || height <= 0) {
    FImage = QImage();
    return;
  }
  FImage = QImage(width, height, QImage::Format_ARGB32);
}

void TBitmap32::Clear(TColor32 color) {
  if (!Empty()) FImage.fill(color);
}

void TBitmap32::VertLineBlend(int x, int y1, int y2, TColor32 color) {
  if (x < 0 || x >= Width()) return;
  y1 = std::max(y1, 0);
  y2 = std::min(y2, Height() - 1);
  for (int y = y1; y <= y2; ++y) {
    TColor32& pixel = Row(y)[x];
    pixel = BlendOnto(color, pixel);
  }
}

void TBitmap32::FillRect(const QRect& rect, TColor32 color) {
  const QRect clipped = rect & FImage.rect();
  for (int y = clipped.top(); y <= clipped.bottom(); ++y)
    std::fill_n(Row(y) + clipped.left(), clipped.width(), color);
}

void TBitmap32::FillPolygon(const TPolygon32& polygon, TColor32 color) {
  if (Empty()) return;
  QPainter painter(&FImage);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor::fromRgba(color));
  painter.drawPolygon(polygon);
}

void TBitmap32::Draw(int left, int top, const TBitmap32& source) {
  if (Empty() || source.Empty()) return;
  QPainter painter(&FImage);
  ConfigurePainter(painter, source.CombineMode());
  painter.drawImage(left, top, source.FImage);
}

void TBitmap32::DrawStretched(const QRect& dest, const TBitmap32& source) {
  if (Empty() || source.Empty()) return;
  QPainter painter(&FImage);
  ConfigurePainter(painter, source.CombineMode());
  painter.drawImage(dest, source.FImage);
}

}  // namespace vortexa
