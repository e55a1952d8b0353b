#include "app/progress_line.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vortexa {

namespace {

constexpr int kBarWidth = 30;
constexpr auto kShowEvery = std::chrono::milliseconds(200);

}  // namespace

std::string ClockText(double seconds) {
  const long long whole = std::llround(seconds);
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
  return text;
}

double SecondsLeft(long long done, long long total, double elapsedSeconds) {
  return elapsedSeconds * static_cast<double>(total - done) / static_cast<double>(done);
}

std::string ProgressText(long long done, long long total, const char* unit, double elapsedSeconds) {
  if (total <= 0)
    return std::to_string(done) + " " + unit + "  " + ClockText(elapsedSeconds) + " so far";
  std::string text = "[" + std::string(kBarWidth, '-') + "]";
  std::fill_n(text.begin() + 1, kBarWidth * std::clamp(done, 0LL, total) / total, '#');
  char numbers[96];
  std::snprintf(numbers, sizeof numbers, " %3lld%%  %lld/%lld %s", done * 100 / total, done, total,
                unit);
  text += numbers;
  if (done > 0) text += "  " + ClockText(SecondsLeft(done, total, elapsedSeconds)) + " left";
  return text;
}

void TProgressLine::Update(long long done, long long total) {
  const TClock::time_point now = TClock::now();
  if (FShown && now - FLastShown < kShowEvery && done != total) return;
  FLastShown = now;
  FShown = true;
  const double elapsed = std::chrono::duration<double>(now - FStart).count();
  std::fprintf(stderr, "\r%s\033[K", ProgressText(done, total, FUnit, elapsed).c_str());
  std::fflush(stderr);
}

void TProgressLine::Finish() {
  if (FShown) std::fputc('\n', stderr);
  FShown = false;
}

}  // namespace vortexa
