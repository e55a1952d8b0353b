// vortexa-deep-bench: the deep family against the extended kernel on the
// same deep view, one worker, in turn round after round so that both see the
// same machine load. The figures are rates of useful iterations (the sum of
// the counts, the limit for dots inside) per second of wall time and per
// second of the process's processor time, which a loaded machine changes
// less. The reference orbit's time is reported on its own. A second argument
// picks the vector unit of the lane and deep kernels. Then the deep family
// alone draws the same centre at ranges down to 1e-300, in turn, and the
// rates are given as ratios to the shallowest one: tiny differences must not
// slow the family down (merged steps off, so that the rates are of iterations
// done one by one). Last, a view beside a minibrot near -2 at limit 65000
// and three other deep views are drawn with merged steps (bilinear
// approximation) and without, in turn, with how many dots the two agree on;
// a third argument "merged" runs this comparison alone.
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "engine/calc_grid.h"
#include "engine/kernels.h"
#include "engine/kernels_lanes.h"

namespace vortexa::bench {
namespace {

// A spiral of the seahorse valley around a minibrot, range 1e-16.
constexpr const char* kCenterX = "-0.743643887037158704752191506114774";
constexpr const char* kCenterY = "0.131825904205311970493132056385139";
constexpr long double kRange = 1e-16L;
constexpr long double kDepthRanges[] = {1e-100L, 1e-200L, 1e-250L, 1e-300L};
constexpr int kLimit = 10000;
constexpr int kWidth = 320;
constexpr int kHeight = 240;

// A minibrot of period 2464 = 11 x 14 x 16 and size 9e-45 on the real axis
// near -2: the real minibrots of periods 11, 14 and 16 near -2 (Newton's
// method from -2 + 2.5 / 4^p), nested with the map c = n + s c' that takes
// the whole set onto a minibrot's copy of it (n its nucleus, s its complex
// size estimate 1 / (b l^2)), each nesting refined by Newton's method at the
// product period. At range 1e-44 the minibrot fills a third of the picture
// and the dots around it circle it for thousands of iterates.
constexpr const char* kMinibrotX =
    "-1."
    "9999964703417410706918976301716907975811214081113255937921795853287270851893059898379325639764"
    "37634";
constexpr const char* kMinibrotY = "0";
constexpr long double kMinibrotRange = 1e-44L;
constexpr int kMinibrotLimit = 65000;
constexpr int kMinibrotWidth = 640;
constexpr int kMinibrotHeight = 360;

struct TDraw {
  double WallMs = 0;
  double CpuMs = 0;
  double ReferenceMs = 0;
  double Iterations = 0;
  int Kernel = 0;
};

double UsefulIterations(const TCalcGrid& grid) {
  double sum = 0;
  for (int row = 0; row < grid.GridHeight(); ++row)
    for (int col = 0; col < grid.GridWidth(); ++col) {
      const TDot dot = grid.GetDot(row, col);
      sum += dot >= kInsideThreshold ? grid.Limit() : dot;
    }
  return sum;
}

// Every dot computed once by one worker: no prediction, no mirror. A new
// view each time, so that the deep family computes its orbit every draw.
struct TView {
  const char* X;
  const char* Y;
  long double Range;
  int Limit;
};

TDraw DrawOnce(TCalcGrid& grid, int options, const TView& view) {
  grid.SetOptions(options | kOptSingleWorker | kOptNoPrediction | kOptNoMirror);
  grid.SetView(*TDeepReal::FromDecimal(view.X, 320), *TDeepReal::FromDecimal(view.Y, 320),
               view.Limit, view.Range);
  const double cpuBefore = ProcessCpuMs();
  const auto start = TClock::now();
  grid.Start(ccDraw);
  grid.WaitIdle();
  TDraw draw;
  draw.WallMs = std::chrono::duration<double, std::milli>(TClock::now() - start).count();
  draw.CpuMs = ProcessCpuMs() - cpuBefore;
  draw.ReferenceMs = std::chrono::duration<double, std::milli>(grid.ReferenceOrbitTime()).count();
  draw.Iterations = UsefulIterations(grid);
  draw.Kernel = grid.GetKernel();
  return draw;
}

TDraw DrawOnce(TCalcGrid& grid, int options, long double range = kRange) {
  return DrawOnce(grid, options, TView{kCenterX, kCenterY, range, kLimit});
}

std::vector<TDot> Dots(const TCalcGrid& grid) {
  std::vector<TDot> dots;
  for (int row = 0; row < grid.GridHeight(); ++row)
    for (int col = 0; col < grid.GridWidth(); ++col)
      dots.push_back(grid.GetDot(row, col));
  return dots;
}

// The views of the comparison of merged steps: the minibrot view first, then
// shallower and other deep views that merged steps must not slow down.
struct TMergedView {
  const char* Name;
  TView View;
  int Width, Height;
};
const TMergedView kMergedViews[] = {
    {"minibrot 2464",
     {kMinibrotX, kMinibrotY, kMinibrotRange, kMinibrotLimit},
     kMinibrotWidth,
     kMinibrotHeight},
    {"spiral 1e-17", {kCenterX, kCenterY, 1e-17L, 10000}, 320, 180},
    {"spiral 1e-30", {kCenterX, kCenterY, 1e-30L, 50000}, 320, 180},
    // The nucleus of the period-8007 minibrot at the heart of the spiral.
    {"minibrot 8007",
     {"-0.743643887037158704752191506114779778215256207948181289816883901818560735784",
      "0.131825904205311970493132056385140678972952279328918966209127677465513481738", 2e-32L,
      65000},
     320,
     180},
};

// Merged steps against single ones on each view, in turn, with how many dots
// the two agree on.
void CompareMerged(int rounds) {
  for (const TMergedView& v : kMergedViews) {
    TCalcGrid grid;
    grid.SetSize(v.Width, v.Height);
    std::printf("%s: %d x %d, range %Lg, limit %d, one worker\n", v.Name, v.Width, v.Height,
                v.View.Range, v.View.Limit);
    std::vector<double> ratios, merged, single;
    for (int round = 0; round < rounds; ++round) {
      grid.SetBla(true);
      const TDraw on = DrawOnce(grid, 0, v.View);
      const std::vector<TDot> withBla = Dots(grid);
      grid.SetBla(false);
      const TDraw off = DrawOnce(grid, 0, v.View);
      const std::vector<TDot> without = Dots(grid);
      int equal = 0, swapped = 0;
      for (std::size_t i = 0; i < withBla.size(); ++i) {
        equal += withBla[i] == without[i];
        swapped += (withBla[i] >= kInsideThreshold) != (without[i] >= kInsideThreshold);
      }
      std::printf(
          "  round %d: merged %.0f ms cpu (%.3f G/s), single %.0f ms cpu (%.3f G/s), orbit %.1f "
          "ms: %.2f times as fast; %.2f %% of dots equal, %d inside/outside swapped\n",
          round + 1, on.CpuMs, on.Iterations / on.CpuMs / 1e6, off.CpuMs,
          off.Iterations / off.CpuMs / 1e6, on.ReferenceMs, off.CpuMs / on.CpuMs,
          100.0 * equal / static_cast<double>(withBla.size()), swapped);
      ratios.push_back(off.CpuMs / on.CpuMs);
      merged.push_back(on.Iterations / on.CpuMs / 1e6);
      single.push_back(off.Iterations / off.CpuMs / 1e6);
    }
    std::printf(
        "  median of %d rounds: merged %.3f G/s, single %.3f G/s (processor time): %.2f times as "
        "fast\n",
        rounds, Median(merged), Median(single), Median(ratios));
  }
}

}  // namespace
}  // namespace vortexa::bench

