#include "calc_thread.h"

#include <pthread.h>

#include <algorithm>
#include <system_error>
#include <utility>

#include "kernels.h"
#include "perturbation.h"

namespace vortexa {

TCalcThread::TCalcThread(TCalcState& state, TTeamJob& job, int index)
    : FState(state), FJob(job), FIndex(index), FThread([this] { Serve(); }) {}

TCalcThread::~TCalcThread() {
  if (FThread.joinable()) FThread.join();
}

// The thread's life: one job after another until the team stops.
void TCalcThread::Serve() {
  // The lowered priority is inherited from the grid thread.
  pthread_setname_np(pthread_self(), "Calc");
  std::uint64_t serial = 0;
  TTeamJob::TKind kind = TTeamJob::kStop;
  while (WaitForJob(serial, kind)) {
    if (kind == TTeamJob::kRows)
      Execute();
    else
      ComputeItems();
  }
}

// Waits for a job newer than `serial` that this worker takes part in; false
// when the team stops.
bool TCalcThread::WaitForJob(std::uint64_t& serial, TTeamJob::TKind& kind) {
  std::unique_lock lock(FJob.Lock);
  for (;;) {
    FJob.Posted.wait(lock, [&] { return FJob.Serial != serial; });
    serial = FJob.Serial;
    kind = FJob.Kind;
    if (kind == TTeamJob::kStop) return false;
    if (FIndex < FJob.Workers) return true;
  }
}

// One pass: rows until they run out or the worker is asked to stop.
void TCalcThread::Execute() {
  try {
    ComputeRows();
  } catch (const std::exception& error) {
    // A fault of a custom recurrence ends this worker's pass only: the others
    // go on taking rows, and the dots it did not reach stay uncomputed. The
    // grid reports the first such error with the command's result.
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

TDotRow TCalcThread::MirrorRow(int row) {
  const int axis = FState.AxisRow;
  const int mirror = 2 * axis - row;
  if (row < axis && mirror < FState.GridHeight) return FState.Row(mirror);
  return {};
}

void TCalcThread::CalcRow(int row, int stride) {
  const TDotRow dots = FState.Row(row);
  const TDotRow mirror = MirrorRow(row);
  const long double y = FState.RowIm(row);
  switch (FState.Kernel) {
    case kKernelExtended:
      CalcRowFPU(FState, dots, mirror, stride, y);
      break;
    case kKernelSingle:
      CalcRowSSE(FState, dots, mirror, stride, y);
      break;
    case kKernelDeep:
      CalcRowDeep(FState, dots, mirror, stride, row);
      break;
    default:
      CalcRowSSE2(FState, dots, mirror, stride, y);
      break;
  }
}

void TCalcThread::ComputeItems() {
  try {
    for (int item = FJob.NextItem++; item < FJob.ItemCount; item = FJob.NextItem++) {
      FJob.Item(item);
      if (FState.StopRequested()) break;
    }
  } catch (...) {
    // Handed to the grid thread, which rethrows it once the job has ended.
    std::lock_guard lock(FJob.Lock);
    if (!FJob.ItemError) FJob.ItemError = std::current_exception();
  }
  CountOut();
}

void TCalcThread::CountOut() {
  std::lock_guard lock(FState.CountLock);
  if (--FState.LiveWorkers == 0) FState.DoneEvent.notify_all();
}

// --- The team -------------------------------------------------------------

TWorkerTeam::TWorkerTeam(TCalcState& state, int size) : FState(state) {
  try {
    FWorkers.reserve(size);
    for (int index = 0; index < size; ++index)
      FWorkers.push_back(std::make_unique<TCalcThread>(FState, FJob, index));
  } catch (const std::system_error&) {
    // The team shares one row counter, so fewer workers still finish every pass.
    if (FWorkers.empty()) throw;
  } catch (...) {
    // No destructor runs for a team that was never made: the workers already
    // started must be told to stop before the members join them.
    Post(TTeamJob::kStop, 0);
    throw;
  }
}

TWorkerTeam::~TWorkerTeam() {
  Post(TTeamJob::kStop, 0);
  FWorkers.clear();
}

void TWorkerTeam::StartRows(int count) {
  Post(TTeamJob::kRows, count);
}

void TWorkerTeam::StartItems(int count, int itemCount, std::function<void(int)> item) {
  {
    std::lock_guard lock(FJob.Lock);
    FJob.Item = std::move(item);
    FJob.ItemCount = itemCount;
    FJob.NextItem = 0;
    FJob.ItemError = nullptr;
  }
  Post(TTeamJob::kItems, count);
}

void TWorkerTeam::RethrowItemError() {
  std::lock_guard lock(FJob.Lock);
  if (FJob.ItemError) std::rethrow_exception(std::exchange(FJob.ItemError, nullptr));
}

void TWorkerTeam::Terminate() {
  FState.RequestStop(true);
}

// LiveWorkers is set before the job is published, so a worker that finishes
// at once cannot count out below zero. A stop request of the previous job is
// cleared; one raised while this job runs stays until the next.
void TWorkerTeam::Post(TTeamJob::TKind kind, int count) {
  count = std::min(count, Size());
  FState.RequestStop(false);
  {
    std::lock_guard lock(FState.CountLock);
    FState.LiveWorkers = count;
  }
  {
    std::lock_guard lock(FJob.Lock);
    FJob.Kind = kind;
    FJob.Workers = count;
    ++FJob.Serial;
  }
  FJob.Posted.notify_all();
}

}  // namespace vortexa
