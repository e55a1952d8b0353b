// TBitmap32: a 32-bit ARGB off-screen picture with direct row access for the
// per-dot work and QPainter for the rare whole-picture operations.
#pragma once

#include <QImage>
#include <QPolygonF>
#include <QRect>

#include "render/palette.h"

namespace vortexa {

// Antialiased polygon in pixel-area coordinates: pixel (x, y) covers [x, x + 1) × [y, y + 1).
using TPolygon32 = QPolygonF;

enum class TCombineMode { Opaque, Blend };

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

  void SetPixelClipped(int x, int y, TColor32 color) {
    if (x >= 0 && y >= 0 && x < Width() && y < Height()) Row(y)[x] = color;
  }
  // Rows y1 to y2 inclusive, blended by the colour's alpha; nothing when y2 < y1.
  void VertLineBlend(int x, int y1, int y2, TColor32 color);
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

// Source-over blend of `color` by its own alpha onto an opaque pixel.
TColor32 BlendOnto(TColor32 color, TColor32 background);

}  // namespace vortexa
