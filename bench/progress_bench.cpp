// vortexa-progress-bench: what showing a computation costs. A progressive
// Draw of the home view at 1920 x 1080 may take at most 1.15 times the bare
// computation of the same view, each zoom-animation frame at 1024 x 768 must
// be composed well within its 40 ms, and a wheel zoom by 2 that reuses the old
// counts may cost at most 0.6 times a fresh draw of the new view. Compared runs
// alternate in one process, so both see the same machine load.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>
#include <vector>

#include "bench_clock.h"
#include "engine/calc_grid.h"
#include "render/draw_grid.h"
#include "session/display_driver.h"
#include "session/session.h"

namespace vortexa::bench {
namespace {

// A window's back buffer in memory, real time and real sleeps. It notes how
// long each frame took from the end of the previous sleep to its Present.
class TOffscreenCanvas : public TCanvas, public TEventPump {
 public:
  TOffscreenCanvas(int width, int height)
      : FBuffer(width, height, QImage::Format_ARGB32_Premultiplied) {
    FBuffer.fill(Qt::black);
  }
  void Present(const QImage& image, int left, int top) override {
    QPainter(&FBuffer).drawImage(left, top, image);
    FrameMs.push_back(MsSince(FAwake));
  }
  void PresentStretched(const QImage& image, const QRect& dest) override {
    QPainter(&FBuffer).drawImage(dest, image);
    FrameMs.push_back(MsSince(FAwake));
  }
  void ProcessEvents() override { QCoreApplication::processEvents(); }
  std::int64_t NowMs() override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now().time_since_epoch())
        .count();
  }
  void SleepMs(int milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    FAwake = TClock::now();
  }
  void StartFrames() {
    FrameMs.clear();
    FAwake = TClock::now();
  }

  std::vector<double> FrameMs;

 private:
  QImage FBuffer;
  TClock::time_point FAwake = TClock::now();
};

constexpr int kRuns = 21;

void DrawAgainstBareComputation() {
  const int width = 1920, height = 1080;
  TCalcGrid grid;
  TOffscreenCanvas canvas(width, height);
  TDrawGrid draw(grid, canvas);
  TDisplayDriver driver(grid, draw);
  draw.SetSize(width, height);
  grid.SetView(0, 0, 1000, 2);
  draw.SetLimit(1000);
  std::vector<double> bare, drawn, finish;
  for (int run = 0; run < kRuns; ++run) {
    auto start = TClock::now();
    grid.Start(ccDraw);
    grid.WaitIdle();
    bare.push_back(MsSince(start));
    start = TClock::now();
    driver.Draw(canvas, false);
    drawn.push_back(MsSince(start));
    // The part no display loop can hide: composing and presenting the final picture.
    start = TClock::now();
    draw.Render(true);
    finish.push_back(MsSince(start));
  }
  const double bareMs = Median(bare), drawnMs = Median(drawn);
  std::printf(
      "home view %dx%d, median of %d: computation %.1f ms, Draw %.1f ms, ratio %.3f "
      "(final Render and Present alone %.1f ms)\n",
      width, height, kRuns, bareMs, drawnMs, drawnMs / bareMs, Median(finish));
}

