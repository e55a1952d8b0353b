// 16.16 fixed point: per-dot geometry stays in integers so that turning and
// tipping the picture costs no floating point per dot and gives the same
// pixels on every machine.
#pragma once

#include <cmath>
#include <cstdint>

namespace vortexa {

using TFixed = std::int32_t;

inline constexpr TFixed kFixedOne = 0x10000;

constexpr TFixed Fixed(int value) {
  return static_cast<TFixed>(static_cast<std::uint32_t>(value) << 16);
}
// Round half to even, as the x87 default rounding does.
inline TFixed Fixed(double value) {
  return static_cast<TFixed>(std::nearbyint(value * 65536.0));
}
constexpr TFixed FixedMul(TFixed a, TFixed b) {
  return static_cast<TFixed>((std::int64_t{a} * b) >> 16);
}
constexpr TFixed FixedDiv(TFixed a, TFixed b) {
  return static_cast<TFixed>((std::int64_t{a} << 16) / b);
}
constexpr int FixedRound(TFixed a) {
  return static_cast<int>((std::int64_t{a} + 0x7FFF) >> 16);
}

}  // namespace vortexa
