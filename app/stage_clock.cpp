#include "app/stage_clock.h"

#include <sys/resource.h>

#include <cstdio>

namespace vortexa {

namespace {

long PageFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt + usage.ru_majflt;
}

double Milliseconds(std::chrono::steady_clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

std::string Format(const char* format, double value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

TStageClock::TStageClock()
    : FStart(TClock::now()),
      FLast(FStart),
      FFaultsAtStart(PageFaults()),
      FLastFaults(FFaultsAtStart) {}

void TStageClock::Lap(const char* stage) {
  const auto now = TClock::now();
  const long faults = PageFaults();
  FLaps.push_back({stage, Milliseconds(now - FLast), faults - FLastFaults});
  FLast = now;
  FLastFaults = faults;
}

std::string TStageClock::Line() const {
  std::string line = "timings:";
  // Appended piece by piece: chained operator+ draws GCC 12's false -Wrestrict alarm.
  for (const TLap& lap : FLaps) {
    line.append(" ").append(lap.Stage).append("=").append(Format("%.2f", lap.Ms));
    line.append("ms/").append(std::to_string(lap.Faults)).append("flt");
  }
  line.append(" start-up-faults=").append(std::to_string(FFaultsAtStart));
  line.append(" main-start=").append(Format("%.3f", Milliseconds(FStart.time_since_epoch())));
  line.append(" main-end=").append(Format("%.3f", Milliseconds(TClock::now().time_since_epoch())));
  return line;
}

}  // namespace vortexa
