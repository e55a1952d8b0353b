#include "render/draw_grid.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace vortexa {

namespace {

constexpr TColor32 kWhite = 0xFFFFFFFF;
constexpr TColor32 kColorBits = 0x00FFFFFF;
constexpr int kFrontHueOffset = 120;
constexpr int kFrontHueCircle = 240;
constexpr int kFrontSaturation = 120;
constexpr int kFrontLightness = 80;
constexpr TColor32 kFrontAlpha = 0x7F000000;
constexpr int kMaxWallAlpha = 10;
// Dots of rise per height unit and picture row at the full relief seen edge-on.
constexpr double kRisePerRow = 0.00045625;

TFixed FixedSin(int degrees) {
  return Fixed(static_cast<double>(std::sin(degrees * std::numbers::pi_v<float> / 180)));
}
TFixed FixedCos(int degrees) {
  return Fixed(static_cast<double>(std::cos(degrees * std::numbers::pi_v<float> / 180)));
}

// Hue of a colour on a circle of 256 steps, by integer RGB-to-HSL conversion.
int HueOf(TColor32 color) {
  const int r = (color >> 16) & 0xFF, g = (color >> 8) & 0xFF, b = color & 0xFF;
  const int hi = std::max({r, g, b}), lo = std::min({r, g, b});
  if (hi == lo) return 0;
  const int d = (hi - lo) * 255;
  int hue;
  if (r == hi)
    hue = (g - b) * 65025 / (6 * d);
  else if (g == hi)
    hue = 85 + (b - r) * 65025 / (6 * d);
  else
    hue = 170 + (r - g) * 65025 / (6 * d);
  if (hue < 0) hue += 510;
  return hue & 0xFF;
}

// The half-transparent face below the plane's near edge, in a hue set off from the palette's.
TColor32 FrontColorFor(TColor32 firstEntry) {
  const int hue = (HueOf(firstEntry) + kFrontHueOffset) % kFrontHueCircle;
  return (HslToRgb(hue, kFrontSaturation, kFrontLightness) & kColorBits) | kFrontAlpha;
}

double Ease(double x) {
  return 0.5 - std::cos(std::numbers::pi * x) / 2;
}

}  // namespace

TDrawGrid::TDrawGrid(TCalcGrid& grid, TCanvas& canvas) : FGrid(grid), FCanvas(canvas) {
  FInfoBitmap.SetCombineMode(TCombineMode::Blend);
  SetElevation(90);
  SetRotation(0);
}

// ---- size and placement ----

void TDrawGrid::SetSize(int width, int height) {
  try {
    ResizeBuffers(std::max(width, 0), std::max(height, 0));
  } catch (const std::bad_alloc&) {
    ResizeBuffers(0, 0);  // no picture left with a grid of another size
    throw;
  }
  SetReliefStep(kFullRelief);
  RebuildMasks();
  FHeights = {};
  FHeightsStale = true;
  FFrames = kMaxFrames;
}

void TDrawGrid::ResizeBuffers(int width, int height) {
  FWidth = width;
  FHeight = height;
  FBitmap.SetSize(FWidth, FHeight);
  FGrid.SetSize(FWidth, FHeight);
}

void TDrawGrid::BeginTempSize(int width, int height, const QRect& dest) {
  FSavedWidth = FWidth;
  FSavedHeight = FHeight;
  FTempMode = true;
  FDestRect = dest;
  SetSize(width, height);
}

void TDrawGrid::EndTempSize() {
  if (!FTempMode) return;
  SetSize(FSavedWidth, FSavedHeight);
  FTempMode = false;
}

void TDrawGrid::SetOrigin(int left, int top) {
  FLeft = left;
  FTop = top;
  if (top != 0)
    FInfoBitmap.SetSize(0, 0);
  else
    FInfoBitmap.SetSize(FWidth, static_cast<int>(std::ceil(kInfoStripHeight * FPixelRatio)));
}

bool TDrawGrid::SameSizeAsGrid() const {
  return FGrid.GridWidth() == FWidth && FGrid.GridHeight() == FHeight;
}

// ---- angles and relief ----

void TDrawGrid::SetRotation(int angle) {
  if (angle < -180) angle += 360;
  if (angle > 180) angle -= 360;
  FRotation = Fixed(angle);
  FRotSin = FixedSin(angle);
  FRotCos = FixedCos(angle);
  RebuildMasks();
}

void TDrawGrid::SetElevation(int angle) {
  angle = std::clamp(angle, 0, 90);
  FElevation = Fixed(angle);
  FElevSin = FixedSin(angle);
  FElevCos = FixedCos(angle);
  RebuildMasks();
  SetReliefStep(kFullRelief);
}

