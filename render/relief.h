// Relief heights and wall marks: each dot rises with the logarithm of its
// count, and dots at steep steps are marked to get faint vertical walls.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "engine/dot.h"

namespace vortexa {

// Bits 0..14 hold the height, bit 15 the wall mark.
using THeight = std::uint16_t;
inline constexpr THeight kWallMark = 0x8000;
inline constexpr THeight kHeightBits = 0x7FFF;

// Wall thresholds: "厚" starts the search low; the search never goes past the maximum.
inline constexpr int kThickWallThreshold = 20;
inline constexpr int kMaxWallThreshold = 200;

// Height of every count 0..colorLimit (the caller gives counts above the
// limit height 0). Convex raises slowly escaping dots near the set, concave
// sinks them. Counts below kTabledCounts come from a table; at limits in the
// millions the rarer counts above it are worked out one by one instead of
// tabling every count up to the limit.
class THeightsByCount {
 public:
  static constexpr int kTabledCounts = 1 << 17;

  THeightsByCount(TDot minDot, int colorLimit, bool convex);
  THeight Height(TDot count) const {
    return count < FTable.size() ? FTable[count] : Compute(count);
  }

 private:
  THeight Compute(TDot count) const;

  TDot FMinDot;
  long double FLnLimit;
  bool FConvex;
  std::vector<THeight> FTable;
};

// The two outermost rows and columns always carry walls, so the plane's edges show.
void MarkBorderWalls(std::span<THeight> heights, int width, int height);

// Marks the inner dots whose 3 × 3 neighbourhood holds a height differing by
// more than `threshold` and clears the mark elsewhere; returns the marked fraction.
float MarkSteepDots(std::span<THeight> heights, int width, int height, int threshold);

// Raises the threshold until at most about a fifth of the dots carry walls;
// the marks of the last pass stay. Returns the threshold used last.
int MarkWalls(std::span<THeight> heights, int width, int height, bool thickWalls);

}  // namespace vortexa
