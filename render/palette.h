// TPalette: the 1024-colour palette built from the colour tool bar's settings
// and the mapping of iteration counts onto it.
#pragma once

#include <array>
#include <cstdint>

#include "engine/dot.h"

namespace vortexa {

// 32-bit colour: alpha in bits 24..31, then red, green, blue (QImage ARGB32).
using TColor32 = std::uint32_t;
// Window colour 0x00BBGGRR.
using TColor = std::uint32_t;

inline constexpr int kPaletteSize = 1024;
inline constexpr int kPeriodCount = 13;
inline constexpr TColor32 kOpaqueBlack = 0xFF000000;
inline constexpr TColor32 kInsideColor = kOpaqueBlack;

// Iterations per palette cycle are 16 << period; the multiplier of period k is 2^(12 - k).
int PeriodMultiplier(int period);

TColor32 HslToRgb(int hue, int saturation, int lightness);

class TPalette {
 public:
  TPalette() { SetColors(0, 0, 0, 0); }

  // colorMode 0..2 (one, three, six colours), hue 0..252, saturation 0..32,
  // highlight 0..48: the tool bar positions scaled as the window passes them.
  void SetColors(int colorMode, int hue, int saturation, int highlight);
  void SetPeriod(int period) { FPeriod = period; }
  void SetLimit(int limit) { FColorLimit = limit; }
  // During an animated period change counts map through this factor instead.
  void SetPeriodScale(float scale) {
    FPeriodScale = scale;
    FPeriodAnim = scale != 0;
  }

  TColor32 GetColor(TDot count) const {
    return IsOverLimit(count, FColorLimit) ? kInsideColor : FPalette[PaletteIndex(count)];
  }
  // Palette entry of a count at or below the colour limit.
  int PaletteIndex(TDot count) const {
    if (FPeriodAnim) return RoundedScaledIndex(count) & (kPaletteSize - 1);
    return ((std::uint32_t{count} << 6) >> FPeriod) & (kPaletteSize - 1);
  }
  TColor32 Entry(int index) const { return FPalette[index]; }
  TColor GetPaletteColor(int index) const;
  // Colours `count` dots at once. The counts are read with plain loads, so
  // nobody may write them meanwhile (the calculation grid must be idle).
  void ColorRow(TDotRowView counts, TColor32* out, int count) const;

  int ColorMode() const { return FColorMode; }
  int Hue() const { return FHue; }
  int Saturation() const { return FSaturation; }
  int Highlight() const { return FHighlight; }
  int Period() const { return FPeriod; }
  int ColorLimit() const { return FColorLimit; }
  bool PeriodAnimating() const { return FPeriodAnim; }

 private:
  std::uint32_t RoundedScaledIndex(TDot count) const;

  std::array<TColor32, kPaletteSize> FPalette{};
  int FColorMode = 0;
  int FHue = 0;
  int FSaturation = 0;
  int FHighlight = 0;
  int FPeriod = 4;
  int FColorLimit = 4000;
  bool FPeriodAnim = false;
  float FPeriodScale = 0;
};

// Palette index shown at pixel column x of a palette strip `width` pixels wide.
int PaletteStripIndex(int x, int width);

}  // namespace vortexa
