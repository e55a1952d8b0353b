#include "calc_thread.h"

#include <gtest/gtest.h>

#include "test_recurrences.h"

namespace vortexa {
namespace {

using test_support::TProbeRecurrence;
using namespace std::chrono_literals;

// A state for one pass of stride 1 over a small view, computed by `formula`.
void PrepareState(TCalcState& state, int width, int height, const TRecurrence& formula) {
  state.GridWidth = width;
  state.GridHeight = height;
  state.Grid.assign(width * height, kDotUncomputed);
  state.RowPasses.assign(height, 0);
  state.Step = 0.05L;
  state.CenterX = -0.5L;
  for (int col = 0; col < width; ++col)
    state.ColRe.push_back((col - width / 2) * state.Step - 0.5L);
  state.Limit = 30;
  state.Formula = &formula;
  state.Pass = 2;
  state.NextRow = 0;
}

bool WaitForTeam(TCalcState& state) {
  std::unique_lock lock(state.CountLock);
  return state.DoneEvent.wait_for(lock, 30s, [&] { return state.LiveWorkers == 0; });
}

// A stop reaches a worker inside its row: it ends at the next dot, and the
// row it left is not reported finished.
TEST(CalcThread, StopEndsTheRowInHandAtTheNextDot) {
  TCalcState state;
  TProbeRecurrence held;
  held.HoldFirstCall = true;
  PrepareState(state, 8, 20, held);
  state.LiveWorkers = 1;
  TCalcThread worker(state, 0);
  ASSERT_TRUE(held.WaitUntilHeld(30s));
  state.RequestStop(true);
  held.Release();
  ASSERT_TRUE(WaitForTeam(state));
  EXPECT_EQ(state.NextRow, 1);
  EXPECT_EQ(held.Calls().size(), 1u);
  EXPECT_NE(state.LoadAt(0, 0), kDotUncomputed);
  for (int col = 1; col < 8; ++col)
    EXPECT_EQ(state.LoadAt(0, col), kDotUncomputed) << col;
  EXPECT_EQ(state.LoadRowPass(0), 0);
}

// A fault ends its worker, which keeps the error for the grid to report.
TEST(CalcThread, FaultIsKeptInTheState) {
  TCalcState state;
  TProbeRecurrence faulty;
  faulty.ThrowWhen = [](long double, long double) { return true; };
  PrepareState(state, 4, 3, faulty);
  state.LiveWorkers = 1;
  {
    TCalcThread worker(state, 0);
    ASSERT_TRUE(WaitForTeam(state));
  }
  EXPECT_TRUE(state.Fault.Failed);
  EXPECT_EQ(state.Fault.Error, "arithmetic fault");
  EXPECT_EQ(faulty.Calls().size(), 1u);
}

TEST(CalcThread, SurplusWorkersEndAtOnce) {
  TCalcState state;
  TProbeRecurrence plain;
  PrepareState(state, 3, 2, plain);
  state.LiveWorkers = 4;
  {
    TCalcThread a(state, 0), b(state, 1), c(state, 2), d(state, 3);
    ASSERT_TRUE(WaitForTeam(state));
  }
  for (int row = 0; row < 2; ++row) {
    EXPECT_EQ(state.LoadRowPass(row), 3);
    for (int col = 0; col < 3; ++col)
      EXPECT_NE(state.LoadAt(row, col), kDotUncomputed);
  }
}

TEST(CalcThread, MirrorRowGetsThePartnersDots) {
  TCalcState state;
  TProbeRecurrence plain;
  PrepareState(state, 5, 7, plain);
  state.AxisRow = 3;
  state.Pass = 0;  // stride 16: only row 0, whose partner 6 is inside the grid
  state.LiveWorkers = 1;
  {
    TCalcThread worker(state, 0);
    ASSERT_TRUE(WaitForTeam(state));
  }
  EXPECT_EQ(state.LoadRowPass(0), 1);
  EXPECT_EQ(state.LoadRowPass(6), 0);
  EXPECT_NE(state.LoadAt(0, 0), kDotUncomputed);
  EXPECT_EQ(state.LoadAt(6, 0), state.LoadAt(0, 0));
  for (int col = 1; col < 5; ++col)
    EXPECT_EQ(state.LoadAt(6, col), kDotUncomputed);
  EXPECT_EQ(plain.Calls().size(), 1u);  // stride 16 visits column 0 only
}

}  // namespace
}  // namespace vortexa
