// The renderer's progress on stderr: a bar, the share done and the time left,
// rewritten in place a few times a second.
#pragma once

#include <chrono>
#include <string>

namespace vortexa {

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
