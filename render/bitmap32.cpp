#include "render/bitmap32.h"

#include <QPainter>
#include <algorithm>
#include <memory>

#include "engine/page_buffer.h"

namespace vortexa {

namespace {

constexpr int kCacheLine = 64;

// Walls are drawn down columns. A row stride of an odd number of cache lines
// spreads such a walk over all cache sets; an even one, such as the 4096 bytes
// of a 1024-dot row, crowds it into a few and misses on every pixel.
int PaddedStride(int width) {
  int lines = (width * 4 + kCacheLine - 1) / kCacheLine;
  if (lines % 2 == 0) ++lines;
  return lines * kCacheLine;
}

void UnmapPixels(void* mapping) {
  UnmapPages(*static_cast<TMapping*>(mapping));
  delete static_cast<TMapping*>(mapping);
}

void ConfigurePainter(QPainter& painter, TCombineMode mode) {
  painter.setCompositionMode(mode == TCombineMode::Blend ? QPainter::CompositionMode_SourceOver
                                                         : QPainter::CompositionMode_Source);
}

}  // namespace

void TBitmap32::SetSize(int width, int height) {
  if (width == Width() && height == Height()) return;
  if (width <= 0 || height <= 0) {
    FImage = QImage();
    return;
  }
  const int stride = PaddedStride(width);
  // Fresh pages: every composition writes its pixels anyway, so nothing is
  // cleared ahead of it, and a large picture sits on huge pages.
  const std::size_t bytes = static_cast<std::size_t>(stride) * height;
  auto mapping = std::make_unique<TMapping>(MapPages(bytes, TPages::Huge));
  FImage = QImage(static_cast<uchar*>(mapping->Pages), width, height, stride, QImage::Format_ARGB32,
                  UnmapPixels, mapping.get());
  mapping.release();  // the image unmaps the pixels when its last copy goes
}

void TBitmap32::Clear(TColor32 color) {
  if (!Empty()) FImage.fill(color);
}

TPixelView TBitmap32::Pixels() {
  if (Empty()) return {nullptr, 0, 0, 0};
  return {reinterpret_cast<TColor32*>(FImage.bits()),
          static_cast<int>(FImage.bytesPerLine() / sizeof(TColor32)), Width(), Height()};
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
