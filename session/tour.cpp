#include "tour.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <random>

#include "session/language.h"
#include "session/session_parts.h"

namespace vortexa {

namespace {

// Tour zooms treat the colours as the zoom commands do: the relief rises
// again, the colours stay.
constexpr TDisplayDriver::TColorMorph kTourMorph{};
constexpr int kFirstReduceIndex = 4;
constexpr int kLastMagnifyIndex = 3;
// The tour travels in six colours ("６色") until its last step.
constexpr int kTourColorMode = 2;
constexpr int kHueMax = kMaxColorPositions.Hue;
// A hue pause is 4 to 8 extra hue steps of two ticks each.
constexpr int kHuePauseTicks = 2;
// The approach step is skipped when the destination is the view already.
constexpr long double kSameCentre = 1e-18L;
constexpr long double kSameRatio = 1e-6L;

int RoundToInt(long double value) {
  return static_cast<int>(std::nearbyint(value));
}

int RoundLimit(long double value) {
  return std::clamp(RoundToInt(value), 1, kMaxLimit);
}

// A range of 0 would never grow while zooming out, and a destination range
// of 0 could never be zoomed into; both fall back to the home range.
TFloatExp UsableRange(TFloatExp range) {
  range = range.Abs();
  return range > 0 && range.IsFinite() ? range : kHomeRange;
}

TColorPositions ColorsOf(const TMBItem& item) {
  return ClampColors({item.ColorIndex, item.Hue, item.Saturation, item.Highlight, item.Period});
}

double SystemRandom() {
  static std::mt19937_64 engine{std::random_device{}()};
  return std::uniform_real_distribution<double>(0, 1)(engine);
}

}  // namespace

TTourPace TourPace(int speed) {
  const int s = std::clamp(speed, 0, kFastestTourSpeed);
  return {s + 1, std::min(s + 1, 3), 12 - 2 * s, 0.4 - 0.1 * s};
}

TTour::TTour(TSession& session) : FSession(session), FRandom(SystemRandom) {}

// ---- commands ----

bool TTour::TourCommand(TCommandId id, const std::function<void(TBusyScope& busy)>& flight) {
  return FSession.RunCommand(id, [this, &flight](TBusyScope& busy) {
    FSession.SetTourRunning(true);
    if (FObserver) FObserver->TourStateChanged(true);
    struct TCleanUp {
      TTour& Tour;
      ~TCleanUp() {
        Tour.FSession.SetTourRunning(false);
        Tour.FSession.SetDestName("");
        if (Tour.FObserver) Tour.FObserver->TourStateChanged(false);
      }
    } cleanUp{*this};
    flight(busy);
  });
}

bool TTour::TourToFavorite(const TMBItem& dest) {
  return TourCommand(TCommandId::TourToFavorite, [this, &dest](TBusyScope& busy) {
    FSession.SetDestName(dest.Name);
    if (!TourTo(busy, dest)) return;
    ShowArrival(busy, dest.Name);
    FSession.AddHistory(dest.Name);
  });
}

bool TTour::RandomTour(const std::vector<const TMBItem*>& candidates) {
  return TourCommand(TCommandId::RandomTour, [this, &candidates](TBusyScope& busy) {
    const int count = static_cast<int>(candidates.size());
    if (count < 2) {
      if (FObserver) FObserver->TooFewCandidates();
      return;
    }
    while (FSession.TourRunning()) {
      const int position = ChooseDestination(count);
      const TMBItem& dest = *candidates[static_cast<std::size_t>(position)];
      FSession.SetDestName(dest.Name);
      // A stopped flight leaves the destination pending for the next random tour.
      if (!TourTo(busy, dest)) return;
      FRecentDest.back().Pending = false;
      ShowArrival(busy, dest.Name);
      TSessionParts::DrawGrid(FSession).Present();
      FSession.AddHistory(dest.Name);
      if (!TourWait(busy, kArrivalTicks)) return;
    }
  });
}

// The recent list keeps a fifth of the candidates (and one more), so that a
// destination does not come again soon; with two candidates they alternate.
int TTour::ChooseDestination(int candidates) {
  const std::size_t keep = static_cast<std::size_t>(candidates / 5 + 1);
  if (FRecentDest.size() > keep)
    FRecentDest.erase(FRecentDest.begin(), FRecentDest.end() - static_cast<std::ptrdiff_t>(keep));
  if (!FRecentDest.empty() && FRecentDest.back().Pending) {
    if (FRecentDest.back().Position < candidates) return FRecentDest.back().Position;
    // The favourites changed since that tour was stopped.
    FRecentDest.pop_back();
  }
  const auto recent = [this](int position) {
    return std::any_of(FRecentDest.begin(), FRecentDest.end(),
                       [position](const TRecentDest& entry) { return entry.Position == position; });
  };
  int position = 0;
  do {
    position = std::min(static_cast<int>(FRandom() * candidates), candidates - 1);
  } while (recent(position));
  FRecentDest.push_back({position, true});
  return position;
}

// ---- the flight ----

bool TTour::TourTo(TBusyScope& busy, const TMBItem& dest) {
  if (FObserver)
    FObserver->TourStatus(QCoreApplication::translate("Tour", "ツアー [行き先：%1]")
                              .arg(ShownFavoriteName(dest.Name))
                              .toStdString());
  const double toss = FRandom() - 0.5;
  const int sign = (toss > 0) - (toss < 0);
  TViewState view = FSession.View();
  view.Range = UsableRange(view.Range);
  FSession.SetView(view);
  FSession.ShowView();
  return ZoomOut(busy, dest, sign) && ZoomIn(busy, dest, sign);
}

// Out until the destination lies in the picture and the range is at least
// the destination's; the limit sinks towards 4000 on the way.
bool TTour::ZoomOut(TBusyScope& busy, const TMBItem& dest, int sign) {
  const TTourPace pace = TourPace(FSpeed);
  const TFloatExp destRange = UsableRange(dest.Range);
  int e = pace.ZoomOut;
  TViewState view = FSession.View();
  const auto steps = static_cast<long long>(std::trunc((2 / view.Range).Log2())) / (e + 1);
  // From ranges above 4 no step is expected; the limit then stays.
  const double limitDown =
      steps + 1 > 0 ? (view.Limit - kTourOutLimit) / static_cast<double>(steps + 1) : 0;
  while (!(DestinationInView(dest) && view.Range >= destRange)) {
    view.Limit = RoundLimit(view.Limit - limitDown);
    if (view.Range > kTourWideRange) {
      e = 0;
      view.Limit = kTourOutLimit;
    }
    view.Range *= std::exp2(e + 1);
    FSession.SetView(view);
    FSession.ShowView();
    TSessionParts::Driver(FSession).Zoom(busy, kFirstReduceIndex + e, kTourMorph);
    if (!TourWait(busy, pace.Wait)) return false;
    TColorPositions colors = FSession.Colors();
    colors.Hue = DriftHue(colors.Hue, sign);
    FSession.SetColors(busy, colors);
    StepEnded();
    if (!TourWait(busy, pace.Wait)) return false;
  }
  return true;
}

// One approach step onto the destination's centre with the remainder of the
// zoom, then whole zoom-in steps; limit, saturation, highlight and period
// move in equal parts and the last step brings the destination's colours.
bool TTour::ZoomIn(TBusyScope& busy, const TMBItem& dest, int sign) {
  const TTourPace pace = TourPace(FSpeed);
  const int a = pace.ZoomIn;
  const TFloatExp destRange = UsableRange(dest.Range);
  const TColorPositions target = ColorsOf(dest);
  TViewState view = FSession.View();
  const long long q = static_cast<long long>(std::trunc((view.Range / destRange).Log2())) / a;
  const long double ratio = (view.Range / destRange.Scaled(a * q)).ToLongDouble();
  const int l0 = view.Limit;
  const TColorPositions start = FSession.Colors();
  const double parts = static_cast<double>(q + 1);
  const double lStep = (std::clamp(dest.Limit, 1, kMaxLimit) - l0) / parts;
  const double pStep = (target.Period - start.Period) / parts;
  const double sStep = (target.Saturation - start.Saturation) / parts;
  const double hStep = (target.Highlight - start.Highlight) / parts;
  const TFloatExp d = TSessionParts::CalcGrid(FSession).GetStep();
  // Deep differences: both centres may hold more digits than long double,
  // and differ by less than it reaches.
  const TFloatExp toX = WideDifference(dest.X, view.CenterX);
  const TFloatExp toY = WideDifference(dest.Y, view.CenterY);
  QPoint shift(RoundToInt((toX / d).ToLongDouble()), RoundToInt((toY / d).ToLongDouble()));

  // In a deep view 1e-18 spans many of the destination's dots: its centre
  // counts as reached only within a thousandth of one of them as well.
  const TFloatExp sameCentre =
      std::min<TFloatExp>(kSameCentre, d * (destRange / view.Range) / 1000);
  const bool there =
      toX.Abs() <= sameCentre && toY.Abs() <= sameCentre && std::fabs(ratio - 1) <= kSameRatio;
  if (!there) {
    view = {dest.X, dest.Y, view.Range / ratio, RoundLimit(l0 + lStep)};
    FSession.SetView(view);
    FSession.ShowView();
    constexpr bool kToWindow = false, kRelative = true;
    if (TSessionParts::DrawGrid(FSession).IsRotated())
      shift = TSessionParts::DrawGrid(FSession).RotatePoint(shift, kToWindow, kRelative);
    TSessionParts::Driver(FSession).ZoomTo(busy, shift.x(), shift.y(), ratio);
    if (!TourWait(busy, pace.Wait)) return false;
    TColorPositions colors = FSession.Colors();
    colors.ColorMode = kTourColorMode;
    colors.Hue = DriftHue(colors.Hue, sign);
    colors.Saturation = RoundToInt(start.Saturation + sStep);
    colors.Highlight = RoundToInt(start.Highlight + hStep);
    if (q <= 0) {
      colors.ColorMode = target.ColorMode;
      colors.Hue = target.Hue;
    }
    FSession.SetColors(busy, colors);
    FSession.ChangePeriod(busy, RoundToInt(start.Period + pStep), a);
    StepEnded();
    if (!TourWait(busy, pace.Wait)) return false;
  }

  for (long long i = 1; i <= q; ++i) {
    const double part = static_cast<double>(i + 1);
    view = FSession.View();
    view.Range /= std::exp2(static_cast<long double>(a));
    view.Limit = RoundLimit(part * lStep + l0);
    FSession.SetView(view);
    FSession.ShowView();
    TSessionParts::Driver(FSession).Zoom(busy, kLastMagnifyIndex - FSpeed, kTourMorph);
    if (!TourWait(busy, pace.Wait)) return false;
    TColorPositions colors = FSession.Colors();
    colors.Hue = DriftHue(colors.Hue, sign);
    if (i == q) {
      colors.ColorMode = target.ColorMode;
      colors.Hue = target.Hue;
    }
    colors.Saturation = RoundToInt(part * sStep + start.Saturation);
    colors.Highlight = RoundToInt(part * hStep + start.Highlight);
    FSession.SetColors(busy, colors);
    const int period = RoundToInt(part * pStep + start.Period);
    if (period != FSession.Colors().Period)
      FSession.ChangePeriod(busy, period, a);
    else if (i != q && FRandom() < pace.HuePauseChance && !HuePause(busy, sign))
      return false;
    StepEnded();
    if (!TourWait(busy, pace.Wait)) return false;
  }
  return true;
}

// The hue runs on for 4 to 8 steps while the picture stands.
bool TTour::HuePause(TBusyScope& busy, int sign) {
  const int steps = RoundToInt(FRandom() * 4 + 4);
  for (int k = 0; k < steps; ++k) {
    TColorPositions colors = FSession.Colors();
    colors.Hue = DriftHue(colors.Hue, sign);
    FSession.SetColors(busy, colors);
    busy.ProcessEvents();
    if (!TourWait(busy, kHuePauseTicks)) return false;
  }
  return true;
}

bool TTour::DestinationInView(const TMBItem& dest) const {
  const TFloatExp d = TSessionParts::CalcGrid(FSession).GetStep();
  const TFloatExp halfWidth = d * (TSessionParts::DrawGrid(FSession).Width() / 2);
  const TFloatExp halfHeight = d * (TSessionParts::DrawGrid(FSession).Height() / 2);
  // The distances, not the coordinates, are compared: deep centres differ in
  // digits far beyond a long double's.
  const TFloatExp x = WideDifference(dest.X, FSession.View().CenterX);
  const TFloatExp y = WideDifference(dest.Y, FSession.View().CenterY);
  return x.Abs() <= halfWidth && y.Abs() <= halfHeight;
}

int TTour::DriftHue(int hue, int sign) const {
  if (sign > 0 && hue == kHueMax) return 0;
  if (sign < 0 && hue == 0) return kHueMax;
  return hue + sign;
}

bool TTour::TourWait(TBusyScope& busy, int ticks) {
  for (int k = 0; k < ticks; ++k) {
    if (!FSession.TourRunning()) return false;
    busy.ProcessEvents();
    busy.SleepMs(kTourTickMs);
  }
  return true;
}

// A stop cuts the pause short; the destination was reached all the same.
void TTour::ShowArrival(TBusyScope& busy, const std::string& name) {
  if (FObserver) FObserver->ArrivalShown(name);
  busy.ProcessEvents();
  TourWait(busy, kArrivalTicks);
  if (FObserver) FObserver->ArrivalHidden();
}

void TTour::StepEnded() {
  if (FObserver) FObserver->TourStepEnded();
}

}  // namespace vortexa
