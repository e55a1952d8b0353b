// Dot values of the calculation grid and the race-free way to touch them.
#pragma once

#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace vortexa {

// One unsigned 16-bit value per dot: 0 not computed, 1..limit escape count,
// values at or above kInsideThreshold count as inside the set.
using TDot = std::uint16_t;

inline constexpr TDot kDotUncomputed = 0;
inline constexpr TDot kInsideThreshold = 0xFF00;
inline constexpr TDot kDotPredicted = 0xFFFE;
inline constexpr TDot kDotInside = 0xFFFF;
inline constexpr int kMaxLimit = 100'000'000;

// The window thread reads dots while workers write them. Relaxed atomics cost
// nothing on x86 and keep the program free of data races.
inline TDot LoadDot(const TDot& dot) {
  return std::atomic_ref<TDot>(const_cast<TDot&>(dot)).load(std::memory_order_relaxed);
}
inline void StoreDot(TDot& dot, TDot value) {
  std::atomic_ref<TDot>(dot).store(value, std::memory_order_relaxed);
}

// Four neighbouring dots as one word, the first dot in the low bits. Whole
// frames are scanned and cleared four dots per access; an aligned 64-bit
// relaxed atomic is as race-free as four 16-bit ones and meets the same dots.
using TDotQuad = std::uint64_t;
inline constexpr int kDotsPerQuad = 4;
static_assert(std::endian::native == std::endian::little, "dot quads assume little endian");

// Dots are 16-bit objects; the quad reads and writes them through a type that
// may alias them.
using TDotQuadAlias [[gnu::may_alias]] = TDotQuad;

inline bool IsQuadAligned(const TDot* first) {
  return reinterpret_cast<std::uintptr_t>(first) % alignof(TDotQuad) == 0;
}
inline TDotQuad LoadDotQuad(const TDot* first) {
  return __atomic_load_n(reinterpret_cast<const TDotQuadAlias*>(first), __ATOMIC_RELAXED);
}
inline void StoreDotQuad(TDot* first, TDotQuad quad) {
  __atomic_store_n(reinterpret_cast<TDotQuadAlias*>(first), quad, __ATOMIC_RELAXED);
}
inline TDot QuadDot(TDotQuad quad, int index) {
  return static_cast<TDot>(quad >> (16 * index));
}
// True when any of the four dots is 0. Subtracting one from every dot sets a
// dot's top bit, where it was clear, only if the dot is 0 or a 0 below it has
// borrowed from it; so the lowest flagged dot is always a 0.
inline bool HasUncomputedDot(TDotQuad quad) {
  constexpr TDotQuad kOnes = 0x0001000100010001;
  constexpr TDotQuad kTops = 0x8000800080008000;
  return ((quad - kOnes) & ~quad & kTops) != 0;
}

// Sets `count` dots from `first` to `value`, four at a time where aligned.
inline void FillDots(TDot* first, std::size_t count, TDot value) {
  TDot* const end = first + count;
  for (; first != end && !IsQuadAligned(first); ++first)
    StoreDot(*first, value);
  const TDotQuad quad = value * TDotQuad{0x0001000100010001};
  for (; end - first >= kDotsPerQuad; first += kDotsPerQuad)
    StoreDotQuad(first, quad);
  for (; first != end; ++first)
    StoreDot(*first, value);
}

}  // namespace vortexa
