#include "calc_grid.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <future>
#include <limits>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "grid_run.h"
#include "reference_counts.h"
#include "test_recurrences.h"

namespace vortexa {
namespace {

using test_support::TProbeRecurrence;
using namespace std::chrono_literals;

using test_support::Dots;
using test_support::kCommandTimeout;
using test_support::RunToEnd;

// Row and column of a dot that a recurrence was asked about.
std::pair<int, int> CellOf(const TCalcGrid& grid, const test_support::TCall& call) {
  const long double step = grid.GetStep().ToLongDouble();
  return {static_cast<int>(std::lround((call.Im - grid.RowIm(0)) / step)),
          static_cast<int>(std::lround((call.Re - grid.ColRe(0)) / step))};
}

using test_support::ReferenceExtended;
using test_support::ReferenceLane;

struct TViewSpec {
  long double X, Y, Range;
  int Limit;
};

// Every dot of a width x height picture of the view by the family's definition,
// with the plane mapping done here: dot size 2 * range / the shorter side,
// column c at (c - width div 2) * size + X, row r at (r - height div 2) * size + Y.
std::vector<TDot> ReferenceGrid(const TViewSpec& view, int width, int height, int family) {
  const long double step = 2 * view.Range / std::min(width, height);
  std::vector<TDot> dots;
  for (int row = 0; row < height; ++row) {
    const long double im = (row - height / 2) * step + view.Y;
    for (int col = 0; col < width; ++col) {
      const long double re = (col - width / 2) * step + view.X;
      if (family == kKernelSingle)
        dots.push_back(
            ReferenceLane<float>(static_cast<float>(re), static_cast<float>(im), view.Limit));
      else if (family == kKernelDouble)
        dots.push_back(
            ReferenceLane<double>(static_cast<double>(re), static_cast<double>(im), view.Limit));
      else
        dots.push_back(ReferenceExtended(re, im, view.Limit));
    }
  }
  return dots;
}

int CountDiffering(const std::vector<TDot>& a, const std::vector<TDot>& b) {
  int differing = 0;
  for (std::size_t i = 0; i < a.size(); ++i)
    differing += a[i] != b[i];
  return differing;
}

// Predicted dots that touch an escaped dot (a value below kInsideThreshold); the repair
// leaves none.
int PredictedNextToEscaped(const TCalcGrid& grid) {
  int touching = 0;
  for (int row = 0; row < grid.GridHeight(); ++row)
    for (int col = 0; col < grid.GridWidth(); ++col) {
      if (grid.GetDot(row, col) != kDotPredicted) continue;
      bool touches = false;
      for (int r = std::max(row - 1, 0); r <= std::min(row + 1, grid.GridHeight() - 1); ++r)
        for (int c = std::max(col - 1, 0); c <= std::min(col + 1, grid.GridWidth() - 1); ++c)
          touches |= grid.GetDot(r, c) < kInsideThreshold;
      touching += touches;
    }
  return touching;
}

int CountPredicted(const std::vector<TDot>& dots) {
  return static_cast<int>(std::count(dots.begin(), dots.end(), kDotPredicted));
}

// Every dot (row-major) gets 1 + its index, so a moved dot tells where it came from.
void FillWithMarkers(TCalcGrid& grid) {
  for (int row = 0; row < grid.GridHeight(); ++row)
    for (int col = 0; col < grid.GridWidth(); ++col)
      grid.SetDot(row, col, static_cast<TDot>(1 + row * grid.GridWidth() + col));
}

// A grid whose computed dots all get kDotInside, so kept dots stand out.
struct TMarkerGrid {
  TCalcGrid Grid;
  TProbeRecurrence Constant;
  TMarkerGrid(int width, int height) {
    Constant.Fixed = kDotInside;
    Grid.SetSize(width, height);
    Grid.SetView(-0.5L, 0.0L, 50, 1.5L);
    Grid.SetFormula(true, &Constant, 0, 0);
    Grid.SetOptions(kOptNoPrediction | kOptNoMirror);
    FillWithMarkers(Grid);
  }
};

// --- Plane mapping and kernel choice -----------------------------------------

TEST(CalcGridMapping, DotSizeColumnsAndRows) {
  TCalcGrid grid;
  grid.SetSize(590, 400);
  grid.SetView(0, 0, 100, 2);
  EXPECT_NEAR(static_cast<double>(grid.GetStep().ToLongDouble()), 0.01, 1e-15);
  EXPECT_NEAR(static_cast<double>(grid.ColRe(0)), -2.95, 1e-15);
  EXPECT_NEAR(static_cast<double>(grid.ColRe(589)), 2.94, 1e-15);
  EXPECT_NEAR(static_cast<double>(grid.RowIm(0)), -2.0, 1e-15);
  EXPECT_NEAR(static_cast<double>(grid.RowIm(399)), 1.99, 1e-15);

  grid.SetSize(300, 500);  // the nearer edge is now the left and right one
  EXPECT_NEAR(static_cast<double>(grid.GetStep().ToLongDouble()), 4.0 / 300, 1e-15);
}

TEST(CalcGridMapping, AxisRowFoundByStart) {
  struct TCase {
    long double CenterY;
    int Options;
    int AxisRow;
  };
  const TCase cases[] = {
      {0.0L, 0, 200},  {0.005L, 0, -1},  // the axis falls between two rows
      {-0.5L, 0, 250}, {0.0L, kOptNoMirror, -1}, {5.0L, 0, -1},
  };
  for (const TCase& c : cases) {
    TCalcGrid grid;
    grid.SetSize(590, 400);
    grid.SetView(0, c.CenterY, 100, 2);
    grid.SetOptions(c.Options);
    RunToEnd(grid, ccNone);
    EXPECT_EQ(grid.AxisRow(), c.AxisRow) << "centre y " << static_cast<double>(c.CenterY);
  }
}

TEST(CalcGridMapping, AxisRowToleranceIsATenthOfADot) {
  TCalcGrid grid;
  grid.SetSize(590, 400);
  grid.SetView(0, 0, 100, 2);
  const long double tenth = grid.GetStep().ToLongDouble() / 10;
  const long double above = tenth * (1 + 1e-12L);
  const std::pair<long double, int> cases[] = {
      {tenth, 200}, {-tenth, 200}, {tenth / 2, 200}, {above, -1}, {-above, -1},
  };
  for (const auto& [centerY, axisRow] : cases) {
    // Row 200 lies exactly at the centre's imaginary part.
    grid.SetView(0, centerY, 100, 2);
    RunToEnd(grid, ccNone);
    EXPECT_EQ(grid.AxisRow(), axisRow)
        << "centre y " << static_cast<double>(centerY / tenth) << " tenths of a dot";
  }
}

// Mirroring is exact only for settings symmetric about the real axis.
TEST(CalcGridMapping, AxisRowOnlyForSymmetricSettings) {
  TProbeRecurrence symmetric, asymmetric;
  asymmetric.Symmetric = false;
  struct TCase {
    const char* Name;
    bool IsMandel;
    const TRecurrence* Formula;
    long double ParamRe, ParamIm;
    int AxisRow;
  };
  const TCase cases[] = {
      {"plain", true, nullptr, 0, 0, 200},
      {"real start value", true, nullptr, 0.3L, 0, 200},
      {"complex start value", true, nullptr, 0.3L, 0.1L, -1},
      {"real Julia constant", false, nullptr, -0.75L, 0, 200},
      {"complex Julia constant", false, nullptr, -0.75L, 0.1L, -1},
      {"symmetric recurrence", true, &symmetric, 0, 0, 200},
      {"symmetric recurrence, complex start", true, &symmetric, 0, -0.2L, -1},
      {"asymmetric recurrence", true, &asymmetric, 0, 0, -1},
      {"asymmetric recurrence, Julia", false, &asymmetric, 0.25L, 0, -1},
  };
  for (const TCase& c : cases) {
    TCalcGrid grid;
    grid.SetSize(590, 400);
    grid.SetView(0, 0, 100, 2);
    grid.SetFormula(c.IsMandel, c.Formula, c.ParamRe, c.ParamIm);
    RunToEnd(grid, ccNone);
    EXPECT_EQ(grid.AxisRow(), c.AxisRow) << c.Name;
  }
}

// A Julia constant or a start value off the real axis gives an asymmetric
// picture; with real ones the mirrored picture is the computed one. (The
// prediction lattice is not symmetric about the axis, so it stays off.)
TEST(CalcGridMapping, MirrorOnDrawsWhatMirrorOffDraws) {
  struct TCase {
    bool IsMandel;
    long double ParamRe, ParamIm;
  };
  const TCase cases[] = {
      {false, -0.75L, 0.1L}, {true, 0, 0.3L}, {false, -0.75L, 0}, {true, -0.2L, 0}};
  for (const TCase& c : cases) {
    TCalcGrid grid;
    grid.SetSize(120, 90);
    grid.SetView(0, 0, 200, 1.6L);
    grid.SetFormula(c.IsMandel, nullptr, c.ParamRe, c.ParamIm);
    grid.SetOptions(kOptNoPrediction);
    RunToEnd(grid, ccDraw);
    const std::vector<TDot> byDefault = Dots(grid);
    grid.SetOptions(kOptNoPrediction | kOptNoMirror);
    RunToEnd(grid, ccDraw);
    EXPECT_EQ(CountDiffering(byDefault, Dots(grid)), 0)
        << (c.IsMandel ? "start value " : "Julia constant ") << static_cast<double>(c.ParamRe)
        << "," << static_cast<double>(c.ParamIm);
  }
}

TEST(CalcGridMapping, KernelChoice) {
  TCalcGrid grid;
  if (grid.SimdLevel() < 2) GTEST_SKIP() << "needs both lane families";
  TProbeRecurrence formula;
  const long double above = std::numeric_limits<long double>::epsilon();
  struct TCase {
    long double Step;
    int Options;
    bool IsMandel;
    const TRecurrence* Formula;
    long double ParamRe, ParamIm;
    int Kernel;
  };
  const TCase cases[] = {
      {1e-3L, 0, true, nullptr, 0, 0, kKernelSingle},
      {1e-6L * (1 + above), 0, true, nullptr, 0, 0, kKernelSingle},
      {1e-6L, 0, true, nullptr, 0, 0, kKernelDouble},
      {1e-15L * (1 + above), 0, true, nullptr, 0, 0, kKernelDouble},
      {1e-15L, 0, true, nullptr, 0, 0, kKernelDeep},
      {1e-15L, kOptNoSimd, true, nullptr, 0, 0, kKernelExtended},
      {1e-15L, 0, true, &formula, 0, 0, kKernelExtended},
      {1e-15L, 0, false, nullptr, 0, 0, kKernelExtended},
      {1e-3L, kOptNoSimd, true, nullptr, 0, 0, kKernelExtended},
      {1e-3L, kOptNoMirror, true, nullptr, 0, 0, kKernelSingle},
      {1e-3L, 0, true, &formula, 0, 0, kKernelExtended},
      {1e-3L, 0, false, nullptr, 0, 0, kKernelExtended},
      {1e-3L, 0, true, nullptr, 0.25L, 0, kKernelExtended},
      {1e-3L, 0, true, nullptr, 0, -0.25L, kKernelExtended},
  };
  grid.SetSize(2, 2);  // the dot size equals the range
  for (const TCase& c : cases) {
    grid.SetOptions(c.Options);
    grid.SetFormula(c.IsMandel, c.Formula, c.ParamRe, c.ParamIm);
    grid.SetView(0, 0, 100, c.Step);
    EXPECT_EQ(grid.GetStep().ToLongDouble(), c.Step);
    EXPECT_EQ(grid.GetKernel(), c.Kernel) << "step " << static_cast<double>(c.Step);
  }
}

// Each family draws exactly its own definition, with and without prediction
// and mirroring: the workers' row routines, and the repair of predictions,
// which must count like the family that draws the view.
TEST(CalcGridFamilies, CountsFollowTheFamilysDefinition) {
  struct TCase {
    const char* Name;
    TViewSpec View;
    int Family;
    int Options = 0;  // besides those tried below
  };
  // Below a dot size of 1e-15 the extended kernel draws only with the
  // restriction to it (the deep family has tests of its own).
  const TCase cases[] = {
      {"home", {0, 0, 2, 1000}, kKernelSingle},
      {"thin filaments", {-0.1L, 0.651L, 0.02L, 1000}, kKernelSingle},
      {"seahorse valley", {-0.743643887037151L, 0.131825904205330L, 1e-6L, 1000}, kKernelDouble},
      {"deep at i", {0, 1, 5e-14L, 500}, kKernelExtended, kOptNoSimd},
  };
  constexpr int kWidth = 160, kHeight = 120;
  for (const TCase& c : cases) {
    TCalcGrid grid;
    if (grid.SimdLevel() < 2) GTEST_SKIP() << "needs both lane families";
    const std::vector<TDot> expected = ReferenceGrid(c.View, kWidth, kHeight, c.Family);
    // The view tells the families apart, so a wrong one cannot pass.
    for (const int other : {kKernelExtended, kKernelSingle, kKernelDouble})
      if (other != c.Family) {
        ASSERT_GT(CountDiffering(expected, ReferenceGrid(c.View, kWidth, kHeight, other)), 0)
            << c.Name << " against family " << other;
      }
    grid.SetSize(kWidth, kHeight);
    grid.SetView(c.View.X, c.View.Y, c.View.Limit, c.View.Range);
    for (const int options : {0, kOptNoPrediction | kOptNoMirror}) {
      grid.SetOptions(options | c.Options);
      RunToEnd(grid, ccDraw);
      EXPECT_EQ(grid.GetKernel(), c.Family) << c.Name;
      const std::vector<TDot> dots = Dots(grid);
      int wrong = 0;
      for (std::size_t i = 0; i < dots.size(); ++i)
        if (dots[i] != kDotPredicted && dots[i] != expected[i] && ++wrong <= 3)
          ADD_FAILURE() << c.Name << ", options " << options << ": dot " << i / kWidth << ","
                        << i % kWidth << " is " << dots[i] << ", expected " << expected[i];
      EXPECT_EQ(wrong, 0) << c.Name << ", options " << options;
    }
    EXPECT_EQ(CountPredicted(Dots(grid)), 0) << c.Name;
  }
}

// On the real axis beside the cusp at 1/4 a dot at distance d escapes after
// about pi / sqrt(d) iterations: 82,000 to 137,000 on the middle of the three
// rows of a 48 x 3 grid; the rows beside it stay inside.
constexpr TViewSpec kCuspView{0.25L + 1e-9L, 0, 3e-11L, 150000};
constexpr int kCuspWidth = 48, kCuspHeight = 3;

TEST(CalcGridWideDots, CountsPastSixteenBitsFollowTheFamilysDefinition) {
  constexpr int kWidth = kCuspWidth, kHeight = kCuspHeight;
  for (const auto& [family, options] :
       {std::pair{kKernelDouble, 0}, std::pair{kKernelExtended, kOptNoSimd}}) {
    TCalcGrid grid;
    if (grid.SimdLevel() < 2) GTEST_SKIP() << "needs the double lanes";
    const std::vector<TDot> expected = ReferenceGrid(kCuspView, kWidth, kHeight, family);
    const auto pastSixteenBits = std::count_if(expected.begin(), expected.end(), [](TDot dot) {
      return dot > 0xFFFF && !IsOverLimit(dot, kCuspView.Limit);
    });
    ASSERT_GE(pastSixteenBits, kWidth / 2) << "the view must reach past 16 bits";
    grid.SetSize(kWidth, kHeight);
    grid.SetView(kCuspView.X, kCuspView.Y, kCuspView.Limit, kCuspView.Range);
    grid.SetOptions(options | kOptNoPrediction);
    RunToEnd(grid, ccDraw);
    EXPECT_TRUE(grid.WideDots());
    EXPECT_EQ(grid.GetKernel(), family);
    EXPECT_EQ(Dots(grid), expected) << "family " << family;
  }
}

// The dots follow the limit across 65000 both ways: raised, the kept counts
// are widened and the inside ones computed anew; lowered, counts beyond the
// narrow dots become inside, as they are at the lower limit.
TEST(CalcGridWideDots, TheGridWidensAndNarrowsWithTheLimit) {
  TCalcGrid grid;
  grid.SetSize(kCuspWidth, kCuspHeight);
  grid.SetOptions(kOptNoSimd);
  const auto setLimit = [&](int limit) {
    grid.SetView(kCuspView.X, kCuspView.Y, limit, kCuspView.Range);
  };
  setLimit(kMaxNarrowLimit);
  RunToEnd(grid, ccDraw);
  EXPECT_FALSE(grid.WideDots());
  setLimit(kCuspView.Limit);
  EXPECT_TRUE(grid.WideDots());
  RunToEnd(grid, ccContinue);
  const std::vector<TDot> continued = Dots(grid);
  RunToEnd(grid, ccDraw);
  const std::vector<TDot> fresh = Dots(grid);
  EXPECT_EQ(continued, fresh);
  setLimit(1000);
  EXPECT_FALSE(grid.WideDots());
  const std::vector<TDot> narrowed = Dots(grid);
  for (std::size_t i = 0; i < fresh.size(); ++i)
    ASSERT_EQ(narrowed[i], IsOverLimit(fresh[i], kMaxNarrowLimit) && fresh[i] < kInsideThreshold
                               ? kDotInside
                               : fresh[i])
        << "dot " << i;
}

TEST(CalcGridMapping, ProgressRoundsHalfToEven) {
  struct TCase {
    int Base, Span, NextRow, Height, Percent;
  };
  const TCase cases[] = {
      {0, 1, 0, 400, 0},  {8, 82, 200, 400, 49}, {8, 82, 1, 4, 28},  {8, 82, 3, 4, 70},
      {0, 100, 1, 8, 12}, {0, 100, 3, 8, 38},    {90, 10, 5, 0, 90}, {1, 7, 410, 400, 8},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(StageProgress(c.Base, c.Span, c.NextRow, c.Height), c.Percent)
        << c.Base << "+" << c.NextRow << "*" << c.Span << "/" << c.Height;

  TCalcGrid grid;
  grid.SetSize(16, 16);
  EXPECT_EQ(grid.Progress(), 0);
  RunToEnd(grid, ccDraw);
  EXPECT_EQ(grid.Progress(), 100);
}

TEST(CalcGridMapping, RejectsUnsafeSettings) {
  TCalcGrid grid;
  EXPECT_THROW(grid.SetSize(-1, 10), std::invalid_argument);
  EXPECT_THROW(grid.SetView(0, 0, 0, 1), std::invalid_argument);
  EXPECT_THROW(grid.SetView(0, 0, kMaxLimit + 1, 1), std::invalid_argument);
  EXPECT_THROW(grid.SetMagnify(0), std::invalid_argument);
  EXPECT_THROW(grid.SetMagnify(std::numeric_limits<float>::quiet_NaN()), std::invalid_argument);
  grid.SetSize(10, 4);
  EXPECT_THROW(grid.SetBand(10, 7), std::invalid_argument);
  EXPECT_THROW(grid.SetBand(10, -1), std::invalid_argument);
}

TEST(CalcGridMapping, ASizeBeyondMemoryLeavesTheGridAsItWas) {
  TCalcGrid grid;
  grid.SetSize(10, 4);
  FillWithMarkers(grid);
  EXPECT_THROW(grid.SetSize(1 << 22, 1 << 22), std::bad_alloc);
  ASSERT_EQ(grid.GridWidth(), 10);
  ASSERT_EQ(grid.GridHeight(), 4);
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 10; ++col)
      EXPECT_EQ(grid.GetDot(row, col), 1 + row * 10 + col);
}

// A picture computed band by band, each band a grid of its own, has the
// dots of the whole picture; the shortcuts that look past a band's edge
// (prediction, mirroring) are off in both.
TEST(CalcGridMapping, BandsCountWhatTheWholePictureCounts) {
  struct TCase {
    const char* Name;
    long double X, Y, Range;
    int Width, Height;
  };
  const TCase cases[] = {
      {"home, wider than tall", -0.5L, 0, 1.5L, 48, 37},
      {"home, taller than wide", -0.5L, 0.1L, 1.5L, 30, 45},
      {"seahorse valley", -0.743643887037151L, 0.13182590420533L, 1e-6L, 40, 33},
      {"deep", -0.743643887037158704752191506114774L, 0.131825904205311970493132056385139L, 1e-15L,
       24, 21},
  };
  constexpr int kBandRows = 7;  // the last band is shorter
  for (const TCase& c : cases) {
    TCalcGrid whole;
    whole.SetOptions(kOptNoPrediction | kOptNoMirror);
    whole.SetSize(c.Width, c.Height);
    whole.SetView(c.X, c.Y, 500, c.Range);
    RunToEnd(whole, ccDraw);
    const std::vector<TDot> expected = Dots(whole);

    std::vector<TDot> banded;
    TCalcGrid band;
    band.SetOptions(kOptNoPrediction | kOptNoMirror);
    for (int first = 0; first < c.Height; first += kBandRows) {
      band.SetSize(c.Width, std::min(kBandRows, c.Height - first));
      band.SetBand(c.Height, first);
      band.SetView(c.X, c.Y, 500, c.Range);
      RunToEnd(band, ccDraw);
      const std::vector<TDot> dots = Dots(band);
      banded.insert(banded.end(), dots.begin(), dots.end());
    }
    EXPECT_EQ(banded, expected) << c.Name;
  }
}

TEST(CalcGridDots, FlatIndexCheckOnly) {
  TCalcGrid grid;
  grid.SetSize(4, 3);
  grid.SetDot(0, 5, 42);  // column past the row's end: row 1, column 1
  EXPECT_EQ(grid.GetDot(1, 1), 42);
  grid.SetDot(3, 0, 7);
  grid.SetDot(-1, 3, 7);
  EXPECT_EQ(grid.GetDot(3, 0), 0);
  EXPECT_EQ(grid.GetDot(-1, 3), 0);
  EXPECT_EQ(grid.GetDot(0, -1), 0);
  grid.SetDot(2, 3, 9);
  EXPECT_EQ(grid.Row(2).Load(3), 9);
}

// --- Passes, prediction and mirroring ----------------------------------------

TEST(CalcGridPasses, MirrorRowsAreCopiedNotComputed) {
  TCalcGrid grid;
  TProbeRecurrence plain;
  grid.SetSize(590, 400);
  grid.SetView(0, 0, 20, 2);
  grid.SetFormula(true, &plain, 0, 0);
  // One worker takes rows in order, so a partner row is always done first.
  grid.SetOptions(kOptSingleWorker | kOptNoPrediction);
  RunToEnd(grid, ccDraw);
  bool topRowComputed = false;
  for (const auto& call : plain.Calls()) {
    EXPECT_LE(call.Im, 0) << "a row below the axis was computed";
    topRowComputed |= call.Im == grid.RowIm(0);
  }
  EXPECT_TRUE(topRowComputed);
  for (int row = 1; row < 200; ++row)
    for (int col = 0; col < 590; ++col)
      ASSERT_EQ(grid.GetDot(400 - row, col), grid.GetDot(row, col)) << row << "," << col;
  EXPECT_EQ(grid.Pass(), 4);
  EXPECT_EQ(grid.Command(), ccNone);
}

class CalcGridPrediction : public ::testing::Test {
 protected:
  void SetUp() override {
    grid.SetSize(160, 120);
    grid.SetView(-0.5L, 0, 64, 1.5L);
    grid.SetOptions(kOptNoSimd);  // every path computes with the same kernel
  }
  TCalcGrid grid;
};

TEST_F(CalcGridPrediction, NoPredictedDotTouchesAnEscapedOne) {
  RunToEnd(grid, ccDraw);
  int predicted = 0;
  for (int row = 0; row < grid.GridHeight(); ++row)
    for (int col = 0; col < grid.GridWidth(); ++col) {
      if (grid.GetDot(row, col) != kDotPredicted) continue;
      ++predicted;
      for (int r = std::max(row - 1, 0); r <= std::min(row + 1, grid.GridHeight() - 1); ++r)
        for (int c = std::max(col - 1, 0); c <= std::min(col + 1, grid.GridWidth() - 1); ++c)
          EXPECT_GE(grid.GetDot(r, c), kInsideThreshold) << r << "," << c;
    }
  EXPECT_GT(predicted, 1000) << "the view should have a predicted interior";
}

// The name the calling thread was given ("Calc" for the workers).
std::string ThreadName() {
  char name[16] = {};
  pthread_getname_np(pthread_self(), name, sizeof name);
  return name;
}

// z^2 + c recording the dots asked after the final pass, those of the
// repair, and the names of the threads that computed them.
class TRepairProbe : public TRecurrence {
 public:
  explicit TRepairProbe(const TCalcGrid& grid) : FGrid(grid) {}
  TDot Iterate(long double cRe, long double cIm, long double zRe, long double zIm, int limit,
               TStopFlag) const override {
    if (FGrid.Pass() >= 3) {
      if (FaultInRepair) throw std::runtime_error("fault in the repair");
      std::lock_guard lock(FLock);
      // The grid does not change before the repair's first count is stored.
      if (FCalls.empty()) FBeforeRepair = Dots(FGrid);
      FCalls.push_back({cRe, cIm});
      FNames.insert(ThreadName());
    }
    return IterateFPU(cRe, cIm, zRe, zIm, limit);
  }
  bool FaultInRepair = false;
  std::vector<test_support::TCall> Calls() const {
    std::lock_guard lock(FLock);
    return FCalls;
  }
  std::set<std::string> ThreadNames() const {
    std::lock_guard lock(FLock);
    return FNames;
  }
  // The grid as the final pass left it, if the repair computed anything.
  std::vector<TDot> BeforeRepair() const {
    std::lock_guard lock(FLock);
    return FBeforeRepair;
  }

