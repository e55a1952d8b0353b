#include "number_text.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace vortexa {

namespace {

// The rounded value as its significant digits (trailing zeros removed) and
// the decimal exponent of the first one.
struct TDecimal {
  std::string Digits;
  int Exponent = 0;
};

TDecimal RoundToDigits(long double magnitude, int digits) {
  char buffer[128];  // enough for 30 digits and a five-digit exponent
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                 std::chars_format::scientific, digits - 1)
                       .ptr;
  const std::string_view text(buffer, end - buffer);
  const auto e = text.find('e');
  TDecimal result;
  for (char c : text.substr(0, e)) {
    if (c != '.') result.Digits += c;
  }
  result.Digits.erase(result.Digits.find_last_not_of('0') + 1);
  const std::string_view exponent = text.substr(e + 1);
  std::from_chars(exponent.data() + (exponent.front() == '+'), exponent.data() + exponent.size(),
                  result.Exponent);
  return result;
}

std::string Fixed(const TDecimal& d) {
  if (d.Exponent < 0) return "0." + std::string(-d.Exponent - 1, '0') + d.Digits;
  const std::size_t integerDigits = d.Exponent + 1;
  if (d.Digits.size() <= integerDigits) {
    return d.Digits + std::string(integerDigits - d.Digits.size(), '0');
  }
  return d.Digits.substr(0, integerDigits) + "." + d.Digits.substr(integerDigits);
}

std::string Scientific(const TDecimal& d) {
  std::string text = d.Digits.substr(0, 1);
  if (d.Digits.size() > 1) text.append(".").append(d.Digits, 1);
  return text + "E" + std::to_string(d.Exponent);
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
  // The notation depends on the rounded value: 99999.9 with five digits is 1E5.
  const TDecimal decimal = RoundToDigits(std::fabs(value), digits);
  const bool fixed = decimal.Exponent >= -4 && decimal.Exponent < digits;
  std::string text = value < 0 ? "-" : "";
  return text.append(fixed ? Fixed(decimal) : Scientific(decimal));
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

std::optional<std::int32_t> ParseInt32(std::string_view text) {
  const auto digits = WithoutPlus(text);
  return digits ? ParseWhole<std::int32_t>(*digits) : std::nullopt;
}

}  // namespace vortexa
