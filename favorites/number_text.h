// Numbers as text in a form that does not depend on the user's locale, so
// reproduction texts and files move between machines unchanged.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/deep_real.h"

namespace vortexa {

// Significant digits used for a centre coordinate and for a range.
inline constexpr int kCoordinateDigits = 18;
inline constexpr int kRangeDigits = 5;

// General format with at most `digits` significant digits (1 to 30): fixed
// notation for 0 and for magnitudes from 0.0001 whose integer part fits in
// `digits`, otherwise one digit, "." and the rest, then "E" and the exponent.
// The decimal separator is always ".".
std::string FormatGeneral(long double value, int digits);
// The same layout for a deep value, with any number of digits (1 or more).
std::string FormatGeneral(const TDeepReal& value, int digits);
// The same for a value whose exponent may lie beyond long double's: those
// within its reach read exactly as the long double would.
std::string FormatGeneral(const TFloatExp& value, int digits);

// Significant digits of a view's centre coordinates: enough to resolve a
// ten-thousandth of the range, as kCoordinateDigits do down to a range of
// 1e-13 (a tenth of a dot of a picture 2000 dots high), and never fewer than
// those; so only views deeper than that get longer texts.
int CoordinateDigits(const TFloatExp& range);

// A whole text as a decimal real ("1.5", "-2E-3", "+7"); none for anything
// else, including blanks, "inf" and "nan".
std::optional<long double> ParseExtended(std::string_view text);
// The same texts as ParseExtended, every digit kept: a text with more digits
// than long double holds keeps them all.
std::optional<TDeepReal> ParseDeep(std::string_view text);
// The same, for a centre coordinate of a view with that range: read with the
// bits the range needs, as a view draws with them. A short decimal such as
// "-0.1" has no exact binary value, and rounded at fewer bits it would move
// a deep view by far more than its range.
std::optional<TDeepReal> ParseDeep(std::string_view text, const TFloatExp& range);
// Those bits: a thousandth of a dot of a picture up to 2^17 dots across, and
// a word to spare.
int CoordinateBits(const TFloatExp& range);
// The same texts as ParseExtended, also those too small for a long double (a
// range such as "1E-6000"): 64 bits with an exponent of their own.
std::optional<TFloatExp> ParseWideExponent(std::string_view text);

// A whole text as a decimal 32-bit integer with an optional sign.
std::optional<std::int32_t> ParseInt32(std::string_view text);

}  // namespace vortexa
