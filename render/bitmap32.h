// TBitmap32: a 32-bit ARGB off-screen picture with direct row access for the
// per-dot work and QPainter for the rare whole-picture operations.
#pragma once

#include <QImage>
#include <QPolygonF>
#include <QRect>
#include <cstddef>
#include <cstdint>

#include "render/palette.h"

namespace vortexa {

// Antialiased polygon in pixel-area coordinates: pixel (x, y) covers [x, x + 1) × [y, y + 1).
using TPolygon32 = QPolygonF;

enum class TCombineMode { Opaque, Blend };

// Source-over blend of `color` by its own alpha onto an opaque pixel; red and
// blue share one multiply, and the division by 255 rounds exactly.
inline TColor32 BlendOnto(TColor32 color, TColor32 background) {
  const std::uint32_t alpha = color >> 24, rest = 255 - alpha;
  const auto divide255 = [](std::uint32_t packed) {
    packed += 0x00800080u;
    return ((packed + ((packed >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
  };
  const std::uint32_t redBlue =
      divide255((color & 0x00FF00FFu) * alpha + (background & 0x00FF00FFu) * rest);
  const std::uint32_t green =
      divide255(((color >> 8) & 0xFFu) * alpha + ((background >> 8) & 0xFFu) * rest);
  return (background & 0xFF000000u) | redBlue | (green << 8);
}

// The pixels of a bitmap for per-dot work: plain pointers, no call per dot.
// Valid until the bitmap is resized or painted on.
class TPixelView {
 public:
  TPixelView(TColor32* bits, int stride, int width, int height)
      : FBits(bits), FStride(stride), FWidth(width), FHeight(height) {}

  TColor32* Row(int y) const { return FBits + static_cast<std::ptrdiff_t>(y) * FStride; }
  void SetPixelClipped(int x, int y, TColor32 color) const {
    if (x >= 0 && y >= 0 && x < FWidth && y < FHeight) Row(y)[x] = color;
  }
  // Rows y1 to y2 inclusive, blended by the colour's alpha; nothing when y2 < y1.
  void VertLineBlend(int x, int y1, int y2, TColor32 color) const {
    if (x < 0 || x >= FWidth) return;
    y1 = y1 < 0 ? 0 : y1;
    y2 = y2 >= FHeight ? FHeight - 1 : y2;
    const std::ptrdiff_t stride = FStride;
    TColor32* pixel = Row(y1) + x;
    for (int y = y1; y <= y2; ++y, pixel += stride)
      *pixel = BlendOnto(color, *pixel);
  }

 private:
  TColor32* FBits;
  int FStride;
  int FWidth;
  int FHeight;
};

class TBitmap32 {
 public:
  void SetSize(int width, int height);
  int Width() const { return FImage.width(); }
  int Height() const { return FImage.height(); }
  bool Empty() const { return FImage.isNull(); }

  // How this bitmap is combined when drawn onto another one.
  void SetCombineMode(TCombineMode mode) { FCombineMode = mode; }
  TCombineMode CombineMode() const { return FCombineMode; }

  void Clear(TColor32 color);
  TColor32* Row(int y) { return reinterpret_cast<TColor32*>(FImage.scanLine(y)); }
  const TColor32* Row(int y) const {
    return reinterpret_cast<const TColor32*>(FImage.constScanLine(y));
  }
  TColor32 Pixel(int x, int y) const { return Row(y)[x]; }

  TPixelView Pixels();

  void SetPixelClipped(int x, int y, TColor32 color) { Pixels().SetPixelClipped(x, y, color); }
  void VertLineBlend(int x, int y1, int y2, TColor32 color) {
    Pixels().VertLineBlend(x, y1, y2, color);
  }
  void FillRect(const QRect& rect, TColor32 color);
  void FillPolygon(const TPolygon32& polygon, TColor32 color);

  void Draw(int left, int top, const TBitmap32& source);
  void DrawStretched(const QRect& dest, const TBitmap32& source);

  const QImage& Image() const { return FImage; }
  QImage& Image() { return FImage; }

 private:
  QImage FImage;
  TCombineMode FCombineMode = TCombineMode::Opaque;
};

}  // namespace vortexa
