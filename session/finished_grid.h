// TFinishedGrid: what the statistics window may read of the picture: the
// counts, their statistics and their colours. The session hands it out; it
// can start nothing and change nothing. Read it only while the session is idle.
#pragma once

#include <cstdint>
#include <span>

#include "engine/calc_grid.h"
#include "engine/grid_statistics.h"
#include "render/draw_grid.h"

namespace vortexa {

class TFinishedGrid {
 public:
  TFinishedGrid(const TCalcGrid& grid, const TDrawGrid& draw) : FGrid(grid), FDraw(draw) {}

  int Width() const { return FGrid.GridWidth(); }
  int Height() const { return FGrid.GridHeight(); }
  TDot Dot(int x, int y) const { return FGrid.GetDot(y, x); }
  // The size of one dot in the plane.
  TFloatExp Step() const { return FGrid.GetStep(); }
  int Statistics(int offset, int binWidth, int limit, std::span<std::int32_t> hist,
                 TCalcStats& stats) const {
    return FGrid.GetStatistics(offset, binWidth, limit, hist, stats);
  }
  void SuggestHistRange(int limit, int& low, int& high) const {
    FGrid.SuggestHistRange(limit, low, high);
  }
  TColor32 Color(TDot count) const { return FDraw.GetColor(count); }

 private:
  const TCalcGrid& FGrid;
  const TDrawGrid& FDraw;
};

}  // namespace vortexa
