// TDeepReal: a real number carried with as many bits as a deep view needs.
// View centres live in it so that zooming far below long double's 64 bits
// keeps every digit; the engine reads it for its reference orbit.
#pragma once

#include <mpfr.h>

#include <optional>
#include <string>
#include <string_view>

#include "float_exp.h"

namespace vortexa {

// Bits of a coordinate when nothing asks for more: well above long double's 64.
inline constexpr int kDeepMinBits = 128;

// A rounded value as its significant digits (no trailing zeros; "0" for zero)
// and the decimal exponent of the first digit.
struct TDeepDigits {
  bool Negative = false;
  std::string Digits;
  long Exponent = 0;
};

class TDeepReal {
 public:
  TDeepReal();  // zero, kDeepMinBits
  // Exactly the given value (a long double always fits).
  TDeepReal(long double value, int bits = kDeepMinBits);  // NOLINT: a long double is a deep real
  static TDeepReal FromFloatExp(const TFloatExp& value, int bits = kDeepMinBits);
  TDeepReal(const TDeepReal& other);
  TDeepReal(TDeepReal&& other) noexcept;
  TDeepReal& operator=(const TDeepReal& other);
  TDeepReal& operator=(TDeepReal&& other) noexcept;
  ~TDeepReal();

  // A whole text as a decimal real: optional sign, digits with at most one
  // ".", optional "E"/"e" exponent ("1.5", "-2E-3", "+7", ".5"). Any number of
  // digits is read; the value gets enough bits to hold all of them, and at
  // least `bits`. None for anything else (blanks, "inf", "nan", hex).
  static std::optional<TDeepReal> FromDecimal(std::string_view text, int bits = kDeepMinBits);

  int Bits() const;
  // The same value with at least `bits` bits (never fewer than it has, so
  // nothing is rounded away).
  TDeepReal WithAtLeastBits(int bits) const;

  bool IsZero() const;
  bool IsFinite() const;
  long double ToLongDouble() const;  // rounded to nearest
  TFloatExp ToFloatExp() const;      // rounded to nearest
  double ToDouble() const;           // rounded to nearest
  // Rounded to nearest at `digits` significant decimal digits (1 or more).
  TDeepDigits ToDigits(int digits) const;

  // Sums keep this value's bits; give it enough first (WithAtLeastBits).
  TDeepReal& operator+=(long double offset);
  TDeepReal& operator-=(long double offset);
  TDeepReal& operator+=(const TFloatExp& offset);
  friend TDeepReal operator+(TDeepReal a, long double b) { return a += b; }
  friend TDeepReal operator-(TDeepReal a, long double b) { return a -= b; }
  friend TDeepReal operator+(TDeepReal a, const TFloatExp& b) { return a += b; }
  // The difference, computed exactly and then rounded to long double.
  friend long double operator-(const TDeepReal& a, const TDeepReal& b);
  // The same, with an exponent of its own: deep centres may differ by less
  // than a long double holds.
  friend TFloatExp WideDifference(const TDeepReal& a, const TDeepReal& b);
  TDeepReal operator-() const;

  friend bool operator==(const TDeepReal& a, const TDeepReal& b);
  friend bool operator<(const TDeepReal& a, const TDeepReal& b);

  mpfr_srcptr Get() const { return FValue; }

 private:
  explicit TDeepReal(int bits);
  mpfr_t FValue;
};

// The smallest range a view can have, 1e-10000: views are drawn to any depth
// above it, at a cost that grows with the bits its coordinates take.
const TFloatExp& DeepestRange();

// Bits a coordinate of magnitude below 8 needs to resolve a thousandth of a
// dot of size `step` with room to spare: at least kDeepMinBits.
int BitsForStep(const TFloatExp& step);

// Significant decimal digits that write such a coordinate to a thousandth of
// a dot: at least `atLeast`.
int DigitsForStep(const TFloatExp& step, int atLeast);

}  // namespace vortexa
