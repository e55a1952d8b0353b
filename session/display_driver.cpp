#include "session/display_driver.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace vortexa {

namespace {

// While the grid computes, the display copies new rows this often and no more,
// so that the workers keep the processor.
constexpr int kPassDisplayMs = 50;
constexpr int kNoAnimationIntervalMs = 10;
constexpr int kMinFrameSleepMs = 10;
// An animation faster or slower than this adapts its frame count.
constexpr std::int64_t kMinAnimationMs = 500;
constexpr std::int64_t kMaxAnimationMs = 1000;

int RoundHalfEven(double value) {
  return static_cast<int>(std::nearbyint(value));
}

}  // namespace

// ---- waiting and reporting ----

void TDisplayDriver::WaitUntilIdle(TEventPump& pump) {
  bool stopped = false;
  while (!FGrid.WaitIdleFor(std::chrono::milliseconds(kPassDisplayMs))) {
    pump.ProcessEvents();
    if (ReportProgress(FGrid.Progress()) && !std::exchange(stopped, true)) FGrid.Abort();
  }
}

bool TDisplayDriver::ReportProgress(int percent) {
  if (!OnProgress) return false;
  bool abort = false;
  OnProgress(percent, abort);
  return abort;
}

void TDisplayDriver::SinkRelief(TEventPump& pump) {
  if (!FDraw.IsFlat()) AnimateTilt(pump, true);
}

void TDisplayDriver::FinishDraw(TEventPump& pump) {
  if (!FDraw.ComposeFinished()) AnimateTilt(pump, false);
}

std::int64_t TDisplayDriver::WaitFrame(TEventPump& pump, int interval, std::int64_t& last,
                                       int minSleep, bool untilIdle) {
  const std::int64_t elapsed = pump.NowMs() - last;
  const std::int64_t sleep = std::max<std::int64_t>(minSleep, interval - elapsed);
  if (sleep > 0 && untilIdle)
    pump.SleepMsUnless(static_cast<int>(sleep), [this] { return FGrid.IsIdle(); });
  else if (sleep > 0)
    pump.SleepMs(static_cast<int>(sleep));
  last = pump.NowMs();
  return elapsed;
}

void TDisplayDriver::AdaptFrames(int frames, std::int64_t elapsed) {
  if (elapsed >= kMinAnimationMs && elapsed <= kMaxAnimationMs) return;
  const double adapted = std::nearbyint(frames * 1000.0 / std::max<std::int64_t>(elapsed, 1));
  FDraw.SetFrames(static_cast<int>(std::clamp(adapted, double(kMinFrames), double(kMaxFrames))));
}

// ---- pass display ----

void TDisplayDriver::ShowPass(TEventPump& pump, int pass, const QRect& skip) {
  int row = 0;
  FDraw.ForgetFinalPass();
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
    if (!outrun) FDraw.ShowPassRows(row, pass, skip);
    pump.ProcessEvents();
    if (ReportProgress(FGrid.Progress())) {
      FGrid.Abort();
      return;
    }
    if (outrun) return;
  } while (row < FDraw.Height());
}

// ---- drawing commands ----

