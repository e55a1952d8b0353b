// TFloatExp: a real with a long double mantissa and an exponent of its own,
// for ranges and dot sizes of views deeper than long double reaches (its
// smallest normal number is about 3e-4932). Arithmetic is a long double's on
// the mantissas; only the exponent runs on.
#pragma once

#include <cmath>
#include <compare>

namespace vortexa {

class TFloatExp {
 public:
  constexpr TFloatExp() = default;
  // Exactly the given value (infinities and NaNs stay what they are).
  TFloatExp(long double value);  // NOLINT: a long double is a TFloatExp
  // mantissa * 2^exponent, normalised.
  static TFloatExp FromParts(long double mantissa, long exponent);
  // 2^log2, for interpolating on a logarithmic scale.
  static TFloatExp Exp2(long double log2);

  // The value is Mantissa() * 2^Exponent(), with |Mantissa()| in [0.5, 1)
  // (or 0, or not finite).
  long double Mantissa() const { return FMantissa; }
  long Exponent() const { return FExponent; }

  bool IsFinite() const { return std::isfinite(FMantissa); }
  // Rounded to long double: 0 or a subnormal below its reach, infinite above.
  long double ToLongDouble() const;
  // log2 of the magnitude; -inf for 0.
  long double Log2() const;
  // The value times 2^exponent.
  TFloatExp Scaled(long exponent) const { return FromParts(FMantissa, FExponent + exponent); }
  TFloatExp Abs() const { return FromParts(std::fabs(FMantissa), FExponent); }

  friend TFloatExp operator*(const TFloatExp& a, const TFloatExp& b) {
    return FromParts(a.FMantissa * b.FMantissa, a.FExponent + b.FExponent);
  }
  friend TFloatExp operator/(const TFloatExp& a, const TFloatExp& b) {
    return FromParts(a.FMantissa / b.FMantissa, a.FExponent - b.FExponent);
  }
  TFloatExp& operator*=(const TFloatExp& b) { return *this = *this * b; }
  TFloatExp& operator/=(const TFloatExp& b) { return *this = *this / b; }
  TFloatExp operator-() const { return FromParts(-FMantissa, FExponent); }

  friend bool operator==(const TFloatExp& a, const TFloatExp& b) {
    return a.FMantissa == b.FMantissa && (a.FExponent == b.FExponent || !a.IsFinite());
  }
  friend std::partial_ordering operator<=>(const TFloatExp& a, const TFloatExp& b);

 private:
  long double FMantissa = 0;
  long FExponent = 0;
};

}  // namespace vortexa
