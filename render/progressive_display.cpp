// The picture while the calculation grid computes: the frames of the
// coarse-to-fine pass displays, of the zoom and drift animations and of the
// drag preview. When each is composed is the display driver's affair.
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <utility>

#include "render/draw_grid.h"

namespace vortexa {

namespace {

constexpr TColor32 kTransparent = 0;
constexpr TColor32 kCentreLine = 0x7FFFFFFF;
constexpr TColor32 kCentreLineShadow = 0x7F000000;
constexpr int kPreviewScale = 4;
constexpr int kGrownBlock = 4;
// About 2 − √2: a 4-dot block turned by 45° needs √2 times the size to leave no gaps.
constexpr double kRotatedBlockGrowth = 0.5858;
// Above this magnification the snapshot is coarser than the preview.
constexpr double kPreviewOverSnapshotZoom = 4;

int RoundHalfEven(double value) {
  return static_cast<int>(std::nearbyint(value));
}

// A line one dot wide through the centres of the dots a and b, ends included,
// as a polygon so that it is drawn antialiased like the masks.
TPolygon32 LinePolygon(QPoint a, QPoint b) {
  const QPointF from(a.x() + 0.5, a.y() + 0.5), to(b.x() + 0.5, b.y() + 0.5);
  const QPointF d = to - from;
  const double length = std::hypot(d.x(), d.y());
  const QPointF along = length > 0 ? d * (0.5 / length) : QPointF(0.5, 0);
  const QPointF across(-along.y(), along.x());
  return TPolygon32(
      {from - along + across, to + along + across, to + along - across, from - along - across});
}

// The channel-wise mean of three colours, opaque.
TColor32 Mean3(TColor32 a, TColor32 b, TColor32 c) {
  TColor32 mean = kOpaqueBlack;
  for (int shift = 0; shift <= 16; shift += 8) {
    const TColor32 sum = ((a >> shift) & 0xFF) + ((b >> shift) & 0xFF) + ((c >> shift) & 0xFF);
    mean |= (sum / 3) << shift;
  }
  return mean;
}

}  // namespace

// ---- pass display ----

bool TDrawGrid::ComposeFinished() {
  FClearBeforeShowing = false;
  const bool finalPassShown = std::exchange(FFinalPassShown, false);
  if (!IsFlat()) return false;
  if (finalPassShown && !IsRotated())
    RecolorRepairedAreas();
  else
    Render(true);
  return true;
}

// The picture already shows every dot of the final pass, coloured while the
// grid repaired its predictions: only what the repair changed is left to do.
void TDrawGrid::RecolorRepairedAreas() {
  const TPixelView pixels = FBitmap.Pixels();
  for (const TGridRect& area : FGrid.RepairedAreas()) {
    for (int y = area.Top; y < area.Bottom; ++y) {
      FPalette.ColorRow(FGrid.Row(y).Offset(area.Left), pixels.Row(y) + area.Left,
                        area.Right - area.Left);
    }
  }
  Present();
}

int TDrawGrid::BlockSize(int step, bool toPreview) const {
  const int block = toPreview ? step / kPreviewScale : step;
  if (block != kGrownBlock || GetRotation() % 90 == 0) return block;
  const double sine = std::fabs(FRotSin / 65536.0), cosine = std::fabs(FRotCos / 65536.0);
  return static_cast<int>(
      std::ceil((std::min(sine, cosine) * kRotatedBlockGrowth + 1) * kGrownBlock));
}

void TDrawGrid::CopyComputedRows(int& row, int pass, int step, const QRect& skip, bool toPreview) {
  TBitmap32& target = toPreview ? FPreview : FBitmap;
  const int block = BlockSize(step, toPreview);
  // The preview is drawn within an animation frame, which must stay short.
  const int maxAdvance = toPreview && pass >= 2 ? std::max(FHeight / 8, 1) : FHeight;
  int end = row;
  while (end < FHeight && end - row < maxAdvance && FGrid.RowPass(end) >= pass)
    end += step;
  if (end == row) return;
  const TPixelView pixels = target.Pixels();
  const bool plain = !IsRotated() && IsFlat() && !toPreview;
  for (int y = row; y < end; y += step) {
    const TDotRowView counts = FGrid.Row(y);
    if (plain && block == 1) {
      TColor32* out = pixels.Row(y);
      for (int x = 0; x < FWidth; ++x)
        if (const TDot count = counts.Load(x); count != kDotUncomputed)
          out[x] = FPalette.GetColor(count);
      continue;
    }
    for (int x = 0; x < FWidth; x += step) {
      const TDot count = counts.Load(x);
      if (count == kDotUncomputed) continue;
      QPoint at(x, y);
      if (IsRotated()) {
        at = RotatePoint(at, false, false);
        if (at.x() < 0 || at.y() < 0 || at.x() >= FWidth || at.y() >= FHeight) continue;
      }
      if (!IsFlat()) at = TiltPoint(at, false, false);
      if (toPreview) at = QPoint(at.x() / kPreviewScale, at.y() / kPreviewScale);
      const TColor32 color = FPalette.GetColor(count);
      // Blocks are left out only where they lie wholly on the picture kept:
      // one reaching past its edge would leave black beyond it until the
      // final pass.
      if (block == 1)
        pixels.SetPixelClipped(at.x(), at.y(), color);
      else if (!skip.contains(QRect(x, y, step, step)))
        target.FillRect(QRect(at, QSize(block, block)), color);
    }
  }
  row = end;
}

void TDrawGrid::ShowPassRows(int& row, int pass, const QRect& skip) {
  if (std::exchange(FClearBeforeShowing, false)) FBitmap.Clear(kOpaqueBlack);
  CopyComputedRows(row, pass, StrideTable[pass - 1], skip, false);
  Present();
  // Every dot of a plain picture now has its final pass's colour.
  FFinalPassShown = pass == 3 && row >= FHeight && skip.isEmpty() && IsFlat() && !IsRotated();
}

// ---- zoom frames ----

QRect TDrawGrid::ScaledRect(int width, int height, double scale, int dx, int dy,
                            bool tipped) const {
  const double e = tipped ? FElevSin / 65536.0 : 1.0;
  const int scaledWidth = RoundHalfEven(width * scale);
  const int scaledHeight = RoundHalfEven(height * scale);
  const int left = RoundHalfEven((width - scaledWidth) / 2.0 - dx);
  const int top = RoundHalfEven((2 - e) * (height - scaledHeight) / 2 - dy * e);
  return {left, top, scaledWidth, scaledHeight};
}

QPoint TDrawGrid::AnchorShift(QPoint anchor, double scale) {
  return {RoundHalfEven(anchor.x() * (scale - 1)), RoundHalfEven(anchor.y() * (scale - 1))};
}

void TDrawGrid::FillMasks(TBitmap32& bitmap, TColor32 color) const {
  if (bitmap.Empty() || FMasks.empty()) return;
  // Replacing rather than blending, so that a transparent fill clears.
  QPainter painter(&bitmap.Image());
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor::fromRgba(color));
  for (const TPolygon32& mask : FMasks)
    painter.drawPolygon(mask);
}

