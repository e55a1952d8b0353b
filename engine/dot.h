// Dot values of the calculation grid and the race-free way to touch them.
#pragma once

#include <atomic>
#include <cstdint>

namespace vortexa {

// One unsigned 16-bit value per dot: 0 not computed, 1..limit escape count,
// values at or above kInsideThreshold count as inside the set.
using TDot = std::uint16_t;

inline constexpr TDot kDotUncomputed = 0;
inline constexpr TDot kInsideThreshold = 0xFF00;
inline constexpr TDot kDotPredicted = 0xFFFE;
inline constexpr TDot kDotInside = 0xFFFF;
inline constexpr int kMaxLimit = 65000;

// The window thread reads dots while workers write them. Relaxed atomics cost
// nothing on x86 and keep the program free of data races.
inline TDot LoadDot(const TDot& dot) {
  return std::atomic_ref<TDot>(const_cast<TDot&>(dot)).load(std::memory_order_relaxed);
}
inline void StoreDot(TDot& dot, TDot value) {
  std::atomic_ref<TDot>(dot).store(value, std::memory_order_relaxed);
}

}  // namespace vortexa