 private:
  const TCalcGrid& FGrid;
  mutable std::mutex FLock;
  mutable std::vector<test_support::TCall> FCalls;
  mutable std::set<std::string> FNames;
  mutable std::vector<TDot> FBeforeRepair;
};

// Draws with a TRepairProbe set to fail: the fault is kept with the dots it
// left uncomputed, and the drawing still ends.
void DrawExpectingRepairFault(TCalcGrid& grid) {
  RunToEnd(grid, ccDraw);
  const std::vector<TDot> dots = Dots(grid);
  const auto uncomputed = std::count(dots.begin(), dots.end(), kDotUncomputed);
  EXPECT_GT(uncomputed, 0);
  const TCalcFault fault = grid.LastFault();
  EXPECT_TRUE(fault.Failed);
  EXPECT_EQ(fault.Error, "fault in the repair");
  EXPECT_EQ(fault.UncomputedDots, uncomputed);
  EXPECT_EQ(grid.Pass(), 4);
}

// The picture code recolours only the repaired areas, so every dot the
// repair changed must lie in one, whoever computed it.
TEST_F(CalcGridPrediction, RepairedAreasHoldEveryRepairedDot) {
  for (const int team : {1, 2, 7}) {
    TRepairProbe probe(grid);
    grid.SetFormula(true, &probe, 0, 0);
    grid.SetFixedTeamSize(team);
    // Filaments that fool the prediction, at a limit where the team
    // computes the repair windows beforehand.
    grid.SetView(-0.5L, 0.56L, 2000, 0.05L);
    RunToEnd(grid, ccDraw);
    const std::vector<TGridRect>& areas = grid.RepairedAreas();
    const std::vector<TDot> before = probe.BeforeRepair(), after = Dots(grid);
    ASSERT_FALSE(before.empty()) << "the view should need repairs";
    int changed = 0;
    for (std::size_t i = 0; i < after.size(); ++i) {
      if (after[i] == before[i]) continue;
      ++changed;
      const int row = static_cast<int>(i) / grid.GridWidth(),
                col = static_cast<int>(i) % grid.GridWidth();
      EXPECT_EQ(before[i], kDotPredicted) << row << "," << col;
      EXPECT_TRUE(std::any_of(areas.begin(), areas.end(),
                              [&](const TGridRect& area) {
                                return col >= area.Left && col < area.Right && row >= area.Top &&
                                       row < area.Bottom;
                              }))
          << team << " workers, " << row << "," << col;
    }
    EXPECT_GT(changed, 0);
    grid.SetFormula(true, nullptr, 0, 0);
  }
  grid.SetOptions(kOptNoSimd | kOptNoPrediction);
  RunToEnd(grid, ccDraw);
  EXPECT_TRUE(grid.RepairedAreas().empty());
}

TEST_F(CalcGridPrediction, PredictionOnlySkipsInsideDots) {
  RunToEnd(grid, ccDraw);
  const std::vector<TDot> staged = Dots(grid);
  RunToEnd(grid, ccDirect);
  const std::vector<TDot> direct = Dots(grid);
  for (std::size_t i = 0; i < staged.size(); ++i) {
    ASSERT_NE(direct[i], kDotPredicted);
    if (staged[i] != kDotPredicted) {
      ASSERT_EQ(staged[i], direct[i]) << "dot " << i;
    }
  }
}

// Thin filaments cross predicted blocks; the repair must follow them through
// rows above and below, rescan what it has passed, and reach far enough.
TEST(CalcGridRepair, NoPredictedDotTouchesAnEscapedOneAmongThinFilaments) {
  TCalcGrid grid;
  grid.SetSize(800, 600);
  grid.SetView(-0.1L, 0.651L, 4000, 0.02L);
  RunToEnd(grid, ccDraw);
  const std::vector<TDot> staged = Dots(grid);
  EXPECT_GT(CountPredicted(staged), 100000) << "the view should have a predicted interior";
  EXPECT_FALSE(grid.RepairedAreas().empty()) << "the view should need repairs";
  EXPECT_EQ(PredictedNextToEscaped(grid), 0);
  grid.SetOptions(kOptNoPrediction);
  RunToEnd(grid, ccDraw);
  const std::vector<TDot> direct = Dots(grid);
  int wrong = 0;
  for (std::size_t i = 0; i < staged.size(); ++i)
    wrong += staged[i] != kDotPredicted && staged[i] != direct[i];
  EXPECT_EQ(wrong, 0);
}

// One escaped dot in a predicted grid: the first predicted dot the scan finds
// next to it, (31, 47), gets the 9 x 9 window around it recomputed, which
// leaves no predicted neighbour, so nothing else is repaired.
TEST(CalcGridRepair, RepairRecomputesTheWindowOfFourDotsAroundTheFirstTouchingDot) {
  TMarkerGrid marked(96, 64);
  TCalcGrid& grid = marked.Grid;
  grid.SetOptions(kOptNoMirror);
  for (int row = 0; row < 64; ++row)
    for (int col = 0; col < 96; ++col)
      grid.SetDot(row, col, kDotPredicted);
  // A lattice point of the first pass: no prediction overwrites it.
  grid.SetDot(31, 48, 5);
  grid.SetShift(0, 1);  // moves it to (32, 48); row 0 is computed
  RunToEnd(grid, ccDraw);
  for (int row = 0; row < 64; ++row)
    for (int col = 0; col < 96; ++col) {
      const bool repaired = row >= 27 && row <= 35 && col >= 43 && col <= 51;
      const TDot expected = row == 32 && col == 48 ? 5
                            : row == 0 || repaired ? kDotInside
                                                   : kDotPredicted;
      ASSERT_EQ(grid.GetDot(row, col), expected) << row << "," << col;
    }
}

// On a grid whose every dot is inside, the first prediction marks the
// second pass's dots and the second one the third pass's, so neither pass
// computes the interior of a block surrounded by inside dots.
TEST(CalcGridRepair, BothPredictionsMarkTheNextPassesDots) {
  TCalcGrid grid;
  TProbeRecurrence inside;
  inside.Fixed = kDotInside;
  grid.SetSize(129, 97);
  grid.SetView(-0.5L, 0.3L, 50, 1.5L);
  grid.SetFormula(true, &inside, 0, 0);
  grid.SetOptions(kOptNoMirror);
  RunToEnd(grid, ccDraw);
  // The block to the lower right of (16, 16) has inside points all round.
  EXPECT_EQ(grid.GetDot(16, 16), kDotInside);
  EXPECT_EQ(grid.GetDot(20, 20), kDotPredicted);  // marked after the first pass
  EXPECT_EQ(grid.GetDot(28, 16), kDotPredicted);
  EXPECT_EQ(grid.GetDot(17, 17), kDotPredicted);  // marked after the second pass
  EXPECT_EQ(grid.GetDot(21, 23), kDotPredicted);
  for (const test_support::TCall& call : inside.Calls()) {
    const auto [row, col] = CellOf(grid, call);
    ASSERT_FALSE(row > 16 && row < 32 && col > 16 && col < 32)
        << "computed " << row << "," << col << " inside a predicted block";
  }
}

// Inside everywhere but at one dot, which escapes; notes which dots the
// second pass computes.
class TOneEscapedDot : public TRecurrence {
 public:
  TOneEscapedDot(const TCalcGrid& grid, int row, int col) : FGrid(grid), FRow(row), FCol(col) {}
  TDot Iterate(long double cRe, long double cIm, long double, long double, int,
               TStopFlag) const override {
    const long double step = FGrid.GetStep().ToLongDouble();
    const int row = static_cast<int>(std::lround((cIm - FGrid.RowIm(0)) / step));
    const int col = static_cast<int>(std::lround((cRe - FGrid.ColRe(0)) / step));
    if (FGrid.Pass() == 1) {
      std::lock_guard lock(FLock);
      SecondPass.insert({row, col});
    }
    return row == FRow && col == FCol ? 5 : kDotInside;
  }
  mutable std::set<std::pair<int, int>> SecondPass;

