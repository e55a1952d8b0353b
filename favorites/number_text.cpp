#include "number_text.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace vortexa {

namespace {

// DigitsForStep resolves a thousandth of its step: a tenth of the range
// makes that a ten-thousandth of the range.
constexpr long double kRangeStepsPerRange = 10;

// Half the shorter side of the largest picture, in dots: the range over the
// smallest dot a view of that range can have.
constexpr long double kDotsPerRange = 65536;
// A range that needs no more than kDeepMinBits.
constexpr long double kShallowRange = 1;

TDeepDigits RoundToDigits(long double value, int digits) {
  char buffer[128];  // enough for 30 digits and a five-digit exponent
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                 std::chars_format::scientific, digits - 1)
                       .ptr;
  const std::string_view text(buffer, end - buffer);
  const auto e = text.find('e');
  TDeepDigits result;
  result.Negative = std::signbit(value);
  for (char c : text.substr(0, e)) {
    if (c != '.') result.Digits += c;
  }
  result.Digits.erase(result.Digits.find_last_not_of('0') + 1);
  const std::string_view exponent = text.substr(e + 1);
  std::from_chars(exponent.data() + (exponent.front() == '+'), exponent.data() + exponent.size(),
                  result.Exponent);
  return result;
}

std::string Fixed(const TDeepDigits& d) {
  if (d.Exponent < 0) return "0." + std::string(-d.Exponent - 1, '0') + d.Digits;
  const auto integerDigits = static_cast<std::size_t>(d.Exponent + 1);
  if (d.Digits.size() <= integerDigits) {
    return d.Digits + std::string(integerDigits - d.Digits.size(), '0');
  }
  return d.Digits.substr(0, integerDigits) + "." + d.Digits.substr(integerDigits);
}

std::string Scientific(const TDeepDigits& d) {
  std::string text = d.Digits.substr(0, 1);
  if (d.Digits.size() > 1) text.append(".").append(d.Digits, 1);
  return text + "E" + std::to_string(d.Exponent);
}

// The notation depends on the rounded value: 99999.9 with five digits is 1E5.
std::string Layout(const TDeepDigits& d, int digits) {
  const bool fixed = d.Exponent >= -4 && d.Exponent < digits;
  std::string text = d.Negative ? "-" : "";
  return text.append(fixed ? Fixed(d) : Scientific(d));
}

// from_chars takes no "+" sign; a second sign after one is refused.
std::optional<std::string_view> WithoutPlus(std::string_view text) {
  if (text.empty() || text.front() != '+') return text;
  text.remove_prefix(1);
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) return std::nullopt;
  return text;
}

template <typename T>
std::optional<T> ParseWhole(std::string_view text) {
  T value{};
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

std::string FormatGeneral(long double value, int digits) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";
  return Layout(RoundToDigits(value, digits), digits);
}

std::string FormatGeneral(const TDeepReal& value, int digits) {
  if (!value.IsFinite()) return FormatGeneral(value.ToLongDouble(), digits);
  return Layout(value.ToDigits(digits), digits);
}

std::string FormatGeneral(const TFloatExp& value, int digits) {
  if (value.ToLongDouble() == value || !value.IsFinite()) {
    return FormatGeneral(value.ToLongDouble(), digits);
  }
  return FormatGeneral(TDeepReal::FromFloatExp(value, 64), digits);
}

int CoordinateDigits(const TFloatExp& range) {
  // A range given as a power of ten ("1E-13") may be held a hair below it;
  // it takes the digits of the power itself, not one more.
  constexpr long double kHair = 1 + 1e-12L;
  return DigitsForStep(range.Abs() / kRangeStepsPerRange * kHair, kCoordinateDigits);
}

std::optional<long double> ParseExtended(std::string_view text) {
  const auto digits = WithoutPlus(text);
  // The last character rules out "inf", "nan" and a dangling exponent.
  if (!digits || digits->empty() ||
      !(std::isdigit(static_cast<unsigned char>(digits->back())) || digits->back() == '.')) {
    return std::nullopt;
  }
  return ParseWhole<long double>(*digits);
}

std::optional<TDeepReal> ParseDeep(std::string_view text, const TFloatExp& range) {
  // The long double reader decides what is a number (and refuses values
  // beyond its exponent range: any tiny one is taken); the deep one then reads
  // every digit.
  if (!ParseWideExponent(text)) return std::nullopt;
  return TDeepReal::FromDecimal(text, CoordinateBits(range));
}

std::optional<TDeepReal> ParseDeep(std::string_view text) {
  return ParseDeep(text, kShallowRange);
}

int CoordinateBits(const TFloatExp& range) {
  return BitsForStep(range.Abs() / kDotsPerRange);
}

std::optional<TFloatExp> ParseWideExponent(std::string_view text) {
  if (const auto value = ParseExtended(text); value && (*value == 0 || std::isnormal(*value))) {
    return *value;
  }
  // Out of long double's reach or among its subnormals: a tiny value keeps its
  // 64 bits with its own exponent; a huge one is refused as before.
  const auto digits = WithoutPlus(text);
  if (!digits || digits->empty() || !std::isdigit(static_cast<unsigned char>(digits->back()))) {
    return std::nullopt;
  }
  long double ignored = 0;
  const auto [end, ec] = std::from_chars(digits->data(), digits->data() + digits->size(), ignored);
  if (end != digits->data() + digits->size()) return std::nullopt;
  const auto deep = TDeepReal::FromDecimal(text, 64);
  if (!deep || !deep->IsFinite()) return std::nullopt;
  const TFloatExp value = deep->ToFloatExp();
  if (!(value.Abs() < 1)) return std::nullopt;
  return value;
}

std::optional<std::int32_t> ParseInt32(std::string_view text) {
  const auto digits = WithoutPlus(text);
  return digits ? ParseWhole<std::int32_t>(*digits) : std::nullopt;
}

}  // namespace vortexa
