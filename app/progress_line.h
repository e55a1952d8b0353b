// The renderer's progress on stderr: a bar, the share done and the time left,
// rewritten in place a few times a second.
#pragma once

#include <chrono>
#include <string>

namespace vortexa {

// "m:ss" of so many seconds.
std::string ClockText(double seconds);
// The time the rest takes at the pace so far; done must be above 0.
double SecondsLeft(long long done, long long total, double elapsedSeconds);

// "[#####-----]  50%  12/24 frames  0:07 left"; without a total the count
// and the time so far.
std::string ProgressText(long long done, long long total, const char* unit, double elapsedSeconds);

class TProgressLine {
 public:
  explicit TProgressLine(const char* unit) : FUnit(unit) {}
  void Update(long long done, long long total);
  // Ends the line.
  void Finish();

 private:
  using TClock = std::chrono::steady_clock;
  const char* FUnit;
  TClock::time_point FStart = TClock::now();
  TClock::time_point FLastShown{};
  bool FShown = false;
};

}  // namespace vortexa