 private:
  const TCalcGrid& FGrid;
  const int FRow, FCol;
  mutable std::mutex FLock;
};

// A block of the first pass's lattice is predicted only when all nine
// lattice points around its upper left corner are inside: one escaped
// lattice point keeps the second pass computing the nine blocks it touches,
// and the blocks on the grid's edges are computed anyway.
TEST(CalcGridRepair, OneEscapedLatticePointKeepsTheNineBlocksAroundIt) {
  constexpr int kWidth = 129, kHeight = 97, kRow = 48, kCol = 64;
  TCalcGrid grid;
  TOneEscapedDot recurrence(grid, kRow, kCol);
  grid.SetSize(kWidth, kHeight);
  grid.SetView(-0.5L, 0.3L, 50, 1.5L);
  grid.SetFormula(true, &recurrence, 0, 0);
  grid.SetOptions(kOptNoMirror);
  RunToEnd(grid, ccDraw);
  for (int row = 0; row < kHeight; row += 4)
    for (int col = 0; col < kWidth; col += 4) {
      if (row % 16 == 0 && col % 16 == 0) continue;
      // The block's upper left lattice point and its nine neighbours.
      const int r = row - row % 16, c = col - col % 16;
      const bool onEdge = r < 16 || r + 16 >= kHeight || c < 16 || c + 16 >= kWidth;
      const bool touches = std::abs(r - kRow) <= 16 && std::abs(c - kCol) <= 16;
      EXPECT_EQ(recurrence.SecondPass.count({row, col}) == 1, onEdge || touches)
          << row << "," << col;
    }
}

// A zoom by 2 or 4 keeps the old dots on a lattice that starts at an offset
// from the top left; prediction must look at exactly those dots. The grid's
// halves (74 rows, 101 columns) give different offsets for rows and columns.
TEST(CalcGridRepair, ZoomBy2Or4PredictsFromTheKeptDots) {
  constexpr int kWidth = 202, kHeight = 148;
  for (const float factor : {2.0f, 4.0f}) {
    TCalcGrid grid;
    grid.SetSize(kWidth, kHeight);
    grid.SetView(-0.2L, 0.05L, 400, 1.2L);
    grid.SetOptions(kOptNoMirror);  // the axis lies between rows here
    RunToEnd(grid, ccDraw);
    grid.SetView(-0.2L, 0.05L, 400, 1.2L / factor);
    grid.SetMagnify(factor);
    RunToEnd(grid, ccMagnify);
    const std::vector<TDot> zoomed = Dots(grid);
    EXPECT_EQ(PredictedNextToEscaped(grid), 0) << "factor " << factor;
    grid.SetOptions(kOptNoPrediction | kOptNoMirror);
    RunToEnd(grid, ccDraw);
    const std::vector<TDot> direct = Dots(grid);
    grid.SetOptions(kOptNoMirror);
    RunToEnd(grid, ccDraw);
    const int fresh = CountPredicted(Dots(grid));
    ASSERT_GT(fresh, 5000) << "the view should have a predicted interior";
    // The kept lattice spares about as much as the coarse passes would.
    EXPECT_GT(CountPredicted(zoomed), fresh / 2) << "factor " << factor;
    int wrong = 0;
    for (std::size_t i = 0; i < zoomed.size(); ++i)
      wrong += zoomed[i] != kDotPredicted && zoomed[i] != direct[i];
    EXPECT_EQ(wrong, 0) << "factor " << factor;
  }
}

TEST_F(CalcGridPrediction, OffMeansNoPredictedDotsAndSameAsDirect) {
  grid.SetOptions(kOptNoSimd | kOptNoPrediction);
  RunToEnd(grid, ccDraw);
  const std::vector<TDot> staged = Dots(grid);
  RunToEnd(grid, ccDirect);
  EXPECT_EQ(staged, Dots(grid));
  TCalcStats stats;
  std::vector<std::int32_t> hist(10);
  grid.GetStatistics(0, 10, 64, hist, stats);
  EXPECT_EQ(stats.Predicted, 0);
}

// z^2 + c that notes how many dots are being computed at once. Its first
// calls each wait a little for company, so that a team shows itself.
class TOverlapProbe : public TRecurrence {
 public:
  TDot Iterate(long double cRe, long double cIm, long double zRe, long double zIm, int limit,
               TStopFlag) const override {
    {
      std::unique_lock lock(FLock);
      FMostAtOnce = std::max(FMostAtOnce, ++FAtOnce);
      FChanged.notify_all();
      if (FWaits > 0) {
        --FWaits;
        FChanged.wait_for(lock, 100ms, [this] { return FAtOnce > 1; });
      }
    }
    const TDot dot = IterateFPU(cRe, cIm, zRe, zIm, limit);
    std::lock_guard lock(FLock);
    --FAtOnce;
    return dot;
  }
  bool IsConjugationSymmetric() const override { return true; }
  int MostAtOnce() const {
    std::lock_guard lock(FLock);
    return FMostAtOnce;
  }

