#include "prediction_repair.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace vortexa {

namespace {

struct TDotAt {
  int Row, Col;
};

bool Before(TDotAt a, TDotAt b) {
  return a.Row < b.Row || (a.Row == b.Row && a.Col < b.Col);
}

// Rows and columns, last ones included.
struct TArea {
  int FirstRow, LastRow, FirstCol, LastCol;
};

template <StoredDot T>
class TRepairScan {
 public:
  TRepairScan(const T* grid, int width, int height) : FGrid(grid), FWidth(width), FHeight(height) {}

  // The first dot at or after `at` that sets off a repair; `at` moves up to
  // it, or past the end when there is none. Each row passed is reported.
  std::optional<TDotAt> ScanAhead(TDotAt& at, const std::function<void(int)>& rowDone) const {
    while (at.Row < FHeight) {
      at.Col = FirstSetOffInRow(at.Row, at.Col);
      if (at.Col < FWidth) return at;
      rowDone(at.Row);
      at = {at.Row + 1, 0};
    }
    return std::nullopt;
  }

  // Every dot of the rows that sets off a repair, in order.
  void ForEach(int firstRow, int lastRow, const std::function<void(int, int)>& visit) const {
    for (int row = firstRow; row <= lastRow; ++row)
      for (int col = FirstSetOffInRow(row, 0); col < FWidth; col = FirstSetOffInRow(row, col + 1))
        visit(row, col);
  }

  // The first dot of the areas that sets off a repair; areas without one
  // are dropped, as only a later repair next to them could give them one.
  std::optional<TDotAt> FirstInAreas(std::vector<TArea>& areas) const {
    std::optional<TDotAt> first;
    std::erase_if(areas, [&](const TArea& area) {
      const std::optional<TDotAt> found = FirstInArea(area);
      if (found && (!first || Before(*found, *first))) first = found;
      return !found;
    });
    return first;
  }

  // The dots whose neighbourhood a repair at `at` may change.
  TArea AroundWindow(TDotAt at) const {
    constexpr int kReach = kRepairRadius + 1;
    return {std::max(at.Row - kReach, 0), std::min(at.Row + kReach, FHeight - 1),
            std::max(at.Col - kReach, 0), std::min(at.Col + kReach, FWidth - 1)};
  }

 private:
  TDot At(int row, int col) const {
    return LoadDot(FGrid[static_cast<std::size_t>(row) * FWidth + col]);
  }

  bool SetsOff(int row, int col) const {
    return At(row, col) == kDotPredicted && TouchesEscaped(row, col);
  }

  bool TouchesEscaped(int row, int col) const {
    for (int r = std::max(row - 1, 0); r <= std::min(row + 1, FHeight - 1); ++r)
      for (int c = std::max(col - 1, 0); c <= std::min(col + 1, FWidth - 1); ++c)
        if (At(r, c) < kInsideThreshold) return true;
    return false;
  }

  std::optional<TDotAt> FirstInArea(const TArea& area) const {
    for (int row = area.FirstRow; row <= area.LastRow; ++row)
      for (int col = area.FirstCol; col <= area.LastCol; ++col)
        if (SetsOff(row, col)) return TDotAt{row, col};
    return std::nullopt;
  }

  const T* Row(int row) const { return FGrid + static_cast<std::size_t>(row) * FWidth; }

  // The first dot of a row at or after col that sets off a repair, or the
  // width if none. Blocks of dots away from the first and last column are
  // tested whole; most of them hold no such dot.
  int FirstSetOffInRow(int row, int col) const {
    // A missing row above or below is stood in for by the row itself.
    const T* up = Row(std::max(row - 1, 0));
    const T* here = Row(row);
    const T* down = Row(std::min(row + 1, FHeight - 1));
    while (col < FWidth) {
      if (col >= 1 && col + kBlock < FWidth) {
        if (BlockSetsOff(up, here, down, col))
          for (int i = col; i < col + kBlock; ++i)
            if (SetsOff(row, i)) return i;
        col += kBlock;
        continue;
      }
      if (SetsOff(row, col)) return col;
      ++col;
    }
    return FWidth;
  }

  // Whether a dot of the block of kBlock dots from col sets off a repair;
  // the columns on either side of the block lie inside the grid. Nothing
  // writes the grid while the scan reads it, so plain reads are race-free
  // here, and they let the compiler test many dots per instruction.
  static bool BlockSetsOff(const T* up, const T* here, const T* down, int col) {
    // Flags as wide as the dots, unlike bools, keep the loop in vector registers.
    constexpr T kInside = StoredForm<T>(kInsideThreshold);
    constexpr T kPredicted = StoredForm<T>(kDotPredicted);
    T found = 0;
    for (int i = col; i < col + kBlock; ++i) {
      const T low = T(up[i - 1] < kInside) | T(up[i] < kInside) | T(up[i + 1] < kInside) |
                    T(here[i - 1] < kInside) | T(here[i + 1] < kInside) | T(down[i - 1] < kInside) |
                    T(down[i] < kInside) | T(down[i + 1] < kInside);
      found |= T(here[i] == kPredicted) & low;
    }
    return found != 0;
  }

  static constexpr int kBlock = 32;
  const T* FGrid;
  int FWidth, FHeight;
};

template <StoredDot T>
void RepairPredictionsOf(const T* grid, int width, int height,
                         const std::function<void(int row, int col)>& repairWindow,
                         const std::function<void(int row)>& rowDone) {
  const TRepairScan<T> scan(grid, width, height);
  // Every dot before `ahead` that sets off a repair lies in `around`.
  TDotAt ahead{0, 0};
  std::vector<TArea> around;
  for (;;) {
    std::optional<TDotAt> next = scan.FirstInAreas(around);
    if (!next || !Before(*next, ahead)) {
      // The areas' dots before the next one ahead set nothing off.
      next = scan.ScanAhead(ahead, rowDone);
      around.clear();
      if (!next) return;
    }
    repairWindow(next->Row, next->Col);
    around.push_back(scan.AroundWindow(*next));
  }
}

}  // namespace

void RepairPredictions(TDotRowView grid, int width, int height,
                       const std::function<void(int row, int col)>& repairWindow,
                       const std::function<void(int row)>& rowDone) {
  if (width <= 0 || height <= 0) return;
  grid.Visit(
      [&](const auto* dots) { RepairPredictionsOf(dots, width, height, repairWindow, rowDone); });
}

void ForEachSetOffDot(TDotRowView grid, int width, int height, int firstRow, int lastRow,
                      const std::function<void(int row, int col)>& visit) {
  if (width <= 0 || height <= 0) return;
  grid.Visit([&](const auto* dots) {
    TRepairScan(dots, width, height)
        .ForEach(std::max(firstRow, 0), std::min(lastRow, height - 1), visit);
  });
}

}  // namespace vortexa
