#include "team_size.h"

#include <sched.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>

namespace vortexa {

int AllowedProcessorCount() {
  // The kernel refuses a mask smaller than its own processor limit, so the
  // mask grows until it fits.
  for (int processors = CPU_SETSIZE; processors <= (1 << 22); processors *= 2) {
    cpu_set_t* set = CPU_ALLOC(processors);
    if (set == nullptr) break;
    const std::size_t bytes = CPU_ALLOC_SIZE(processors);
    const bool read = sched_getaffinity(0, bytes, set) == 0;
    const int count = read ? CPU_COUNT_S(bytes, set) : 0;
    const int error = errno;
    CPU_FREE(set);
    if (read) return std::max(count, 1);
    if (error != EINVAL) break;
  }
  return std::max(static_cast<int>(std::thread::hardware_concurrency()), 1);
}

int ParseTeamSize(std::string_view text) {
  int size = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
  if (error != std::errc() || end != text.data() + text.size() || size < 1 || size > kMaxTeamSize)
    throw std::invalid_argument(
        std::string(kTeamSizeVariable) + " must be a whole number from 1 to " +
        std::to_string(kMaxTeamSize) + ", not \"" + std::string(text) + "\"");
  return size;
}

int FixedTeamSizeFromEnvironment() {
  const char* text = std::getenv(kTeamSizeVariable);
  if (text == nullptr || *text == '\0') return 0;
  return ParseTeamSize(text);
}

int TeamSize(int minimum, int fixed, int processors) {
  if (fixed > 0) return fixed;
  return std::max(minimum, processors);
}

}  // namespace vortexa
