#include "render/palette.h"

#include <gtest/gtest.h>

#include <vector>

namespace vortexa {
namespace {

int Red(TColor32 c) {
  return (c >> 16) & 0xFF;
}
int Green(TColor32 c) {
  return (c >> 8) & 0xFF;
}
int Blue(TColor32 c) {
  return c & 0xFF;
}

TEST(HslToRgb, SextantsAndBlack) {
  struct Case {
    int h, s, l;
    TColor32 rgb;
  } cases[] = {
      {0, 255, 128, 0xFFFF0101},    // red: V = 255, M = 1
      {0, 0, 0, kInsideColor},      // V = 0 is black
      {85, 255, 128, 0xFF03FF01},   // sextant 1: (M2, V, M)
      {170, 255, 128, 0xFF0105FF},  // sextant 3: (M, M2, V)
      {255, 0, 200, 0xFFC8C8C8},    // no saturation: grey, V = M = L
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.h << "," << c.s << "," << c.l);
    EXPECT_EQ(HslToRgb(c.h, c.s, c.l), c.rgb);
  }
}

TEST(Palette, EveryEntryIsOpaque) {
  for (int mode = 0; mode < 3; ++mode) {
    TPalette palette;
    palette.SetColors(mode, 252, 32, 48);
    for (int i = 0; i < kPaletteSize; ++i)
      EXPECT_EQ(palette.Entry(i) >> 24, 0xFFu);
  }
}

TEST(Palette, HighlightThreeIsEvenlyLit) {
  TPalette palette;
  palette.SetColors(0, 0, 0, 24);
  for (int i = 1; i < kPaletteSize; ++i)
    EXPECT_EQ(palette.Entry(i), palette.Entry(0));
  // One colour with hue 0 is H = 170 everywhere: blue dominates.
  EXPECT_GT(Blue(palette.Entry(0)), Red(palette.Entry(0)));
  EXPECT_GT(Blue(palette.Entry(0)), Green(palette.Entry(0)));
}

TEST(Palette, OppositeHighlightsStripeInOppositePhase) {
  TPalette low, high;
  low.SetColors(0, 0, 0, 0);
  high.SetColors(0, 0, 0, 48);
  // Entry 0 lies at the top of the cosine: bright for 6, dark for 0; equal strength.
  EXPECT_EQ(HslToRgb(170, 255, 128 + 84), high.Entry(0));
  EXPECT_EQ(HslToRgb(170, 255, 128 - 84), low.Entry(0));
  EXPECT_EQ(HslToRgb(170, 255, 128 - 84), high.Entry(102));  // half a stripe cycle later
}

TEST(Palette, SixColoursTurnOnceAroundTheCircle) {
  TPalette palette;
  palette.SetColors(2, 40, 0, 24);
  EXPECT_EQ(palette.Entry(0), HslToRgb((40 + 170) % 256, 255, 128));
  EXPECT_EQ(palette.Entry(1023), HslToRgb((40 + 256 + 170) % 256, 255, 128));
}

TEST(Palette, ThreeColoursRiseAndFallBack) {
  TPalette palette;
  palette.SetColors(1, 0, 0, 24);
  EXPECT_EQ(palette.Entry(0), HslToRgb(170, 255, 128));
  EXPECT_EQ(palette.Entry(511), HslToRgb((85 + 170) % 256, 255, 128));
  EXPECT_EQ(palette.Entry(512), HslToRgb((85 + 170) % 256, 255, 128));
  EXPECT_EQ(palette.Entry(1023), HslToRgb(170, 255, 128));
}

TEST(Palette, FullDesaturationIsGreyerButNotGrey) {
  TPalette palette;
  palette.SetColors(0, 0, 32, 24);
  const TColor32 c = palette.Entry(0);
  EXPECT_EQ(c, HslToRgb(170, 95, 128));
  EXPECT_NE(Red(c), Blue(c));
}

// Six colours, hue 0, flat lightness: entry i has hue Round(i / 4) + 170,
// rounded half to even. Entries 514 and 522 lie on halves (128.5, 130.5)
// and get hues 42 and 44: (255, 251, 1) and (248, 255, 1) by hand
// (V = 255, M = 1; hue 42 is sextant 0 with f = 252, hue 44 sextant 1 with
// f = 8). Rounding halves up would give hues 43 and 45 instead.
TEST(Palette, SixColourHuesRoundHalvesToEven) {
  TPalette palette;
  palette.SetColors(2, 0, 0, 24);
  EXPECT_EQ(palette.Entry(514), 0xFFFFFB01u);
  EXPECT_EQ(palette.Entry(522), 0xFFF8FF01u);
  EXPECT_EQ(palette.Entry(2), HslToRgb(170, 255, 128));  // 0.5 rounds down to 0
  EXPECT_EQ(palette.Entry(6), HslToRgb(172, 255, 128));  // 1.5 rounds up to 2

  // The same entries reached through the longer periods, where one entry
  // spans several counts and the shift drops the fraction.
  palette.SetLimit(65000);
  const struct {
    int Period;
    TDot Count;
    TColor32 Color;
  } cases[] = {
      {5, 257, 0xFFFFFB01},    {6, 522, 0xFFF8FF01},    {7, 1029, 0xFFFFFB01},
      {8, 2090, 0xFFF8FF01},   {9, 4112, 0xFFFFFB01},   {10, 8352, 0xFFF8FF01},
      {11, 16448, 0xFFFFFB01}, {12, 33408, 0xFFF8FF01},
  };
  for (const auto& c : cases) {
    palette.SetPeriod(c.Period);
    EXPECT_EQ(palette.GetColor(c.Count), c.Color) << "period " << c.Period;
  }
}

// Three colours: entry 256 has t = 256 * 170 / 1024 = 42.5, rounded to 42,
// and so has entry 768 on the way back.
TEST(Palette, ThreeColourHuesRoundHalvesToEven) {
  TPalette palette;
  palette.SetColors(1, 0, 0, 24);
  EXPECT_EQ(palette.Entry(256), HslToRgb(42 + 170, 255, 128));
  EXPECT_EQ(palette.Entry(768), HslToRgb(42 + 170, 255, 128));
}

TEST(PaletteColor, CountsWalkThePaletteByPeriod) {
  TPalette palette;
  palette.SetLimit(65000);
  palette.SetPeriod(4);
  EXPECT_EQ(palette.PaletteIndex(0), 0);
  EXPECT_EQ(palette.PaletteIndex(1), 4);
  EXPECT_EQ(palette.PaletteIndex(255), 1020);
  EXPECT_EQ(palette.PaletteIndex(256), 0);
  for (int period = 0; period < kPeriodCount; ++period) {
    palette.SetPeriod(period);
    EXPECT_EQ(palette.PaletteIndex(0), 0) << period;
  }
  palette.SetPeriod(12);
  EXPECT_EQ(palette.PaletteIndex(65000), 1015);  // never wraps at the longest period
  palette.SetPeriod(0);
  EXPECT_EQ(palette.PaletteIndex(16), 0);
  EXPECT_EQ(palette.GetColor(3), palette.Entry(192));
}

TEST(PaletteColor, AboveTheColourLimitIsBlack) {
  TPalette palette;
  palette.SetLimit(1000);
  EXPECT_NE(palette.GetColor(1000), kInsideColor);
  EXPECT_EQ(palette.GetColor(1001), kInsideColor);
  EXPECT_EQ(palette.GetColor(kDotPredicted), kInsideColor);
  EXPECT_EQ(palette.GetColor(kDotInside), kInsideColor);
  palette.SetLimit(500);  // lowering the limit blackens counts already there
  EXPECT_EQ(palette.GetColor(1000), kInsideColor);
}

TEST(PaletteColor, AnimatedScaleStartsAtTheOldPeriod) {
  TPalette palette;
  palette.SetLimit(65000);
  palette.SetPeriod(4);
  const int fixed = palette.PaletteIndex(77);
  palette.SetPeriodScale(PeriodMultiplier(4) / 64.0f);
  EXPECT_TRUE(palette.PeriodAnimating());
  EXPECT_EQ(palette.PaletteIndex(77), fixed);
  palette.SetPeriodScale(0.3f);  // 77 * 0.3 = 23.1
  EXPECT_EQ(palette.PaletteIndex(77), 23);
  palette.SetPeriodScale(0);
  EXPECT_FALSE(palette.PeriodAnimating());
}

TEST(PaletteColor, WholeRowsColourAsSingleCounts) {
  std::vector<TDot> counts;
  for (int i = 0; i < 997; ++i)
    counts.push_back(static_cast<TDot>(i * 67 % 1300));
  counts.insert(counts.end(), {kDotPredicted, kDotInside, 1200, 1201, 0});
  TPalette palette;
  palette.SetColors(2, 30, 8, 40);
  palette.SetLimit(1200);
  for (float scale : {0.0f, 0.37f}) {
    for (int period : {0, 4, 12}) {
      palette.SetPeriod(period);
      palette.SetPeriodScale(scale);
      std::vector<TColor32> row(counts.size());
      palette.ColorRow(counts.data(), row.data(), static_cast<int>(counts.size()));
      for (size_t i = 0; i < counts.size(); ++i)
        ASSERT_EQ(row[i], palette.GetColor(counts[i])) << i << " period " << period;
    }
  }
}

TEST(PaletteColor, WindowColourSwapsRedAndBlue) {
  TPalette palette;
  palette.SetColors(0, 0, 0, 24);
  const TColor32 c = palette.Entry(5);
  EXPECT_EQ(palette.GetPaletteColor(5), TColor(Blue(c) << 16 | Green(c) << 8 | Red(c)));
}

TEST(PaletteStrip, EndsShowFirstAndLastEntry) {
  EXPECT_EQ(PaletteStripIndex(0, 200), 0);
  EXPECT_EQ(PaletteStripIndex(199, 200), 1023);
  EXPECT_EQ(PaletteStripIndex(1, 3), 512);  // 511.5 rounds to even
  EXPECT_EQ(PaletteStripIndex(0, 1), 0);    // a one-column strip does not divide by zero
}

}  // namespace
}  // namespace vortexa