void TDrawGrid::CopyPreviewRows() {
  if (FPreviewPass >= 3) return;
  CopyComputedRows(FPreviewRow, FPreviewPass, StrideTable[FPreviewPass - 1], QRect(), true);
  if (FPreviewRow < FHeight) return;
  FPreviewRow = 0;
  ++FPreviewPass;
}

void TDrawGrid::BeginPreview(bool transparent) {
  FPreview.SetSize((FWidth + kPreviewScale - 1) / kPreviewScale,
                   (FHeight + kPreviewScale - 1) / kPreviewScale);
  FPreview.SetCombineMode(transparent ? TCombineMode::Blend : TCombineMode::Opaque);
  FPreview.Clear(transparent ? kTransparent : FPalette.Entry(0));
  FPreviewPass = 1;
  FPreviewRow = 0;
}

void TDrawGrid::EndZoomFrame() {
  FillMasks(FBitmap, kOpaqueBlack);
  Present();
}

void TDrawGrid::EndZoomFrames() {
  FPreview.SetSize(0, 0);
  FSnapshot.SetSize(0, 0);
  FSnapshot.SetCombineMode(TCombineMode::Opaque);
}

void TDrawGrid::BeginZoomFrames(double ratio) {
  TakeSnapshot();
  const int cx = FWidth / 2, cy = FHeight / 2;
  if (cx >= 1 && cx + 1 < FWidth) {
    TColor32* centreRow = FSnapshot.Row(cy);
    centreRow[cx] = Mean3(centreRow[cx - 1], centreRow[cx], centreRow[cx + 1]);
  }
  if (ratio < 1 && !FMasks.empty()) {
    // The new picture shows through where the old one had black corners.
    FillMasks(FSnapshot, kTransparent);
    FSnapshot.SetCombineMode(TCombineMode::Blend);
  }
  BeginPreview(ratio > kPreviewOverSnapshotZoom);
}

