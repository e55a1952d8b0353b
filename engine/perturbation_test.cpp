#include "perturbation.h"

#include <gtest/gtest.h>
#include <xmmintrin.h>

#include <cmath>
#include <numeric>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "calc_grid.h"
#include "deep_reference_counts.h"
#include "grid_run.h"
#include "reference_counts.h"

namespace vortexa {
namespace {

using test_support::ReferenceBits;
using test_support::ReferenceDeep;
using test_support::ReferenceExtended;

// A spiral of the seahorse valley with a minibrot at its heart: structure at
// every depth down to 1e-30 and beyond.
const std::string kSpiralX = "-0.743643887037158704752191506114774";
const std::string kSpiralY = "0.131825904205311970493132056385139";

// The nucleus of the period-8007 minibrot at the heart of that spiral (its
// size is 9e-33), found by Newton's method from the spiral's centre.
const std::string kMinibrotX =
    "-0.743643887037158704752191506114779778215256207948181289816883901818560735784";
const std::string kMinibrotY =
    "0.131825904205311970493132056385140678972952279328918966209127677465513481738";

// The nucleus of a minibrot of period 2464 = 11 x 14 x 16 on the real axis
// near -2 (how it was found: bench/deep_bench.cpp).
const std::string kNearTwoX =
    "-1.99999647034174107069189763017169079758112140811132559379217958532872708518930598983793256"
    "3976437634";

// Read as the session reads centres: at 1e-30 some counts of these spirals
// change when the centre moves by 1e-40, so the reading must keep the bits.
TDeepReal Deep(const std::string& text) {
  return *TDeepReal::FromDecimal(text);
}

using test_support::Dots;

void RunWithoutFault(TCalcGrid& grid, TCalcCommand command) {
  test_support::RunToEnd(grid, command);
  ASSERT_FALSE(grid.LastFault().Failed) << grid.LastFault().Error;
}

struct TDeepView {
  std::string X, Y;
  TFloatExp Range;
  int Limit;
};

// A range beyond long double's reach, as written.
TFloatExp Range(const std::string& text) {
  return TDeepReal::FromDecimal(text, 64)->ToFloatExp();
}

void Draw(TCalcGrid& grid, const TDeepView& view, int width, int height, int options) {
  grid.SetSize(width, height);
  grid.SetOptions(options);
  grid.SetView(Deep(view.X), Deep(view.Y), view.Limit, view.Range);
  RunWithoutFault(grid, ccDraw);
}

bool IsInside(TDot dot) {
  return dot >= kInsideThreshold;
}

// --- The cores ---------------------------------------------------------------

TEST(ReferenceOrbit, EndsAtTheFirstEscapeOrTheLastTestedIterate) {
  // c = 1: 0, 1, 2, 5 escapes at Z3.
  const TReferenceOrbit escaping = *ComputeReferenceOrbit(1.0L, 0.0L, 100, 128);
  EXPECT_EQ(escaping.Last, 3);
  EXPECT_EQ(escaping.Re, (std::vector<double>{0, 1, 2, 5, 0}));
  // c = -1 never escapes: dots test z0 .. z9, so the orbit runs to Z9.
  const TReferenceOrbit inside = *ComputeReferenceOrbit(-1.0L, 0.0L, 10, 128);
  EXPECT_EQ(inside.Last, 9);
  EXPECT_EQ(inside.Re.size(), 11u);
  EXPECT_EQ(inside.Re[9], -1.0);
  EXPECT_EQ(inside.Re.back(), 0.0);
  // Even at limit 1 the orbit holds Z1 = C, where a dot goes on after Z0.
  const TReferenceOrbit shortest = *ComputeReferenceOrbit(0.25L, 0.5L, 1, 128);
  EXPECT_EQ(shortest.Last, 1);
  EXPECT_EQ(shortest.Im, (std::vector<double>{0, 0.5, 0}));
}

// Above limit 65000 an orbit that settles on a cycle ends once a whole period
// has repeated, and dots carry on one period back: every unit then counts
// exactly as with the whole orbit (computed here with a limit that keeps it
// whole). The minibrots' nuclei settle at once, the other centres inside
// after an approach; 0.3 escapes and is never cut.
TEST(ReferenceOrbit, ACycleCutsTheOrbitAndDotsCountAsWithTheWholeOne) {
  const struct {
    const char* Name;
    TDeepReal X, Y;
    int Period;  // of the cycle in doubles, 0 for none
    double Step;
  } cases[] = {
      {"nucleus 8007", Deep(kMinibrotX), Deep(kMinibrotY), 8007, 1e-34},
      {"nucleus 2464", Deep(kNearTwoX), Deep("0"), 2464, 1e-46},
      {"fixed point", Deep("-0.1"), Deep("0"), 1, 1e-18},
      {"cycle of 4", Deep("-1.3"), Deep("0.02"), 4, 1e-18},
      {"cycle of 3", Deep("-0.11"), Deep("0.72"), 3, 1e-18},
      {"escaping", Deep("0.3"), Deep("0"), 0, 1e-18},
  };
  constexpr int kDotLimit = 60000;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const int bits = BitsForStep(c.Step);
    const TReferenceOrbit whole = *ComputeReferenceOrbit(c.X, c.Y, kMaxNarrowLimit, bits);
    const TReferenceOrbit cut = *ComputeReferenceOrbit(c.X, c.Y, kMaxLimit, bits);
    EXPECT_EQ(whole.Period, 0);
    EXPECT_EQ(cut.Period, c.Period);
    if (c.Period != 0) {
      ASSERT_LT(cut.Last, kDotLimit);
    }
    // Dots on a ring around the centre, some inside, some escaping.
    constexpr int kDots = 64;
    std::vector<double> dcRe(kDots), dcIm(kDots);
    for (int i = 0; i < kDots; ++i) {
      const double radius = c.Step * (1 + 40 * (i % 8));
      dcRe[i] = radius * std::cos(i * 0.7);
      dcIm[i] = radius * std::sin(i * 0.7);
    }
    std::vector<TDot> expected(kDots);
    for (int i = 0; i < kDots; ++i)
      expected[i] = IteratePerturbed(whole, dcRe[i], dcIm[i], kDotLimit);
    for (int i = 0; i < kDots; ++i)
      ASSERT_EQ(IteratePerturbed(cut, dcRe[i], dcIm[i], kDotLimit), expected[i]) << "dot " << i;
    // The lanes take a row's dots with one imaginary offset.
    std::vector<int> cols(kDots);
    std::iota(cols.begin(), cols.end(), 0);
    for (TSimdUnit unit : {TSimdUnit::Sse2, TSimdUnit::Avx2, TSimdUnit::Avx512}) {
      if (!SimdUnitUsable(unit)) continue;
      for (int i = 0; i < kDots; ++i)
        expected[i] = IteratePerturbed(whole, dcRe[i], dcIm[0], kDotLimit);
      std::vector<TDot> row(kDots);
      RunDeepLanes(unit, TDeepJob{&cut, dcRe.data(), dcIm[0], kDots, kDotLimit, row.data(),
                                  cols.data(), nullptr, nullptr, true, nullptr});
      EXPECT_EQ(row, expected) << SimdUnitName(unit);
      // Merged steps end by the cut orbit's end, and the lanes take them as
      // the one-dot routine does.
      const TBlaTable table(cut, (1 + 40 * 7) * c.Step);
      for (int i = 0; i < kDots; ++i)
        expected[i] = IteratePerturbed(cut, dcRe[i], dcIm[0], kDotLimit, &table);
      RunDeepLanes(unit, TDeepJob{&cut, dcRe.data(), dcIm[0], kDots, kDotLimit, row.data(),
                                  cols.data(), nullptr, nullptr, true, &table});
      EXPECT_EQ(row, expected) << SimdUnitName(unit) << " with merged steps";
    }
  }
}

// Away from deep views the differences are plain doubles, so the one-dot
// routine must agree with the extended definition wherever double precision
// resolves the dots, also where the reference escapes long before the dots.
TEST(IteratePerturbed, CountsAsTheExtendedFamilyOnShallowViews) {
  const long double cx = -0.75L, cy = 0.1L;
  const TReferenceOrbit orbit = *ComputeReferenceOrbit(cx, cy, 500, 128);
  const TReferenceOrbit early = *ComputeReferenceOrbit(0.5L, 0.5L, 500, 128);
  ASSERT_LT(early.Last, 10);
  int equal = 0, total = 0;
  for (int i = -20; i <= 20; ++i)
    for (int j = -20; j <= 20; ++j) {
      const double dx = i * 0.01, dy = j * 0.01;
      const TDot expected = ReferenceExtended(cx + dx, cy + dy, 500);
      equal += IteratePerturbed(orbit, dx, dy, 500) == expected;
      const TDot fromEarly = IteratePerturbed(early, static_cast<double>(cx + dx - 0.5L),
                                              static_cast<double>(cy + dy - 0.5L), 500);
      equal += fromEarly == expected;
      total += 2;
    }
  EXPECT_GE(equal, total * 995 / 1000);
  // At limit 1 nothing escapes: z0 = 0 is the only iterate tested.
  EXPECT_EQ(IteratePerturbed(orbit, 3.0, 0.0, 1), kDotInside);
  EXPECT_EQ(IteratePerturbed(orbit, 3.0, 0.0, 2), 2);
}

// Every vector unit gives every dot exactly the one-dot routine's count,
// writes it to the row and the mirror row, and leaves other columns alone;
// with merged steps as without (at 1e-40 most iterates are merged).
TEST(DeepLanes, EveryUnitCountsAsTheOneDotRoutine) {
  const std::string axis = "0", minusTwo = "-2", besideTip = "-1.999999999999999999999",
                    aboveAxis = "1e-22";
  const struct {
    const std::string& X;
    const std::string& Y;
    int Limit;
    double Step;
  } cases[] = {{kSpiralX, kSpiralY, 6000, 2e-20},
               {kSpiralX, kSpiralY, 6000, 2e-40},
               // Beside the minibrot near -2, where dots start with merged steps.
               {kNearTwoX, axis, 20000, 3e-47},
               // The tip of the needle: |z|^2 rounds to 4 and the side decides.
               {minusTwo, axis, 200, 1e-30},
               // Beside it, where the rounding of Z is as large as the differences.
               {besideTip, aboveAxis, 200, 3e-24}};
  for (const auto& c : cases) {
    const int limit = c.Limit;
    const double step = c.Step;
    const TReferenceOrbit orbit = *ComputeReferenceOrbit(Deep(c.X), Deep(c.Y), limit, 400);
    std::mt19937 random(15);
    std::uniform_int_distribution<int> offset(-400, 400);
    constexpr int kDots = 77;  // no multiple of any width: the tail is partial
    std::vector<double> dcRe(kDots);
    std::vector<int> cols(kDots);
    for (int i = 0; i < kDots; ++i) {
      dcRe[i] = offset(random) * step;
      cols[i] = 2 * i + 1;
    }
    const double dcIm = 123 * step;
    const TBlaTable table(orbit, std::hypot(400 * step, dcIm));
    for (const TBlaTable* bla : {static_cast<const TBlaTable*>(nullptr), &table}) {
      std::vector<TDot> expected(2 * kDots + 2, 7);
      for (int i = 0; i < kDots; ++i)
        expected[cols[i]] = IteratePerturbed(orbit, dcRe[i], dcIm, limit, bla);
      for (TSimdUnit unit :
           {TSimdUnit::Scalar, TSimdUnit::Sse2, TSimdUnit::Avx2, TSimdUnit::Avx512}) {
        if (!SimdUnitUsable(unit)) continue;
        SCOPED_TRACE(testing::Message()
                     << SimdUnitName(unit) << " step " << step << " merged " << (bla != nullptr));
        std::vector<TDot> row(expected.size(), 7), mirror(expected.size(), 7);
        RunDeepLanes(unit, TDeepJob{&orbit, dcRe.data(), dcIm, kDots, limit, row.data(),
                                    cols.data(), mirror.data(), nullptr, false, bla});
        EXPECT_EQ(row, expected);
        EXPECT_EQ(mirror, expected);
      }
    }
  }
}

// Dots take merged steps only in every kBlaMergeEvery-th round of their own,
// so lanes handed a dot between those rounds must hold it back to the next
// one. Beside the minibrot of period 8007 dots are chaotic below double
// precision, and the rounding of any other schedule changes some counts.
TEST(DeepLanes, RefilledLanesKeepTheDotsScheduleOfMergedSteps) {
  const int limit = 65000;
  const double step = 2e-32 / 90;
  const TReferenceOrbit orbit = *ComputeReferenceOrbit(Deep(kMinibrotX), Deep(kMinibrotY), limit,
                                                       BitsForStep(TFloatExp(step)));
  constexpr int kDots = 600;
  std::vector<double> dcRe(kDots);
  std::vector<int> cols(kDots);
  for (int i = 0; i < kDots; ++i) {
    dcRe[i] = (i - kDots / 2) * step;
    cols[i] = i;
  }
  const double dcIm = 17 * step;
  const TBlaTable table(orbit, std::hypot(kDots / 2 * step, dcIm));
  std::vector<TDot> expected(kDots);
  for (int i = 0; i < kDots; ++i)
    expected[i] = IteratePerturbed(orbit, dcRe[i], dcIm, limit, &table);
  for (TSimdUnit unit : {TSimdUnit::Sse2, TSimdUnit::Avx2, TSimdUnit::Avx512}) {
    if (!SimdUnitUsable(unit)) continue;
    std::vector<TDot> row(kDots);
    RunDeepLanes(unit, TDeepJob{&orbit, dcRe.data(), dcIm, kDots, limit, row.data(), cols.data(),
                                nullptr, nullptr, false, &table});
    EXPECT_EQ(row, expected) << SimdUnitName(unit);
  }
}

// Dots near 0.3 + 0i go on iterating long after the centre's orbit escapes
// (at Z12): every unit must carry them on from the orbit's start at its last
// iterate, not one step later, and count as plain iteration does.
TEST(DeepLanes, DotsOutliveAnEscapingReferenceInEveryUnit) {
  const long double cx = 0.3L;
  const int limit = 1000;
  const TReferenceOrbit orbit = *ComputeReferenceOrbit(cx, 0.0L, limit, 128);
  ASSERT_EQ(orbit.Last, 12);
  constexpr int kSide = 201;  // offsets -0.1 .. 0.1 by 0.001
  std::vector<double> dcRe(kSide);
  std::vector<int> cols(kSide);
  for (int i = 0; i < kSide; ++i) {
    dcRe[i] = (i - kSide / 2) * 0.001;
    cols[i] = i;
  }
  for (TSimdUnit unit : {TSimdUnit::Scalar, TSimdUnit::Sse2, TSimdUnit::Avx2, TSimdUnit::Avx512}) {
    if (!SimdUnitUsable(unit)) continue;
    SCOPED_TRACE(SimdUnitName(unit));
    int differ = 0, outlived = 0;
    std::vector<TDot> row(kSide);
    for (int j = 0; j < kSide; ++j) {
      const double dcIm = (j - kSide / 2) * 0.001;
      RunDeepLanes(unit, TDeepJob{&orbit, dcRe.data(), dcIm, kSide, limit, row.data(), cols.data(),
                                  nullptr, nullptr});
      for (int i = 0; i < kSide; ++i) {
        const TDot expected = ReferenceExtended(cx + dcRe[i], dcIm, limit);
        differ += row[i] != expected;
        outlived += IsOverLimit(expected, orbit.Last + 1);
      }
    }
    ASSERT_GT(outlived, kSide * kSide / 2);
    // Doubles against long doubles move a few dots on the boundary; stepping
    // one iterate too far moves some 60.
    EXPECT_LE(differ, 10);
  }
}

// Subnormal numbers are taken as 0 only inside the deep rows: the kernels and
// the pictures that run after them on the same thread round as before.
// A reference whose Z1 = 2 is held a unit of its last bit low: dots just
// outside the circle have |z|^2 below 4 in doubles, and only the rounding of
// Z tells them from those inside. Every unit and the one-dot routine count
// as the plain definition at c = 2 + dc does.
TEST(DeepLanes, TheRoundingOfZDecidesNearTheEscapeCircle) {
  constexpr double kUnitBelowTwo = 0x1p-51;
  TReferenceOrbit orbit;
  orbit.Re = {0, 2 - kUnitBelowTwo, 6, 0};
  orbit.Im = {0, 0, 0, 0};
  orbit.Last = 2;
  orbit.NearCircle = {{1, kUnitBelowTwo, 0}};
  const double dcRe[] = {1e-20, 3e-30, 0, -1e-20, -3e-30, 1e-17};
  // |2 + dc| > 2 escapes at z1; the others at z2, near 6.
  const TDot expected[] = {2, 2, 3, 3, 3, 2};
  constexpr int kDots = 6;
  const int cols[kDots] = {0, 1, 2, 3, 4, 5};
  for (int i = 0; i < kDots; ++i)
    EXPECT_EQ(IteratePerturbed(orbit, dcRe[i], 0, 100), expected[i]) << dcRe[i];
  for (TSimdUnit unit : {TSimdUnit::Sse2, TSimdUnit::Avx2, TSimdUnit::Avx512}) {
    if (!SimdUnitUsable(unit)) continue;
    std::vector<TDot> row(kDots, 7);
    RunDeepLanes(unit, TDeepJob{&orbit, dcRe, 0, kDots, 100, row.data(), cols});
    EXPECT_EQ(row, std::vector<TDot>(expected, expected + kDots)) << SimdUnitName(unit);
  }
}

TEST(DeepLanes, LeaveTheFloatingPointModesAsFound) {
  const TReferenceOrbit orbit = *ComputeReferenceOrbit(0.0L, 1.0L, 100, 128);
  const double dcRe[] = {1e-200, 1e-300};
  const int cols[] = {0, 1};
  TDot row[2] = {};
  const unsigned modes = _mm_getcsr();
  for (TSimdUnit unit : {TSimdUnit::Scalar, TSimdUnit::Sse2, TSimdUnit::Avx2, TSimdUnit::Avx512}) {
    if (!SimdUnitUsable(unit)) continue;
    RunDeepLanes(unit, TDeepJob{&orbit, dcRe, 1e-250, 2, 100, row, cols, nullptr, nullptr, true});
    EXPECT_EQ(_mm_getcsr(), modes) << SimdUnitName(unit);
  }
}

// --- The family in the grid --------------------------------------------------

TEST(DeepFamily, TakesOverBelowDoublePrecisionForThePlainRecurrenceOnly) {
  TCalcGrid grid;
  if (grid.SimdLevel() < 2) GTEST_SKIP() << "no double precision lanes";
  grid.SetSize(64, 48);
  grid.SetView(Deep(kSpiralX), Deep(kSpiralY), 1000, 48 * 1e-15L / 2 * 1.01L);
  EXPECT_EQ(grid.GetKernel(), kKernelDouble);
  grid.SetView(Deep(kSpiralX), Deep(kSpiralY), 1000, 48 * 1e-15L / 2);
  EXPECT_EQ(grid.GetKernel(), kKernelDeep);
  // The restriction keeps the extended kernel, and so do Julia mode and a
  // start value other than 0.
  grid.SetOptions(kOptNoSimd);
  EXPECT_EQ(grid.GetKernel(), kKernelExtended);
  grid.SetOptions(0);
  grid.SetFormula(false, nullptr, 0, 0);
  EXPECT_EQ(grid.GetKernel(), kKernelExtended);
  grid.SetFormula(true, nullptr, 0, 0.5L);
  EXPECT_EQ(grid.GetKernel(), kKernelExtended);
  grid.SetFormula(true, nullptr, 0, 0);
  EXPECT_EQ(grid.GetKernel(), kKernelDeep);
}

// The orbit is computed once per view: a second command on the same view
// reuses it, a new view computes it again.
TEST(DeepFamily, ComputesTheReferenceOrbitOncePerView) {
  TCalcGrid grid;
  if (grid.SimdLevel() < 2) GTEST_SKIP() << "no double precision lanes";
  const TDeepView view{kSpiralX, kSpiralY, 1e-20L, 2000};
  Draw(grid, view, 32, 24, 0);
  EXPECT_GT(grid.ReferenceOrbitTime().count(), 0);
  RunWithoutFault(grid, ccDraw);
  EXPECT_EQ(grid.ReferenceOrbitTime().count(), 0);
  grid.SetView(Deep(kSpiralX), Deep(kSpiralY), 2500, 1e-20L);
  RunWithoutFault(grid, ccContinue);
  EXPECT_GT(grid.ReferenceOrbitTime().count(), 0);
}

// At 1e-1200 the orbit takes most of a second: an abort ends it at once and
// leaves it to be computed by the next command.
// The one-dot routines look at a raised stop every 65536 steps: at c = -1
// (the orbit 0, -1, 0, ... repeated from its start) a dot of a limit in the
// millions ends at the first look, one within 65000 never looks.
TEST(DeepFamily, OneDotRoutinesLookAtTheStopPastTheNarrowLimits) {
  const TReferenceOrbit orbit = *ComputeReferenceOrbit(-1.0L, 0.0L, 100, 128);
  const bool stop = true;
  EXPECT_EQ(IteratePerturbedWide(orbit, 1e-400L, 0, 0, kMaxNarrowLimit, &stop), kDotInside);
  EXPECT_EQ(IteratePerturbedWide(orbit, 1e-400L, 0, 0, kMaxLimit, &stop), kDotUncomputed);
  EXPECT_EQ(IteratePerturbed(orbit, 1e-20, 0, kMaxNarrowLimit, nullptr, &stop), kDotInside);
  EXPECT_EQ(IteratePerturbed(orbit, 1e-20, 0, kMaxLimit, nullptr, &stop), kDotUncomputed);
}

TEST(DeepFamily, AnAbortCutsTheReferenceOrbitShort) {
  TCalcGrid grid;
  if (grid.SimdLevel() < 2) GTEST_SKIP() << "no double precision lanes";
  grid.SetSize(16, 12);
  grid.SetView(Deep(kSpiralX), Deep(kSpiralY), 65000, 1e-1200L);
  grid.Start(ccDraw);
  grid.Abort();
  grid.WaitIdle();
  EXPECT_EQ(grid.ReferenceOrbitTime().count(), 0);
  RunWithoutFault(grid, ccDraw);
  EXPECT_GT(grid.ReferenceOrbitTime().count(), 0);
}

struct TExactnessCase {
  const char* Name;
  TDeepView View;
  int Width, Height;
  int Spacing;  // dots of rows and columns 0, Spacing, 2 Spacing, ... are compared
  // The orbit runs along the escape circle, where |z|^2 - 4 can be of the
  // order of the offset's square: the reference needs twice the bits there.
  bool OnEscapeCircle = false;
};

void PrintTo(const TExactnessCase& c, std::ostream* out) {
  *out << c.Name;
}

// Some dots of these spirals circle a minibrot for thousands of iterates and
// then wander so chaotically that their count changes when the offset from
// the centre moves by a part in 2^48 or less. The rounding of the
// differences in doubles adds up over such an orbit, evenly from iterate to
// iterate (no one step loses more), to as much as scaling the offset by
// 1 +- 2^-45 to 2^-48 would, so no iteration in doubles can give these
// counts. Such a dot is recognised by its reference count changing when its
// offset is scaled by 1 +- 2^-44; it must still agree on inside or outside.
bool ChaoticBelowDoublePrecision(const TDeepView& view, const TFloatExp& step, long dx, long dy,
                                 int bits, TDot count) {
  constexpr double kNudge = 0x1p-44;
  for (double scale : {1 - kNudge, 1 + kNudge})
    if (ReferenceDeep(view.X, view.Y, step, dx, dy, view.Limit, bits, scale) != count) return true;
  return false;
}

// Counts of the grid against the plain MPFR reference at the exact decimal
// centre plus whole dots, on a lattice of dots over the whole picture;
// prediction off, so that every dot is a kernel's.
class DeepExactness : public testing::TestWithParam<TExactnessCase> {};

TEST_P(DeepExactness, CountsMatchWideReferenceArithmetic) {
  const TExactnessCase& param = GetParam();
  TCalcGrid grid;
  if (grid.SimdLevel() < 2) GTEST_SKIP() << "no double precision lanes";
  const int width = param.Width, height = param.Height;
  grid.SetBla(true);  // merged steps where they pay
  Draw(grid, param.View, width, height, kOptNoPrediction);
  ASSERT_EQ(grid.GetKernel(), kKernelDeep);
  const TFloatExp step = grid.GetStep();
  const int bits = ReferenceBits(step) * (param.OnEscapeCircle ? 2 : 1);
  // The one-dot routine with merged steps wherever they are valid, paying or
  // not: the arithmetic that can drift from the truth.
  const bool merges = !NeedsWideOffsets(step);
  TReferenceOrbit orbit;
  TBlaTable table;
  if (merges) {
    orbit = *ComputeReferenceOrbit(Deep(param.View.X), Deep(param.View.Y), param.View.Limit,
                                   BitsForStep(step));
    const long double dot = step.ToLongDouble();
    table = TBlaTable(orbit, static_cast<double>(std::hypot(width / 2 * dot, height / 2 * dot)));
  }
  int samples = 0, equal = 0, chaotic = 0, insideCount = 0;
  for (int row = 0; row < height; row += param.Spacing)
    for (int col = 0; col < width; col += param.Spacing) {
      const long dx = col - width / 2, dy = row - height / 2;
      const TDot expected =
          ReferenceDeep(param.View.X, param.View.Y, step, dx, dy, param.View.Limit, bits);
      std::vector<std::pair<const char*, TDot>> counts{{"grid", grid.GetDot(row, col)}};
      if (merges)
        counts.push_back(
            {"merged", IteratePerturbed(orbit, static_cast<double>(dx * step.ToLongDouble()),
                                        static_cast<double>(dy * step.ToLongDouble()),
                                        param.View.Limit, &table)});
      ++samples;
      insideCount += IsInside(expected);
      bool isChaotic = false;
      for (const auto& [name, got] : counts) {
        if (got == expected)
          ++equal;
        else if (ChaoticBelowDoublePrecision(param.View, step, dx, dy, bits, expected))
          isChaotic = true;
        else
          ADD_FAILURE() << name << " row " << row << " col " << col << ": " << got << ", reference "
                        << expected;
        EXPECT_EQ(IsInside(got), IsInside(expected)) << name << " row " << row << " col " << col;
      }
      chaotic += isChaotic;
    }
  EXPECT_LE(chaotic * 100, samples) << chaotic << " of " << samples;
  RecordProperty("samples", samples);
  RecordProperty("equal", equal);
  RecordProperty("chaotic", chaotic);
  RecordProperty("inside", insideCount);
}

INSTANTIATE_TEST_SUITE_P(
    Views, DeepExactness,
    testing::Values(
        TExactnessCase{"range_1e16", {kSpiralX, kSpiralY, 1e-16L, 10000}, 80, 60, 4},
        TExactnessCase{"range_1e18", {kSpiralX, kSpiralY, 1e-18L, 20000}, 80, 60, 4},
        // Four of the 576 dots of this lattice are chaotic below double
        // precision (rows/columns 48/0, 132/108, 72/204, 12/276).
        TExactnessCase{"range_1e30", {kSpiralX, kSpiralY, 1e-30L, 50000}, 384, 216, 12},
        // The Misiurewicz point i has branches at every depth; there the
        // differences square to subnormal numbers.
        TExactnessCase{"i_1e200", {"0", "1", 1e-200L, 5000}, 80, 60, 4},
        TExactnessCase{"i_1e300", {"0", "1", 1e-300L, 5000}, 80, 60, 4},
        // The smallest dots of the double differences (3.3e-303).
        TExactnessCase{"i_1e301", {"0", "1", 1e-301L, 5000}, 80, 60, 4},
        // Below a normal double's range the differences go in long double
        // until they have grown (some 2.6 iterates per factor of ten here).
        TExactnessCase{"i_1e1000", {"0", "1", 1e-1000L, 5000}, 80, 60, 8},
        TExactnessCase{"i_1e3000", {"0", "1", 1e-3000L, 10000}, 80, 60, 20},
        // Below long double's reach, the differences and offsets carry
        // exponents of their own.
        TExactnessCase{"i_1e5000", {"0", "1", Range("1E-5000"), 15000}, 80, 60, 20},
        // The tip of the needle: the orbit runs along the escape circle, and
        // the side of it the dot lies on decides.
        TExactnessCase{"minus2_1e1000", {"-2", "0", 1e-1000L, 5000}, 80, 60, 8, true},
        TExactnessCase{"minus2_1e5000", {"-2", "0", Range("1E-5000"), 10000}, 80, 60, 20, true},
        TExactnessCase{"minus2_1e30", {"-2", "0", 1e-30L, 5000}, 80, 60, 4, true},
        // Beside the tip, off the axis: the doubles of Z are -2 and 2 while
        // the dots differ from the exact orbit by less than their last bit,
        // on either side of the escape circle.
        TExactnessCase{"beside_minus2_1e20",
                       {"-1.999999999999999999999", "1e-22", 1e-20L, 5000},
                       80,
                       60,
                       4,
                       true},
        // Beside a minibrot of period 8007 at the heart of the
        // spiral: dots circle it up to the limit, and merged
        // steps skip nearly all of their iterates.
        TExactnessCase{"minibrot_8007", {kMinibrotX, kMinibrotY, 2e-32L, 65000}, 160, 90, 12},
        // A minibrot of period 2464 and size 9e-45 near -2 (the deep
        // benchmark's): its dots lie far below the offsets' scale.
        TExactnessCase{"minibrot_2464", {kNearTwoX, "0", 1e-44L, 65000}, 160, 90, 12}),
    [](const testing::TestParamInfo<TExactnessCase>& info) { return info.param.Name; });

// Each dot depends only on its place: any team gives the same picture, with
// prediction and its repair on.
TEST(DeepFamily, EveryTeamSizeGivesTheSameGrid) {
  TCalcGrid grid;
  if (grid.SimdLevel() < 2) GTEST_SKIP() << "no double precision lanes";
  const TDeepView view{kSpiralX, kSpiralY, 1e-22L, 8000};
  grid.SetFixedTeamSize(1);
  Draw(grid, view, 96, 64, 0);
  const std::vector<TDot> alone = Dots(grid);
  for (int team : {2, 3, 4}) {
    grid.SetFixedTeamSize(team);
    RunWithoutFault(grid, ccDraw);
    EXPECT_EQ(Dots(grid), alone) << team << " workers";
  }
}

// The repair recomputes predicted dots beside escaped ones with the deep
// family: every computed dot of a predicted picture equals the dot computed
// without prediction (the extended kernel cannot even hold these dots apart).
TEST(DeepFamily, RepairCountsAsThePasses) {
  TCalcGrid grid;
  if (grid.SimdLevel() < 2) GTEST_SKIP() << "no double precision lanes";
  // A limit below most counts of the view: large areas count as inside.
  const TDeepView view{kSpiralX, kSpiralY, 1e-16L, 8000};
  Draw(grid, view, 128, 96, kOptNoPrediction);
  const std::vector<TDot> computed = Dots(grid);
  grid.SetOptions(0);
  RunWithoutFault(grid, ccDraw);
  ASSERT_FALSE(grid.RepairedAreas().empty());
  const std::vector<TDot> predicted = Dots(grid);
  for (std::size_t i = 0; i < computed.size(); ++i) {
    if (predicted[i] == kDotPredicted) continue;
    EXPECT_EQ(predicted[i], computed[i]) << "dot " << i;
  }
}

// The mirror copies rows across the real axis only where the view holds it;
// there the deep family's picture is exactly symmetric (a real orbit, offsets
// of opposite sign), so mirroring changes no dot.
TEST(DeepFamily, MirrorsExactlyOnTheAxisAndNowhereElse) {
  TCalcGrid grid;
  if (grid.SimdLevel() < 2) GTEST_SKIP() << "no double precision lanes";
  // A Misiurewicz point on the axis: branches at every depth.
  const TDeepView onAxis{"-1.54368901269207636157085597180174798652520329765", "0", 1e-18L, 3000};
  Draw(grid, onAxis, 96, 64, kOptNoPrediction);
  EXPECT_EQ(grid.AxisRow(), 32);
  const std::vector<TDot> mirrored = Dots(grid);
  grid.SetOptions(kOptNoPrediction | kOptNoMirror);
  RunWithoutFault(grid, ccDraw);
  EXPECT_EQ(Dots(grid), mirrored);
  // A centre 1e-25 above the axis at range 1e-30 lies a million dots off it:
  // no row is on the axis.
  Draw(grid, {kSpiralX, "1e-25", 1e-30L, 500}, 32, 24, 0);
  EXPECT_EQ(grid.AxisRow(), -1);
}

// After a scroll or a zoom by 2 the reused dots and the new ones together
// equal a fresh drawing of the new view: the new orbit serves old and new
// dots alike.
TEST(DeepFamily, ScrollAndZoomReuseMatchAFreshDrawing) {
  TCalcGrid grid;
  if (grid.SimdLevel() < 2) GTEST_SKIP() << "no double precision lanes";
  const TDeepView view{kSpiralX, kSpiralY, 1e-24L, 8000};
  constexpr int kWidth = 96, kHeight = 64;
  Draw(grid, view, kWidth, kHeight, kOptNoPrediction);
  const long double step = grid.GetStep().ToLongDouble();
  // The view's centre moves 10 dots right and 6 up: old dot (r, c) becomes
  // (r + 6, c - 10).
  const int bits = BitsForStep(step) + 64;
  const TDeepReal x = Deep(view.X).WithAtLeastBits(bits) + 10 * step;
  const TDeepReal y = Deep(view.Y).WithAtLeastBits(bits) - 6 * step;
  grid.SetView(x, y, view.Limit, view.Range);
  grid.SetShift(-10, 6);
  RunWithoutFault(grid, ccDraw);
  const std::vector<TDot> scrolled = Dots(grid);
  grid.SetShift(0, 0);
  RunWithoutFault(grid, ccDraw);
  EXPECT_EQ(scrolled, Dots(grid));

  grid.SetMagnify(2.0f);
  grid.SetView(x, y, view.Limit, view.Range / 2);
  RunWithoutFault(grid, ccMagnify);
  const std::vector<TDot> zoomed = Dots(grid);
  RunWithoutFault(grid, ccDraw);
  EXPECT_EQ(zoomed, Dots(grid));
}

}  // namespace
}  // namespace vortexa
