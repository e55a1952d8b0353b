#include "calc_thread.h"

#include <pthread.h>

#include "kernels.h"

namespace vortexa {

TCalcThread::TCalcThread(TCalcState& state, int index)
    : FState(state), FIndex(index), FThread([this] { Execute(); }) {}

TCalcThread::~TCalcThread() {
  if (FThread.joinable()) FThread.join();
}

void TCalcThread::Execute() {
  // The lowered priority is inherited from the grid thread.
  pthread_setname_np(pthread_self(), "Calc");
  try {
    ComputeRows();
  } catch (const std::exception& error) {
    // A fault of a custom recurrence ends this worker only: the others go on
    // taking rows, and the dots it did not reach stay uncomputed. The grid
    // reports the first such error with the command's result.
    FState.RecordError(error);
  }
  CountOut();
}

void TCalcThread::ComputeRows() {
  const int passIndex = FState.Pass.load();
  const int stride = StrideTable[passIndex];
  int row = 0;
  while (TakeRow(stride, row)) {
    CalcRow(row, stride);
    // A row left at a stop request is not finished.
    if (FState.StopRequested()) return;
    FState.StoreRowPass(row, passIndex + 1);
  }
}

// Rows go out one at a time in increasing order, so fast and slow rows balance
// across the team without any assignment in advance.
bool TCalcThread::TakeRow(int stride, int& row) {
  std::lock_guard lock(FState.RowLock);
  row = FState.NextRow.load(std::memory_order_relaxed);
  if (row >= FState.GridHeight) return false;
  FState.NextRow.store(row + stride, std::memory_order_relaxed);
  return true;
}

TDot* TCalcThread::MirrorRow(int row) {
  const int axis = FState.AxisRow;
  const int mirror = 2 * axis - row;
  if (row < axis && mirror < FState.GridHeight) return FState.RowPtr(mirror);
  return nullptr;
}

void TCalcThread::CalcRow(int row, int stride) {
  TDot* dots = FState.RowPtr(row);
  TDot* mirror = MirrorRow(row);
  const long double y = FState.RowIm(row);
  switch (FState.Kernel) {
    case kKernelExtended:
      CalcRowFPU(FState, dots, mirror, stride, y);
      break;
    case kKernelSingle:
      CalcRowSSE(FState, dots, mirror, stride, y);
      break;
    default:
      CalcRowSSE2(FState, dots, mirror, stride, y);
      break;
  }
}

void TCalcThread::CountOut() {
  std::lock_guard lock(FState.CountLock);
  if (--FState.LiveWorkers == 0) FState.DoneEvent.notify_all();
}

}  // namespace vortexa
