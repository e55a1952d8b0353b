#include "grid_statistics.h"

#include <gtest/gtest.h>

#include <vector>

#include "calc_grid.h"
#include "test_recurrences.h"

namespace vortexa {
namespace {

// A one-row grid holding `values`, with dots wide enough for the limit.
void Load(TCalcGrid& grid, const std::vector<TDot>& values, int limit = 1000) {
  grid.SetView(0, 0, limit, 1);
  grid.SetSize(static_cast<int>(values.size()), 1);
  for (std::size_t i = 0; i < values.size(); ++i)
    grid.SetDot(0, static_cast<int>(i), values[i]);
}

TEST(GridStatistics, CountsExtremesMeanAndBins) {
  struct TCase {
    const char* Name;
    std::vector<TDot> Values;
    int Offset, BinWidth, Limit;
    std::vector<std::int32_t> Hist;  // expected, starting from all zero
    TCalcStats Stats;
  };
  const TCase cases[] = {
      {"uncomputed counts as escaped 0, outside the bins",
       {0, 5, 10, kDotPredicted},
       0,
       5,
       8,
       {1, 0, 0},
       {2, 2, 1, 1, 4, 1, 5, 0, 3}},
      {"no escaped dots",
       {kDotInside, kDotPredicted, kDotInside, kDotInside},
       0,
       5,
       100,
       {0, 0, 0},
       {0, 4, 3, 1, 4, 0, 0, kNoEscapedCount, 75}},
      {"bins by floor division, mean 8.5 to even",
       {1, 6, 11, 16},
       0,
       5,
       100,
       {1, 1, 1},
       {4, 0, 0, 0, 4, 1, 16, 1, 8}},
      {"offset moves the first bin",
       {1, 6, 11, 16},
       5,
       5,
       100,
       {1, 1, 1},
       {4, 0, 0, 0, 4, 1, 16, 1, 8}},
      {"negative offset", {1, 2}, -10, 5, 100, {0, 0, 2}, {2, 0, 0, 0, 2, 0, 2, 1, 2}},
      {"mean 1.5 rounds up to even", {1, 2}, 0, 1, 100, {1, 1, 0}, {2, 0, 0, 0, 2, 0, 2, 1, 2}},
      {"mean 2.5 rounds down to even", {1, 4}, 0, 1, 100, {1, 0, 0}, {2, 0, 0, 0, 2, 1, 4, 1, 2}},
      {"mean 3.5 rounds up to even", {3, 4}, 0, 1, 100, {0, 0, 1}, {2, 0, 0, 0, 2, 1, 4, 3, 4}},
      {"count above the given limit adds the limit",
       {50, 3},
       0,
       10,
       20,
       {1, 0, 0},
       {1, 1, 1, 0, 2, 0, 3, 3, 12}},
      {"counts past 16 bits, mean 320000 / 4",
       {70000, 100000, kDotInside, kDotPredicted},
       65000,
       20000,
       150000,
       {1, 1, 0},
       {2, 2, 1, 1, 4, 0, 100000, 70000, 80000}},
  };
  for (const TCase& c : cases) {
    TCalcGrid grid;
    Load(grid, c.Values, c.Limit);
    std::vector<std::int32_t> hist(c.Hist.size());
    TCalcStats stats;
    const int mean = grid.GetStatistics(c.Offset, c.BinWidth, c.Limit, hist, stats);
    EXPECT_EQ(stats, c.Stats) << c.Name;
    EXPECT_EQ(hist, c.Hist) << c.Name;
    EXPECT_EQ(mean, c.Stats.Mean) << c.Name;
  }
}

TEST(GridStatistics, HistogramIsOnlyAddedTo) {
  TCalcGrid grid;
  Load(grid, {1, 2, 3});
  std::vector<std::int32_t> hist{10, 20};
  TCalcStats stats;
  grid.GetStatistics(0, 2, 100, hist, stats);
  EXPECT_EQ(hist, (std::vector<std::int32_t>{12, 21}));
  EXPECT_THROW(grid.GetStatistics(0, 0, 100, hist, stats), std::invalid_argument);
}

TEST(GridStatistics, SuggestedHistogramRange) {
  struct TCase {
    const char* Name;
    std::vector<std::pair<TDot, int>> Runs;  // value, how many dots
    int Limit, Low, High;
  };
  const TCase cases[] = {
      {"no counted dots", {{kDotInside, 10}, {900, 3}}, 900, 0, 1},
      {"everything in the first bin", {{10, 50}, {499, 50}}, 1000, 0, 1},
      {"uncomputed dots count", {{0, 1}, {600, 99}}, 1000, 0, 2},
      {"top 1 % may be ignored", {{600, 99}, {5000, 1}}, 6000, 1, 2},
      {"more than 1 % sets the top", {{600, 98}, {5000, 2}}, 6000, 1, 11},
      {"values at the limit are left out", {{600, 98}, {5000, 2}}, 5000, 1, 2},
      {"highest possible bin", {{600, 50}, {64999, 50}}, 65000, 1, 130},
      // Above limit 65000 the bins widen with the limit's step.
      {"step 1000 at limit 100000", {{600, 98}, {99999, 2}}, 100000, 0, 100},
      {"counts past 65000 at limit 1000000", {{70000, 98}, {900000, 2}}, 1000000, 7, 91},
      {"top 1 % at limit 100000000", {{5000000, 99}, {99999999, 1}}, 100000000, 5, 6},
      {"top bin at limit 100000000", {{5000000, 98}, {99999999, 2}}, 100000000, 5, 100},
  };
  for (const TCase& c : cases) {
    std::vector<TDot> values;
    for (const auto& [value, count] : c.Runs)
      values.insert(values.end(), count, value);
    TCalcGrid grid;
    Load(grid, values, c.Limit);
    int low = -1, high = -1;
    grid.SuggestHistRange(c.Limit, low, high);
    EXPECT_EQ(low, c.Low) << c.Name;
    EXPECT_EQ(high, c.High) << c.Name;
  }
}

TEST(GridStatistics, HistogramStepFollowsTheLimit) {
  const std::pair<int, int> cases[] = {
      // limit, step
      {1, 500},           {65000, 500},       {65001, 1000},        {130000, 1000},
      {130001, 2000},     {260001, 5000},     {650001, 10000},      {1000000, 10000},
      {10000000, 100000}, {65000000, 500000}, {100000000, 1000000},
  };
  for (const auto& [limit, step] : cases)
    EXPECT_EQ(HistStep(limit), step) << limit;
}

TEST(GridStatistics, MinDotIsCachedUntilClear) {
  TCalcGrid grid;
  test_support::TProbeRecurrence constant;
  constant.Fixed = 7;
  Load(grid, {kDotInside, 100, kDotInside, 300});
  grid.SetView(0, 0, 50, 1);
  grid.SetFormula(true, &constant, 0, 0);
  grid.SetOptions(kOptNoPrediction);
  EXPECT_EQ(grid.MinDot(), 100);
  grid.SetDot(0, 3, 2);
  EXPECT_EQ(grid.MinDot(), 100);
  grid.Start(ccContinue);  // turns the undecided dots into 7s
  ASSERT_TRUE(grid.WaitIdleFor(std::chrono::seconds(30)));
  EXPECT_EQ(grid.GetDot(0, 0), 7);
  EXPECT_EQ(grid.MinDot(), 100);
  grid.Clear();
  EXPECT_EQ(grid.MinDot(), 0);
  grid.SetDot(0, 0, 9);
  EXPECT_EQ(grid.MinDot(), 0);

  Load(grid, {kDotInside, kDotPredicted});
  EXPECT_EQ(grid.MinDot(), kInsideThreshold);
}

}  // namespace
}  // namespace vortexa
