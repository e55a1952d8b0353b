// vortexa-abort-bench: how long an abort takes to end a drawing, with every
// kernel family and with a user formula. Abort asks the workers to stop at
// once and they stop at their next dot (or round of lane iterations); the grid
// thread repeats the request every 100 ms. So each stop should take about one
// dot, and never more than 100 ms plus one dot. The deep view's stops fall
// into its reference orbit as well (about half a second at 1e-1200).
//
// Each view lies inside the set at the limit (the first argument, 65000 if
// none), so every dot costs the whole limit and a row takes from milliseconds
// (lanes) to seconds (formula): a stop that waited for the row in hand would
// show at once. At limits in the millions a stop that waited for a dot would.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

#include "bench_clock.h"
#include "engine/calc_grid.h"
#include "engine/kernels.h"
#include "engine/perturbation.h"
#include "formula/evaluate.h"
#include "formula/formula_kernel.h"
#include "formula/syntax.h"

namespace vortexa::bench {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kStops = 15;

struct TCase {
  const char* Name;
  long double X, Y, Range;  // below a dot of 1e-15 the deep family, whose orbit
                            // is computed anew for every drawing
  int Options;
  const char* Formula;  // nullptr: the built-in recurrence
};

// Centred in the main cardioid; ranges that pick each family.
const TCase kCases[] = {
    {"single lanes", -0.2L, 0.1L, 0.2L, 0, nullptr},
    {"double lanes", -0.2L, 0.1L, 1e-7L, 0, nullptr},
    {"deep 1e-1200", -0.2L, 0.1L, 1e-1200L, 0, nullptr},
    {"extended", -0.2L, 0.1L, 0.2L, kOptNoSimd, nullptr},
    {"formula Z^2+C", -0.2L, 0.1L, 0.2L, 0, "Z^2+C"},
};

// The time one dot of the view's centre takes with the case's kernel (the
// deep family's orbit of a whole limit in the millions would take minutes).
double OneDotMs(const TCase& c, int kernel, long double step, const TTokenList& program,
                int limit) {
  TReferenceOrbit orbit;
  if (kernel == kKernelDeep) {
    limit = std::min(limit, kMaxNarrowLimit);
    orbit = *ComputeReferenceOrbit(c.X, c.Y, limit, BitsForStep(step));
  }
  const auto start = TClock::now();
  TDot dot = 0;
  if (c.Formula) {
    dot = IterateFormula(program, c.X, c.Y, 0, 0, limit);
  } else if (kernel == kKernelExtended) {
    dot = IterateFPU(c.X, c.Y, 0, 0, limit);
  } else if (kernel == kKernelSingle) {
    const float re = static_cast<float>(c.X), im = static_cast<float>(c.Y);
    Iterate4(&re, &im, &dot, 1, limit);
  } else if (kernel == kKernelDouble) {
    const double re = static_cast<double>(c.X), im = static_cast<double>(c.Y);
    Iterate2(&re, &im, &dot, 1, limit);
  } else {
    dot = IteratePerturbed(orbit, 0, 0, limit);
  }
  const double ms = MsSince(start);
  if (dot != kDotInside) std::printf("(the centre of %s escapes)\n", c.Name);
  return ms;
}

void MeasureStops(const TCase& c, int limit, std::mt19937& random) {
  TCalcGrid grid;
  grid.SetSize(kWidth, kHeight);
  grid.SetView(c.X, c.Y, limit, c.Range);
  grid.SetOptions(c.Options);
  TTokenList program;
  std::vector<TFormulaRecurrence> recurrence;
  if (c.Formula) {
    TSyntax syntax;
    syntax.Check(program, c.Formula);
    BindParameters(program, 0, 0);
    recurrence.emplace_back(program);
    grid.SetFormula(true, &recurrence.front(), 0, 0);
  }
  // Stops at random moments of the first second, in every stage it reaches.
  std::uniform_int_distribution<int> delayMs(50, 1000);
  std::vector<double> latencies;
  for (int stop = 0; stop < kStops; ++stop) {
    grid.SetView(c.X, c.Y, limit, c.Range);
    grid.Start(ccDraw);
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs(random)));
    const auto start = TClock::now();
    grid.Abort();
    grid.WaitIdle();
    latencies.push_back(MsSince(start));
  }
  std::sort(latencies.begin(), latencies.end());
  std::printf(
      "%-14s kernel %d: stop after abort, %d stops: median %.1f ms, max %.1f ms; one dot %.2f "
      "ms\n",
      c.Name, grid.GetKernel(), kStops, latencies[kStops / 2], latencies.back(),
      OneDotMs(c, grid.GetKernel(), grid.GetStep().ToLongDouble(), program, limit));
}

}  // namespace
}  // namespace vortexa::bench

int main(int argc, char** argv) {
  const int limit = argc > 1 ? std::atoi(argv[1]) : vortexa::kMaxNarrowLimit;
  if (limit < 1 || limit > vortexa::kMaxLimit) {
    std::fprintf(stderr, "usage: vortexa-abort-bench [limit 1..%d]\n", vortexa::kMaxLimit);
    return 2;
  }
  std::printf("limit %d\n", limit);
  // The machine's load shapes the figures: report it with them.
  if (std::FILE* file = std::fopen("/proc/loadavg", "r")) {
    double load = 0;
    if (std::fscanf(file, "%lf", &load) == 1) std::printf("load average %.1f\n", load);
    std::fclose(file);
  }
  std::mt19937 random(16);
  for (const auto& c : vortexa::bench::kCases)
    vortexa::bench::MeasureStops(c, limit, random);
  return 0;
}
