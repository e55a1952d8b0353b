// The scale of the statistics window's histogram range: the suggested range
// and the window's track bars step in multiples of one count per limit.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace vortexa {

// The range's steps: 0 .. kHistSteps, enough to reach limit 65000 in 500s.
inline constexpr int kHistSteps = 130;

// The count one step stands for: 500 up to limit 65000, as ever; above it the
// smallest of 1000, 2000, 5000, 10000, 20000, ... whose kHistSteps steps reach
// the limit, so that the range stays a round number and a step never covers
// less than 500 counts. Every step is a multiple of 500.
constexpr int HistStep(int limit) {
  constexpr int kBaseStep = 500;
  if (limit <= kBaseStep * kHistSteps) return kBaseStep;
  for (std::int64_t decade = 1000;; decade *= 10)
    for (const std::int64_t factor : {1, 2, 5})
      if (decade * factor * kHistSteps >= limit) return static_cast<int>(decade * factor);
}

}  // namespace vortexa
