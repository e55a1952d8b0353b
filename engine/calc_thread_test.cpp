#include "calc_thread.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <vector>

#include "test_recurrences.h"

namespace vortexa {
namespace {

using test_support::TProbeRecurrence;
using namespace std::chrono_literals;

// A state for one pass of stride 1 over a small view, computed by `formula`.
void PrepareState(TCalcState& state, int width, int height, const TRecurrence& formula) {
  state.GridWidth = width;
  state.GridHeight = height;
  state.Grid = TDotBuffer(width * height, false);
  state.RowPasses.assign(height, 0);
  state.Step = 0.05L;
  state.CenterX = -0.5L;
  for (int col = 0; col < width; ++col)
    state.ColRe.push_back((col - width / 2) * state.StepValue() - 0.5L);
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
  TWorkerTeam team(state, 1);
  team.StartRows(1);
  ASSERT_TRUE(held.WaitUntilHeld(30s));
  team.Terminate();
  held.Release();
  ASSERT_TRUE(WaitForTeam(state));
  EXPECT_EQ(state.NextRow, 1);
  EXPECT_EQ(held.Calls().size(), 1u);
  EXPECT_NE(state.LoadAt(0, 0), kDotUncomputed);
  for (int col = 1; col < 8; ++col)
    EXPECT_EQ(state.LoadAt(0, col), kDotUncomputed) << col;
  EXPECT_EQ(state.LoadRowPass(0), 0);

  // The stop request belonged to that pass: the next one runs to its end.
  state.NextRow = 0;
  team.StartRows(1);
  ASSERT_TRUE(WaitForTeam(state));
  for (int row = 0; row < 20; ++row)
    EXPECT_EQ(state.LoadRowPass(row), 3) << "row " << row;
}

// A fault ends its worker, which keeps the error for the grid to report.
TEST(CalcThread, FaultIsKeptInTheState) {
  TCalcState state;
  TProbeRecurrence faulty;
  faulty.ThrowWhen = [](long double, long double) { return true; };
  PrepareState(state, 4, 3, faulty);
  {
    TWorkerTeam team(state, 1);
    team.StartRows(1);
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
  {
    TWorkerTeam team(state, 4);
    team.StartRows(4);
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
  {
    TWorkerTeam team(state, 1);
    team.StartRows(1);
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

// One team, started once, carries out a coarse pass, a fine pass and an item
// job in turn, each with its own number of workers.
TEST(WorkerTeam, ServesOneJobAfterAnother) {
  TCalcState state;
  TProbeRecurrence plain;
  PrepareState(state, 8, 40, plain);
  TWorkerTeam team(state, 3);
  ASSERT_EQ(team.Size(), 3);
  state.Pass = 0;
  team.StartRows(2);
  ASSERT_TRUE(WaitForTeam(state));
  for (int row = 0; row < 40; ++row)
    EXPECT_EQ(state.LoadRowPass(row), row % 16 == 0 ? 1 : 0) << "row " << row;

  state.Pass = 2;
  state.NextRow = 0;
  team.StartRows(3);
  ASSERT_TRUE(WaitForTeam(state));
  for (int row = 0; row < 40; ++row) {
    EXPECT_EQ(state.LoadRowPass(row), 3) << "row " << row;
    for (int col = 0; col < 8; ++col)
      ASSERT_EQ(state.LoadAt(row, col),
                IterateFPU(state.ColRe[col], state.RowIm(row), 0, 0, state.Limit))
          << row << "," << col;
  }

  constexpr int kItems = 60;
  std::vector<std::atomic<int>> done(kItems);
  std::mutex lock;
  std::set<std::thread::id> threads;
  team.StartItems(2, kItems, [&](int item) {
    ++done[item];
    std::this_thread::sleep_for(1ms);  // long enough for every woken worker to join in
    std::lock_guard guard(lock);
    threads.insert(std::this_thread::get_id());
  });
  ASSERT_TRUE(WaitForTeam(state));
  EXPECT_NO_THROW(team.RethrowItemError());
  for (int item = 0; item < kItems; ++item)
    EXPECT_EQ(done[item], 1) << "item " << item;
  EXPECT_LE(threads.size(), 2u) << "the third worker should have sat the job out";
  EXPECT_EQ(threads.count(std::this_thread::get_id()), 0u);
}

TEST(WorkerTeam, AnItemErrorReachesTheCallerOnce) {
  TCalcState state;
  TWorkerTeam team(state, 2);
  std::atomic<int> done{0};
  team.StartItems(2, 20, [&](int item) {
    if (item == 5) throw std::runtime_error("arithmetic fault");
    ++done;
  });
  ASSERT_TRUE(WaitForTeam(state));
  EXPECT_THROW(team.RethrowItemError(), std::runtime_error);
  EXPECT_NO_THROW(team.RethrowItemError());
  EXPECT_GE(done, 1);
}

}  // namespace
}  // namespace vortexa
