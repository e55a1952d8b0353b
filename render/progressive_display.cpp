// The picture while the calculation grid computes: coarse-to-fine pass
// displays, the zoom and drift animations, the colour animation after a zoom
// and the drag preview. All of it runs on the window thread and hands the
// processor back to the grid's workers between rounds.
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <stdexcept>
#include <utility>

#include "render/draw_grid.h"

namespace vortexa {

namespace {

constexpr TColor32 kTransparent = 0;
constexpr TColor32 kCentreLine = 0x7FFFFFFF;
constexpr TColor32 kCentreLineShadow = 0x7F000000;
// While the grid computes, the display copies new rows this often and no more,
// so that the workers keep the processor.
constexpr int kPassDisplayMs = 50;
constexpr int kNoAnimationIntervalMs = 10;
constexpr int kMinFrameSleepMs = 10;
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

// ---- waiting and reporting ----

void TDrawGrid::WaitUntilIdle(TEventPump& pump) {
  bool stopped = false;
  while (!FGrid.WaitIdleFor(std::chrono::milliseconds(kPassDisplayMs))) {
    pump.ProcessEvents();
    if (ReportProgress(FGrid.Progress()) && !std::exchange(stopped, true)) FGrid.Abort();
  }
}

bool TDrawGrid::ReportProgress(int percent) {
  if (!OnProgress) return false;
  bool abort = false;
  OnProgress(percent, abort);
  return abort;
}

void TDrawGrid::SinkRelief(TEventPump& pump) {
  if (!IsFlat()) AnimateTilt(pump, true);
}

void TDrawGrid::FinishDraw(TEventPump& pump) {
  FClearBeforeShowing = false;
  if (std::exchange(FFinalPassShown, false) && IsFlat() && !IsRotated())
    RecolorRepairedAreas();
  else if (IsFlat())
    Render(true);
  else
    AnimateTilt(pump, false);
}

// The picture already shows every dot of the final pass, coloured while the
// grid repaired its predictions: only what the repair changed is left to do.
void TDrawGrid::RecolorRepairedAreas() {
  const TPixelView pixels = FBitmap.Pixels();
  for (const TGridRect& area : FGrid.RepairedAreas()) {
    for (int y = area.Top; y < area.Bottom; ++y) {
      const TDot* counts = FGrid.RowPtr(y);
      FPalette.ColorRow(counts + area.Left, pixels.Row(y) + area.Left, area.Right - area.Left);
    }
  }
  Present();
}

// ---- pass display ----

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
    const TDot* counts = FGrid.RowPtr(y);
    if (plain && block == 1) {
      TColor32* out = pixels.Row(y);
      for (int x = 0; x < FWidth; ++x)
        if (const TDot count = LoadDot(counts[x]); count != kDotUncomputed)
          out[x] = FPalette.GetColor(count);
      continue;
    }
    for (int x = 0; x < FWidth; x += step) {
      const TDot count = LoadDot(counts[x]);
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

void TDrawGrid::ShowPass(TEventPump& pump, int pass, const QRect& skip) {
  const int step = StrideTable[pass - 1];
  int row = 0;
  FFinalPassShown = false;
  do {
    // The grid's own timed wait rather than a sleep: the display wakes the
    // moment the final pass is complete, to colour it on the core that the
    // single-threaded repair leaves free, or the command ends.
    FGrid.WaitPassFor(3, std::chrono::milliseconds(kPassDisplayMs));
    // A display the computation has outrun is skipped: after the end the
    // finish composes the whole picture, and rows a stopped command never
    // finished must not keep the loop waiting.
    const bool ended = FGrid.IsIdle();
    const bool outrun = ended || (pass < 3 && FGrid.Pass() >= 3);
    if (!outrun) {
      if (std::exchange(FClearBeforeShowing, false)) FBitmap.Clear(kOpaqueBlack);
      CopyComputedRows(row, pass, step, skip, false);
      Present();
      // Every dot of a plain picture now has its final pass's colour.
      FFinalPassShown = pass == 3 && row >= FHeight && skip.isEmpty() && IsFlat() && !IsRotated();
    }
    pump.ProcessEvents();
    if (ReportProgress(FGrid.Progress())) {
      FGrid.Abort();
      return;
    }
    if (outrun) return;
  } while (row < FHeight);
}

// ---- drawing commands ----

void TDrawGrid::Draw(TEventPump& pump, bool noProgress) {
  MarkHeightsStale();
  FGrid.Start(noProgress ? ccDirect : ccDraw);
  FClearBeforeShowing = true;
  if (!noProgress) {
    ShowPass(pump, 1, QRect());
    ShowPass(pump, 2, QRect());
  }
  ShowPass(pump, 3, QRect());
  WaitUntilIdle(pump);
  FinishDraw(pump);
}

// Nothing is shown until the end, but the window still handles its input,
// so that the computation can be stopped.
void TDrawGrid::Redraw(TEventPump& pump) {
  FBitmap.Clear(kOpaqueBlack);
  MarkHeightsStale();
  FGrid.Start(ccDraw);
  WaitUntilIdle(pump);
  FinishDraw(pump);
}

void TDrawGrid::DrawScrolled(TEventPump& pump, QPoint offset) {
  MarkHeightsStale();
  FGrid.SetShift(offset.x(), offset.y());
  FGrid.Start(ccDraw);
  TGridRect source, covered;
  ClipShift(offset.x(), offset.y(), FWidth, FHeight, source, covered);
  const QRect keep(QPoint(covered.Left, covered.Top),
                   QPoint(covered.Right, covered.Bottom) - QPoint(1, 1));
  // The shifted old picture stays where it is still right until pass 3 replaces it.
  ShowPass(pump, 1, keep);
  ShowPass(pump, 2, keep);
  ShowPass(pump, 3, QRect());
  WaitUntilIdle(pump);
  Render(true);
}

void TDrawGrid::RaiseLimit(TEventPump& pump) {
  SinkRelief(pump);
  MarkHeightsStale();
  FGrid.Start(ccContinue);
  ShowPass(pump, 3, QRect());
  WaitUntilIdle(pump);
  FinishDraw(pump);
}

void TDrawGrid::Zoom(TEventPump& pump, int index, const TColorMorph& morph, QPoint anchor,
                     QPoint shownAnchor) {
  const float ratio = kZoomRatio.at(index);
  SinkRelief(pump);
  MarkHeightsStale();
  FGrid.SetMagnify(ratio, anchor.x(), anchor.y());
  FGrid.Start(ccMagnify);
  AnimateZoom(pump, index, shownAnchor);
  if (ratio > 4) {
    ShowPass(pump, 2, QRect());
  } else if (ratio < 1) {
    // Where the shrunken old picture lies, its dots are already the new ones.
    const QPoint move = AnchorShift(anchor, ratio);
    ShowPass(pump, 2, ScaledRect(FWidth, FHeight, ratio, move.x(), move.y(), false));
  }
  ShowPass(pump, 3, QRect());
  WaitUntilIdle(pump);
  AnimateColors(pump, morph);
}

void TDrawGrid::ZoomTo(TEventPump& pump, int dx, int dy, long double ratio) {
  if (!(ratio > 0) || !std::isfinite(ratio))
    throw std::invalid_argument("zoom ratio must be positive and finite");
  SinkRelief(pump);
  MarkHeightsStale();
  FGrid.Start(ccDraw);
  AnimateZoomTo(pump, dx, dy, ratio);
  ShowPass(pump, 3, QRect());
  WaitUntilIdle(pump);
  FinishDraw(pump);
}

// ---- zoom animations ----

QRect TDrawGrid::ScaledRect(int width, int height, double scale, int dx, int dy,
                            bool tipped) const {
  const double e = tipped ? FElevSin / 65536.0 : 1.0;
  const int scaledWidth = RoundHalfEven(width * scale);
  const int scaledHeight = RoundHalfEven(height * scale);
  const int left = RoundHalfEven((width - scaledWidth) / 2.0 - dx);
  const int top = RoundHalfEven((2 - e) * (height - scaledHeight) / 2 - dy * e);
  return {left, top, scaledWidth, scaledHeight};
}

// The move that keeps a point `anchor` from the centre in place when a
// picture is scaled about its centre.
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

void TDrawGrid::CopyPreviewRows(int& pass, int& row) {
  if (pass >= 3) return;
  CopyComputedRows(row, pass, StrideTable[pass - 1], QRect(), true);
  if (row < FHeight) return;
  row = 0;
  ++pass;
}

void TDrawGrid::BeginZoomFrame() {
  FBitmap.Clear(FPalette.Entry(0));
}

void TDrawGrid::EndZoomFrame(TEventPump& pump, int k, int frames, int interval,
                             std::int64_t& last) {
  FillMasks(FBitmap, kOpaqueBlack);
  Present();
  pump.ProcessEvents();
  // An abort is acted on by the pass display that follows.
  ReportProgress(std::min(RoundHalfEven(100.0 * k / frames), FGrid.Progress()));
  // Without the animation the pause only leaves the processor to the
  // workers, so it ends with their command.
  WaitFrame(pump, interval, last, kMinFrameSleepMs, interval == kNoAnimationIntervalMs);
}

void TDrawGrid::ReleaseAnimationBitmaps() {
  FPreview.SetSize(0, 0);
  FSnapshot.SetSize(0, 0);
  FSnapshot.SetCombineMode(TCombineMode::Opaque);
}

void TDrawGrid::AnimateZoom(TEventPump& pump, int index, QPoint anchor) {
  const bool reduce = index >= 4, strongMagnify = index <= 1;
  TakeSnapshot();
  const int cx = FWidth / 2, cy = FHeight / 2;
  if (cx >= 1 && cx + 1 < FWidth) {
    TColor32* centreRow = FSnapshot.Row(cy);
    centreRow[cx] = Mean3(centreRow[cx - 1], centreRow[cx], centreRow[cx + 1]);
  }
  if (reduce && !FMasks.empty()) {
    // The new picture shows through where the old one had black corners.
    FillMasks(FSnapshot, kTransparent);
    FSnapshot.SetCombineMode(TCombineMode::Blend);
  }
  FPreview.SetSize((FWidth + kPreviewScale - 1) / kPreviewScale,
                   (FHeight + kPreviewScale - 1) / kPreviewScale);
  FPreview.SetCombineMode(strongMagnify ? TCombineMode::Blend : TCombineMode::Opaque);
  FPreview.Clear(strongMagnify ? kTransparent : FPalette.Entry(0));

  const bool animate = (FGrid.Options() & kOptNoZoomAnimation) == 0;
  const int frames = animate ? kZoomFrames[index] : 1;
  const int interval = animate ? kFrameIntervalMs : kNoAnimationIntervalMs;
  const double ratio = kZoomRatio[index];
  const double q = std::pow(ratio, 1.0 / frames);
  // Ratios 4 and 2 reuse enough old dots that the magnified snapshot says more than a preview.
  const bool usePreview = strongMagnify || reduce;
  int pass = 1, row = 0;
  std::int64_t last = pump.NowMs();
  for (int k = 1; k <= frames; ++k) {
    BeginZoomFrame();
    const double z = std::pow(q, k);
    QRect previewRect;
    if (usePreview) {
      CopyPreviewRows(pass, row);
      const QPoint move = AnchorShift(anchor, z / ratio);
      previewRect = ScaledRect(FWidth, FHeight, z / ratio, move.x(), move.y(), true);
    }
    if (reduce) FBitmap.DrawStretched(previewRect, FPreview);
    const QPoint move = AnchorShift(anchor, z);
    FBitmap.DrawStretched(ScaledRect(FWidth, FHeight, z, move.x(), move.y(), true), FSnapshot);
    if (strongMagnify && pass >= 2 && z > kPreviewOverSnapshotZoom)
      FBitmap.DrawStretched(previewRect, FPreview);
    EndZoomFrame(pump, k, frames, interval, last);
  }
  ReleaseAnimationBitmaps();
}

void TDrawGrid::AnimateZoomTo(TEventPump& pump, int dx, int dy, long double ratio) {
  TakeSnapshot();
  FPreview.SetSize((FWidth + kPreviewScale - 1) / kPreviewScale,
                   (FHeight + kPreviewScale - 1) / kPreviewScale);
  FPreview.SetCombineMode(TCombineMode::Opaque);
  FPreview.Clear(FPalette.Entry(0));

  const bool animate = (FGrid.Options() & kOptNoZoomAnimation) == 0;
  // Ratios of about 1/256 and below give no frames: such a zoom is not animated.
  const int frames =
      animate ? static_cast<int>(std::nearbyintl((std::log2(ratio) - 1) * 3)) + 24 : 1;
  if (frames <= 0) {
    ReleaseAnimationBitmaps();
    return;
  }
  const int interval = animate ? kFrameIntervalMs : kNoAnimationIntervalMs;
  const long double units = static_cast<long double>(frames) * (frames + 1) / 2;
  const long double q = std::pow(ratio, 1.0L / frames);
  const long double ux = dx / units, uy = dy / units;
  int pass = 1, row = 0;
  long double travelled = 0;
  std::int64_t last = pump.NowMs();
  for (int k = 1; k <= frames; ++k) {
    BeginZoomFrame();
    // The drift slows down towards the end: frame k moves by n − k + 1 units.
    travelled += frames - k + 1;
    const long double z = std::pow(q, static_cast<long double>(k));
    const long double left = units - travelled;
    CopyPreviewRows(pass, row);
    FBitmap.DrawStretched(ScaledRect(FWidth, FHeight, static_cast<double>(z / ratio),
                                     -static_cast<int>(std::nearbyintl(z * left * ux)),
                                     -static_cast<int>(std::nearbyintl(left * uy * z)), true),
                          FPreview);
    FBitmap.DrawStretched(ScaledRect(FWidth, FHeight, static_cast<double>(z),
                                     static_cast<int>(std::nearbyintl(z * travelled * ux)),
                                     static_cast<int>(std::nearbyintl(travelled * uy * z)), true),
                          FSnapshot);
    EndZoomFrame(pump, k, frames, interval, last);
  }
  ReleaseAnimationBitmaps();
}

// ---- colour animation ----

void TDrawGrid::AnimateColors(TEventPump& pump, const TColorMorph& morph) {
  // A flat picture whose colours stay would show the same frame N times over.
  if (IsFlat() && morph.DHue == 0 && morph.DSaturation == 0 && morph.DHighlight == 0) {
    SetReliefStep(kFullRelief);
    Render(true);
    return;
  }
  const int frames = FFrames;
  const std::int64_t start = pump.NowMs();
  std::int64_t last = start;
  for (int k = 1; k <= frames; ++k) {
    if (morph.RaiseRelief) SetReliefStep(k);
    FPalette.SetColors(FPalette.ColorMode(), FPalette.Hue() + morph.DHue,
                       FPalette.Saturation() + morph.DSaturation,
                       FPalette.Highlight() + morph.DHighlight);
    const bool final = k == frames;
    WaitFrame(pump, final ? 0 : kFrameIntervalMs, last, 0);
    Render(final);
    pump.ProcessEvents();
  }
  AdaptFrames(frames, pump.NowMs() - start);
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
