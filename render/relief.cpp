#include "render/relief.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vortexa {

namespace {

THeight RoundedHeight(long double value) {
  // A concave relief can dip just below zero when the smallest count is 0.
  return static_cast<THeight>(std::clamp<long double>(std::nearbyintl(value), 0, kHeightBits));
}

bool DiffersBeyond(const THeight* row, int x, int centre, int threshold) {
  for (int dx = -1; dx <= 1; ++dx)
    if (std::abs((row[x + dx] & kHeightBits) - centre) > threshold) return true;
  return false;
}

constexpr float kWallFractionGoal = 0.2f;
constexpr int kMinThresholdStep = 10;

int NextThresholdStep(int previousStep, float previousFraction, float fraction, bool first) {
  int step;
  if (first) {
    step = static_cast<int>((fraction - kWallFractionGoal) * 100);
  } else if (previousFraction > fraction) {
    // Secant towards a fraction of 0.18, a little below the goal.
    step = static_cast<int>(previousStep * (fraction - 0.18f) / (previousFraction - fraction));
  } else {
    // The fraction sits on a plateau: no slope to aim with, so stride out.
    step = 2 * previousStep;
  }
  return std::max(step, kMinThresholdStep);
}

}  // namespace

THeightsByCount::THeightsByCount(TDot minDot, int colorLimit, bool convex)
    : FMinDot(minDot),
      FLnLimit(static_cast<float>(std::log(static_cast<long double>(colorLimit)))),
      FConvex(convex) {
  FTable.resize(static_cast<std::size_t>(std::min(colorLimit + 1, kTabledCounts)));
  for (std::size_t count = 0; count < FTable.size(); ++count)
    FTable[count] = Compute(static_cast<TDot>(count));
}

THeight THeightsByCount::Compute(TDot count) const {
  const std::int64_t above = std::int64_t{count} - FMinDot + 1;
  const long double lnCount = std::log(static_cast<long double>(std::max<std::int64_t>(above, 1)));
  return RoundedHeight((FConvex ? lnCount : FLnLimit - lnCount) * 64);
}

void MarkBorderWalls(std::span<THeight> heights, int width, int height) {
  for (int y = 0; y < height; ++y) {
    THeight* row = heights.data() + static_cast<std::size_t>(y) * width;
    if (y < 2 || y >= height - 2) {
      for (int x = 0; x < width; ++x)
        row[x] |= kWallMark;
      continue;
    }
    for (int x : {0, 1, width - 2, width - 1})
      if (x >= 0 && x < width) row[x] |= kWallMark;
  }
}

float MarkSteepDots(std::span<THeight> heights, int width, int height, int threshold) {
  if (width < 5 || height < 5) return 0;
  const int innerDots = (width - 4) * (height - 4);
  int marked = 0;
  for (int y = 2; y < height - 2; ++y) {
    THeight* row = heights.data() + static_cast<std::size_t>(y) * width;
    const THeight* above = row - width;
    const THeight* below = row + width;
    for (int x = 2; x < width - 2; ++x) {
      const int centre = row[x] & kHeightBits;
      const bool steep = DiffersBeyond(above, x, centre, threshold) ||
                         DiffersBeyond(row, x, centre, threshold) ||
                         DiffersBeyond(below, x, centre, threshold);
      row[x] = static_cast<THeight>(steep ? row[x] | kWallMark : row[x] & kHeightBits);
      marked += steep;
    }
  }
  return static_cast<float>(marked) / static_cast<float>(innerDots);
}

int MarkWalls(std::span<THeight> heights, int width, int height, bool thickWalls) {
  int threshold = thickWalls ? kThickWallThreshold : kMaxWallThreshold;
  int step = 0;
  float previousFraction = 0;
  for (bool first = true;; first = false) {
    const float fraction = MarkSteepDots(heights, width, height, threshold);
    if (fraction < kWallFractionGoal || threshold >= kMaxWallThreshold) return threshold;
    step = NextThresholdStep(step, previousFraction, fraction, first);
    previousFraction = fraction;
    threshold = std::min(threshold + step, kMaxWallThreshold);
  }
}

}  // namespace vortexa
