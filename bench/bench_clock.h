// Clocks and the median the benchmarks report with.
#pragma once

#include <algorithm>
#include <chrono>
#include <ctime>
#include <vector>

namespace vortexa::bench {

using TClock = std::chrono::steady_clock;

inline double MsSince(TClock::time_point start) {
  return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

// Processor time of every thread of the process, ended ones included: what
// a command costs the machine, whatever it spends waiting.
inline double ProcessCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// The upper median; 0 for no values.
inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace vortexa::bench