 private:
  mutable std::mutex FLock;
  mutable std::condition_variable FChanged;
  mutable int FAtOnce = 0, FMostAtOnce = 0, FWaits = 4;
};

TEST(CalcGridPasses, SingleWorkerOptionComputesOneDotAtATime) {
  const TViewSpec view{-0.5L, 0.1L, 1.5L, 100};
  const std::vector<TDot> expected = ReferenceGrid(view, 96, 64, kKernelExtended);
  for (const bool single : {false, true}) {
    TCalcGrid grid;
    TOverlapProbe probe;
    grid.SetSize(96, 64);
    grid.SetView(view.X, view.Y, view.Limit, view.Range);
    grid.SetFormula(true, &probe, 0, 0);
    grid.SetOptions(kOptNoPrediction | (single ? kOptSingleWorker : 0));
    RunToEnd(grid, ccDraw);
    if (single) {
      EXPECT_EQ(probe.MostAtOnce(), 1);
    } else {
      EXPECT_GT(probe.MostAtOnce(), 1);
    }
    EXPECT_EQ(CountDiffering(Dots(grid), expected), 0) << (single ? "one worker" : "team");
  }
}

// --- Teams of any size ------------------------------------------------------

// The count definition written out once more, independently of the kernels:
// from z0 = 0 (the extended kernel) or from z1 = c (the lanes), the first k
// whose z escapes.
template <typename Real>
TDot PlainCount(Real cRe, Real cIm, int limit, bool fromZero) {
  Real re = fromZero ? Real(0) : cRe, im = fromZero ? Real(0) : cIm;
  for (int k = 1; k <= limit; ++k) {
    const Real re2 = re * re, im2 = im * im;
    if (!(re2 + im2 <= Real(4))) return static_cast<TDot>(k);
    const Real t = re * im;
    im = (t + t) + cIm;
    re = (re2 - im2) + cRe;
  }
  return kDotInside;
}

// Every view lies on the real axis with an even height, so mirrored rows are
// exact and the plain loop holds for them too.
struct TFamilyView {
  const char* Name;
  long double X, Range;
  int Limit;
  int Kernel;
  bool CustomRecurrence;
};

// Near the cusp of the baby set on the axis at -1.75 the prediction errs,
// so the repair has work in every view.
const TFamilyView kFamilyViews[] = {
    {"single lanes", -1.75L, 0.01L, 2000, kKernelSingle, false},
    {"double lanes", -1.75L, 2e-5L, 2000, kKernelDouble, false},
    {"extended", -1.75L, 0.01L, 1500, kKernelExtended, false},
    {"custom recurrence", -1.75L, 0.01L, 1500, kKernelExtended, true},
};

// The expected count of a dot of the view by its family's plain loop.
TDot ExpectedCount(const TCalcGrid& grid, const TFamilyView& view, int row, int col) {
  const long double re = grid.ColRe(col), im = grid.RowIm(row);
  switch (view.Kernel) {
    case kKernelSingle:
      return PlainCount(static_cast<float>(re), static_cast<float>(im), view.Limit, false);
    case kKernelDouble:
      return PlainCount(static_cast<double>(re), static_cast<double>(im), view.Limit, false);
    default:
      return PlainCount(re, im, view.Limit, true);
  }
}

// Dots that were not left predicted hold the family's plain count, repaired
// ones included: the repair counts with the family that draws the view.
void ExpectPlainCounts(const TCalcGrid& grid, const TFamilyView& view, const std::string& what) {
  for (int row = 0; row < grid.GridHeight(); ++row)
    for (int col = 0; col < grid.GridWidth(); ++col) {
      const TDot dot = grid.GetDot(row, col);
      if (dot == kDotPredicted) continue;
      const TDot expected = ExpectedCount(grid, view, row, col);
      ASSERT_EQ(dot, expected) << what << " dot " << row << "," << col;
    }
}

TEST(CalcGridTeams, EveryTeamSizeGivesThePlainCounts) {
  TProbeRecurrence plain;
  const int teamSizes[] = {1, 2, 3, 4, 7, 16, 64};
  const int optionSets[] = {0, kOptNoPrediction, kOptNoMirror, kOptNoPrediction | kOptNoMirror};
  for (const TFamilyView& view : kFamilyViews) {
    TCalcGrid grid;
    grid.SetSize(96, 64);
    grid.SetView(view.X, 0, view.Limit, view.Range);
    grid.SetFormula(true, view.CustomRecurrence ? &plain : nullptr, 0, 0);
    for (const int options : optionSets) {
      const int familyOption = view.Kernel == kKernelExtended ? kOptNoSimd : 0;
      grid.SetOptions(options | familyOption);
      ASSERT_EQ(grid.GetKernel(), view.Kernel) << view.Name;
      std::vector<TDot> first;
      std::vector<TGridRect> firstAreas;
      for (const int size : teamSizes) {
        const std::string what = std::string(view.Name) + ", options " + std::to_string(options) +
                                 ", " + std::to_string(size) + " workers";
        grid.SetFixedTeamSize(size);
        RunToEnd(grid, ccDraw);
        for (int pass = 1; pass <= 3; ++pass)
          ASSERT_EQ(grid.PassTeamSize(pass), size) << what << ", pass " << pass;
        ExpectPlainCounts(grid, view, what);
        if (first.empty()) {
          first = Dots(grid);
          firstAreas = grid.RepairedAreas();
          continue;
        }
        // The same dots predicted and repaired too, but for one known race:
        // a row below the axis taken while its partner row is still in
        // progress may compute a dot that the partner's copy marks predicted,
        // or the copy may come first. Predicted blocks are not mirror images,
        // so such a dot ends predicted or computed as the timing falls.
        const bool mirrorRace = (options & (kOptNoPrediction | kOptNoMirror)) == 0;
        // Otherwise the repair, shared or not, repairs the same windows in
        // the same order.
        if (!mirrorRace) {
          EXPECT_EQ(grid.RepairedAreas(), firstAreas) << what;
        }
        const std::vector<TDot> dots = Dots(grid);
        for (std::size_t i = 0; i < dots.size(); ++i) {
          const int row = static_cast<int>(i) / 96;
          if (mirrorRace && row > grid.AxisRow() &&
              (dots[i] == kDotPredicted || first[i] == kDotPredicted))
            continue;
          ASSERT_EQ(dots[i], first[i])
              << what << ", dot " << row << "," << i % 96 << ", axis " << grid.AxisRow();
        }
      }
      const bool predicts = (options & kOptNoPrediction) == 0;
      EXPECT_EQ(std::count(first.begin(), first.end(), kDotPredicted) > 0, predicts) << view.Name;
      EXPECT_EQ(grid.RepairedAreas().empty(), !predicts) << view.Name;
    }
  }
}

TEST(CalcGridTeams, DirectPassOfEveryTeamSizeGivesThePlainCounts) {
  const TFamilyView& view = kFamilyViews[1];
  TCalcGrid grid;
  grid.SetSize(96, 64);
  grid.SetView(view.X, 0, view.Limit, view.Range);
  for (const int size : {1, 3, 64}) {
    grid.SetFixedTeamSize(size);
    RunToEnd(grid, ccDirect);
    EXPECT_EQ(grid.PassTeamSize(3), size);
    ExpectPlainCounts(grid, view, std::to_string(size) + " workers");
  }
}

// Windows of many predicted dots at a high limit go to the workers; a team
// of one leaves the whole repair on the grid thread.
TEST(CalcGridTeams, LargeRepairWindowsAreSharedOverTheTeam) {
  for (const int size : {1, 4}) {
    TCalcGrid grid;
    TRepairProbe probe(grid);
    grid.SetSize(96, 64);
    grid.SetView(-1.75L, 0, 4000, 0.01L);
    grid.SetFormula(true, &probe, 0, 0);
    grid.SetFixedTeamSize(size);
    RunToEnd(grid, ccDraw);
    ASSERT_FALSE(grid.RepairedAreas().empty());
    EXPECT_EQ(probe.ThreadNames().count("Calc"), size == 1 ? 0u : 1u) << size << " workers";
  }
}

// A fault met by a worker sharing a repair window is kept in the state like
// one met on the grid thread, with the dots it left uncomputed.
TEST(CalcGridTeams, FaultInASharedRepairIsReported) {
  TCalcGrid grid;
  TRepairProbe faultyRepair(grid);
  faultyRepair.FaultInRepair = true;
  grid.SetSize(96, 64);
  grid.SetView(-1.75L, 0, 4000, 0.01L);  // windows large enough to be shared
  grid.SetFormula(true, &faultyRepair, 0, 0);
  grid.SetFixedTeamSize(4);
  DrawExpectingRepairFault(grid);
}

// z^2 + c that holds the first repair dot a worker computes until released,
// counting the repair's dots.
class TSharedRepairGate : public TRecurrence {
 public:
  explicit TSharedRepairGate(const TCalcGrid& grid) : FGrid(grid) {}
  TDot Iterate(long double cRe, long double cIm, long double zRe, long double zIm, int limit,
               TStopFlag) const override {
    if (FGrid.Pass() >= 3) {
      std::unique_lock lock(FLock);
      ++FCalls;
      if (!FHeld && ThreadName() == "Calc") {
        FHeld = true;
        FChanged.notify_all();
        FChanged.wait(lock, [&] { return FReleased; });
      }
    }
    return IterateFPU(cRe, cIm, zRe, zIm, limit);
  }
  bool WaitUntilHeld() const {
    std::unique_lock lock(FLock);
    return FChanged.wait_for(lock, kCommandTimeout, [&] { return FHeld; });
  }
  void Release() {
    std::lock_guard lock(FLock);
    FReleased = true;
    FChanged.notify_all();
  }
  int Calls() const {
    std::lock_guard lock(FLock);
    return FCalls;
  }