void TDrawGrid::SetConvex(bool value) {
  if (value == FConvex) return;
  FConvex = value;
  FHeightsStale = true;
}

void TDrawGrid::SetReliefStep(int step) {
  double rise = FHeight * kRisePerRow;
  if (step != kFullRelief) rise *= Ease(static_cast<double>(step) / FFrames);
  FHeightScale = FixedMul(Fixed(static_cast<double>(static_cast<float>(rise))), FElevCos);
}

void TDrawGrid::ComputeHeights() {
  const int limit = FPalette.ColorLimit();
  const THeightsByCount byCount(FGrid.MinDot(), limit, FConvex);
  AllocateHeights();
  for (int y = 0; y < FHeight; ++y) {
    const TDotRowView counts = FGrid.Row(y);
    THeight* heights = FHeights.data() + static_cast<std::size_t>(y) * FWidth;
    for (int x = 0; x < FWidth; ++x) {
      const TDot count = counts.Load(x);
      heights[x] = IsOverLimit(count, limit) ? 0 : byCount.Height(count);
    }
  }
  MarkBorderWalls(FHeights, FWidth, FHeight);
  MarkWalls(FHeights, FWidth, FHeight, FThickWalls);
  FHeightsStale = false;
}

// Flat pictures never need the heights, so they get their buffer only here.
void TDrawGrid::AllocateHeights() {
  const std::size_t size = static_cast<std::size_t>(FWidth) * FHeight;
  if (FHeights.size() != size) FHeights = TPageBuffer<THeight>(size);
}

// ---- point mappings ----

QPoint TDrawGrid::RotatePoint(QPoint point, bool inverse, bool relative) const {
  const QPoint origin = relative ? QPoint(0, 0) : QPoint(FWidth / 2, FHeight / 2);
  const TFixed sine = inverse ? FRotSin : -FRotSin;
  const TFixed dx = Fixed(point.x() - origin.x()), dy = Fixed(point.y() - origin.y());
  return {origin.x() + FixedRound(FixedMul(dx, FRotCos) - FixedMul(dy, sine)),
          origin.y() + FixedRound(FixedMul(dx, sine) + FixedMul(dy, FRotCos))};
}

QPoint TDrawGrid::TiltPoint(QPoint point, bool inverse, bool relative) const {
  const auto scale = [&](TFixed value) {
    return FixedRound(inverse ? FixedDiv(value, FElevSin) : FixedMul(value, FElevSin));
  };
  if (relative) return {point.x(), scale(Fixed(point.y()))};
  return {point.x(), FHeight - scale(Fixed(FHeight - point.y() - 1)) - 1};
}

// ---- masks ----

void TDrawGrid::RebuildMasks() {
  FMasks.clear();
  const bool turned = GetRotation() % 180 != 0, tipped = GetElevation() != 90;
  if (FWidth == 0 || FHeight == 0 || !(turned || tipped)) return;
  const QRectF picture(0, 0, FWidth, FHeight);
  QPainterPath plane;
  if (turned) {
    plane.addPolygon(TPolygon32(
        {RotatedOutlineCorner(picture.topLeft()), RotatedOutlineCorner(picture.bottomLeft()),
         RotatedOutlineCorner(picture.bottomRight()), RotatedOutlineCorner(picture.topRight())}));
    plane.closeSubpath();
    // Only the rows of the picture are composed, also when the plane reaches beyond them.
    QPainterPath rows;
    rows.addRect(picture);
    plane = plane.intersected(rows);
  } else {
    plane.addRect(picture);
  }
  plane = TiltTransform().map(plane);
  // Tipped, the masks reach up to the row above the picture.
  QPainterPath area;
  const double top = tipped ? -1 : 0;
  area.addRect(QRectF(0, top, FWidth, TiltTransform().map(picture.bottomLeft()).y() - top));
  for (const TPolygon32& mask : area.subtracted(plane).toFillPolygons())
    FMasks.push_back(mask);
}

// The masks follow the outline of the plane's outer dots in pixel-area
// coordinates, so that they meet the composed picture without a gap or overlap.
QPointF TDrawGrid::RotatedOutlineCorner(QPointF corner) const {
  const double sine = FRotSin / 65536.0, cosine = FRotCos / 65536.0;
  const QPointF centre(FWidth / 2 + 0.5, FHeight / 2 + 0.5);
  const QPointF d = corner - centre;
  return centre + QPointF(d.x() * cosine + d.y() * sine, d.y() * cosine - d.x() * sine);
}

