// How many workers a pass runs. A pass gets as many workers as the process
// may run threads at once (its CPU affinity, so that containers and taskset
// are respected), and never fewer than the pass's own minimum; the environment
// variable VORTEXA_WORKERS fixes the number instead.
#pragma once

#include <string_view>

namespace vortexa {

inline constexpr int kMaxTeamSize = 1024;
inline constexpr const char* kTeamSizeVariable = "VORTEXA_WORKERS";

// Processors in this thread's CPU affinity (the process's, unless a thread
// was given its own); at least 1.
int AllowedProcessorCount();

// A fixed team size: a whole number from 1 to kMaxTeamSize, nothing else.
// Throws std::invalid_argument naming the variable otherwise.
int ParseTeamSize(std::string_view text);

// The size fixed by VORTEXA_WORKERS, or 0 (follow the machine) when it is
// unset or empty. Throws like ParseTeamSize.
int FixedTeamSizeFromEnvironment();

// fixed > 0 is taken as it is; otherwise the allowed processors, at least the minimum.
int TeamSize(int minimum, int fixed, int processors);

}  // namespace vortexa
