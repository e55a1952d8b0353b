// TStageClock: the wall time and the page faults of every stage of a run,
// for vortexa-render's --timings line.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace vortexa {

class TStageClock {
 public:
  TStageClock();
  // Ends the stage running since the previous lap (or since construction).
  void Lap(const char* stage);
  // One line: every stage as name=milliseconds/faults, the faults before
  // construction, and the monotonic clock in milliseconds at construction and
  // now, from which a caller that started the process can tell its start-up
  // and exit.
  std::string Line() const;

 private:
  using TClock = std::chrono::steady_clock;
  struct TLap {
    const char* Stage;
    double Ms;
    long Faults;
  };
  TClock::time_point FStart, FLast;
  long FFaultsAtStart, FLastFaults;
  std::vector<TLap> FLaps;
};

}  // namespace vortexa
