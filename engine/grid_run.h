// Tests' way of running a grid's command to its end and reading its dots.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "calc_grid.h"

namespace vortexa::test_support {

// Far beyond any command of the tests, sanitizer builds included.
inline constexpr std::chrono::seconds kCommandTimeout{60};

inline std::vector<TDot> Dots(const TCalcGrid& grid) {
  std::vector<TDot> dots;
  for (int row = 0; row < grid.GridHeight(); ++row)
    for (int col = 0; col < grid.GridWidth(); ++col)
      dots.push_back(grid.GetDot(row, col));
  return dots;
}

// A fault the command records is left to the caller to check.
inline void RunToEnd(TCalcGrid& grid, TCalcCommand command) {
  grid.Start(command);
  ASSERT_TRUE(grid.WaitIdleFor(kCommandTimeout));
}

}  // namespace vortexa::test_support
