// The commands of the "/debug" controls: sweeps that time the relief
// composition, a slow turn of the tipped plane, the wall view.
#include <algorithm>
#include <cmath>

#include "session/session.h"

namespace vortexa {

namespace {

constexpr int kDemoDurationMs = 18000;
constexpr int kDemoWorkPerStepMs = 50;
constexpr int kFullTurn = 360;

}  // namespace

bool TSession::RotationSweep() {
  return RunCommand(TCommandId::DebugDemo, [this](TBusyScope&) {
    for (int angle = 0; angle <= kFullTurn; ++angle) {
      FDrawGrid.SetRotation(angle);
      FDrawGrid.Render(true);
    }
    FDrawGrid.SetRotation(0);
    FDrawGrid.Render(true);
  });
}

bool TSession::ElevationSweep() {
  return RunCommand(TCommandId::DebugDemo, [this](TBusyScope&) {
    for (int angle = kFlatElevation; angle >= 0; --angle) {
      FDrawGrid.SetElevation(angle);
      FDrawGrid.Render(true);
    }
    for (int angle = 0; angle <= kFlatElevation; ++angle) {
      FDrawGrid.SetElevation(angle);
      FDrawGrid.Render(true);
    }
    FDrawGrid.SetRotation(0);
    FDrawGrid.Render(true);
  });
}

// One turn in about 18 s while the plane dips and rises; when frames are slow
// the turn takes bigger steps so that it still ends in time. The draw button
// stops it.
bool TSession::RotationDemo() {
  return RunCommand(TCommandId::DebugDemo, [this](TBusyScope& busy) {
    constexpr double kPi = 3.14159265358979323846;
    const std::int64_t start = busy.NowMs();
    double phase = std::nearbyint(360 * std::acos(1 - FDrawGrid.GetElevation() / 90.0) / kPi);
    int turned = 0;
    int stepSize = 1;
    double interval = 50;
    double work = 0;
    std::int64_t last = start;
    for (int frame = 1; turned < kFullTurn && !FAbortRequested; ++frame) {
      const int step = std::min(stepSize, kFullTurn - turned);
      turned += step;
      phase += step;
      FDrawGrid.SetRotation(FDrawGrid.GetRotation() + step);
      double height = 90 * (1 - std::cos(phase * kPi / 360));
      if (height > 90) height = 180 - height;
      FDrawGrid.SetElevation(static_cast<int>(std::nearbyint(height)));
      const std::int64_t workStart = busy.NowMs();
      FDrawGrid.Render(true);
      Notify(&TSessionObserver::AnglesChanged);
      busy.ProcessEvents();
      work += static_cast<double>(busy.NowMs() - workStart);
      if (frame > 20 && frame % 8 == 0 && turned < kFullTurn) {
        stepSize = std::clamp(static_cast<int>(std::ceil(work / frame / kDemoWorkPerStepMs)), 1, 3);
        const double steps = std::ceil(static_cast<double>(kFullTurn - turned) / stepSize);
        interval = std::max(0.0, (kDemoDurationMs - (busy.NowMs() - start)) / steps);
      }
      const std::int64_t elapsed = busy.NowMs() - last;
      busy.SleepMs(static_cast<int>(std::max<double>(10, interval - elapsed)));
      last = busy.NowMs();
    }
    FDrawGrid.Render(true);
  });
}

int TSession::ShowCliffs() {
  int cliffs = -1;
  RunCommand(TCommandId::DebugDemo,
             [this, &cliffs](TBusyScope&) { cliffs = FDrawGrid.ShowCliffs(); });
  return cliffs;
}

bool TSession::SetThickWalls(bool thick) {
  return RunCommand(TCommandId::DebugDemo, [this, thick](TBusyScope&) {
    FDrawGrid.SetThickWalls(thick);
    FDrawGrid.MarkHeightsStale();
    RenderIfSized();
  });
}

}  // namespace vortexa
