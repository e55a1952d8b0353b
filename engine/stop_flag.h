// The grid's stop request as the one-dot routines see it.
#pragma once

namespace vortexa {

// A flag raised by another thread, read with relaxed atomic loads; null where
// nothing can stop the routine.
using TStopFlag = const bool*;

inline bool StopRaised(TStopFlag stop) {
  return stop && __atomic_load_n(stop, __ATOMIC_RELAXED);
}

// Iterations of one dot between two looks at the stop flag: a dot at a limit
// in the millions would otherwise hold a stop for a good part of a second.
// Limits within the narrow dots' reach never get there.
inline constexpr int kStopLookInterval = 1 << 16;

inline bool StopDue(int iteration, TStopFlag stop) {
  return iteration % kStopLookInterval == 0 && StopRaised(stop);
}

}  // namespace vortexa
