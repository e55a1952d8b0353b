#include "render/relief.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vortexa {
namespace {

TEST(HeightsByCount, ConvexAndConcave) {
  struct {
    TDot minDot;
    int limit;
    bool convex;
    int count;
    THeight height;
  } cases[] = {
      {1, 4000, true, 1, 0},   // the smallest count lies lowest
      {1, 4000, true, 2, 44},  // Round(ln 2 × 64)
      {1, 4000, true, 4000, 531},
      {5, 4000, true, 5, 0},
      {1, 4000, false, 4000, 0},  // concave: the limit lies lowest
      {1, 4000, false, 1, 531},
      {0, 4000, false, 4000, 0},  // ln 4001 > ln 4000: clamped, never negative
      {0, 20, false, 20, 0},
      {7, 100, true, 3, 0},  // below the smallest count: as low as it
      // Past the table: Round(ln 1e8 × 64) and Round(ln 200000 × 64)
      {1, 100'000'000, true, 100'000'000, 1179},
      {1, 100'000'000, false, 200'000, 398},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.minDot << " " << c.limit << " " << c.convex << " " << c.count);
    EXPECT_EQ(THeightsByCount(c.minDot, c.limit, c.convex).Height(c.count), c.height);
  }
}

// A plane at height `low` with a square plateau of `high` at columns and rows 4..7.
std::vector<THeight> Plateau(int width, int height, THeight low, THeight high) {
  std::vector<THeight> heights(static_cast<std::size_t>(width) * height, low);
  for (int y = 4; y < 8; ++y)
    for (int x = 4; x < 8; ++x)
      heights[y * width + x] = high;
  return heights;
}

bool Marked(const std::vector<THeight>& heights, int width, int x, int y) {
  return (heights[y * width + x] & kWallMark) != 0;
}

TEST(MarkSteepDots, MarksBothSidesOfAStepAboveTheThreshold) {
  std::vector<THeight> heights = Plateau(12, 12, 100, 150);
  EXPECT_FLOAT_EQ(MarkSteepDots(heights, 12, 12, 50), 0);  // strictly more than the threshold
  const float fraction = MarkSteepDots(heights, 12, 12, 49);
  // The ring around the plateau's edge: 6 × 6 − 2 × 2 dots, of 8 × 8 inner dots.
  EXPECT_FLOAT_EQ(fraction, 32.0f / 64);
  EXPECT_TRUE(Marked(heights, 12, 3, 3));
  EXPECT_TRUE(Marked(heights, 12, 4, 4));
  EXPECT_FALSE(Marked(heights, 12, 5, 5));
  EXPECT_FALSE(Marked(heights, 12, 2, 2));
  // A higher threshold clears the marks again, heights untouched.
  MarkSteepDots(heights, 12, 12, 60);
  EXPECT_FALSE(Marked(heights, 12, 4, 4));
  EXPECT_EQ(heights[4 * 12 + 4], 150);
}

TEST(MarkSteepDots, TinyPicturesHaveNoInnerDots) {
  std::vector<THeight> heights(4 * 9, 0);
  EXPECT_FLOAT_EQ(MarkSteepDots(heights, 4, 9, 0), 0);
}

TEST(MarkBorderWalls, TwoOuterRowsAndColumns) {
  std::vector<THeight> heights(7 * 6, 3);
  MarkBorderWalls(heights, 7, 6);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 7; ++x)
      EXPECT_EQ(Marked(heights, 7, x, y), x < 2 || x > 4 || y < 2 || y > 3) << x << "," << y;
  EXPECT_EQ(heights[0] & kHeightBits, 3);
}

TEST(MarkWalls, ThinWallsMakeOnePassAtTheMaximum) {
  std::vector<THeight> steep = Plateau(12, 12, 0, 201);
  EXPECT_EQ(MarkWalls(steep, 12, 12, false), kMaxWallThreshold);
  EXPECT_TRUE(Marked(steep, 12, 4, 4));
  std::vector<THeight> gentle = Plateau(12, 12, 0, 200);
  EXPECT_EQ(MarkWalls(gentle, 12, 12, false), kMaxWallThreshold);
  EXPECT_FALSE(Marked(gentle, 12, 4, 4));
}

TEST(MarkWalls, ThickWallsRaiseTheThresholdUntilAFifthIsMarked) {
  // Heights rising by 3 per column: every inner dot differs by 3 and 6 from its neighbours.
  std::vector<THeight> ramp(40 * 40);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x)
      ramp[y * 40 + x] = static_cast<THeight>(3 * x + (y % 7) * 12);
  const int threshold = MarkWalls(ramp, 40, 40, true);
  EXPECT_GT(threshold, kThickWallThreshold);
  EXPECT_LT(MarkSteepDots(ramp, 40, 40, threshold), 0.2f);
}

// A flat field with 400 lone spikes, three dots apart, whose 3 x 3
// neighbourhoods tile the 60 x 60 inner dots: the marked fraction at
// threshold T is the share of spikes taller than T. 200 spikes rise 50,
// 140 rise 120 and 60 rise 180. By hand: T = 20 marks all (1.0), the first
// step is Trunc(0.8 * 100) = 80; T = 100 marks half (0.5), the next step is
// Trunc(80 * (0.5 - 0.18) / (1.0 - 0.5)) = 51; T = 151 marks 0.15 and stops.
TEST(MarkWalls, ThresholdSearchStepsAsComputedByHand) {
  constexpr int kSide = 64;
  std::vector<THeight> spikes(kSide * kSide, 0);
  for (int k = 0; k < 400; ++k) {
    const int x = 3 + 3 * (k % 20), y = 3 + 3 * (k / 20);
    spikes[y * kSide + x] = k < 200 ? 50 : k < 340 ? 120 : 180;
  }
  EXPECT_EQ(MarkWalls(spikes, kSide, kSide, true), 151);
  // The marks of the last pass: around the tallest spikes only.
  EXPECT_TRUE(Marked(spikes, kSide, 3 + 3 * 19, 3 + 3 * 19));
  EXPECT_TRUE(Marked(spikes, kSide, 4 + 3 * 19, 2 + 3 * 19));
  EXPECT_FALSE(Marked(spikes, kSide, 3 + 3 * 5, 3 + 3 * 15));  // a spike of 120
  EXPECT_FALSE(Marked(spikes, kSide, 3, 3));                   // a spike of 50
}

TEST(MarkWalls, PlateauOfFractionsStillEnds) {
  // Steps of 150 everywhere: the fraction stays at 1 until the threshold passes 150.
  std::vector<THeight> stripes(30 * 30);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x)
      stripes[y * 30 + x] = static_cast<THeight>((x % 2) * 150);
  const int threshold = MarkWalls(stripes, 30, 30, true);
  EXPECT_GE(threshold, 150);
  EXPECT_FALSE(Marked(stripes, 30, 10, 10));
}

}  // namespace
}  // namespace vortexa