// The wheel's zoom by 2 of the home view against drawing the view it arrives
// at from nothing: wall and processor time from the notch (Magnify) to the
// finished picture. Without the zoom movie this is what the reuse of the old
// counts buys; with it the 24 frames of 40 ms set the wall time by design.
void WheelZoomAgainstFreshDraw(bool animated, int runs) {
  const int width = 1024, height = 768;
  TOffscreenCanvas canvas(width, height);
  TSession session(canvas, canvas);
  session.Resize(width, height);
  session.SetOptions(animated ? 0 : kOptNoZoomAnimation);
  std::vector<double> zoomed, fresh, zoomedCpuMs, freshCpuMs;
  for (int run = 0; run < runs; ++run) {
    session.PressDraw(TViewState{});
    auto start = TClock::now();
    double cpu = ProcessCpuMs();
    session.Magnify(3);
    zoomed.push_back(MsSince(start));
    zoomedCpuMs.push_back(ProcessCpuMs() - cpu);
    start = TClock::now();
    cpu = ProcessCpuMs();
    session.DrawView();
    fresh.push_back(MsSince(start));
    freshCpuMs.push_back(ProcessCpuMs() - cpu);
  }
  const double zoomMs = Median(zoomed), freshMs = Median(fresh);
  const double zoomCpu = Median(zoomedCpuMs), freshCpu = Median(freshCpuMs);
  std::printf(
      "wheel zoom by 2 of the home view %dx%d %s, median of %d: %.1f ms (processor %.1f ms), "
      "fresh draw %.1f ms (processor %.1f ms), ratio %.3f (processor %.3f)\n",
      width, height, animated ? "with the zoom movie" : "without the zoom movie", runs, zoomMs,
      zoomCpu, freshMs, freshCpu, zoomMs / freshMs, zoomCpu / freshCpu);
}

// Frames of a zoom about a point off the centre, as the wheel makes them when
// it zooms at the pointer.
void PointerZoomFrames() {
  const int width = 1024, height = 768;
  TOffscreenCanvas canvas(width, height);
  TSession session(canvas, canvas);
  session.Resize(width, height);
  session.PressDraw(TViewState{-0.5L, 0, 1.5L, 1000});
  session.SetZoomAtPointer(true);
  canvas.StartFrames();
  session.Wheel(true, {}, false, QPoint(200, 150));
  const int index = WheelZoomIndex(true, session.MagnifyRatio(), false, false);
  std::vector<double> frames(canvas.FrameMs.begin(),
                             canvas.FrameMs.begin() + TDisplayDriver::kZoomFrames[index]);
  std::printf("zoom at the pointer %dx%d: %zu frames, median %.1f ms, max %.1f ms per frame\n",
              width, height, frames.size(), Median(frames),
              *std::max_element(frames.begin(), frames.end()));
}

void ZoomFrames() {
  const int width = 1024, height = 768;
  TCalcGrid grid;
  TOffscreenCanvas canvas(width, height);
  TDrawGrid draw(grid, canvas);
  TDisplayDriver driver(grid, draw);
  draw.SetSize(width, height);
  grid.SetView(-0.5L, 0, 1000, 1.5L);
  draw.SetLimit(1000);
  driver.Draw(canvas, false);
  const struct {
    int index;
    const char* name;
  } zooms[] = {{0, "magnify 16"}, {3, "magnify 2"}, {7, "reduce 1/16"}};
  long double range = 1.5L;
  for (const auto& zoom : zooms) {
    range /= TDisplayDriver::kZoomRatio[zoom.index];
    grid.SetView(-0.5L, 0, 1000, range);
    canvas.StartFrames();
    driver.Zoom(canvas, zoom.index, {});
    // The animation's frames come first; the pass displays and colour frames follow.
    std::vector<double> frames(canvas.FrameMs.begin(),
                               canvas.FrameMs.begin() + TDisplayDriver::kZoomFrames[zoom.index]);
    std::printf("zoom %-12s %dx%d: %zu frames, median %.1f ms, max %.1f ms per frame\n", zoom.name,
                width, height, frames.size(), Median(frames),
                *std::max_element(frames.begin(), frames.end()));
  }
}

}  // namespace
}  // namespace vortexa::bench

int main(int argc, char** argv) {
  QGuiApplication application(argc, argv);
  vortexa::bench::DrawAgainstBareComputation();
  vortexa::bench::ZoomFrames();
  vortexa::bench::PointerZoomFrames();
  vortexa::bench::WheelZoomAgainstFreshDraw(false, vortexa::bench::kRuns);
  vortexa::bench::WheelZoomAgainstFreshDraw(true, 5);
  return 0;
}
