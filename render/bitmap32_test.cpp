#include "render/bitmap32.h"

#include <gtest/gtest.h>

namespace vortexa {
namespace {

constexpr TColor32 kBlack = 0xFF000000;
constexpr TColor32 kRed = 0xFFFF0000;

TBitmap32 Filled(int width, int height, TColor32 color) {
  TBitmap32 bitmap;
  bitmap.SetSize(width, height);
  bitmap.Clear(color);
  return bitmap;
}

TEST(BlendOnto, WeighsByTheColoursAlpha) {
  struct {
    TColor32 color, background, expected;
  } cases[] = {
      {0x00FFFFFF, 0xFF102030, 0xFF102030},  // transparent: unchanged
      {0xFFFFFFFF, 0xFF102030, 0xFFFFFFFF},  // opaque: replaced
      {0x7FFFFFFF, kBlack, 0xFF7F7F7F},      // half
      {0x0AFFFFFF, kBlack, 0xFF0A0A0A},      // the faint walls
      {0x7F204060, 0xFFFFFFFF, 0xFF90A0B0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(BlendOnto(c.color, c.background), c.expected) << std::hex << c.color;
}

TEST(Bitmap32, SetPixelClipsAtEveryEdge) {
  TBitmap32 bitmap = Filled(4, 3, kBlack);
  for (QPoint p : {QPoint(-1, 0), QPoint(0, -1), QPoint(4, 0), QPoint(0, 3)})
    bitmap.SetPixelClipped(p.x(), p.y(), kRed);
  bitmap.SetPixelClipped(3, 2, 0x12345678);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(bitmap.Pixel(x, y), x == 3 && y == 2 ? 0x12345678u : kBlack);
}

TEST(Bitmap32, VerticalLineBlendsInclusiveAndClipped) {
  TBitmap32 bitmap = Filled(3, 6, kBlack);
  bitmap.VertLineBlend(1, -4, 2, 0x7FFFFFFF);
  bitmap.VertLineBlend(2, 4, 9, 0xFFFF0000);
  bitmap.VertLineBlend(0, 3, 2, 0xFFFFFFFF);  // empty: ends above its start
  bitmap.VertLineBlend(7, 0, 5, 0xFFFFFFFF);  // outside
  for (int y = 0; y < 6; ++y) {
    EXPECT_EQ(bitmap.Pixel(0, y), kBlack);
    EXPECT_EQ(bitmap.Pixel(1, y), y <= 2 ? 0xFF7F7F7Fu : kBlack) << y;
    EXPECT_EQ(bitmap.Pixel(2, y), y >= 4 ? kRed : kBlack) << y;
  }
}

TEST(Bitmap32, FillRectClips) {
  TBitmap32 bitmap = Filled(5, 4, kBlack);
  bitmap.FillRect(QRect(3, -2, 10, 4), kRed);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(bitmap.Pixel(x, y), x >= 3 && y <= 1 ? kRed : kBlack);
}

TEST(Bitmap32, PolygonOnPixelEdgesCoversWholePixelsOnly) {
  TBitmap32 bitmap = Filled(8, 8, kBlack);
  bitmap.FillPolygon(TPolygon32({{2, 1}, {5, 1}, {5, 7}, {2, 7}}), 0xFFFFFFFF);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(bitmap.Pixel(x, y), x >= 2 && x < 5 && y >= 1 && y < 7 ? 0xFFFFFFFF : kBlack)
          << x << "," << y;
  // A diagonal edge is antialiased.
  bitmap.Clear(kBlack);
  bitmap.FillPolygon(TPolygon32({{0, 0}, {8, 0}, {0, 8}}), 0xFFFFFFFF);
  const TColor32 edge = bitmap.Pixel(3, 4);
  EXPECT_NE(edge, kBlack);
  EXPECT_NE(edge, 0xFFFFFFFF);
}

TEST(Bitmap32, DrawingHonoursTheSourcesCombineMode) {
  TBitmap32 target = Filled(4, 4, kBlack);
  TBitmap32 source = Filled(2, 2, 0x7FFFFFFF);
  target.Draw(1, 1, source);
  EXPECT_EQ(target.Pixel(1, 1), 0x7FFFFFFFu);  // opaque mode copies, alpha and all
  EXPECT_EQ(target.Pixel(0, 0), kBlack);
  target.Clear(kBlack);
  source.SetCombineMode(TCombineMode::Blend);
  target.Draw(-1, 3, source);
  EXPECT_EQ(qGray(target.Pixel(0, 3)), 0x7F);
  EXPECT_EQ(target.Pixel(0, 3) >> 24, 0xFFu);
  EXPECT_EQ(target.Pixel(1, 3), kBlack);
}

TEST(Bitmap32, ZeroSizeIsEmptyAndSafe) {
  TBitmap32 bitmap;
  bitmap.SetSize(0, 5);
  EXPECT_TRUE(bitmap.Empty());
  bitmap.Clear(kRed);
  bitmap.FillRect(QRect(0, 0, 3, 3), kRed);
  bitmap.VertLineBlend(0, 0, 3, kRed);
  bitmap.FillPolygon(TPolygon32({{0, 0}, {3, 0}, {0, 3}}), kRed);
  EXPECT_EQ(bitmap.Width(), 0);
}

}  // namespace
}  // namespace vortexa
