// Dot values of the calculation grid and the race-free way to touch them.
#pragma once

#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace vortexa {

// A dot's value: 0 not computed, 1..limit escape count, values at or above
// kInsideThreshold count as inside the set.
using TDot = std::uint32_t;

inline constexpr TDot kDotUncomputed = 0;
inline constexpr TDot kInsideThreshold = 0xFFFFFF00;
inline constexpr TDot kDotPredicted = 0xFFFFFFFE;
inline constexpr TDot kDotInside = 0xFFFFFFFF;
inline constexpr int kMaxLimit = 100'000'000;

// A grid keeps its dots in 16 bits while its limit allows (half the memory
// and the same values as ever) and in 32 bits above. A narrow dot keeps the
// inside marks at the top of its own range: 0xFF00 and up.
using TDot16 = std::uint16_t;
using TDot32 = std::uint32_t;
inline constexpr int kMaxNarrowLimit = 65000;
inline constexpr TDot kNarrowMarkOffset = 0xFFFF0000;

[[gnu::always_inline]] constexpr TDot16 NarrowDot(TDot value) {
  return static_cast<TDot16>(value >= kInsideThreshold ? value - kNarrowMarkOffset : value);
}
constexpr TDot WidenDot(TDot16 value) {
  return value >= NarrowDot(kInsideThreshold) ? value + kNarrowMarkOffset : value;
}
// Whether a dot did not escape within the limit (an inside mark never does).
constexpr bool IsOverLimit(TDot dot, int limit) {
  return dot > static_cast<TDot>(limit);
}

constexpr bool NeedsWideDots(int limit) {
  return limit > kMaxNarrowLimit;
}

template <typename T>
concept StoredDot = std::is_same_v<T, TDot16> || std::is_same_v<T, TDot32>;

// A dot's value as a grid of that width keeps it, and back.
template <StoredDot T>
constexpr T StoredForm(TDot value) {
  if constexpr (std::is_same_v<T, TDot16>)
    return NarrowDot(value);
  else
    return value;
}
template <StoredDot T>
constexpr TDot DotValue(T stored) {
  if constexpr (std::is_same_v<T, TDot16>)
    return WidenDot(stored);
  else
    return stored;
}

// The window thread reads dots while workers write them. Relaxed atomics cost
// nothing on x86 and keep the program free of data races.
template <StoredDot T>
inline TDot LoadDot(const T& dot) {
  return DotValue(std::atomic_ref<T>(const_cast<T&>(dot)).load(std::memory_order_relaxed));
}
template <StoredDot T>
inline void StoreDot(T& dot, TDot value) {
  std::atomic_ref<T>(dot).store(StoredForm<T>(value), std::memory_order_relaxed);
}

// One row of a grid's dots, narrow or wide, read and written one dot at a
// time through LoadDot and StoreDot; Visit hands the typed row to code that
// runs over many dots. A plain TDot array is a wide row.
template <bool Writable>
class TDotRowOf {
  using TVoid = std::conditional_t<Writable, void, const void>;
  template <typename T>
  using TPointer = std::conditional_t<Writable, T*, const T*>;

 public:
  TDotRowOf() = default;
  TDotRowOf(std::nullptr_t) {}
  TDotRowOf(TPointer<TDot32> dots) : FData(dots), FWide(true) {}
  TDotRowOf(TPointer<TDot16> dots) : FData(dots), FWide(false) {}
  // A writable row reads as well.
  template <bool FromWritable>
  requires(FromWritable && !Writable) TDotRowOf(const TDotRowOf<FromWritable>& row)
      : FData(row.Data()), FWide(row.Wide()) {}

  // Always inlined: the vector units' cores read them (see StoreDotInCore).
  [[gnu::always_inline]] TVoid* Data() const { return FData; }
  [[gnu::always_inline]] bool Wide() const { return FWide; }
  explicit operator bool() const { return FData != nullptr; }
  TDotRowOf Offset(std::ptrdiff_t dots) const {
    return Visit([&](auto* first) { return TDotRowOf(first + dots); });
  }

