// The repair of in-set predictions after the final pass: the scan that picks
// the dots to recompute, apart from the computation itself.
#pragma once

#include <functional>

#include "dot.h"

namespace vortexa {

// A repair recomputes the predicted dots up to this many rows and columns
// away from the dot that set it off.
inline constexpr int kRepairRadius = 4;

// Repairs the predictions of a width x height grid (row-major) as this scan
// does: go through the dots row by row; at a predicted dot that touches a dot
// below the inside threshold (one of its eight neighbours), call
// repairWindow(row, col), which replaces every predicted dot within
// kRepairRadius of it; then go back nine rows and nine columns (not past the
// first) and go on from there, up to the end of the grid. rowDone(row) is
// called once for every row the scan has passed; an exception from either
// callback ends the repair.
//
// A repair changes its window only, so only dots next to it can set off a
// repair that they did not before, and all of them lie after the point the
// scan goes back to: the next repair is always at the first dot of the whole
// grid that sets one off. That is what is found here, from the dots around
// the windows repaired since the scan last went forward and from the dots
// ahead, so that each dot ahead is looked at once rather than nine rows over
// again after every repair.
void RepairPredictions(TDotRowView grid, int width, int height,
                       const std::function<void(int row, int col)>& repairWindow,
                       const std::function<void(int row)>& rowDone);

// Calls visit(row, col), row by row, for every dot of rows firstRow to
// lastRow that sets off a repair in the grid as it stands.
void ForEachSetOffDot(TDotRowView grid, int width, int height, int firstRow, int lastRow,
                      const std::function<void(int row, int col)>& visit);

}  // namespace vortexa
