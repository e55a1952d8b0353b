// Read-only analyses of the dot grid for the statistics window and the relief.
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "calc_grid.h"

namespace vortexa {

namespace {

constexpr int kSuggestBinWidth = 500;
constexpr int kSuggestLastBin = 130;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  if (a % b != 0 && (a < 0) != (b < 0)) --q;
  return q;
}

}  // namespace

int TCalcGrid::GetStatistics(int offset, int binWidth, int limit, std::span<std::int32_t> hist,
                             TCalcStats& stats) const {
  if (binWidth <= 0) throw std::invalid_argument("histogram bin width must be positive");
  std::int32_t escaped = 0, over = 0, predicted = 0, outside = 0;
  int maxCount = 0;
  int minCount = kInsideThreshold;
  long double sum = 0;
  for (const TDot& dot : FState.Grid) {
    const int value = LoadDot(dot);
    if (value == kDotPredicted) {
      ++predicted;
    } else if (value > limit) {
      ++over;
      sum += limit;
    } else {
      // An uncomputed 0 lands here: during a computation it is an escape count of 0.
      maxCount = std::max(maxCount, value);
      minCount = std::min(minCount, value);
      ++escaped;
      const std::int64_t bin = FloorDiv(std::int64_t{value} - 1 - offset, binWidth);
      if (bin >= 0 && bin < static_cast<std::int64_t>(hist.size()))
        ++hist[bin];
      else
        ++outside;
      sum += value;
    }
  }
  const auto total = static_cast<std::int32_t>(FState.Grid.size());
  const auto mean = total > 0 ? static_cast<std::int32_t>(std::llrint(sum / total)) : 0;
  stats = {.Escaped = escaped,
           .Inside = over + predicted,
           .OverLimit = over,
           .Predicted = predicted,
           .Total = total,
           .OutsideBins = outside,
           .MaxCount = maxCount,
           .MinCount = minCount,
           .Mean = mean};
  return mean;
}

// Low is the first 500-iteration bin in use; High marks where the top 1 % of
// the counted dots begins, so a few stragglers do not stretch the histogram.
void TCalcGrid::SuggestHistRange(int limit, int& low, int& high) const {
  std::array<std::int64_t, kSuggestLastBin + 1> bins{};
  std::int64_t count = 0;
  for (const TDot& dot : FState.Grid) {
    const int value = LoadDot(dot);
    const int bin = value / kSuggestBinWidth;
    if (value >= limit || bin > kSuggestLastBin) continue;
    ++count;
    ++bins[bin];
  }
  const auto used = std::find_if(bins.begin(), bins.end(), [](std::int64_t n) { return n > 0; });
  low = used == bins.end() ? 0 : static_cast<int>(used - bins.begin());
  high = low + 1;
  std::int64_t sum = 0;
  for (int i = kSuggestLastBin; i >= high; --i) {
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
  for (const TDot& dot : FState.Grid)
    least = std::min(least, LoadDot(dot));
  FMinCache = least;
  return least;
}

}  // namespace vortexa
