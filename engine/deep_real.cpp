#include "deep_real.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <memory>

namespace vortexa {

namespace {

// The deepest view (a range of 1e-10000, kDeepestRange) needs some 33350
// bits; longer texts are rounded here.
constexpr int kDeepMaxBits = 33536;

int ClampBits(int bits) {
  return std::clamp(bits, kDeepMinBits, kDeepMaxBits);
}

// The mantissa digits of a decimal real, or -1 when the text is not one.
int CountMantissaDigits(std::string_view text) {
  std::size_t i = 0;
  const auto isDigit = [&](std::size_t at) {
    return at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]));
  };
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  int digits = 0;
  for (; isDigit(i); ++i)
    ++digits;
  if (i < text.size() && text[i] == '.') {
    for (++i; isDigit(i); ++i)
      ++digits;
  }
  if (digits == 0) return -1;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (!isDigit(i)) return -1;
    while (isDigit(i))
      ++i;
  }
  return i == text.size() ? digits : -1;
}

bool HasNonzeroDigitBeforeExponent(std::string_view text) {
  for (char c : text) {
    if (c == 'e' || c == 'E') return false;
    if (c >= '1' && c <= '9') return true;
  }
  return false;
}

}  // namespace

TDeepReal::TDeepReal(int bits) {
  mpfr_init2(FValue, ClampBits(bits));
}

TDeepReal::TDeepReal() : TDeepReal(kDeepMinBits) {
  mpfr_set_zero(FValue, 1);
}

TDeepReal::TDeepReal(long double value, int bits) : TDeepReal(bits) {
  mpfr_set_ld(FValue, value, MPFR_RNDN);
}

TDeepReal::TDeepReal(const TDeepReal& other) : TDeepReal(other.Bits()) {
  mpfr_set(FValue, other.FValue, MPFR_RNDN);
}

TDeepReal::TDeepReal(TDeepReal&& other) noexcept : TDeepReal(kDeepMinBits) {
  mpfr_swap(FValue, other.FValue);
}

TDeepReal& TDeepReal::operator=(const TDeepReal& other) {
  if (this != &other) {
    mpfr_set_prec(FValue, other.Bits());
    mpfr_set(FValue, other.FValue, MPFR_RNDN);
  }
  return *this;
}

TDeepReal& TDeepReal::operator=(TDeepReal&& other) noexcept {
  mpfr_swap(FValue, other.FValue);
  return *this;
}

TDeepReal::~TDeepReal() {
  mpfr_clear(FValue);
}

std::optional<TDeepReal> TDeepReal::FromDecimal(std::string_view text, int bits) {
  const int digits = CountMantissaDigits(text);
  if (digits < 0) return std::nullopt;
  // log2(10) < 3.33: every digit given, and a word more so that the value
  // differs from the decimal far below anything a view resolves.
  TDeepReal result(std::max(bits, static_cast<int>(digits * 3.33) + 80));
  const std::string whole(text);  // mpfr wants a terminated string
  mpfr_strtofr(result.FValue, whole.c_str(), nullptr, 10, MPFR_RNDN);
  // Out of the exponent range: refused, as a long double reader would.
  if (!result.IsFinite() || (result.IsZero() && HasNonzeroDigitBeforeExponent(text))) {
    return std::nullopt;
  }
  return result;
}

int TDeepReal::Bits() const {
  return static_cast<int>(mpfr_get_prec(FValue));
}

TDeepReal TDeepReal::WithAtLeastBits(int bits) const {
  TDeepReal result(std::max(bits, Bits()));
  mpfr_set(result.FValue, FValue, MPFR_RNDN);
  return result;
}

bool TDeepReal::IsZero() const {
  return mpfr_zero_p(FValue) != 0;
}
bool TDeepReal::IsFinite() const {
  return mpfr_number_p(FValue) != 0;
}
long double TDeepReal::ToLongDouble() const {
  return mpfr_get_ld(FValue, MPFR_RNDN);
}
TFloatExp TDeepReal::ToFloatExp() const {
  if (!IsFinite()) return ToLongDouble();
  long exponent = 0;
  const long double mantissa = mpfr_get_ld_2exp(&exponent, FValue, MPFR_RNDN);
  return TFloatExp::FromParts(mantissa, exponent);
}