// Tipping foreshortens the plane towards the centre line of the bottom row, which stays.
QTransform TDrawGrid::TiltTransform() const {
  const double sine = FElevSin / 65536.0, bottomCentre = FHeight - 0.5;
  return QTransform(1, 0, 0, sine, 0, bottomCentre * (1 - sine));
}

// ---- composition ----

template <typename Visit>
void TDrawGrid::ForEachSource(int i, Visit visit) const {
  if (!IsRotated()) {
    for (int j = 0; j < FWidth; ++j)
      visit(j, j, i);
    return;
  }
  const int cx = FWidth / 2, cy = FHeight / 2;
  // FixedMul of a whole number is exact, so stepping by the sine and cosine
  // gives the same source dots as mapping every dot on its own.
  std::int64_t column = std::int64_t{-cx} * FRotCos - std::int64_t{i - cy} * FRotSin;
  std::int64_t row = std::int64_t{-cx} * FRotSin + std::int64_t{i - cy} * FRotCos;
  for (int j = 0; j < FWidth; ++j, column += FRotCos, row += FRotSin) {
    const int sourceColumn = static_cast<int>((column + 0x7FFF) >> 16) + cx;
    const int sourceRow = static_cast<int>((row + 0x7FFF) >> 16) + cy;
    if (sourceColumn >= 0 && sourceColumn < FWidth && sourceRow >= 0 && sourceRow < FHeight)
      visit(j, sourceColumn, sourceRow);
  }
}

void TDrawGrid::Render(bool full) {
  FFinalPassShown = false;
  if (FWidth == 0 || FHeight == 0) return;
  if (!SameSizeAsGrid()) {
    FBitmap.Clear(kOpaqueBlack);  // counts of another size have nothing to show here
  } else if (IsFlat() && !IsRotated()) {
    RenderFlat();  // sets every pixel, so it needs no background
  } else {
    FBitmap.Clear(kOpaqueBlack);
    if (IsFlat())
      RenderFlatRotated();
    else
      RenderRelief(full);
  }
  Present();
}

void TDrawGrid::RenderFlat() {
  const TPixelView pixels = FBitmap.Pixels();
  // Final counts are coloured a row at a time, vectorised; while the grid
  // still computes each count is read on its own.
  const bool final = FGrid.IsIdle();
  for (int y = 0; y < FHeight; ++y) {
    const TDotRowView counts = FGrid.Row(y);
    TColor32* out = pixels.Row(y);
    if (final) {
      FPalette.ColorRow(counts, out, FWidth);
      continue;
    }
    for (int x = 0; x < FWidth; ++x)
      out[x] = FPalette.GetColor(counts.Load(x));
  }
}

std::vector<TDotRowView> TDrawGrid::CountRows() const {
  std::vector<TDotRowView> rows(FHeight);
  for (int y = 0; y < FHeight; ++y)
    rows[y] = FGrid.Row(y);
  return rows;
}

void TDrawGrid::RenderFlatRotated() {
  const std::vector<TDotRowView> counts = CountRows();
  for (int i = 0; i < FHeight; ++i) {
    TColor32* pixels = FBitmap.Row(i);
    ForEachSource(i, [&](int j, int column, int row) {
      pixels[j] = FPalette.GetColor(counts[row].Load(column));
    });
  }
}

void TDrawGrid::RenderRelief(bool full) {
  if (FHeightsStale) ComputeHeights();
  const std::vector<TDotRowView> counts = CountRows();
  const TPixelView pixels = FBitmap.Pixels();
  const int bottom = FHeight - 1;
  const int limit = FPalette.ColorLimit();
  const TColor32 front = FrontColor();
  const long double elevation = FElevation / 65536.0L;
  int nextPlainRow = 2;
  for (int i = 0; i <= bottom; ++i) {
    const int base = bottom - FixedRound(FixedMul(Fixed(bottom - i), FElevSin));
    TColor32 wallAlpha = full ? WallAlpha(i) : 0;
    // Rows without walls keep near-vertical views from turning into a wall of walls.
    if (i == nextPlainRow) {
      wallAlpha = 0;
      nextPlainRow = static_cast<int>(std::ceil((elevation / 1800 + 1.005L) * nextPlainRow));
    }
    ForEachSource(i, [&](int j, int column, int row) {
      const TDot count = counts[row].Load(column);
      if (IsOverLimit(count, limit)) return;
      const THeight height = FHeights[static_cast<std::size_t>(row) * FWidth + column];
      const int rise = FixedRound((height & kHeightBits) * FHeightScale);
      const int top = base - rise;
      const TColor32 color = FPalette.GetColor(count);
      pixels.SetPixelClipped(j, top, color);
      if ((height & kWallMark) && wallAlpha != 0)
        pixels.VertLineBlend(j, top + 2, top + rise / 2, color & wallAlpha);
      if (i == bottom) pixels.VertLineBlend(j, top + 2, top + rise / 2, front);
    });
  }
}