 private:
  const TCalcGrid& FGrid;
  mutable std::mutex FLock;
  mutable std::condition_variable FChanged;
  mutable bool FHeld = false;
  bool FReleased = false;
  mutable int FCalls = 0;
};

// An abort reaches the workers sharing a repair window: each ends at its
// next dot, and the command ends quietly with the repair unfinished.
TEST(CalcGridTeams, AbortStopsASharedRepairAtTheNextDot) {
  constexpr int kTeam = 4;
  TCalcGrid grid;
  TSharedRepairGate gate(grid);
  grid.SetSize(96, 64);
  grid.SetView(-1.75L, 0, 4000, 0.01L);
  grid.SetFormula(true, &gate, 0, 0);
  grid.SetFixedTeamSize(kTeam);
  grid.Start(ccDraw);
  ASSERT_TRUE(gate.WaitUntilHeld()) << "a window should be shared";
  grid.Abort();
  const int callsAtAbort = gate.Calls();
  gate.Release();
  ASSERT_TRUE(grid.WaitIdleFor(kCommandTimeout));
  // A worker may have begun one more dot while the abort was being raised.
  EXPECT_LE(gate.Calls() - callsAtAbort, kTeam - 1);
  EXPECT_EQ(grid.Pass(), 3);
  EXPECT_EQ(grid.Command(), ccDraw);
  EXPECT_FALSE(grid.LastFault().Failed);
  EXPECT_GT(PredictedNextToEscaped(grid), 0);
}

TEST(CalcGridPasses, TinyGridsComplete) {
  const std::pair<int, int> sizes[] = {{3, 2}, {1, 1}, {2, 3}, {17, 1}, {1, 40}, {33, 33}};
  const TCalcCommand commands[] = {ccDraw, ccDirect, ccMagnify};
  for (const auto& [width, height] : sizes)
    for (const TCalcCommand command : commands) {
      TCalcGrid grid;
      grid.SetSize(width, height);
      grid.SetView(-0.5L, 0, 50, 1.5L);
      grid.SetMagnify(2);
      RunToEnd(grid, command);
      EXPECT_EQ(grid.Command(), ccNone);
      for (const TDot dot : Dots(grid))
        ASSERT_NE(dot, kDotUncomputed) << width << "x" << height << " command " << command;
    }
}

TEST(CalcGridPasses, PassOverFinishedGridComputesNothing) {
  TCalcGrid grid;
  TProbeRecurrence plain;
  grid.SetSize(40, 30);
  grid.SetView(10, 10, 50, 1);  // every dot escapes
  grid.SetFormula(true, &plain, 0, 0);
  RunToEnd(grid, ccDraw);
  const std::vector<TDot> before = Dots(grid);
  plain.ForgetCalls();
  RunToEnd(grid, ccContinue);
  EXPECT_TRUE(plain.Calls().empty());
  EXPECT_EQ(before, Dots(grid));
  for (int row = 0; row < 30; ++row)
    EXPECT_EQ(grid.RowPass(row), 3) << "row " << row;
}

TEST(CalcGridPasses, ContinueAfterRaisingTheLimitMatchesAFreshDraw) {
  TCalcGrid grid;
  grid.SetSize(96, 64);
  grid.SetView(-0.75L, 0.1L, 40, 1.2L);
  RunToEnd(grid, ccDraw);
  grid.SetView(-0.75L, 0.1L, 160, 1.2L);
  RunToEnd(grid, ccContinue);
  const std::vector<TDot> continued = Dots(grid);
  RunToEnd(grid, ccDraw);
  const std::vector<TDot> fresh = Dots(grid);
  for (std::size_t i = 0; i < fresh.size(); ++i)
    if (fresh[i] <= 160) {
      ASSERT_EQ(continued[i], fresh[i]) << "dot " << i;
    }
}

TEST(CalcGridPasses, FaultingRecurrenceEndsOnlyItsWorker) {
  TCalcGrid grid;
  TProbeRecurrence faulty;
  grid.SetSize(48, 48);
  grid.SetView(-0.5L, 0.3L, 40, 1.5L);
  grid.SetOptions(kOptNoMirror);
  const long double faultRow = grid.RowIm(16);  // a row of every pass
  faulty.ThrowWhen = [faultRow](long double re, long double im) {
    return im == faultRow && re > 0;
  };
  grid.SetFormula(true, &faulty, 0, 0);
  RunToEnd(grid, ccDraw);
  EXPECT_EQ(grid.Command(), ccNone);
  EXPECT_EQ(grid.Pass(), 4);
  int faulting = 0;
  for (int row = 0; row < 48; ++row)
    for (int col = 0; col < 48; ++col) {
      const bool faults = row == 16 && grid.ColRe(col) > 0;
      faulting += faults;
      if (faults) {
        EXPECT_EQ(grid.GetDot(row, col), kDotUncomputed) << row << "," << col;
      } else {
        EXPECT_NE(grid.GetDot(row, col), kDotUncomputed) << row << "," << col;
      }
    }
  const TCalcFault fault = grid.LastFault();
  EXPECT_TRUE(fault.Failed);
  EXPECT_EQ(fault.Error, "arithmetic fault");
  EXPECT_EQ(fault.UncomputedDots, faulting);

  faulty.ThrowWhen = nullptr;  // idle: no worker reads it now
  RunToEnd(grid, ccDraw);
  EXPECT_FALSE(grid.LastFault().Failed);
  EXPECT_EQ(grid.LastFault().UncomputedDots, 0);
}

// A fault met while repairing a prediction is kept as well; the dot stays
// uncomputed rather than predicted, so the scan still ends.
TEST(CalcGridPasses, FaultInTheRepairIsReported) {
  TCalcGrid grid;
  TRepairProbe faultyRepair(grid);
  faultyRepair.FaultInRepair = true;
  grid.SetSize(100, 100);
  grid.SetView(-0.5L, 0.56L, 500, 0.05L);  // filaments that fool the prediction
  grid.SetFormula(true, &faultyRepair, 0, 0);
  DrawExpectingRepairFault(grid);
}

// --- Abort and serialisation --------------------------------------------------

// Starts a draw on a 64 × 48 grid whose first computed dot waits until the
// test releases it.
void StartHeld(TCalcGrid& grid, TProbeRecurrence& held, int options = 0) {
  held.HoldFirstCall = true;
  grid.SetSize(64, 48);
  grid.SetView(-0.5L, 0, 50, 1.5L);
  grid.SetFormula(true, &held, 0, 0);
  grid.SetOptions(options);
  grid.Start(ccDraw);
  ASSERT_TRUE(held.WaitUntilHeld(kCommandTimeout));
}

TEST(CalcGridControl, AbortDuringFirstPassKeepsItsDots) {
  TCalcGrid grid;
  TProbeRecurrence held;
  StartHeld(grid, held, kOptNoMirror);
  EXPECT_FALSE(grid.IsIdle());
  grid.Abort();
  held.Release();
  ASSERT_TRUE(grid.WaitIdleFor(kCommandTimeout));
  EXPECT_EQ(grid.Command(), ccDraw);
  EXPECT_EQ(grid.Pass(), 0);
  EXPECT_LE(grid.Progress(), 1);
  // Which lattice dots the team reached before the abort depends on timing;
  // every one it reached is kept, the held one included, and nothing else.
  const auto calls = held.Calls();
  for (const test_support::TCall& call : calls) {
    const auto [row, col] = CellOf(grid, call);
    EXPECT_EQ(row % 16 + col % 16, 0) << row << "," << col;
    EXPECT_NE(grid.GetDot(row, col), kDotUncomputed) << row << "," << col;
  }
  int computed = 0;
  for (int row = 0; row < 48; ++row)
    for (int col = 0; col < 64; ++col)
      computed += grid.GetDot(row, col) != kDotUncomputed;
  EXPECT_EQ(computed, static_cast<int>(calls.size()));

  held.HoldFirstCall = false;  // the grid is idle, so no worker reads it now
  RunToEnd(grid, ccDraw);
  EXPECT_EQ(grid.Command(), ccNone);
}

// z^2 + c that holds, in every stage of a command (the grid's Pass(): 0 to 2
// for the passes, 3 for the repair), the first dot asked from the stage's hold
// row on, until the test releases it; it counts the dots asked in each stage.
class TStageGate : public TRecurrence {
 public:
  TStageGate(const TCalcGrid& grid, std::array<int, 4> holdRows)
      : FGrid(grid), FHoldRows(holdRows) {}

