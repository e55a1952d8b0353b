// What the basic tool bar's fields accept and how their texts become a view.
#pragma once

#include <string>
#include <string_view>

#include "engine/deep_real.h"
#include "engine/dot.h"
#include "engine/translatable.h"

namespace vortexa {

// The view the fields fall back to, and the one the home command returns to.
inline constexpr long double kHomeCenter = 0;
inline constexpr long double kHomeRange = 2;
inline constexpr int kHomeLimit = 1000;
// A limit that is not a number becomes this one.
inline constexpr int kFallbackLimit = 4000;

// Positions of the colour tool bar: colour count index, hue, saturation,
// highlight and period, and their largest values.
struct TColorPositions {
  int ColorMode = 0;
  int Hue = 0;
  int Saturation = 0;
  int Highlight = 0;
  int Period = 4;
  bool operator==(const TColorPositions&) const = default;
};
inline constexpr TColorPositions kMaxColorPositions = {2, 63, 4, 6, 12};

// Each position brought into its control's range.
TColorPositions ClampColors(const TColorPositions& colors);

struct TViewState {
  // The centre keeps every digit a deep view needs.
  TDeepReal CenterX = kHomeCenter;
  TDeepReal CenterY = kHomeCenter;
  TFloatExp Range = kHomeRange;
  int Limit = kHomeLimit;
  bool operator==(const TViewState&) const = default;
};

// A range field's text; `fallback` when it is not a number, and the deepest
// range for any smaller positive one.
TFloatExp FieldToRange(std::string_view text, const TFloatExp& fallback);
// A coordinate field's text with every digit it holds, read with the bits the
// view's range needs; the home centre when it is not a number.
TDeepReal FieldToCoordinate(std::string_view text, const TFloatExp& range);
// A centre coordinate moved by `offset` in a view whose dot is `step`: the
// coordinate first gets the bits that step needs, so no digit is lost.
TDeepReal MovedCoordinate(const TDeepReal& coordinate, const TFloatExp& offset,
                          const TFloatExp& step);
// The limit field's text: kFallbackLimit when not a number, clamped to 1..kMaxLimit.
int FieldToLimit(std::string_view text);
// A range field holding a number that no view can have (zero, negative); the
// draw command refuses it rather than falling back.
bool RangeFieldRefused(std::string_view text);
inline constexpr std::string_view kRangeRefusedText =
    VORTEXA_TRANSLATABLE("Messages", "範囲には 0 より大きい数を指定してください");

TViewState FieldsToView(std::string_view x, std::string_view y, std::string_view range,
                        std::string_view limit);

// Typed characters the fields let through; everything else is dropped
// (the control codes are copy, paste, cut and undo).
bool CoordinateCharAccepted(char32_t code);
bool LimitCharAccepted(char32_t code);

// Elapsed time as minutes, seconds and tenths ("00:03.5"), rounded to the
// nearest tenth; whole hours are dropped.
std::string FormatElapsed(double milliseconds);

}  // namespace vortexa