void TDrawGrid::ComposeZoomFrame(double ratio, double z, QPoint anchor) {
  const bool reduce = ratio<1, strongMagnify = ratio> kPreviewOverSnapshotZoom;
  FBitmap.Clear(FPalette.Entry(0));
  QRect previewRect;
  // Ratios 4 and 2 reuse enough old dots that the magnified snapshot says more than a preview.
  if (strongMagnify || reduce) {
    CopyPreviewRows();
    const QPoint move = AnchorShift(anchor, z / ratio);
    previewRect = ScaledRect(FWidth, FHeight, z / ratio, move.x(), move.y(), true);
  }
  if (reduce) FBitmap.DrawStretched(previewRect, FPreview);
  const QPoint move = AnchorShift(anchor, z);
  FBitmap.DrawStretched(ScaledRect(FWidth, FHeight, z, move.x(), move.y(), true), FSnapshot);
  if (strongMagnify && FPreviewPass >= 2 && z > kPreviewOverSnapshotZoom)
    FBitmap.DrawStretched(previewRect, FPreview);
  EndZoomFrame();
}

void TDrawGrid::BeginDriftFrames() {
  TakeSnapshot();
  BeginPreview(false);
}

void TDrawGrid::ComposeDriftFrame(const QRect& preview, const QRect& snapshot) {
  FBitmap.Clear(FPalette.Entry(0));
  CopyPreviewRows();
  FBitmap.DrawStretched(preview, FPreview);
  FBitmap.DrawStretched(snapshot, FSnapshot);
  EndZoomFrame();
}

// ---- drag preview ----

void TDrawGrid::TakeSnapshot() {
  FSnapshot.SetSize(FWidth, FHeight);
  FSnapshot.SetCombineMode(TCombineMode::Opaque);
  FSnapshot.Draw(0, 0, FBitmap);
}

void TDrawGrid::DrawCentreLines() {
  const int cx = FWidth / 2, cy = FHeight / 2;
  const std::pair<QPoint, QPoint> lines[] = {{{0, cy}, {FWidth - 1, cy}},
                                             {{cx, 0}, {cx, FHeight - 1}}};
  const auto toWindow = [this](QPoint point) {
    if (IsRotated()) point = RotatePoint(point, false, false);
    if (!IsFlat()) point = TiltPoint(point, false, false);
    return point;
  };
  for (const auto& [from, to] : lines) {
    const TPolygon32 line = LinePolygon(toWindow(from), toWindow(to));
    FBitmap.FillPolygon(line.translated(1, 1), kCentreLineShadow);
    FBitmap.FillPolygon(line, kCentreLine);
  }
}

void TDrawGrid::DrawShifted(QPoint offset) {
  FBitmap.Clear(kOpaqueBlack);
  FBitmap.Draw(offset.x(), offset.y(), FSnapshot);
  DrawCentreLines();
  FillMasks(FBitmap, kOpaqueBlack);
  Present();
}

void TDrawGrid::EndShift(QPoint offset) {
  FBitmap.Clear(kOpaqueBlack);
  FBitmap.Draw(offset.x(), offset.y(), FSnapshot);
  FSnapshot.SetSize(0, 0);
  Present();
}

}  // namespace vortexa
