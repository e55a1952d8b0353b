#include "render/palette.h"

#include <cmath>
#include <numbers>

namespace vortexa {

namespace {

// Round half to even, as the x87 default rounding does.
int RoundEven(long double value) {
  return static_cast<int>(std::nearbyintl(value));
}

int EntryLightness(int index, int highlight) {
  const long double angle = index * 10 * std::numbers::pi_v<long double> / 1023;
  return 128 + RoundEven(std::cos(angle) * (highlight - 24) * 3.5L);
}

int EntryHue(int index, int colorMode, int hueOffset) {
  int shift = 0;
  switch (colorMode) {
    case 1:  // rises by a third of the circle to the middle and falls back
      shift = RoundEven((index < 512 ? index : kPaletteSize - index) * 170.0L / 1024);
      break;
    case 2:  // one full turn over the palette
      shift = RoundEven(index * 256.0L / 1024);
      break;
  }
  return (hueOffset + shift + 170) % 256;
}

}  // namespace

int PeriodMultiplier(int period) {
  return 1 << (12 - period);
}

TColor32 HslToRgb(int hue, int saturation, int lightness) {
  const int v = lightness <= 127 ? (lightness * (256 + saturation)) >> 8
                                 : lightness + saturation - (lightness * saturation) / 255;
  if (v <= 0) return kInsideColor;
  const int m = 2 * lightness - v;
  const int h6 = hue * 6;
  const int sextant = h6 >> 8;
  const int f = h6 & 255;
  const int vsf = ((v - m) * f) >> 8;
  const int m1 = m + vsf;
  const int m2 = v - vsf;
  int r, g, b;
  switch (sextant) {
    case 0:
      r = v, g = m1, b = m;
      break;
    case 1:
      r = m2, g = v, b = m;
      break;
    case 2:
      r = m, g = v, b = m1;
      break;
    case 3:
      r = m, g = m2, b = v;
      break;
    case 4:
      r = m1, g = m, b = v;
      break;
    default:
      r = v, g = m, b = m2;
      break;
  }
  return 0xFF000000u | (std::uint32_t(r) << 16) | (std::uint32_t(g) << 8) | std::uint32_t(b);
}

void TPalette::SetColors(int colorMode, int hue, int saturation, int highlight) {
  FColorMode = colorMode;
  FHue = hue;
  FSaturation = saturation;
  FHighlight = highlight;
  const int s = 255 - 5 * saturation;
  for (int i = 0; i < kPaletteSize; ++i)
    FPalette[i] = HslToRgb(EntryHue(i, colorMode, hue), s, EntryLightness(i, highlight));
}

TColor TPalette::GetPaletteColor(int index) const {
  const TColor32 c = FPalette[index];
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

std::uint32_t TPalette::RoundedScaledIndex(TDot count) const {
  return static_cast<std::uint32_t>(
      std::nearbyintl(static_cast<long double>(count) * FPeriodScale));
}

namespace {

template <StoredDot T>
using TColorRowFunction = void (*)(const T*, TColor32*, int, const TColor32*, int, int);

// Plain loads and no branch, so that the loop vectorises. A narrow dot's
// inside marks lie above every limit it serves, as the wide ones do.
template <StoredDot T>
[[gnu::always_inline]] inline void ColorRowAtPeriod(const T* __restrict counts,
                                                    TColor32* __restrict out, int count,
                                                    const TColor32* __restrict palette, int limit,
                                                    int period) {
  for (int x = 0; x < count; ++x) {
    const std::uint32_t value = counts[x];
    const TColor32 color = palette[((value << 6) >> period) & (kPaletteSize - 1)];
    out[x] = value > static_cast<std::uint32_t>(limit) ? kInsideColor : color;
  }
}

// The same loop for each vector unit: the wider the vectors, the faster a
// finished picture is coloured.
template <StoredDot T>
[[gnu::target("avx512f")]] void ColorRowAvx512(const T* counts, TColor32* out, int count,
                                               const TColor32* palette, int limit, int period) {
  ColorRowAtPeriod(counts, out, count, palette, limit, period);
}
template <StoredDot T>
[[gnu::target("avx2")]] void ColorRowAvx2(const T* counts, TColor32* out, int count,
                                          const TColor32* palette, int limit, int period) {
  ColorRowAtPeriod(counts, out, count, palette, limit, period);
}
template <StoredDot T>
void ColorRowPlain(const T* counts, TColor32* out, int count, const TColor32* palette, int limit,
                   int period) {
  ColorRowAtPeriod(counts, out, count, palette, limit, period);
}

template <StoredDot T>
TColorRowFunction<T> PickColorRow() {
  if (__builtin_cpu_supports("avx512f")) return ColorRowAvx512<T>;
  if (__builtin_cpu_supports("avx2")) return ColorRowAvx2<T>;
  return ColorRowPlain<T>;
}

}  // namespace

void TPalette::ColorRow(TDotRowView counts, TColor32* out, int count) const {
  counts.Visit([&]<StoredDot T>(const T* dots) {
    static const TColorRowFunction<T> colorRowAtPeriod = PickColorRow<T>();
    if (!FPeriodAnim)
      return colorRowAtPeriod(dots, out, count, FPalette.data(), FColorLimit, FPeriod);
    for (int x = 0; x < count; ++x)
      out[x] = GetColor(DotValue(dots[x]));
  });
}

int PaletteStripIndex(int x, int width) {
  if (width <= 1) return 0;
  return static_cast<int>(std::nearbyint(x * 1023.0 / (width - 1)));
}

}  // namespace vortexa