void TDisplayDriver::Draw(TEventPump& pump, bool noProgress) {
  FDraw.MarkHeightsStale();
  FGrid.Start(noProgress ? ccDirect : ccDraw);
  FDraw.ClearBeforeShowing();
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
void TDisplayDriver::Redraw(TEventPump& pump) {
  FDraw.Picture().Clear(kOpaqueBlack);
  FDraw.MarkHeightsStale();
  FGrid.Start(ccDraw);
  WaitUntilIdle(pump);
  FinishDraw(pump);
}

void TDisplayDriver::DrawScrolled(TEventPump& pump, QPoint offset) {
  FDraw.MarkHeightsStale();
  FGrid.SetShift(offset.x(), offset.y());
  FGrid.Start(ccDraw);
  TGridRect source, covered;
  ClipShift(offset.x(), offset.y(), FDraw.Width(), FDraw.Height(), source, covered);
  const QRect keep(QPoint(covered.Left, covered.Top),
                   QPoint(covered.Right, covered.Bottom) - QPoint(1, 1));
  // The shifted old picture stays where it is still right until pass 3 replaces it.
  ShowPass(pump, 1, keep);
  ShowPass(pump, 2, keep);
  ShowPass(pump, 3, QRect());
  WaitUntilIdle(pump);
  FDraw.Render(true);
}

void TDisplayDriver::RaiseLimit(TEventPump& pump) {
  SinkRelief(pump);
  FDraw.MarkHeightsStale();
  FGrid.Start(ccContinue);
  ShowPass(pump, 3, QRect());
  WaitUntilIdle(pump);
  FinishDraw(pump);
}

void TDisplayDriver::Zoom(TEventPump& pump, int index, const TColorMorph& morph, QPoint anchor,
                          QPoint shownAnchor) {
  const float ratio = kZoomRatio.at(index);
  SinkRelief(pump);
  FDraw.MarkHeightsStale();
  FGrid.SetMagnify(ratio, anchor.x(), anchor.y());
  FGrid.Start(ccMagnify);
  AnimateZoom(pump, index, shownAnchor);
  if (ratio > 4) {
    ShowPass(pump, 2, QRect());
  } else if (ratio < 1) {
    // Where the shrunken old picture lies, its dots are already the new ones.
    const QPoint move = TDrawGrid::AnchorShift(anchor, ratio);
    ShowPass(pump, 2,
             FDraw.ScaledRect(FDraw.Width(), FDraw.Height(), ratio, move.x(), move.y(), false));
  }
  ShowPass(pump, 3, QRect());
  WaitUntilIdle(pump);
  AnimateColors(pump, morph);
}

void TDisplayDriver::ZoomTo(TEventPump& pump, int dx, int dy, long double ratio) {
  if (!(ratio > 0) || !std::isfinite(ratio))
    throw std::invalid_argument("zoom ratio must be positive and finite");
  SinkRelief(pump);
  FDraw.MarkHeightsStale();
  FGrid.Start(ccDraw);
  AnimateZoomTo(pump, dx, dy, ratio);
  ShowPass(pump, 3, QRect());
  WaitUntilIdle(pump);
  FinishDraw(pump);
}

// ---- zoom animations ----

void TDisplayDriver::EndZoomFrame(TEventPump& pump, int k, int frames, int interval,
                                  std::int64_t& last) {
  pump.ProcessEvents();
  // An abort is acted on by the pass display that follows.
  ReportProgress(std::min(RoundHalfEven(100.0 * k / frames), FGrid.Progress()));
  // Without the animation the pause only leaves the processor to the
  // workers, so it ends with their command.
  WaitFrame(pump, interval, last, kMinFrameSleepMs, interval == kNoAnimationIntervalMs);
}

void TDisplayDriver::AnimateZoom(TEventPump& pump, int index, QPoint anchor) {
  const double ratio = kZoomRatio[index];
  FDraw.BeginZoomFrames(ratio);
  const bool animate = (FGrid.Options() & kOptNoZoomAnimation) == 0;
  const int frames = animate ? kZoomFrames[index] : 1;
  const int interval = animate ? kFrameIntervalMs : kNoAnimationIntervalMs;
  const double q = std::pow(ratio, 1.0 / frames);
  std::int64_t last = pump.NowMs();
  for (int k = 1; k <= frames; ++k) {
    FDraw.ComposeZoomFrame(ratio, std::pow(q, k), anchor);
    EndZoomFrame(pump, k, frames, interval, last);
  }
  FDraw.EndZoomFrames();
}

void TDisplayDriver::AnimateZoomTo(TEventPump& pump, int dx, int dy, long double ratio) {
  const bool animate = (FGrid.Options() & kOptNoZoomAnimation) == 0;
  // Ratios of about 1/256 and below give no frames: such a zoom is not animated.
  const int frames =
      animate ? static_cast<int>(std::nearbyintl((std::log2(ratio) - 1) * 3)) + 24 : 1;
  if (frames <= 0) return;
  FDraw.BeginDriftFrames();
  const int width = FDraw.Width(), height = FDraw.Height();
  const int interval = animate ? kFrameIntervalMs : kNoAnimationIntervalMs;
  const long double units = static_cast<long double>(frames) * (frames + 1) / 2;
  const long double q = std::pow(ratio, 1.0L / frames);
  const long double ux = dx / units, uy = dy / units;
  long double travelled = 0;
  std::int64_t last = pump.NowMs();
  for (int k = 1; k <= frames; ++k) {
    // The drift slows down towards the end: frame k moves by n − k + 1 units.
    travelled += frames - k + 1;
    const long double z = std::pow(q, static_cast<long double>(k));
    const long double left = units - travelled;
    FDraw.ComposeDriftFrame(
        FDraw.ScaledRect(width, height, static_cast<double>(z / ratio),
                         -static_cast<int>(std::nearbyintl(z * left * ux)),
                         -static_cast<int>(std::nearbyintl(left * uy * z)), true),
        FDraw.ScaledRect(width, height, static_cast<double>(z),
                         static_cast<int>(std::nearbyintl(z * travelled * ux)),
                         static_cast<int>(std::nearbyintl(travelled * uy * z)), true));
    EndZoomFrame(pump, k, frames, interval, last);
  }
  FDraw.EndZoomFrames();
}

// ---- relief and colour animations ----

void TDisplayDriver::AnimateTilt(TEventPump& pump, bool down) {
  const int frames = FDraw.Frames();
  const std::int64_t start = pump.NowMs();
  std::int64_t last = start;
  for (int k = 1; k <= frames; ++k) {
    const int step = down ? frames - k : k;
    FDraw.SetReliefStep(step);
    const bool final = step == frames;
    WaitFrame(pump, final ? 0 : kFrameIntervalMs, last, 0);
    FDraw.Render(final);
    pump.ProcessEvents();
  }
  AdaptFrames(frames, pump.NowMs() - start);
}

void TDisplayDriver::AnimateColors(TEventPump& pump, const TColorMorph& morph) {
  // A flat picture whose colours stay would show the same frame N times over.
  if (FDraw.IsFlat() && morph.DHue == 0 && morph.DSaturation == 0 && morph.DHighlight == 0) {
    FDraw.SetReliefStep(kFullRelief);
    FDraw.Render(true);
    return;
  }
  const int frames = FDraw.Frames();
  const std::int64_t start = pump.NowMs();
  std::int64_t last = start;
  for (int k = 1; k <= frames; ++k) {
    if (morph.RaiseRelief) FDraw.SetReliefStep(k);
    const TPalette& palette = FDraw.Palette();
    FDraw.SetColors(palette.ColorMode(), palette.Hue() + morph.DHue,
                    palette.Saturation() + morph.DSaturation,
                    palette.Highlight() + morph.DHighlight);
    const bool final = k == frames;
    WaitFrame(pump, final ? 0 : kFrameIntervalMs, last, 0);
    FDraw.Render(final);
    pump.ProcessEvents();
  }
  AdaptFrames(frames, pump.NowMs() - start);
}

void TDisplayDriver::ChangePeriod(TEventPump& pump, int index, int speed) {
  const int old = FDraw.Palette().Period();
  FDraw.SetPeriod(index);
  if (index == old) return;
  // A speed of 0 or less would never reach the new period.
  if ((FGrid.Options() & kOptNoZoomAnimation) || speed <= 0) {
    FDraw.Render(true);
    return;
  }
  const float multiplier = static_cast<float>(PeriodMultiplier(old));
  const float distance = static_cast<float>(old - index);
  const float stride = std::copysign(0.01f * static_cast<float>(speed), distance);
  {
    // The exact mapping returns also when a frame fails.
    struct TScaleReset {
      TDrawGrid& Draw;
      ~TScaleReset() { Draw.SetPeriodScale(0); }
    } reset{FDraw};
    for (float s = 0; std::fabs(s) < std::fabs(distance);) {
      s += stride;
      FDraw.SetPeriodScale(multiplier * std::exp2(s) / 64);
      FDraw.Render(true);
      pump.ProcessEvents();
      pump.SleepMs(kFrameIntervalMs);
    }
  }
  FDraw.Render(true);
}

}  // namespace vortexa
