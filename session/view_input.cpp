#include "view_input.h"

#include <algorithm>
#include <cstdio>

#include "engine/dot.h"
#include "favorites/number_text.h"

namespace vortexa {

namespace {

std::string_view TrimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

constexpr char32_t kBackspace = 8;

bool IsClipboardOrUndoCode(char32_t code) {
  return code == 3 || code == 22 || code == 24 || code == 26;
}

bool IsDigit(char32_t code) {
  return code >= U'0' && code <= U'9';
}

}  // namespace

TFloatExp FieldToRange(std::string_view text, const TFloatExp& fallback) {
  const TFloatExp range = ParseWideExponent(TrimBlanks(text)).value_or(fallback);
  return range > 0 ? std::max(range, DeepestRange()) : range;
}

TDeepReal FieldToCoordinate(std::string_view text, const TFloatExp& range) {
  return ParseDeep(TrimBlanks(text), range).value_or(TDeepReal(kHomeCenter));
}

TDeepReal MovedCoordinate(const TDeepReal& coordinate, const TFloatExp& offset,
                          const TFloatExp& step) {
  return coordinate.WithAtLeastBits(BitsForStep(step)) + offset;
}

int FieldToLimit(std::string_view text) {
  const int limit = ParseInt32(TrimBlanks(text)).value_or(kFallbackLimit);
  return std::clamp(limit, 1, kMaxLimit);
}

bool RangeFieldRefused(std::string_view text) {
  const std::optional<TFloatExp> range = ParseWideExponent(TrimBlanks(text));
  return range && !(*range > 0);
}

TViewState FieldsToView(std::string_view x, std::string_view y, std::string_view range,
                        std::string_view limit) {
  const TFloatExp rangeValue = FieldToRange(range, kHomeRange);
  return {FieldToCoordinate(x, rangeValue), FieldToCoordinate(y, rangeValue), rangeValue,
          FieldToLimit(limit)};
}

TColorPositions ClampColors(const TColorPositions& colors) {
  const TColorPositions& top = kMaxColorPositions;
  return {std::clamp(colors.ColorMode, 0, top.ColorMode), std::clamp(colors.Hue, 0, top.Hue),
          std::clamp(colors.Saturation, 0, top.Saturation),
          std::clamp(colors.Highlight, 0, top.Highlight), std::clamp(colors.Period, 0, top.Period)};
}

bool CoordinateCharAccepted(char32_t code) {
  return IsDigit(code) || code == U'+' || code == U'-' || code == U'.' || code == U'E' ||
         code == U'e' || code == kBackspace || IsClipboardOrUndoCode(code);
}

bool LimitCharAccepted(char32_t code) {
  return IsDigit(code) || code == kBackspace || IsClipboardOrUndoCode(code);
}

std::string FormatElapsed(double milliseconds) {
  // Adding half a tenth before cutting the hundredths off rounds to the tenth.
  const long long total = static_cast<long long>(std::max(0.0, milliseconds) + 50);
  const long long minutes = total / 60000 % 60;
  const long long seconds = total / 1000 % 60;
  const long long thousandths = total % 1000;
  char text[16];
  std::snprintf(text, sizeof text, "%02lld:%02lld.%03lld", minutes, seconds, thousandths);
  return std::string(text, 7);
}

}  // namespace vortexa
