// TCalcThread: one worker of a pass. Workers share the row counter of the
// calculation state, compute whole rows with the chosen kernel family and
// write the dots (and mirror rows) straight into the grid.
#pragma once

#include <thread>

#include "calc_state.h"

namespace vortexa {

class TCalcThread {
 public:
  // Starts at once. The caller has set LiveWorkers to the size of the team
  // beforehand; this worker counts itself out when it ends, however it ends.
  TCalcThread(TCalcState& state, int index);
  ~TCalcThread();  // joins
  TCalcThread(const TCalcThread&) = delete;
  TCalcThread& operator=(const TCalcThread&) = delete;

  // The grid stops a team through the state (RequestStop): every worker then
  // ends at the next dot of the row in hand.
  int Index() const { return FIndex; }

 private:
  void Execute();
  void ComputeRows();
  bool TakeRow(int stride, int& row);
  TDot* MirrorRow(int row);
  void CalcRow(int row, int stride);
  void CountOut();

  TCalcState& FState;
  const int FIndex;
  std::thread FThread;  // last: the thread starts only when the rest is ready
};

}  // namespace vortexa
