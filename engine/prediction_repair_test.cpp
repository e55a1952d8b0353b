#include "prediction_repair.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "reference_counts.h"

namespace vortexa {
namespace {

struct TWindow {
  int Row, Col;
  bool operator==(const TWindow&) const = default;
};

// A grid before its repair and the counts its predicted dots really have.
struct TCase {
  std::string Name;
  int Width, Height;
  std::vector<TDot> Dots, Truth;
};

struct TOutcome {
  std::vector<TDot> Dots;
  std::vector<TWindow> Windows;
  std::vector<int> RowsDone;
};

// Recomputes the predicted dots of the window around (row, col) from the truth.
void RepairFromTruth(const TCase& c, std::vector<TDot>& dots, int row, int col) {
  for (int r = std::max(row - kRepairRadius, 0); r <= std::min(row + kRepairRadius, c.Height - 1);
       ++r)
    for (int k = std::max(col - kRepairRadius, 0); k <= std::min(col + kRepairRadius, c.Width - 1);
         ++k) {
      TDot& dot = dots[static_cast<std::size_t>(r) * c.Width + k];
      if (dot == kDotPredicted) dot = c.Truth[static_cast<std::size_t>(r) * c.Width + k];
    }
}

// The repair scan written out plainly: row by row, and after each repair nine
// rows and nine columns back.
TOutcome PlainScan(const TCase& c) {
  TOutcome out{c.Dots, {}, {}};
  const auto at = [&](int r, int k) { return out.Dots[static_cast<std::size_t>(r) * c.Width + k]; };
  const auto touchesEscaped = [&](int row, int col) {
    for (int r = std::max(row - 1, 0); r <= std::min(row + 1, c.Height - 1); ++r)
      for (int k = std::max(col - 1, 0); k <= std::min(col + 1, c.Width - 1); ++k)
        if (at(r, k) < kInsideThreshold) return true;
    return false;
  };
  int row = 0, col = 0;
  while (row < c.Height) {
    if (col == c.Width) {
      ++row;
      col = 0;
    } else if (at(row, col) == kDotPredicted && touchesEscaped(row, col)) {
      RepairFromTruth(c, out.Dots, row, col);
      out.Windows.push_back({row, col});
      // The scan goes on with the dot it went back to.
      row = std::max(row - 9, 0);
      col = std::max(col - 9, 0);
    } else {
      ++col;
    }
  }
  return out;
}

TOutcome EngineScan(const TCase& c) {
  TOutcome out{c.Dots, {}, {}};
  RepairPredictions(
      out.Dots.data(), c.Width, c.Height,
      [&](int row, int col) {
        RepairFromTruth(c, out.Dots, row, col);
        out.Windows.push_back({row, col});
      },
      [&](int row) { out.RowsDone.push_back(row); });
  return out;
}

void ExpectSameAsPlainScan(const TCase& c) {
  const TOutcome plain = PlainScan(c);
  const TOutcome engine = EngineScan(c);
  ASSERT_EQ(engine.Windows.size(), plain.Windows.size()) << c.Name;
  for (std::size_t i = 0; i < plain.Windows.size(); ++i)
    ASSERT_EQ(engine.Windows[i], plain.Windows[i])
        << c.Name << ": repair " << i << " at " << plain.Windows[i].Row << ","
        << plain.Windows[i].Col;
  EXPECT_EQ(engine.Dots, plain.Dots) << c.Name;
  // Every row is reported once, in order, whatever the plain scan went back over.
  std::vector<int> everyRow(c.Height);
  for (int row = 0; row < c.Height; ++row)
    everyRow[row] = row;
  EXPECT_EQ(engine.RowsDone, everyRow) << c.Name;
}

// Counts of a Mandelbrot view, predicted the way the coarse passes do it but
// on a lattice of `spacing`: every dot of a block whose four corners are
// inside is marked. Thin filaments through such blocks are wrongly marked,
// and their repairs run on from window to window, up as well as down.
TCase MandelbrotCase(const std::string& name, long double x, long double y, long double range,
                     int limit, int width, int height, int spacing) {
  TCase c{name, width, height, {}, {}};
  const long double step = 2 * range / std::min(width, height);
  for (int row = 0; row < height; ++row)
    for (int col = 0; col < width; ++col)
      c.Truth.push_back(test_support::ReferenceExtended((col - width / 2) * step + x,
                                                        (row - height / 2) * step + y, limit));
  c.Dots = c.Truth;
  const auto truth = [&](int r, int k) { return c.Truth[static_cast<std::size_t>(r) * width + k]; };
  for (int r = 0; r + spacing < height; r += spacing)
    for (int k = 0; k + spacing < width; k += spacing) {
      if (truth(r, k) < kInsideThreshold || truth(r + spacing, k) < kInsideThreshold ||
          truth(r, k + spacing) < kInsideThreshold ||
          truth(r + spacing, k + spacing) < kInsideThreshold)
        continue;
      for (int i = 0; i <= spacing; ++i)
        for (int j = 0; j <= spacing; ++j)
          if ((i % spacing != 0) || (j % spacing != 0))
            c.Dots[static_cast<std::size_t>(r + i) * width + k + j] = kDotPredicted;
    }
  return c;
}

// Everything predicted but for a few computed dots; the truth has escaped
// dots scattered with the given share, so repairs chain in every direction.
TCase RandomCase(int width, int height, double escapedShare, int seeds, unsigned seed) {
  TCase c{"random " + std::to_string(width) + "x" + std::to_string(height) + " share " +
              std::to_string(escapedShare) + " seed " + std::to_string(seed),
          width,
          height,
          {},
          {}};
  std::mt19937 random(seed);
  std::bernoulli_distribution escaped(escapedShare);
  std::uniform_int_distribution<int> count(1, 500);
  for (int i = 0; i < width * height; ++i)
    c.Truth.push_back(escaped(random) ? static_cast<TDot>(count(random)) : kDotInside);
  c.Dots.assign(c.Truth.size(), kDotPredicted);
  std::uniform_int_distribution<int> place(0, width * height - 1);
  for (int i = 0; i < seeds; ++i) {
    const int at = place(random);
    c.Truth[at] = c.Dots[at] = static_cast<TDot>(count(random));
  }
  return c;
}

// An escaped path, wrongly predicted from end to end, leaves the computed dot
// at its far end and winds up and down through the grid, so that every repair
// sets off the next one above, below, left or right of it, across many rows.
TCase WindingPathCase(int width, int height) {
  TCase c{"winding path", width, height, std::vector<TDot>(width * height, kDotPredicted),
          std::vector<TDot>(width * height, kDotInside)};
  int row = 2, col = 2, direction = 1;
  for (int leg = 0; col < width - 2; ++leg) {
    // Down a column, right by three, up a column, right by three.
    const int target = direction > 0 ? height - 3 : 2;
    for (; row != target; row += direction)
      c.Truth[static_cast<std::size_t>(row) * width + col] = 7;
    for (int i = 0; i < 3 && col < width - 2; ++i, ++col)
      c.Truth[static_cast<std::size_t>(row) * width + col] = 7;
    direction = -direction;
  }
  c.Dots[static_cast<std::size_t>(row) * width + col - 1] = 7;
  return c;
}

TEST(PredictionRepair, FindsTheSameRepairsAsThePlainScan) {
  std::vector<TCase> cases;
  cases.push_back(MandelbrotCase("home", -0.5L, 0, 1.5L, 200, 160, 120, 4));
  cases.push_back(MandelbrotCase("filaments", -0.1L, 0.651L, 0.02L, 1000, 200, 150, 4));
  cases.push_back(
      MandelbrotCase("filaments, spacing 16", -0.1L, 0.651L, 0.02L, 1000, 200, 150, 16));
  cases.push_back(MandelbrotCase("seahorse valley", -0.75L, 0.1L, 0.05L, 500, 190, 120, 8));
  cases.push_back(MandelbrotCase("antenna", -1.75L, 0, 0.01L, 800, 128, 96, 4));
  cases.push_back(WindingPathCase(120, 90));
  for (const double share : {0.02, 0.1, 0.3})
    for (unsigned seed = 1; seed <= 4; ++seed)
      cases.push_back(RandomCase(97, 71, share, 3, seed));
  // Grids narrower or lower than a window.
  for (const auto& [width, height] :
       {std::pair{1, 1}, {1, 40}, {40, 1}, {2, 3}, {9, 9}, {10, 33}, {33, 10}})
    cases.push_back(RandomCase(width, height, 0.2, 1, 7));
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const TOutcome plain = PlainScan(c);
    if (c.Width * c.Height >= 1000) {
      EXPECT_GE(plain.Windows.size(), 5u) << "too few repairs to tell";
    }
    ExpectSameAsPlainScan(c);
  }
}

// The winding path takes the plain scan back up row after row.
TEST(PredictionRepair, WindingPathGoesBackUp) {
  const TCase c = WindingPathCase(120, 90);
  const TOutcome plain = PlainScan(c);
  int upward = 0;
  for (std::size_t i = 1; i < plain.Windows.size(); ++i)
    upward += plain.Windows[i].Row < plain.Windows[i - 1].Row;
  EXPECT_GT(upward, 20);
  EXPECT_EQ(std::count(plain.Dots.begin(), plain.Dots.end(), TDot{7}),
            std::count(c.Truth.begin(), c.Truth.end(), TDot{7}))
      << "every dot of the path is repaired";
}

TEST(PredictionRepair, AnErrorOfARepairEndsTheScan) {
  TCase c = RandomCase(50, 40, 0.2, 2, 3);
  int repairs = 0;
  EXPECT_THROW(RepairPredictions(
                   c.Dots.data(), c.Width, c.Height,
                   [&](int, int) {
                     if (++repairs == 2) throw std::runtime_error("stop");
                   },
                   [](int) {}),
               std::runtime_error);
  EXPECT_EQ(repairs, 2);
}

}  // namespace
}  // namespace vortexa