  TDot Iterate(long double cRe, long double cIm, long double zRe, long double zIm, int limit,
               TStopFlag) const override {
    const int stage = FGrid.Pass();
    const int row =
        static_cast<int>(std::lround((cIm - FGrid.RowIm(0)) / FGrid.GetStep().ToLongDouble()));
    std::unique_lock lock(FLock);
    ++FCalls[stage];
    if (stage < 4 && row >= FHoldRows[stage] && !FHeld[stage]) {
      FHeld[stage] = true;
      FHeldRow = row;
      FHeldStage = stage;
      FChanged.notify_all();
      FChanged.wait(lock, [&] { return FHeldStage != stage; });
    }
    return IterateFPU(cRe, cIm, zRe, zIm, limit);
  }

  // The row of the dot held in the stage, or -1 if the command ended first.
  int WaitUntilHeld(int stage) const {
    std::unique_lock lock(FLock);
    const bool held = FChanged.wait_for(lock, kCommandTimeout,
                                        [&] { return FHeldStage == stage || FGrid.IsIdle(); });
    return held && FHeldStage == stage ? FHeldRow : -1;
  }
  void Release() {
    std::lock_guard lock(FLock);
    FHeldStage = -1;
    FChanged.notify_all();
  }
  int Calls(int stage) const {
    std::lock_guard lock(FLock);
    return FCalls[stage];
  }

