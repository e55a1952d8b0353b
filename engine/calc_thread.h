// TCalcThread: one worker of the team that carries out a command's passes.
// Workers share the row counter of the calculation state, compute whole rows
// with the chosen kernel family and write the dots (and mirror rows) straight
// into the grid. Between passes they wait for the next job of their team, so
// threads are started once per command, not once per pass.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "calc_state.h"

namespace vortexa {

// What the team does next, posted by the grid thread under Lock.
struct TTeamJob {
  enum TKind : std::uint8_t { kRows, kItems, kStop };

  std::mutex Lock;
  std::condition_variable Posted;
  std::uint64_t Serial = 0;  // raised with every job
  TKind Kind = kRows;
  int Workers = 0;  // workers with an index below this take part; the others sit it out

  // kItems: items 0 .. ItemCount - 1, handed out one at a time.
  std::function<void(int)> Item;
  int ItemCount = 0;
  std::atomic<int> NextItem{0};
  std::exception_ptr ItemError;  // the first item that threw; under Lock
};

class TCalcThread {
 public:
  // Starts at once and waits for its team's first job. Whoever posts a job
  // sets LiveWorkers to the number of its workers beforehand; each of them
  // counts itself out when its part ends, however it ends.
  TCalcThread(TCalcState& state, TTeamJob& job, int index);
  ~TCalcThread();  // joins; the team has posted kStop
  TCalcThread(const TCalcThread&) = delete;
  TCalcThread& operator=(const TCalcThread&) = delete;

  // The grid stops a team through the state (RequestStop): every worker then
  // ends at the next dot of the row in hand, or after the item in hand.
  int Index() const { return FIndex; }

 private:
  void Serve();
  bool WaitForJob(std::uint64_t& serial, TTeamJob::TKind& kind);
  void Execute();
  void ComputeRows();
  bool TakeRow(int stride, int& row);
  TDotRow MirrorRow(int row);
  void CalcRow(int row, int stride);
  void ComputeItems();
  void CountOut();

  TCalcState& FState;
  TTeamJob& FJob;
  const int FIndex;
  std::thread FThread;  // last: the thread starts only when the rest is ready
};

// The workers of one command. A job goes to the first `count` of them; the
// caller waits for LiveWorkers to reach 0 (DoneEvent) before posting the next.
class TWorkerTeam {
 public:
  // Starts `size` workers, or as many as the system allows if at least one
  // starts: the team shares one row counter, so fewer still finish every
  // pass. Throws std::system_error when not even one starts.
  TWorkerTeam(TCalcState& state, int size);
  ~TWorkerTeam();  // stops and joins every worker
  TWorkerTeam(const TWorkerTeam&) = delete;
  TWorkerTeam& operator=(const TWorkerTeam&) = delete;

  int Size() const { return static_cast<int>(FWorkers.size()); }
  // Runs the current pass of the state (its Pass and NextRow) on `count` workers.
  void StartRows(int count);
  // Runs item(0) .. item(itemCount - 1) on `count` workers, each item once.
  void StartItems(int count, int itemCount, std::function<void(int)> item);
  // After the item job has ended: rethrows the first error an item threw.
  void RethrowItemError();
  // Asks the workers of the current job to stop at the next dot (a team-wide
  // request in the state, cleared when the next job is posted).
  void Terminate();

 private:
  void Post(TTeamJob::TKind kind, int count);

  TCalcState& FState;
  TTeamJob FJob;
  std::vector<std::unique_ptr<TCalcThread>> FWorkers;
};

}  // namespace vortexa