int main(int argc, char** argv) {
  using namespace vortexa;
  using namespace vortexa::bench;
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
  // A third argument "merged" runs the comparison of merged steps alone.
  const bool mergedOnly = argc > 3 && std::string(argv[3]) == "merged";
  if (argc > 4 || (argc > 3 && !mergedOnly)) {
    std::fprintf(stderr, "usage: vortexa-deep-bench [ROUNDS] [avx512|avx2|sse2|scalar] [merged]\n");
    return 2;
  }
  if (argc > 2) {
    const std::string unit = argv[2];
    bool known = false;
    for (TSimdUnit candidate :
         {TSimdUnit::Scalar, TSimdUnit::Sse2, TSimdUnit::Avx2, TSimdUnit::Avx512})
      if (unit == SimdUnitName(candidate)) known = SetActiveSimdUnit(candidate);
    if (!known) {
      std::fprintf(stderr,
                   "usage: vortexa-deep-bench [ROUNDS] [avx512|avx2|sse2|scalar] [merged]\n");
      return 2;
    }
  }
  if (mergedOnly) {
    std::printf("vector unit %s\n", SimdUnitName());
    CompareMerged(rounds);
    return 0;
  }
  std::printf("vector unit %s, %d x %d, range %Lg, limit %d, one worker\n", SimdUnitName(), kWidth,
              kHeight, kRange, kLimit);
  TCalcGrid grid;
  grid.SetSize(kWidth, kHeight);
  grid.SetBla(false);
  std::vector<double> wallRatios, cpuRatios, deepRates, extRates, reference;
  for (int round = 0; round < rounds; ++round) {
    const TDraw deep = DrawOnce(grid, 0);
    const TDraw extended = DrawOnce(grid, kOptNoSimd);
    const double deepRate = deep.Iterations / deep.CpuMs / 1e6;
    const double extRate = extended.Iterations / extended.CpuMs / 1e6;
    std::printf(
        "round %d: deep (kernel %d) %.0f ms wall, %.0f ms cpu, %.3f G/s cpu, orbit %.2f ms; "
        "extended (kernel %d) %.0f ms wall, %.0f ms cpu, %.3f G/s cpu; ratio wall %.2f, cpu %.2f\n",
        round + 1, deep.Kernel, deep.WallMs, deep.CpuMs, deepRate, deep.ReferenceMs,
        extended.Kernel, extended.WallMs, extended.CpuMs, extRate, extended.WallMs / deep.WallMs,
        extended.CpuMs / deep.CpuMs);
    if (deep.Iterations != extended.Iterations)
      std::printf("  (useful iterations differ: deep %.0f, extended %.0f)\n", deep.Iterations,
                  extended.Iterations);
    wallRatios.push_back(extended.WallMs / deep.WallMs);
    cpuRatios.push_back(extended.CpuMs / deep.CpuMs);
    deepRates.push_back(deepRate);
    extRates.push_back(extRate);
    reference.push_back(deep.ReferenceMs);
  }
  std::printf(
      "median of %d rounds: deep %.3f G/s, extended %.3f G/s (processor time); deep %.2f times as "
      "fast by wall time, %.2f by processor time; reference orbit %.2f ms\n",
      rounds, Median(deepRates), Median(extRates), Median(wallRatios), Median(cpuRatios),
      Median(reference));
  constexpr int kDepths = sizeof(kDepthRanges) / sizeof(kDepthRanges[0]);
  std::vector<double> depthRates[kDepths];
  for (int round = 0; round < rounds; ++round)
    for (int d = 0; d < kDepths; ++d) {
      const TDraw deep = DrawOnce(grid, 0, kDepthRanges[d]);
      depthRates[d].push_back(deep.Iterations / deep.CpuMs / 1e6);
    }
  std::printf("deep family by depth, single steps, median of %d rounds (processor time):", rounds);
  for (int d = 0; d < kDepths; ++d)
    std::printf(" %Lg %.3f G/s (%.2f)%s", kDepthRanges[d], Median(depthRates[d]),
                Median(depthRates[d]) / Median(depthRates[0]), d + 1 < kDepths ? "," : "\n");
  CompareMerged(rounds);
  return 0;
}