TColor32 TDrawGrid::WallAlpha(int row) const {
  int alpha = kMaxWallAlpha;
  if (row < FHeight / 2) {
    const long double elevation = FElevation / 65536.0L;
    alpha =
        std::min(static_cast<int>(std::nearbyintl((elevation - 10) * (1.0L / 6))), kMaxWallAlpha);
  }
  if (alpha <= 0) return 0;
  return (static_cast<TColor32>(alpha) << 24) | kColorBits;
}

TColor32 TDrawGrid::FrontColor() const {
  return FrontColorFor(FPalette.Entry(0));
}

void TDrawGrid::Flatten() {
  FHeightScale = 0;
  Render(false);
}

int TDrawGrid::ShowCliffs() {
  if (FWidth == 0 || FHeight == 0) return 0;
  if (FHeightsStale && SameSizeAsGrid()) ComputeHeights();
  AllocateHeights();  // without counts to compute them from, no dot has a wall
  int cliffs = 0;
  for (int y = 0; y < FHeight; ++y) {
    const THeight* heights = FHeights.data() + static_cast<std::size_t>(y) * FWidth;
    TColor32* pixels = FBitmap.Row(y);
    for (int x = 0; x < FWidth; ++x) {
      const bool cliff = (heights[x] & kWallMark) != 0;
      pixels[x] = cliff ? kWhite : kOpaqueBlack;
      cliffs += cliff;
    }
  }
  Present();
  return cliffs;
}

// ---- canvas ----

void TDrawGrid::Present() {
  if (FWidth == 0 || FHeight == 0) return;
  if (FTempMode) {
    FCanvas.PresentStretched(FBitmap.Image(), FDestRect);
    return;
  }
  // Every composition is opaque; seen as RGB32 the window copies it instead of blending.
  const QImage& picture = FBitmap.Image();
  FCanvas.Present(QImage(picture.constBits(), picture.width(), picture.height(),
                         picture.bytesPerLine(), QImage::Format_RGB32),
                  FLeft, FTop);
  if (FTop == 0 && !(FGrid.Options() & kOptNoFullScreenInfo) && !FInfoBitmap.Empty())
    FCanvas.Present(FInfoBitmap.Image(), 0, FHeight - FInfoBitmap.Height());
}

void TDrawGrid::DrawInfo(const QString& x, const QString& y, const QString& range,
                         const QString& dest) {
  if (FTop != 0 || FInfoBitmap.Empty()) return;
  // Transparent where no text is, so the picture shows through the strip.
  FInfoBitmap.Clear(0);
  QPainter painter(&FInfoBitmap.Image());
  painter.scale(FPixelRatio, FPixelRatio);
  QFont font(QStringLiteral("Noto Sans CJK JP"));
  font.setPixelSize(12);
  painter.setFont(font);
  const QFontMetrics metrics(font);
  const int coordinateWidth =
      metrics.horizontalAdvance(QStringLiteral("X:-x.xxxxxxxxxxxxxxxxxxE-xx"));
  const int rangeWidth = metrics.horizontalAdvance(QStringLiteral("Range:-x.xxxxxE-xx"));
  // A light shadow down and to the right keeps the text readable on any picture.
  const struct {
    int dx, dy;
    QColor color;
  } passes[] = {{11, 1, QColor(0xC0, 0xC0, 0xC0)}, {10, 0, Qt::black}};
  for (const auto& pass : passes) {
    painter.setPen(pass.color);
    const int baseline = pass.dy + metrics.ascent();
    const int rangeLeft = pass.dx + 2 * coordinateWidth + 20;
    painter.drawText(pass.dx, baseline, QStringLiteral("X：") + x);
    painter.drawText(pass.dx + coordinateWidth + 10, baseline, QStringLiteral("Y：") + y);
    painter.drawText(rangeLeft, baseline, QStringLiteral("Range：") + range);
    if (!dest.isEmpty() && rangeLeft + rangeWidth + 10 < FWidth / FPixelRatio)
      painter.drawText(rangeLeft + rangeWidth + 10, baseline, QStringLiteral("To：") + dest);
  }
}

}  // namespace vortexa
