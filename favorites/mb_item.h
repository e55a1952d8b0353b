// TMBItem: one stored view (a location), and its one-line reproduction text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/deep_real.h"

namespace vortexa {

// The format number of reproduction texts and favourites files written now.
inline constexpr int kFormatVersion = 120;

struct TMBItem {
  // The centre keeps every digit of a deep view.
  TDeepReal X;
  TDeepReal Y;
  TFloatExp Range;
  std::int32_t Limit = 0;  // 0 marks a blank item, not a view
  std::string Name;
  // Positions of the colour controls.
  std::int8_t ColorIndex = 0;
  std::int8_t Hue = 0;
  std::int8_t Saturation = 0;
  std::int8_t Highlight = 0;
  std::int8_t Period = 0;
  std::uint8_t Tour = 0;    // 1: takes part in random tours
  std::int32_t FileNo = 0;  // number in the favourites file being written

  bool IsView() const { return Limit > 0; }
};

// Twelve comma-separated fields; an empty name is written as the format
// number so that the first field is never empty. X and Y get the digits the
// range needs (CoordinateDigits), so a shallow view reads as it always did.
std::string ItemToText(const TMBItem& item);

// Fills `item` from `text` read with the rules of format `version`; version 0
// takes it from the first field. A text without the field count of its
// format leaves the item unchanged and gives false.
bool TextToItem(TMBItem& item, std::string_view text, int version);

// Whether `text` reads whole with the rules of format `version` (0: from its
// first field): the field count of its format, and every number field a
// number. Only such a text can be written back from its item unchanged.
bool ReadsWholeAsItem(std::string_view text, int version);

// The view in a pasted or dropped text, if it is one.
std::optional<TMBItem> ParseView(std::string_view text);

}  // namespace vortexa