 private:
  const TCalcGrid& FGrid;
  const std::array<int, 4> FHoldRows;
  mutable std::mutex FLock;
  mutable std::condition_variable FChanged;
  mutable int FCalls[5] = {};
  mutable bool FHeld[5] = {};
  mutable int FHeldRow = -1;
  mutable int FHeldStage = -1;
};

// Percent while a stage runs: base + rows handed out * span / height, the
// quotient rounded half to even (nearbyint in the default rounding mode).
int ExpectedPercent(int base, int span, int rowsHandedOut, int height) {
  return base +
         static_cast<int>(std::nearbyint(static_cast<double>(rowsHandedOut) * span / height));
}

// The filaments view on 100 x 100 dots, one worker taking rows in order.
void StartStagedView(TCalcGrid& grid, TStageGate& gate) {
  grid.SetSize(100, 100);
  grid.SetView(-0.5L, 0.56L, 500, 0.05L);
  grid.SetFormula(true, &gate, 0, 0);
  grid.SetOptions(kOptSingleWorker | kOptNoMirror);
  grid.Start(ccDraw);
}

TEST(CalcGridControl, ProgressFollowsEachStagesShare) {
  TCalcGrid grid;
  // Late rows tell the shares apart best; the repair's first rows below 50
  // are far enough down.
  TStageGate gate(grid, {90, 90, 90, 50});
  StartStagedView(grid, gate);
  struct TStage {
    int Base, Span, Stride;
  };
  const TStage stages[] = {{0, 1, 16}, {1, 7, 4}, {8, 82, 1}};
  for (int stage = 0; stage < 3; ++stage) {
    const int row = gate.WaitUntilHeld(stage);
    ASSERT_GE(row, 90) << "stage " << stage;
    // The one worker has taken the rows up to the held one.
    const TStage& s = stages[stage];
    EXPECT_EQ(grid.Progress(), ExpectedPercent(s.Base, s.Span, row + s.Stride, 100))
        << "stage " << stage << ", row " << row;
    gate.Release();
  }
  // The repair counts the rows it has scanned; its window reaches 4 rows
  // either side of the scanned row.
  const int row = gate.WaitUntilHeld(3);
  ASSERT_GE(row, 50) << "the view should need repairs in its lower half";
  const int progress = grid.Progress();
  EXPECT_GE(progress, ExpectedPercent(90, 10, row - 4, 100)) << "row " << row;
  EXPECT_LE(progress, ExpectedPercent(90, 10, row + 4, 100)) << "row " << row;
  gate.Release();
  ASSERT_TRUE(grid.WaitIdleFor(kCommandTimeout));
  EXPECT_EQ(grid.Progress(), 100);
}

TEST(CalcGridControl, AbortStopsTheRepairAtTheNextDot) {
  TCalcGrid grid;
  TStageGate gate(grid, {0, 0, 0, 0});
  StartStagedView(grid, gate);
  for (int stage = 0; stage < 3; ++stage) {
    ASSERT_GE(gate.WaitUntilHeld(stage), 0);
    gate.Release();
  }
  ASSERT_GE(gate.WaitUntilHeld(3), 0) << "the view should need repairs";
  grid.Abort();
  gate.Release();
  ASSERT_TRUE(grid.WaitIdleFor(kCommandTimeout));
  EXPECT_EQ(gate.Calls(3), 1);
  EXPECT_EQ(grid.Pass(), 3);
  EXPECT_EQ(grid.Command(), ccDraw);
  EXPECT_GT(PredictedNextToEscaped(grid), 0);
}

TEST(CalcGridControl, WaitForAPassEndsWhenItIsDoneOrTheCommandIs) {
  TCalcGrid grid;
  TProbeRecurrence held;
  StartHeld(grid, held);
  EXPECT_FALSE(grid.WaitPassFor(1, 20ms));  // the first pass is held
  held.Release();
  EXPECT_TRUE(grid.WaitPassFor(3, kCommandTimeout));
  EXPECT_GE(grid.Pass(), 3);
  ASSERT_TRUE(grid.WaitIdleFor(kCommandTimeout));
  EXPECT_TRUE(grid.WaitPassFor(3, 0ms));
}

TEST(CalcGridControl, SettersWaitForTheRunningCommand) {
  TCalcGrid grid;
  TProbeRecurrence held;
  StartHeld(grid, held);
  auto resize = std::async(std::launch::async, [&grid] { grid.SetSize(8, 8); });
  EXPECT_EQ(resize.wait_for(20ms), std::future_status::timeout);
  EXPECT_EQ(grid.GridWidth(), 64);
  held.Release();
  resize.get();
  EXPECT_TRUE(grid.IsIdle());
  EXPECT_EQ(grid.GridWidth(), 8);
  EXPECT_EQ(grid.Command(), ccNone);
}

// Destruction aborts a running command rather than waiting for it: here the
// command would take minutes, and no dot is asked for once the grid is gone.
TEST(CalcGridControl, DestroyingABusyGridAbortsItsCommand) {
  struct TSlowRecurrence : TRecurrence {
    mutable std::atomic<int> Calls{0};
    TDot Iterate(long double, long double, long double, long double, int,
                 TStopFlag) const override {
      ++Calls;
      std::this_thread::sleep_for(1ms);
      return kDotInside;
    }
  } slow;
  auto grid = std::make_unique<TCalcGrid>();
  grid->SetSize(400, 300);
  grid->SetFormula(true, &slow, 0, 0);
  grid->SetOptions(kOptNoPrediction);
  grid->Start(ccDraw);
  while (slow.Calls == 0)
    std::this_thread::sleep_for(1ms);
  const auto start = std::chrono::steady_clock::now();
  grid.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
  const int calls = slow.Calls;
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(slow.Calls, calls);
  EXPECT_LT(calls, 400 * 300 / 4);
}

// --- Reuse after scrolls, zooms and limit changes ----------------------------

TEST(CalcGridReuse, ClipShiftInAllDirections) {
  struct TCase {
    int Dx, Dy;
    TGridRect Src, Dst;
  };
  const TCase cases[] = {
      {0, 0, {0, 0, 10, 8}, {0, 0, 10, 8}},   {3, 2, {0, 0, 7, 6}, {3, 2, 10, 8}},
      {-3, -2, {3, 2, 10, 8}, {0, 0, 7, 6}},  {3, -2, {0, 2, 7, 8}, {3, 0, 10, 6}},
      {-3, 2, {3, 0, 10, 6}, {0, 2, 7, 8}},   {0, 5, {0, 0, 10, 3}, {0, 5, 10, 8}},
      {12, 0, {0, 0, -2, 8}, {12, 0, 10, 8}},
  };
  for (const TCase& c : cases) {
    TGridRect src, dst;
    ClipShift(c.Dx, c.Dy, 10, 8, src, dst);
    EXPECT_EQ(src, c.Src) << c.Dx << "," << c.Dy;
    EXPECT_EQ(dst, c.Dst) << c.Dx << "," << c.Dy;
  }
}

TEST(CalcGridReuse, DrawAppliesAPendingShiftOnce) {
  constexpr int kWidth = 12, kHeight = 9;
  const std::pair<int, int> shifts[] = {{3, 2}, {-3, -2}, {3, -2}, {-3, 2}, {0, 5}, {-20, 0}};
  for (const auto& [dx, dy] : shifts) {
    TMarkerGrid marked(kWidth, kHeight);
    TCalcGrid& grid = marked.Grid;
    const std::vector<TDot> old = Dots(grid);
    grid.SetShift(dx, dy);
    RunToEnd(grid, ccDraw);
    for (int row = 0; row < kHeight; ++row)
      for (int col = 0; col < kWidth; ++col) {
        const int oldRow = row - dy, oldCol = col - dx;
        const bool kept = oldRow >= 0 && oldRow < kHeight && oldCol >= 0 && oldCol < kWidth;
        EXPECT_EQ(grid.GetDot(row, col), kept ? old[oldRow * kWidth + oldCol] : kDotInside)
            << "shift " << dx << "," << dy << " dot " << row << "," << col;
      }
    FillWithMarkers(grid);
    RunToEnd(grid, ccDraw);  // the shift was used up
    for (const TDot dot : Dots(grid))
      ASSERT_EQ(dot, kDotInside);
  }
}

TEST(CalcGridReuse, ZoomKeepsScaledDotsAndRecomputesTheCentre) {
  const float factors[] = {2, 4, 8, 16, 0.5f, 0.25f, 0.125f, 0.0625f};
  const std::pair<int, int> sizes[] = {{45, 36}, {40, 33}};
  for (const auto& [width, height] : sizes)
    for (const float factor : factors) {
      TMarkerGrid marked(width, height);
      TCalcGrid& grid = marked.Grid;
      const std::vector<TDot> old = Dots(grid);
      grid.SetMagnify(factor);
      RunToEnd(grid, ccMagnify);
      const int n = factor < 1 ? static_cast<int>(1 / factor) : static_cast<int>(factor);
      const int hh = height / 2, hw = width / 2;
      // Old dot (hh + d, hw + e) lies at new (hh + d*n, hw + e*n) after enlarging.
      // Copied into the lambda: clang 14 cannot capture structured bindings.
      const auto source = [&, width = width, height = height](int row, int col) -> int {
        if (factor > 1) {
          if ((row - hh) % n != 0 || (col - hw) % n != 0) return -1;
          return (hh + (row - hh) / n) * width + hw + (col - hw) / n;
        }
        const int oldRow = hh + (row - hh) * n, oldCol = hw + (col - hw) * n;
        if (oldRow < 0 || oldRow >= height || oldCol < 0 || oldCol >= width) return -1;
        return oldRow * width + oldCol;
      };
      for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col) {
          const int from = row == hh && col == hw ? -1 : source(row, col);
          EXPECT_EQ(grid.GetDot(row, col), from >= 0 ? old[from] : kDotInside)
              << width << "x" << height << " factor " << factor << " dot " << row << "," << col;
        }
    }
}

TEST(CalcGridReuse, ZoomBy2Or4RunsOnlyTheFinePass) {
  struct TCase {
    float Factor;
    bool FinePassOnly;
  };
  const TCase cases[] = {{2, true}, {4, true}, {8, false}, {16, false}, {0.5f, false}};
  for (const TCase& c : cases) {
    TCalcGrid grid;
    TProbeRecurrence plain;
    grid.SetSize(64, 48);
    grid.SetView(-0.5L, 0, 30, 1.5L);
    grid.SetFormula(true, &plain, 0, 0);
    grid.SetOptions(kOptSingleWorker | kOptNoMirror);
    for (int row = 0; row < 48; ++row)
      for (int col = 0; col < 64; ++col)
        grid.SetDot(row, col, 5);
    grid.SetMagnify(c.Factor);
    RunToEnd(grid, ccMagnify);
    const auto calls = plain.Calls();
    ASSERT_FALSE(calls.empty());
    // The fine pass starts at the first uncomputed dot of row 0; a coarse
    // pass starts on its own lattice.
    const auto [row, col] = CellOf(grid, calls.front());
    if (c.FinePassOnly) {
      EXPECT_EQ(std::make_pair(row, col), std::make_pair(0, 1)) << "factor " << c.Factor;
    } else {
      EXPECT_TRUE(row % 4 == 0 && col % 4 == 0) << "factor " << c.Factor;
    }
    for (const TDot dot : Dots(grid))
      ASSERT_NE(dot, kDotUncomputed);
  }
}

// Predicted dots carried by a zoom, even onto the border, are all repaired
// once their neighbours turn out to escape.
TEST(CalcGridReuse, ZoomedPredictionsNextToEscapedDotsAreRepaired) {
  const float factors[] = {2, 4, 8, 16, 0.5f};
  for (const float factor : factors) {
    TCalcGrid grid;
    grid.SetSize(64, 48);
    grid.SetView(10, 10, 50, 1);  // every dot escapes
    grid.SetOptions(kOptNoSimd);
    RunToEnd(grid, ccDirect);
    const std::vector<TDot> direct = Dots(grid);
    for (int row = 0; row < 48; ++row)
      for (int col = 0; col < 64; ++col)
        grid.SetDot(row, col, kDotPredicted);
    grid.SetMagnify(factor);
    RunToEnd(grid, ccMagnify);
    EXPECT_EQ(Dots(grid), direct) << "factor " << factor;
  }
}

// A zoom by 2 leaves every dot that it does not predict with the plain count
// of the new view, and every dot that a fresh draw of the new view finds
// escaping with the same count, also where the zoom is about a point off the
// centre, so that the kept lattice starts at odd rows or columns.
TEST(CalcGridReuse, ZoomBy2CountsWhatAFreshDrawCounts) {
  constexpr int kWidth = 202, kHeight = 148;
  struct TCase {
    TViewSpec Old;
    int AnchorX, AnchorY;
  };
  const TCase cases[] = {
      {{0, 0, 2, 1000}, 0, 0},
      {{-0.75L, 0.1L, 0.05L, 600}, 0, 0},
      {{-0.1L, 0.651L, 0.02L, 1000}, 13, -8},
      {{-1.75L, 0, 0.01L, 1500}, -21, 5},
      {{-0.2L, 0.05L, 1.2L, 400}, 7, 7},
  };
  for (const TCase& c : cases) {
    const std::string what = "view " + std::to_string(static_cast<double>(c.Old.X)) + "," +
                             std::to_string(static_cast<double>(c.Old.Y)) + " anchor " +
                             std::to_string(c.AnchorX) + "," + std::to_string(c.AnchorY);
    TCalcGrid grid;
    grid.SetSize(kWidth, kHeight);
    grid.SetOptions(kOptNoMirror);  // every dot of the fresh draw computed, none copied
    grid.SetView(c.Old.X, c.Old.Y, c.Old.Limit, c.Old.Range);
    RunToEnd(grid, ccDraw);
    // The anchor's point keeps its place: the centre moves half way to it.
    const long double step = grid.GetStep().ToLongDouble();
    const TViewSpec view{c.Old.X + step * c.AnchorX / 2, c.Old.Y + step * c.AnchorY / 2,
                         c.Old.Range / 2, c.Old.Limit};
    grid.SetView(view.X, view.Y, view.Limit, view.Range);
    grid.SetMagnify(2, c.AnchorX, c.AnchorY);
    RunToEnd(grid, ccMagnify);
    const std::vector<TDot> zoomed = Dots(grid);
    RunToEnd(grid, ccDraw);
    const std::vector<TDot> fresh = Dots(grid);
    const std::vector<TDot> plain = ReferenceGrid(view, kWidth, kHeight, grid.GetKernel());
    ASSERT_GT(CountPredicted(zoomed), 1000) << what << ": the view should have an inside";
    for (std::size_t i = 0; i < zoomed.size(); ++i) {
      if (zoomed[i] != kDotPredicted) {
        ASSERT_EQ(zoomed[i], plain[i]) << what << ", dot " << i;
      }
      if (fresh[i] < kInsideThreshold) {
        ASSERT_EQ(zoomed[i], fresh[i]) << what << ", dot " << i;
      }
    }
  }
}

TEST(CalcGridReuse, ContinueRecomputesOnlyUndecidedDots) {
  struct TCase {
    TDot Before, After;
  };
  const TCase cases[] = {
      {0, 7},          {1, 1},
      {500, 500},      {kInsideThreshold, kInsideThreshold},
      {0xFF01, 7},     {kDotPredicted, 7},
      {kDotInside, 7},
  };
  TMarkerGrid marked(std::size(cases), 1);
  TCalcGrid& grid = marked.Grid;
  marked.Constant.Fixed = 7;
  for (std::size_t i = 0; i < std::size(cases); ++i)
    grid.SetDot(0, i, cases[i].Before);
  RunToEnd(grid, ccContinue);
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(grid.GetDot(0, i), cases[i].After) << "value " << cases[i].Before;
}

}  // namespace
}  // namespace vortexa
