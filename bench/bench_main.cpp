// vortexa-bench: whole frames through the calculation grid, the bare lane
// core, and the yardstick loop, on four views of 1920 x 1080 dots.
//
// Every benchmark reports "iter/s": the useful iterations of its view (the sum
// of the dot counts, the limit for dots inside the set, as computed without
// prediction or mirroring) over the wall time. Prediction and mirroring save
// iterations, so with them the rate exceeds what the kernels iterate.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "engine/calc_grid.h"
#include "engine/kernels_lanes.h"
#include "yardstick.h"

namespace vortexa::bench {
namespace {

constexpr int kFrameWidth = 1920;
constexpr int kFrameHeight = 1080;

struct TView {
  const char* Name;
  long double X, Y, Range;
  int Limit;
  int Family;  // the kernel family the grid picks for this view
};

const TView kViews[] = {
    {"a_home", 0, 0, 2, 1000, kKernelSingle},
    {"b_seahorse_1e-6", -0.743643887037151L, 0.131825904205330L, 1e-6L, 4000, kKernelDouble},
    {"c_seahorse_1e-3", -0.743643887037151L, 0.131825904205330L, 1e-3L, 4000, kKernelSingle},
    // The Misiurewicz point i: deep (dots of 9e-17, the deep family), yet most
    // dots escape after a few dozen steps.
    {"d_deep_i_1e-13", 0, 1, 1e-13L, 2000, kKernelDeep},
};

// The frame's points with the grid's plane mapping, rounded to the lane precision.
template <typename Real>
struct TFramePoints {
  std::vector<Real> Re, Im;
};

template <typename Real>
const TFramePoints<Real>& FramePoints(const TView& view) {
  static std::map<std::string, TFramePoints<Real>> cache;
  TFramePoints<Real>& points = cache[view.Name];
  if (!points.Re.empty()) return points;
  const long double step = 2 * view.Range / kFrameHeight;
  for (int r = 0; r < kFrameHeight; ++r) {
    const long double im = (r - kFrameHeight / 2) * step + view.Y;
    for (int c = 0; c < kFrameWidth; ++c) {
      points.Re.push_back(static_cast<Real>((c - kFrameWidth / 2) * step + view.X));
      points.Im.push_back(static_cast<Real>(im));
    }
  }
  return points;
}

std::int64_t GridWork(const TCalcGrid& grid) {
  std::int64_t sum = 0;
  for (int r = 0; r < grid.GridHeight(); ++r)
    for (int c = 0; c < grid.GridWidth(); ++c) {
      const TDot dot = grid.GetDot(r, c);
      sum += dot >= kInsideThreshold ? grid.Limit() : dot;
    }
  return sum;
}

void SetUpFrame(TCalcGrid& grid, const TView& view, int options) {
  grid.SetSize(kFrameWidth, kFrameHeight);
  grid.SetView(view.X, view.Y, view.Limit, view.Range);
  grid.SetOptions(options);
}

// Useful iterations of a view: the counts of a frame computed dot by dot.
std::int64_t ViewWork(const TView& view) {
  static std::map<std::string, std::int64_t> cache;
  auto found = cache.find(view.Name);
  if (found != cache.end()) return found->second;
  TCalcGrid grid;
  SetUpFrame(grid, view, kOptNoPrediction | kOptNoMirror);
  grid.Start(ccDraw);
  grid.WaitIdle();
  return cache[view.Name] = GridWork(grid);
}

void ReportRate(benchmark::State& state, std::int64_t work) {
  state.counters["iter/s"] = benchmark::Counter(static_cast<double>(work) * state.iterations(),
                                                benchmark::Counter::kIsRate);
}

void FrameBenchmark(benchmark::State& state, const TView& view, int options) {
  TCalcGrid grid;
  SetUpFrame(grid, view, options);
  if (grid.GetKernel() != view.Family) {
    state.SkipWithError("the grid picked another kernel family");
    return;
  }
  for (auto _ : state) {
    grid.Start(ccDraw);
    grid.WaitIdle();
  }
  ReportRate(state, ViewWork(view));
}

template <typename Real>
void CoreBenchmark(benchmark::State& state, const TView& view, TSimdUnit unit) {
  const TFramePoints<Real>& points = FramePoints<Real>(view);
  std::vector<TDot> res(points.Re.size() + 1);
  const TLaneJob<Real> job{points.Re.data(), points.Im.data(), static_cast<int>(points.Re.size()),
                           view.Limit, res.data()};
  for (auto _ : state) {
    RunLanes(unit, job);
    benchmark::DoNotOptimize(res.data());
  }
  ReportRate(state, ViewWork(view));
}

template <typename Real, typename Yardstick>
void YardstickBenchmark(benchmark::State& state, const TView& view, Yardstick yardstick) {
  const TFramePoints<Real>& points = FramePoints<Real>(view);
  std::int64_t work = 0;
  for (auto _ : state) {
    work = yardstick(points.Re.data(), points.Im.data(), static_cast<int>(points.Re.size()),
                     view.Limit);
    benchmark::DoNotOptimize(work);
  }
  ReportRate(state, work);
  // The yardstick iterates exactly the points and counts of the engine.
  state.counters["same_work"] = work == ViewWork(view) ? 1 : 0;
}

void RegisterAll() {
  const struct {
    const char* Name;
    int Options;
  } settings[] = {
      {"default", 0},
      {"one_worker", kOptSingleWorker},
      {"one_worker_no_prediction_no_mirror", kOptSingleWorker | kOptNoPrediction | kOptNoMirror}};
  for (const TView& view : kViews) {
    for (const auto& setting : settings) {
      const std::string name = std::string("Frame/") + view.Name + "/" + setting.Name;
      benchmark::RegisterBenchmark(name.c_str(), FrameBenchmark, view, setting.Options)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime()
          ->MeasureProcessCPUTime();
    }
    // The bare lane cores and the yardstick know only the lane families.
    if (view.Family == kKernelExtended || view.Family == kKernelDeep) continue;
    const TSimdUnit units[] = {TSimdUnit::Avx512, TSimdUnit::Avx2, TSimdUnit::Sse2};
    for (TSimdUnit unit : units) {
      if (!SimdUnitUsable(unit)) continue;
      const std::string name = std::string("LaneCore/") + view.Name + "/" + SimdUnitName(unit);
      auto* b = view.Family == kKernelSingle
                    ? benchmark::RegisterBenchmark(name.c_str(), CoreBenchmark<float>, view, unit)
                    : benchmark::RegisterBenchmark(name.c_str(), CoreBenchmark<double>, view, unit);
      b->Unit(benchmark::kMillisecond)->UseRealTime();
    }
    const char* yardstickName = nullptr;
    benchmark::internal::Benchmark* b = nullptr;
    if (view.Family == kKernelSingle) {
      if (TYardstick32 yardstick = BestYardstick32(&yardstickName))
        b = benchmark::RegisterBenchmark(
            (std::string("Yardstick/") + view.Name + "/" + yardstickName).c_str(),
            YardstickBenchmark<float, TYardstick32>, view, yardstick);
    } else {
      if (TYardstick64 yardstick = BestYardstick64(&yardstickName))
        b = benchmark::RegisterBenchmark(
            (std::string("Yardstick/") + view.Name + "/" + yardstickName).c_str(),
            YardstickBenchmark<double, TYardstick64>, view, yardstick);
    }
    if (b) b->Unit(benchmark::kMillisecond)->UseRealTime();
  }
}

}  // namespace

TYardstick32 BestYardstick32(const char** name) {
  if (SimdUnitUsable(TSimdUnit::Avx512)) {
    *name = "avx512";
    return [](const float* re, const float* im, int count, int limit) {
      return YardstickAvx512(re, im, count, limit);
    };
  }
  if (SimdUnitUsable(TSimdUnit::Avx2)) {
    *name = "avx2";
    return [](const float* re, const float* im, int count, int limit) {
      return YardstickAvx2(re, im, count, limit);
    };
  }
  return nullptr;
}

TYardstick64 BestYardstick64(const char** name) {
  if (SimdUnitUsable(TSimdUnit::Avx512)) {
    *name = "avx512";
    return [](const double* re, const double* im, int count, int limit) {
      return YardstickAvx512(re, im, count, limit);
    };
  }
  if (SimdUnitUsable(TSimdUnit::Avx2)) {
    *name = "avx2";
    return [](const double* re, const double* im, int count, int limit) {
      return YardstickAvx2(re, im, count, limit);
    };
  }
  return nullptr;
}

}  // namespace vortexa::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  vortexa::bench::RegisterAll();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
