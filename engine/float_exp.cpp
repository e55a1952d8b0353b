#include "float_exp.h"

namespace vortexa {

TFloatExp::TFloatExp(long double value) {
  int exponent = 0;
  FMantissa = std::isfinite(value) ? std::frexp(value, &exponent) : value;
  FExponent = exponent;
}

TFloatExp TFloatExp::FromParts(long double mantissa, long exponent) {
  TFloatExp result(mantissa);
  if (result.FMantissa != 0 && result.IsFinite()) result.FExponent += exponent;
  return result;
}

TFloatExp TFloatExp::Exp2(long double log2) {
  if (!std::isfinite(log2)) return std::exp2(log2);
  const long double whole = std::floor(log2);
  return FromParts(std::exp2(log2 - whole), static_cast<long>(whole));
}

long double TFloatExp::ToLongDouble() const {
  if (FMantissa == 0 || !IsFinite()) return FMantissa;
  // ldexp takes an int; beyond its reach the value is 0 or infinite anyway.
  constexpr long kReach = 1L << 20;
  const long exponent = FExponent < -kReach ? -kReach : (FExponent > kReach ? kReach : FExponent);
  return std::ldexp(FMantissa, static_cast<int>(exponent));
}

long double TFloatExp::Log2() const {
  return std::log2(std::fabs(FMantissa)) + static_cast<long double>(FExponent);
}

std::partial_ordering operator<=>(const TFloatExp& a, const TFloatExp& b) {
  // A zero, a sign, an infinity or a NaN decides by the mantissas alone.
  if (!a.IsFinite() || !b.IsFinite() || a.FMantissa == 0 || b.FMantissa == 0 ||
      std::signbit(a.FMantissa) != std::signbit(b.FMantissa)) {
    return a.FMantissa <=> b.FMantissa;
  }
  // Same sign, both normalised: the exponent decides, then the mantissa.
  if (a.FExponent != b.FExponent) {
    const bool aLarger = a.FExponent > b.FExponent;
    return (aLarger != std::signbit(a.FMantissa)) ? std::partial_ordering::greater
                                                  : std::partial_ordering::less;
  }
  return a.FMantissa <=> b.FMantissa;
}

}  // namespace vortexa
