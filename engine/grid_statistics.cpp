// Read-only analyses of the dot grid for the statistics window and the relief.
#include "grid_statistics.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "calc_grid.h"

namespace vortexa {

int TCalcGrid::GetStatistics(int offset, int binWidth, int limit, std::span<std::int32_t> hist,
                             TCalcStats& stats) const {
  if (binWidth <= 0) throw std::invalid_argument("histogram bin width must be positive");
  std::int32_t escaped = 0, over = 0, predicted = 0, outside = 0;
  TDot maxCount = 0;
  TDot minCount = kInsideThreshold;
  // Exact in integers (fewer than 2^31 dots below 2^27 each), and without the
  // extended-precision add that would chain every dot to the one before.
  std::int64_t sum = 0;
  // Counts 1 + offset onwards fall into the bins, binWidth counts to a bin.
  const std::int64_t binned = std::int64_t{binWidth} * static_cast<std::int64_t>(hist.size());
  FState.Grid.Visit([&](auto dots) {
    for (const auto& dot : dots) {
      const TDot value = LoadDot(dot);
      if (value == kDotPredicted) {
        ++predicted;
      } else if (IsOverLimit(value, limit)) {
        ++over;
        sum += limit;
      } else {
        // An uncomputed 0 lands here: during a computation it is an escape count of 0.
        maxCount = std::max(maxCount, value);
        minCount = std::min(minCount, value);
        ++escaped;
        const std::int64_t fromFirstBin = std::int64_t{value} - 1 - offset;
        if (fromFirstBin >= 0 && fromFirstBin < binned)
          ++hist[static_cast<std::uint64_t>(fromFirstBin) / static_cast<std::uint32_t>(binWidth)];
        else
          ++outside;
        sum += value;
      }
    }
  });
  const auto total = static_cast<std::int32_t>(FState.Grid.size());
  const auto mean =
      total > 0 ? static_cast<std::int32_t>(std::llrint(static_cast<long double>(sum) / total)) : 0;
  stats = {.Escaped = escaped,
           .Inside = over + predicted,
           .OverLimit = over,
           .Predicted = predicted,
           .Total = total,
           .OutsideBins = outside,
           .MaxCount = static_cast<std::int32_t>(maxCount),
           .MinCount = escaped > 0 ? static_cast<std::int32_t>(minCount) : kNoEscapedCount,
           .Mean = mean};
  return mean;
}

// In steps of HistStep(limit) iterations (500 up to limit 65000): Low is the
// first step in use; High marks where the top 1 % of the counted dots begins,
// so a few stragglers do not stretch the histogram.
void TCalcGrid::SuggestHistRange(int limit, int& low, int& high) const {
  const auto step = static_cast<TDot>(HistStep(limit));
  std::array<std::int64_t, kHistSteps + 1> bins{};
  std::int64_t count = 0;
  FState.Grid.Visit([&](auto dots) {
    for (const auto& dot : dots) {
      const TDot value = LoadDot(dot);
      const TDot bin = value / step;
      if (value >= static_cast<TDot>(limit) || bin > kHistSteps) continue;
      ++count;
      ++bins[bin];
    }
  });
  const auto used = std::find_if(bins.begin(), bins.end(), [](std::int64_t n) { return n > 0; });
  low = used == bins.end() ? 0 : static_cast<int>(used - bins.begin());
  high = low + 1;
  std::int64_t sum = 0;
  for (int i = kHistSteps; i >= high; --i) {
    sum += bins[i];
    if (sum > count / 100) {
      high = i + 1;
      return;
    }
  }
}

TDot TCalcGrid::MinDot() {
  const TDot cached = FMinCache;
  if (cached != kDotInside) return cached;
  TDot least = kInsideThreshold;
  FState.Grid.Visit([&](auto dots) {
    for (const auto& dot : dots)
      least = std::min(least, LoadDot(dot));
  });
  FMinCache = least;
  return least;
}

}  // namespace vortexa
