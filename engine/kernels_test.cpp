// The kernels against the plain definition of the escape count, on every
// vector unit this processor has.
#include "kernels.h"

#include <cpuid.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "kernels_lanes.h"
#include "reference_counts.h"

namespace vortexa {
namespace {

using test_support::ReferenceExtended;
using test_support::ReferenceLane;

struct TPoint {
  double Re, Im;
};

// Points whose counts exercise the escape test at its edges.
const std::vector<TPoint> kEdgePoints = {
    {2, 0},   // |z1|^2 = 4 exactly: escapes at z2
    {-2, 0},  // stays at 2 for ever: inside
    {0, 2},   // |z1|^2 = 4 exactly, escapes at z2
    {0, -2},     {-1, 0},       {0, 0},     {0.25, 0},      {-0.75, 0},  {0, 1},
    {2.0001, 0}, {1e20, 0},     {0, 1e20},  {1e30, 1e30},   {-1e38, 5},  {1e300, 0},
    {0.5, 0.5},  {-0.1, 0.651}, {-1.75, 0}, {-1.4, 0.0001}, {0.3, -0.5},
};

std::vector<TPoint> RandomPoints(int count, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> re(-2.2, 0.8), im(-1.3, 1.3);
  std::vector<TPoint> points;
  for (int i = 0; i < count; ++i)
    points.push_back({re(gen), im(gen)});
  return points;
}

// A fine lattice over the seahorse valley: neighbouring counts differ a lot,
// so lanes finish at very different times.
std::vector<TPoint> BoundaryPoints(double centerRe, double centerIm, double step, int side) {
  std::vector<TPoint> points;
  for (int r = 0; r < side; ++r)
    for (int c = 0; c < side; ++c)
      points.push_back({centerRe + (c - side / 2) * step, centerIm + (r - side / 2) * step});
  return points;
}

std::vector<TPoint> AllTestPoints() {
  std::vector<TPoint> points = kEdgePoints;
  for (const TPoint& p : RandomPoints(3000, 7))
    points.push_back(p);
  for (const TPoint& p : BoundaryPoints(-0.7436438870, 0.1318259042, 2e-5, 40))
    points.push_back(p);
  for (const TPoint& p : BoundaryPoints(-1.25, 0.0, 4e-3, 30))
    points.push_back(p);
  points.push_back({std::numeric_limits<double>::quiet_NaN(), 0});
  points.push_back({0, std::numeric_limits<double>::infinity()});
  return points;
}

std::vector<TSimdUnit> AllUnits() {
  return {TSimdUnit::Scalar, TSimdUnit::Sse2, TSimdUnit::Avx2, TSimdUnit::Avx512};
}

template <typename Real>
void ExpectJobMatchesReference(TSimdUnit unit, const std::vector<TPoint>& points, int limit) {
  std::vector<Real> re, im;
  for (const TPoint& p : points) {
    re.push_back(static_cast<Real>(p.Re));
    im.push_back(static_cast<Real>(p.Im));
  }
  std::vector<TDot> res(points.size() + 1, 0);
  RunLanes(unit, TLaneJob<Real>{re.data(), im.data(), static_cast<int>(points.size()), limit,
                                res.data()});
  int wrong = 0;
  for (std::size_t i = 0; i < points.size() && wrong < 5; ++i) {
    const TDot expected = ReferenceLane(re[i], im[i], limit);
    if (res[i] != expected) {
      ++wrong;
      ADD_FAILURE() << SimdUnitName(unit) << " " << sizeof(Real) * 8 << "-bit, limit " << limit
                    << ", " << points.size() << " points: point " << i << " (" << re[i] << ", "
                    << im[i] << ") got " << res[i] << ", expected " << expected;
    }
  }
}

class LaneUnitTest : public testing::TestWithParam<TSimdUnit> {
 protected:
  void SetUp() override {
    if (!SimdUnitUsable(GetParam()))
      GTEST_SKIP() << SimdUnitName(GetParam()) << " is not usable here";
  }
};

TEST_P(LaneUnitTest, JobsOfEverySizeMatchThePlainLoop) {
  const std::vector<TPoint> all = AllTestPoints();
  // Sizes around every lane and vector count, and the whole set.
  for (int size : {0, 1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 31, 32, 33, 63, 64, 65, 100, 129}) {
    const std::vector<TPoint> some(all.end() - size, all.end());
    for (int limit : {1, 2, 3, 50}) {
      ExpectJobMatchesReference<float>(GetParam(), some, limit);
      ExpectJobMatchesReference<double>(GetParam(), some, limit);
    }
  }
  for (int limit : {1, 2, 5, 100, 1000, 5000}) {
    ExpectJobMatchesReference<float>(GetParam(), all, limit);
    ExpectJobMatchesReference<double>(GetParam(), all, limit);
  }
}

TEST_P(LaneUnitTest, EdgePointsGiveTheirKnownCounts) {
  struct TCase {
    TPoint C;
    int Limit;
    TDot Count;
  };
  const TCase cases[] = {
      {{2, 0}, 10, 2},         {{0, 2}, 10, 2},  {{0, -2}, 10, 2},        {{-2, 0}, 10, kDotInside},
      {{2, 0}, 1, kDotInside}, {{2.5, 0}, 1, 1}, {{0, 0}, 1, kDotInside}, {{1e30, 0}, 5, 1},
  };
  for (const TCase& c : cases) {
    for (TDot (*run)(TSimdUnit, TPoint, int) :
         {+[](TSimdUnit unit, TPoint p, int limit) {
            const float re = static_cast<float>(p.Re), im = static_cast<float>(p.Im);
            TDot res[2] = {};
            RunLanes(unit, TLaneJob<float>{&re, &im, 1, limit, res});
            return res[0];
          },
          +[](TSimdUnit unit, TPoint p, int limit) {
            TDot res[2] = {};
            RunLanes(unit, TLaneJob<double>{&p.Re, &p.Im, 1, limit, res});
            return res[0];
          }}) {
      EXPECT_EQ(run(GetParam(), c.C, c.Limit), c.Count)
          << "c = (" << c.C.Re << ", " << c.C.Im << "), limit " << c.Limit;
    }
  }
}

// A small state with one row of columns; the row itself lives outside the grid.
void SetUpRow(TCalcState& state, int width, double left, double step, int limit) {
  state.GridWidth = width;
  state.GridHeight = 1;
  state.Limit = limit;
  for (int c = 0; c < width; ++c)
    state.ColRe.push_back(left + c * step);
  state.UpdateLaneColumns();
}

using TRowRoutine = void (*)(TSimdUnit, const TCalcState&, TDotRow, TDotRow, int, long double);

// Which dots of a row are known before the row routine runs (kept from an
// earlier pass, predicted or mirrored), in patterns that give four-dot blocks
// with none, some and all dots known.
struct TKnownPattern {
  const char* Name;
  bool (*Known)(int col);
};
const TKnownPattern kKnownPatterns[] = {
    {"none", [](int) { return false; }},
    {"every 3rd", [](int c) { return c % 3 == 0; }},
    {"every 7th", [](int c) { return c % 7 == 0; }},
    {"stride-4 lattice", [](int c) { return c % 4 == 0; }},
    {"runs of 9", [](int c) { return c / 9 % 2 == 1; }},
};

// `offset` dots in front of the row move its start off an 8-byte boundary.
template <typename Real>
void ExpectRowMatchesReference(TSimdUnit unit, TRowRoutine routine, int width, int stride,
                               bool withMirror, const TKnownPattern& known, int offset) {
  const long double y = 0.1318259042;
  TCalcState state;
  SetUpRow(state, width, -0.7436438870 - 0.5e-4, 1e-7, 600);
  std::vector<TDot> dots(offset + width, 0), mirror(width, 0xABCD);
  TDot* const row = dots.data() + offset;
  for (int c = 0; c < width; ++c)
    if (known.Known(c)) row[c] = c % 2 ? kDotPredicted : 7;
  const std::vector<TDot> before(row, row + width);
  routine(unit, state, row, withMirror ? mirror.data() : nullptr, stride, y);
  for (int c = 0; c < width; ++c) {
    const bool visited = c % stride == 0;
    const bool computed = visited && before[c] == 0;
    const TDot expected = computed ? ReferenceLane(static_cast<Real>(state.ColRe[c]),
                                                   static_cast<Real>(y), state.Limit)
                                   : before[c];
    ASSERT_EQ(row[c], expected) << SimdUnitName(unit) << " width " << width << " stride " << stride
                                << " known " << known.Name << " offset " << offset << " column "
                                << c;
    const TDot mirrored = withMirror && computed ? expected : 0xABCD;
    ASSERT_EQ(mirror[c], mirrored) << "mirror, column " << c;
  }
  EXPECT_EQ(std::vector<TDot>(dots.begin(), dots.begin() + offset), std::vector<TDot>(offset, 0))
      << "dots in front of the row";
}

TEST_P(LaneUnitTest, RowsComputeOnlyUncomputedDotsAndMirrorThem) {
  for (int width : {1, 5, 17, 64, 100, 590, 1921})
    for (int stride : {16, 4, 1})
      for (bool withMirror : {false, true})
        for (const TKnownPattern& known : kKnownPatterns)
          for (int offset : {0, 1, 3}) {
            ExpectRowMatchesReference<float>(GetParam(), CalcRowSingle, width, stride, withMirror,
                                             known, offset);
            ExpectRowMatchesReference<double>(GetParam(), CalcRowDouble, width, stride, withMirror,
                                              known, offset);
          }
}

TEST_P(LaneUnitTest, RowWithoutUncomputedDotsIsLeftAlone) {
  TCalcState state;
  SetUpRow(state, 40, -2, 0.1, 100);
  std::vector<TDot> row(40), mirror(40, 0);
  for (int c = 0; c < 40; ++c)
    row[c] = static_cast<TDot>(c % 3 ? 5 : kDotPredicted);
  const std::vector<TDot> before = row;
  CalcRowSingle(GetParam(), state, row.data(), mirror.data(), 1, 0.0L);
  CalcRowDouble(GetParam(), state, row.data(), mirror.data(), 4, 0.0L);
  EXPECT_EQ(row, before);
  EXPECT_EQ(mirror, std::vector<TDot>(40, 0));
}

// A raised stop ends a row job before its first count, on every unit.
TEST_P(LaneUnitTest, StoppedRowComputesNothing) {
  TCalcState state;
  SetUpRow(state, 100, -2, 0.03, 100);
  state.RequestStop(true);
  std::vector<TDot> single(100, 0), dbl(100, 0);
  CalcRowSingle(GetParam(), state, single.data(), nullptr, 1, 0.5L);
  CalcRowDouble(GetParam(), state, dbl.data(), nullptr, 1, 0.5L);
  EXPECT_EQ(single, std::vector<TDot>(100, 0));
  EXPECT_EQ(dbl, std::vector<TDot>(100, 0));
  state.RequestStop(false);
  CalcRowSingle(GetParam(), state, single.data(), nullptr, 1, 0.5L);
  EXPECT_EQ(std::count(single.begin(), single.end(), 0), 0);
}

// Columns changed in place and updated must not leave the rows with the old
// rounded columns, even for changes a float cannot tell.
TEST_P(LaneUnitTest, RowsFollowColumnsThatChangeInPlace) {
  TCalcState state;
  SetUpRow(state, 300, -2, 0.01, 200);
  for (int round = 0; round < 3; ++round) {
    std::vector<TDot> single(300, 0), dbl(300, 0);
    CalcRowSingle(GetParam(), state, single.data(), nullptr, 1, 0.5L);
    CalcRowDouble(GetParam(), state, dbl.data(), nullptr, 1, 0.5L);
    for (int c = 0; c < 300; ++c) {
      const double re = static_cast<double>(state.ColRe[c]);
      ASSERT_EQ(single[c], ReferenceLane(static_cast<float>(state.ColRe[c]), 0.5f, 200))
          << "round " << round << " column " << c << " at " << re;
      ASSERT_EQ(dbl[c], ReferenceLane(static_cast<double>(state.ColRe[c]), 0.5, 200))
          << "round " << round << " column " << c << " at " << re;
    }
    // Shift every column a little, by less than a float can tell for some.
    for (long double& re : state.ColRe)
      re += round == 0 ? 1e-12L : 0.003L;
    state.UpdateLaneColumns();
  }
}

INSTANTIATE_TEST_SUITE_P(AllUnits, LaneUnitTest, testing::ValuesIn(AllUnits()),
                         [](const testing::TestParamInfo<TSimdUnit>& info) {
                           return std::string(SimdUnitName(info.param));
                         });

// What the processor and the operating system offer, read here from the
// processor's feature flags and the register state the system saves.
struct TCpuFeatures {
  bool Sse = false, Sse2 = false, Avx2 = false, Avx512 = false;
};

TCpuFeatures ReadCpuFeatures() {
  TCpuFeatures features;
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return features;
  features.Sse = (d >> 25) & 1;
  features.Sse2 = (d >> 26) & 1;
  const bool osSavesRegisters = (c >> 27) & 1;  // OSXSAVE
  if (!osSavesRegisters || !__get_cpuid_count(7, 0, &a, &b, &c, &d)) return features;
  unsigned low = 0, high = 0;
  __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
  const bool avxState = (low & 0x6) == 0x6;       // SSE and AVX registers
  const bool avx512State = (low & 0xE6) == 0xE6;  // and the AVX-512 ones
  features.Avx2 = avxState && ((b >> 5) & 1);
  features.Avx512 = avx512State && ((b >> 16) & 1) && ((b >> 8) & 1);  // AVX-512F, BMI2
  return features;
}

TEST(LaneDispatchTest, ProbeAndUnitsFollowTheProcessorFlags) {
  const TCpuFeatures cpu = ReadCpuFeatures();
  EXPECT_EQ(ProbeSimd(), cpu.Sse2 ? 2 : cpu.Sse ? 1 : 0);
  EXPECT_TRUE(SimdUnitUsable(TSimdUnit::Scalar));
  EXPECT_EQ(SimdUnitUsable(TSimdUnit::Sse2), cpu.Sse2);
  EXPECT_EQ(SimdUnitUsable(TSimdUnit::Avx2), cpu.Avx2);
  EXPECT_EQ(SimdUnitUsable(TSimdUnit::Avx512), cpu.Avx512);
  const TSimdUnit widest = cpu.Avx512 ? TSimdUnit::Avx512
                           : cpu.Avx2 ? TSimdUnit::Avx2
                           : cpu.Sse2 ? TSimdUnit::Sse2
                                      : TSimdUnit::Scalar;
  EXPECT_EQ(BestSimdUnit(), widest);
  EXPECT_EQ(ActiveSimdUnit(), widest);
}

TEST(LaneDispatchTest, ForcingAUnitTakesOnlyUsableOnes) {
  for (TSimdUnit unit : AllUnits()) {
    const TSimdUnit before = ActiveSimdUnit();
    EXPECT_EQ(SetActiveSimdUnit(unit), SimdUnitUsable(unit));
    EXPECT_EQ(ActiveSimdUnit(), SimdUnitUsable(unit) ? unit : before);
  }
  SetActiveSimdUnit(BestSimdUnit());
}

TEST(LaneDispatchTest, PublicLaneKernelsUseTheActiveUnit) {
  const float reF[5] = {2, -2, 0, 3, 0.3f}, imF[5] = {0, 0, 2, 0, 0.5f};
  const double reD[5] = {2, -2, 0, 3, 0.3}, imD[5] = {0, 0, 2, 0, 0.5};
  TDot resF[5] = {}, resD[5] = {};
  Iterate4(reF, imF, resF, 5, 100);
  Iterate2(reD, imD, resD, 5, 100);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(resF[i], ReferenceLane(reF[i], imF[i], 100));
    EXPECT_EQ(resD[i], ReferenceLane(reD[i], imD[i], 100));
  }
}

// The extended family tests z0 first, the lane families start at z1 = c: for
// z0 = 0 the extended count is one more, and a first escape at z(limit) is
// "inside" for the extended family.
// A row may be written as the mirror of another while its own worker gathers
// it and the window reads it. With one imaginary part for both rows, every
// interleaving ends with the same counts; under ThreadSanitizer this also
// checks that the wide reads and the single-dot writes stay race-free.
TEST(LaneRowConcurrencyTest, RowGatheredWhileItsPartnerMirrorsIntoIt) {
  constexpr int kWidth = 1021;
  TCalcState state;
  SetUpRow(state, kWidth, -0.7436438870 - 0.5e-4, 1e-7, 300);
  const long double y = 0.1318259042;
  for (int round = 0; round < 20; ++round) {
    std::vector<TDot> grid(2 * kWidth, 0);
    TDot* const upper = grid.data();
    TDot* const lower = grid.data() + kWidth;
    std::atomic<bool> done{false};
    std::thread window([&] {
      while (!done.load())
        for (int i = 0; i < 2 * kWidth; i += 97)
          (void)LoadDot(grid[i]);
    });
    std::thread partner([&] { CalcRowSSE(state, upper, lower, 1, y); });
    CalcRowSSE(state, lower, nullptr, 1, y);
    partner.join();
    done = true;
    window.join();
    for (int c = 0; c < kWidth; ++c) {
      const TDot expected =
          ReferenceLane(static_cast<float>(state.ColRe[c]), static_cast<float>(y), state.Limit);
      ASSERT_EQ(upper[c], expected) << "round " << round << " column " << c;
      ASSERT_EQ(lower[c], expected) << "round " << round << " column " << c;
    }
  }
}

// Four dot values per case: a narrow quad holds all four, a wide one the
// first two; the values are those of the narrow dots' range.
template <StoredDot T>
void ExpectQuadsFindUncomputedDots() {
  const struct {
    TDot Dots[4];
    bool Uncomputed;  // among the four
  } cases[] = {
      {{0, 0, 0, 0}, true},
      {{0, 5, 5, 5}, true},
      {{5, 0, 5, 5}, true},
      {{5, 5, 0, 5}, true},
      {{5, 5, 5, 0}, true},
      {{1, 1, 1, 1}, false},  // ones borrow nothing from each other
      {{1, 0, 1, 1}, true},
      {{kDotInside, kDotPredicted, kInsideThreshold, 0x8000}, false},
      {{kDotInside, 0, kDotInside, kDotInside}, true},
      {{0x7FFF, 0x8001, 1, kMaxNarrowLimit}, false},
  };
  constexpr int kQuad = kDotsPerQuad<T>;
  for (const auto& c : cases) {
    alignas(8) T dots[4];
    for (int i = 0; i < 4; ++i)
      StoreDot(dots[i], c.Dots[i]);
    for (int first = 0; first < 4; first += kQuad) {
      const TDotQuad quad = LoadDotQuad(dots + first);
      bool uncomputed = false;
      for (int i = 0; i < kQuad; ++i) {
        EXPECT_EQ(QuadDot<T>(quad, i), c.Dots[first + i]);
        uncomputed |= c.Dots[first + i] == kDotUncomputed;
      }
      EXPECT_EQ(HasUncomputedDot<T>(quad), uncomputed)
          << sizeof(T) << "-byte dots " << first << ": " << c.Dots[0] << " " << c.Dots[1] << " "
          << c.Dots[2] << " " << c.Dots[3];
    }
  }
}

TEST(DotQuadTest, FindsAnUncomputedDotInAnyPosition) {
  ExpectQuadsFindUncomputedDots<TDot16>();
  ExpectQuadsFindUncomputedDots<TDot32>();
  // Wide counts above the narrow range, and a 0 beside one.
  alignas(8) TDot32 wide[2] = {kMaxLimit, 70000};
  EXPECT_FALSE(HasUncomputedDot<TDot32>(LoadDotQuad(wide)));
  wide[1] = 0;
  EXPECT_TRUE(HasUncomputedDot<TDot32>(LoadDotQuad(wide)));
}

template <StoredDot T>
void ExpectFillSetsExactlyTheGivenDots() {
  for (int first : {0, 1, 2, 3, 5})
    for (int count : {0, 1, 3, 4, 7, 8, 13, 40}) {
      std::vector<T> dots(first + count + 6, 9);
      FillDots(dots.data() + first, static_cast<std::size_t>(count), kDotPredicted);
      for (int i = 0; i < static_cast<int>(dots.size()); ++i) {
        const bool inside = i >= first && i < first + count;
        ASSERT_EQ(LoadDot(dots[i]), inside ? kDotPredicted : 9)
            << sizeof(T) << "-byte dots, first " << first << " count " << count << " dot " << i;
      }
    }
}

TEST(DotQuadTest, FillSetsExactlyTheGivenDots) {
  ExpectFillSetsExactlyTheGivenDots<TDot16>();
  ExpectFillSetsExactlyTheGivenDots<TDot32>();
}

TEST(ExtendedKernelTest, CountsOneMoreThanTheLanesFromZeroStart) {
  for (const TPoint& p : AllTestPoints()) {
    if (std::isnan(p.Re) || std::isinf(p.Im)) continue;
    for (int limit : {1, 2, 20, 500}) {
      const long double re = p.Re, im = p.Im;
      const TDot lanes = ReferenceLane(re, im, limit);
      const TDot extended = IterateFPU(re, im, 0, 0, limit);
      const TDot expected =
          lanes == kDotInside || lanes == static_cast<TDot>(limit) ? kDotInside : lanes + 1;
      ASSERT_EQ(extended, expected) << "c = (" << p.Re << ", " << p.Im << "), limit " << limit;
    }
  }
}

TEST(ExtendedKernelTest, EdgesOfTheLimitAndTheStart) {
  struct TCase {
    long double CRe, CIm, ZRe, ZIm;
    int Limit;
    TDot Count;
  };
  const TCase cases[] = {
      {3, 0, 0, 0, 1, kDotInside},  // limit 1 tests z0 = 0 only
      {2, 0, 0, 0, 2, kDotInside},  // first escape at z2 = limit: inside
      {2, 0, 0, 0, 3, 3},           // ... one more iteration finds it
      {0, 2, 0, 0, 3, 3},           //
      {-2, 0, 0, 0, 1000, kDotInside},
      {0, 0, 2.5L, 0, 1000, 1},     // a start outside the circle escapes at once
      {0.1L, 0.1L, 0, 3, 1000, 1},  //
      {0, 0, 2, 0, 10, 2},          // |z0|^2 = 4 exactly is not an escape
  };
  for (const TCase& c : cases)
    EXPECT_EQ(IterateFPU(c.CRe, c.CIm, c.ZRe, c.ZIm, c.Limit), c.Count)
        << "c = (" << static_cast<double>(c.CRe) << ", " << static_cast<double>(c.CIm)
        << "), z0 = (" << static_cast<double>(c.ZRe) << ", " << static_cast<double>(c.ZIm)
        << "), limit " << c.Limit;
}

// A raised stop is looked at every 65536 iterations: never within the
// narrow dots' limits, and at once past them, leaving the dot uncomputed.
TEST(ExtendedKernelTest, ARaisedStopEndsOnlyDotsPastTheNarrowLimits) {
  const bool raised = true;
  EXPECT_EQ(IterateFPU(0, 0, 0, 0, kMaxNarrowLimit, &raised), kDotInside);
  EXPECT_EQ(IterateFPU(0, 0, 0, 0, kMaxLimit, &raised), kDotUncomputed);
  EXPECT_EQ(IterateFPU(3, 0, 0, 0, kMaxLimit, &raised), 2);  // escapes before the first look
  const bool lowered = false;
  EXPECT_EQ(IterateFPU(0.25L + 1e-9L, 0, 0, 0, 150000, &lowered),
            ReferenceExtended(0.25L + 1e-9L, 0, 150000));
}

TEST(ExtendedKernelTest, MandelbrotStartOutsideTheCircleGivesOneEverywhere) {
  TCalcState state;
  SetUpRow(state, 50, -2, 0.08, 300);
  state.ParamRe = 1.5;
  state.ParamIm = 1.5;
  std::vector<TDot> row(50, 0);
  CalcRowFPU(state, row.data(), nullptr, 1, 0.3L);
  EXPECT_EQ(row, std::vector<TDot>(50, 1));
}

// Records the arguments it is called with.
class TRecordingRecurrence : public TRecurrence {
 public:
  TDot Iterate(long double cRe, long double cIm, long double zRe, long double zIm, int limit,
               TStopFlag) const override {
    Args = {cRe, cIm, zRe, zIm};
    Limit = limit;
    return 42;
  }
  mutable std::vector<long double> Args;
  mutable int Limit = 0;
};

TEST(ExtendedKernelTest, DotArrangementFollowsTheModeAndTheFormula) {
  TCalcState state;
  state.Limit = 77;
  state.ParamRe = 0.25;
  state.ParamIm = -0.5;
  // Mandelbrot: c is the dot, z0 the parameter.
  EXPECT_EQ(IterateDot(state, 1, 2), IterateFPU(1, 2, 0.25L, -0.5L, 77));
  // Julia: c is the parameter, z0 the dot.
  state.IsMandel = false;
  EXPECT_EQ(IterateDot(state, 0.1L, 0.2L), IterateFPU(0.25L, -0.5L, 0.1L, 0.2L, 77));
  TRecordingRecurrence formula;
  state.Formula = &formula;
  EXPECT_EQ(IterateDot(state, 0.1L, 0.2L), 42);
  EXPECT_EQ(formula.Args, (std::vector<long double>{0.25L, -0.5L, 0.1L, 0.2L}));
  EXPECT_EQ(formula.Limit, 77);
  state.IsMandel = true;
  IterateDot(state, 0.1L, 0.2L);
  EXPECT_EQ(formula.Args, (std::vector<long double>{0.1L, 0.2L, 0.25L, -0.5L}));
}

TEST(ExtendedKernelTest, RowCopiesEveryVisitedDotIntoTheMirror) {
  TCalcState state;
  SetUpRow(state, 33, -2.1, 0.13, 200);
  std::vector<TDot> row(33, 0), mirror(33, 0xABCD);
  row[8] = kDotPredicted;
  CalcRowFPU(state, row.data(), mirror.data(), 4, 0.2L);
  for (int c = 0; c < 33; ++c) {
    if (c % 4 != 0) {
      EXPECT_EQ(row[c], 0);
      EXPECT_EQ(mirror[c], 0xABCD);
      continue;
    }
    const TDot expected = c == 8 ? kDotPredicted : IterateFPU(state.ColRe[c], 0.2L, 0, 0, 200);
    EXPECT_EQ(row[c], expected) << "column " << c;
    EXPECT_EQ(mirror[c], expected) << "column " << c;
  }
}

TEST(ExtendedKernelTest, LimitOneMakesEveryZeroStartDotInsideButLanesSeeTheEscapes) {
  TCalcState state;
  SetUpRow(state, 60, -3, 0.1, 1);
  std::vector<TDot> extended(60, 0), single(60, 0), dbl(60, 0);
  CalcRowFPU(state, extended.data(), nullptr, 1, 0.0L);
  CalcRowSSE(state, single.data(), nullptr, 1, 0.0L);
  CalcRowSSE2(state, dbl.data(), nullptr, 1, 0.0L);
  for (int c = 0; c < 60; ++c) {
    const bool outside = std::fabs(static_cast<double>(state.ColRe[c])) > 2.0001;
    const bool onCircle = std::fabs(std::fabs(static_cast<double>(state.ColRe[c])) - 2) < 1e-9;
    EXPECT_EQ(extended[c], kDotInside);
    if (onCircle) continue;  // rounding decides; covered by the reference comparisons
    EXPECT_EQ(single[c], outside ? 1 : kDotInside) << "column " << c;
    EXPECT_EQ(dbl[c], outside ? 1 : kDotInside) << "column " << c;
  }
}

}  // namespace
}  // namespace vortexa
