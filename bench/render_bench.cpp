// vortexa-render-bench: composing pictures from finished counts. A relief
// render at 1024 x 768 must fit in one 40 ms animation frame on one core so
// that turning and tipping the relief stay fluid.
#include <benchmark/benchmark.h>

#include <memory>

#include "engine/calc_grid.h"
#include "render/draw_grid.h"
#include "render/relief.h"

namespace vortexa::bench {
namespace {

// Seahorse valley: many slopes and steps, some of the set.
struct TComputedView {
  TComputedView(int width, int height) {
    draw.SetSize(width, height);
    grid.SetView(-0.7436438870371L, 0.1318259042053L, 2000, 1e-3L);
    draw.SetLimit(2000);
    draw.SetColors(2, 0, 0, 24);
    grid.Start(ccDraw);
    grid.WaitIdle();
  }
  TCalcGrid grid;
  TNullCanvas canvas;
  TDrawGrid draw{grid, canvas};
};

TComputedView& View(int width, int height) {
  static std::unique_ptr<TComputedView> view;
  if (!view || view->draw.Width() != width || view->draw.Height() != height)
    view = std::make_unique<TComputedView>(width, height);
  return *view;
}

void RenderAt(benchmark::State& state, int rotation, int elevation) {
  TDrawGrid& draw = View(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))).draw;
  draw.SetRotation(rotation);
  draw.SetElevation(elevation);
  draw.Render(true);  // heights computed once, outside the measurement
  for (auto _ : state)
    draw.Render(true);
  state.counters["dots/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * draw.Width() * draw.Height(),
                         benchmark::Counter::kIsRate);
}

void BM_RenderFlat(benchmark::State& state) {
  RenderAt(state, 0, 90);
}
void BM_RenderRotated(benchmark::State& state) {
  RenderAt(state, 30, 90);
}
void BM_RenderRelief(benchmark::State& state) {
  RenderAt(state, 30, 40);
}

// Heights, border walls and the threshold search, as after every new computation.
void BM_Heights(benchmark::State& state) {
  TDrawGrid& draw = View(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))).draw;
  draw.SetRotation(30);
  draw.SetElevation(40);
  for (auto _ : state) {
    draw.MarkHeightsStale();
    draw.Render(true);
  }
  state.SetLabel("includes one relief render");
}

void FullHd(benchmark::internal::Benchmark* b) {
  b->Args({1920, 1080})->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_RenderFlat)->Apply(FullHd);
BENCHMARK(BM_RenderRotated)->Apply(FullHd);
BENCHMARK(BM_RenderRelief)->Apply(FullHd);
BENCHMARK(BM_Heights)->Apply(FullHd);
BENCHMARK(BM_RenderRelief)->Args({1024, 768})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace vortexa::bench

BENCHMARK_MAIN();