TDeepReal TDeepReal::FromFloatExp(const TFloatExp& value, int bits) {
  TDeepReal result(value.Mantissa(), bits);
  if (value.IsFinite()) mpfr_mul_2si(result.FValue, result.FValue, value.Exponent(), MPFR_RNDN);
  return result;
}

double TDeepReal::ToDouble() const {
  return mpfr_get_d(FValue, MPFR_RNDN);
}

TDeepDigits TDeepReal::ToDigits(int digits) const {
  if (IsZero()) return {.Negative = false, .Digits = std::string(1, '0'), .Exponent = 0};
  TDeepDigits result;
  mpfr_exp_t exponent = 0;
  const std::unique_ptr<char, decltype(&mpfr_free_str)> text(
      mpfr_get_str(nullptr, &exponent, 10, std::max(digits, 1), FValue, MPFR_RNDN), &mpfr_free_str);
  std::string all(text.get());
  result.Negative = all.front() == '-';
  if (result.Negative) all.erase(0, 1);
  all.erase(all.find_last_not_of('0') + 1);
  result.Digits = std::move(all);
  // mpfr writes 0.d1d2... times ten to `exponent`.
  result.Exponent = static_cast<long>(exponent) - 1;
  return result;
}

TDeepReal& TDeepReal::operator+=(long double offset) {
  const TDeepReal term(offset, 64);
  mpfr_add(FValue, FValue, term.FValue, MPFR_RNDN);
  return *this;
}

TDeepReal& TDeepReal::operator+=(const TFloatExp& offset) {
  const TDeepReal term = FromFloatExp(offset, 64);
  mpfr_add(FValue, FValue, term.FValue, MPFR_RNDN);
  return *this;
}

TDeepReal& TDeepReal::operator-=(long double offset) {
  return *this += -offset;
}

long double operator-(const TDeepReal& a, const TDeepReal& b) {
  // Rounded once: the exact difference would need up to both precisions and
  // the exponent gap; mpfr rounds the true difference straight to 64 bits.
  TDeepReal difference(64);
  mpfr_sub(difference.FValue, a.FValue, b.FValue, MPFR_RNDN);
  return difference.ToLongDouble();
}

TFloatExp WideDifference(const TDeepReal& a, const TDeepReal& b) {
  TDeepReal difference(64);
  mpfr_sub(difference.FValue, a.FValue, b.FValue, MPFR_RNDN);
  return difference.ToFloatExp();
}

TDeepReal TDeepReal::operator-() const {
  TDeepReal result(*this);
  mpfr_neg(result.FValue, result.FValue, MPFR_RNDN);
  return result;
}

bool operator==(const TDeepReal& a, const TDeepReal& b) {
  return mpfr_equal_p(a.FValue, b.FValue);
}
bool operator<(const TDeepReal& a, const TDeepReal& b) {
  return mpfr_less_p(a.FValue, b.FValue);
}

const TFloatExp& DeepestRange() {
  static const TFloatExp deepest = TDeepReal::FromDecimal("1E-10000", 64)->ToFloatExp();
  return deepest;
}

int BitsForStep(const TFloatExp& step) {
  if (!(step > 0) || !step.IsFinite()) return kDeepMinBits;
  // Three bits of magnitude, the step's own bits, ten for a thousandth of a
  // dot and a word to spare, in whole words.
  const long stepBits = std::clamp(1 - step.Exponent(), 0L, long{kDeepMaxBits});
  const int bits = 3 + static_cast<int>(stepBits) + 10 + 64;
  return ClampBits((bits + 63) / 64 * 64);
}

namespace {

// Within long double's reach as its own log10 (exact at powers of ten, as the
// digits of shallower views have always been counted), beyond it from log2.
long double Log10(const TFloatExp& value) {
  constexpr long kLongDoubleReach = 16000;
  if (std::labs(value.Exponent()) < kLongDoubleReach) return std::log10(value.ToLongDouble());
  return value.Log2() * std::log10(2.0L);
}

}  // namespace

int DigitsForStep(const TFloatExp& step, int atLeast) {
  if (!(step > 0) || !step.IsFinite()) return atLeast;
  // One integer digit and three for a thousandth of a dot.
  const int digits = static_cast<int>(std::ceil(-Log10(step))) + 4;
  return std::max(atLeast, digits);
}

}  // namespace vortexa