  template <typename F>
  decltype(auto) Visit(F&& f) const {
    if (FWide) return f(static_cast<TPointer<TDot32>>(FData));
    return f(static_cast<TPointer<TDot16>>(FData));
  }
  TDot Load(int col) const {
    return Visit([col](auto* dots) { return LoadDot(dots[col]); });
  }
  void Store(int col, TDot value) const requires Writable {
    Visit([&](auto* dots) { StoreDot(dots[col], value); });
  }

 private:
  TVoid* FData = nullptr;
  bool FWide = true;
};
using TDotRow = TDotRowOf<true>;
using TDotRowView = TDotRowOf<false>;

// StoreDot for the vector units' cores: builtins and always inlined, so that
// their translation units, compiled for wider units, emit no shared function
// that a caller on a narrower processor could end up running.
[[gnu::always_inline]] inline void StoreDotInCore(const TDotRow& row, int col, TDot value) {
  if (row.Wide())
    __atomic_store_n(static_cast<TDot32*>(row.Data()) + col, value, __ATOMIC_RELAXED);
  else
    __atomic_store_n(static_cast<TDot16*>(row.Data()) + col, NarrowDot(value), __ATOMIC_RELAXED);
}

// Neighbouring dots as one word, the first dot in the low bits: four narrow
// dots or two wide ones. Whole frames are scanned and cleared a word per
// access; an aligned 64-bit relaxed atomic is as race-free as the dots' own
// and meets the same dots.
using TDotQuad = std::uint64_t;
template <StoredDot T>
inline constexpr int kDotsPerQuad = sizeof(TDotQuad) / sizeof(T);
static_assert(std::endian::native == std::endian::little, "dot quads assume little endian");

// Dots are 16- or 32-bit objects; the quad reads and writes them through a
// type that may alias them.
using TDotQuadAlias [[gnu::may_alias]] = TDotQuad;

inline bool IsQuadAligned(const void* first) {
  return reinterpret_cast<std::uintptr_t>(first) % alignof(TDotQuad) == 0;
}
inline TDotQuad LoadDotQuad(const void* first) {
  return __atomic_load_n(static_cast<const TDotQuadAlias*>(first), __ATOMIC_RELAXED);
}
inline void StoreDotQuad(void* first, TDotQuad quad) {
  __atomic_store_n(static_cast<TDotQuadAlias*>(first), quad, __ATOMIC_RELAXED);
}
template <StoredDot T>
inline TDot QuadDot(TDotQuad quad, int index) {
  return DotValue(static_cast<T>(quad >> (8 * sizeof(T) * index)));
}
// A quad of equal stored dots.
template <StoredDot T>
constexpr TDotQuad RepeatedDot(T stored) {
  TDotQuad quad = 0;
  for (int i = 0; i < kDotsPerQuad<T>; ++i)
    quad |= TDotQuad{stored} << (8 * sizeof(T) * i);
  return quad;
}
// True when any dot of the quad is 0. Subtracting one from every dot sets a
// dot's top bit, where it was clear, only if the dot is 0 or a 0 below it has
// borrowed from it; so the lowest flagged dot is always a 0.
template <StoredDot T>
inline bool HasUncomputedDot(TDotQuad quad) {
  constexpr TDotQuad kOnes = RepeatedDot<T>(1);
  constexpr TDotQuad kTops = RepeatedDot<T>(static_cast<T>(T{1} << (8 * sizeof(T) - 1)));
  return ((quad - kOnes) & ~quad & kTops) != 0;
}

// Sets `count` dots from `first` to `value`, a quad at a time where aligned.
template <StoredDot T>
inline void FillDots(T* first, std::size_t count, TDot value) {
  T* const end = first + count;
  for (; first != end && !IsQuadAligned(first); ++first)
    StoreDot(*first, value);
  const TDotQuad quad = RepeatedDot<T>(StoredForm<T>(value));
  for (; end - first >= kDotsPerQuad<T>; first += kDotsPerQuad<T>)
    StoreDotQuad(first, quad);
  for (; first != end; ++first)
    StoreDot(*first, value);
}

}  // namespace vortexa
