// formula-bench: the custom-recurrence kernel running z^2 + c against the
// built-in extended-precision kernel on the same points.
//
// Both report "iter/s", the iterations done (the sum of the counts, the limit
// for dots inside the set) over the wall time; their ratio is the price of a
// user formula.
#include <benchmark/benchmark.h>

#include <vector>

#include "engine/kernels.h"
#include "formula/evaluate.h"
#include "formula/formula_kernel.h"
#include "formula/syntax.h"

namespace vortexa::bench {
namespace {

constexpr int kLimit = 1000;

struct TPoint {
  long double Re, Im;
};

// 48 x 32 points over the home view, a mix of fast escapes and inside dots.
const std::vector<TPoint>& HomePoints() {
  static const std::vector<TPoint> points = [] {
    std::vector<TPoint> result;
    for (int row = 0; row < 32; ++row)
      for (int col = 0; col < 48; ++col)
        result.push_back({-2.25L + col * (3.0L / 48), -1.25L + row * (2.5L / 32)});
    return result;
  }();
  return points;
}

std::int64_t Iterations(TDot count) {
  return count >= kInsideThreshold ? kLimit : count;
}

template <typename Kernel>
void RunPoints(benchmark::State& state, Kernel kernel) {
  std::int64_t iterations = 0;
  for (auto _ : state) {
    for (const TPoint& point : HomePoints()) {
      const TDot count = kernel(point);
      benchmark::DoNotOptimize(count);
      iterations += Iterations(count);
    }
  }
  state.counters["iter/s"] =
      benchmark::Counter(static_cast<double>(iterations), benchmark::Counter::kIsRate);
}

void BM_IterateFPU(benchmark::State& state) {
  RunPoints(state, [](const TPoint& p) { return IterateFPU(p.Re, p.Im, 0, 0, kLimit); });
}

void BM_IterateFormula(benchmark::State& state) {
  TSyntax syntax;
  TTokenList program;
  if (!syntax.Check(program, "Z*Z+C")) {
    state.SkipWithError(syntax.ErrorMessage().c_str());
    return;
  }
  BindParameters(program, 0, 0);
  RunPoints(state,
            [&](const TPoint& p) { return IterateFormula(program, p.Re, p.Im, 0, 0, kLimit); });
}

BENCHMARK(BM_IterateFPU)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IterateFormula)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vortexa::bench
