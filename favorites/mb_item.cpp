#include "mb_item.h"

#include <cmath>
#include <vector>

#include "comma_text.h"
#include "number_text.h"

namespace vortexa {

namespace {

// Formats before 120 had a hue scale of 24 steps and a period list that
// started four entries later.
constexpr int kOldHueVersion = 120;
// Formats before 110 had the name in the fifth of eleven fields.
constexpr int kNameFirstVersion = 110;
constexpr std::size_t kFieldCount = 12;
constexpr std::size_t kOldestFieldCount = 11;

constexpr long double kDefaultRange = 2;
constexpr std::int32_t kDefaultLimit = 4000;

// Numbers that do not read take their defaults; integers go into the byte
// fields by their low eight bits.
struct TFieldReader {
  const std::vector<std::string>& Fields;

  TDeepReal Coordinate(std::size_t i, const TFloatExp& range) const {
    return ParseDeep(Fields[i], range).value_or(TDeepReal());
  }
  TFloatExp Range(std::size_t i) const {
    return ParseWideExponent(Fields[i]).value_or(kDefaultRange);
  }
  std::int32_t Integer(std::size_t i, std::int32_t fallback) const {
    return ParseInt32(Fields[i]).value_or(fallback);
  }
  std::int8_t Byte(std::size_t i) const { return static_cast<std::int8_t>(Integer(i, 0)); }
};

void ReadColors(TMBItem& item, const TFieldReader& reader, std::size_t first) {
  item.ColorIndex = reader.Byte(first);
  item.Hue = reader.Byte(first + 1);
  item.Saturation = reader.Byte(first + 2);
  item.Highlight = reader.Byte(first + 3);
  item.Period = reader.Byte(first + 4);
  item.Tour = static_cast<std::uint8_t>(reader.Integer(first + 5, 0));
}

void ConvertOldColors(TMBItem& item) {
  item.Hue = static_cast<std::int8_t>(std::lrint(item.Hue * 64.0 / 24.0));
  item.Period = static_cast<std::int8_t>(item.Period + 4);
}

int VersionOf(const std::vector<std::string>& fields, int version) {
  if (version != 0) return version;
  version = fields.empty() ? 0 : ParseInt32(fields[0]).value_or(0);
  return version == 0 ? kFormatVersion : version;
}

bool AllReal(const std::vector<std::string>& fields, std::size_t first, std::size_t count) {
  for (std::size_t i = first; i < first + count; ++i)
    if (!ParseWideExponent(fields[i])) return false;
  return true;
}

bool AllInteger(const std::vector<std::string>& fields, std::size_t first, std::size_t count) {
  for (std::size_t i = first; i < first + count; ++i)
    if (!ParseInt32(fields[i])) return false;
  return true;
}

}  // namespace

std::string ItemToText(const TMBItem& item) {
  const int digits = CoordinateDigits(item.Range);
  const std::string fields[kFieldCount] = {
      item.Name.empty() ? std::to_string(kFormatVersion) : item.Name,
      "0",
      FormatGeneral(item.X, digits),
      FormatGeneral(item.Y, digits),
      FormatGeneral(item.Range, kRangeDigits),
      std::to_string(item.Limit),
      std::to_string(item.ColorIndex),
      std::to_string(item.Hue),
      std::to_string(item.Saturation),
      std::to_string(item.Highlight),
      std::to_string(item.Period),
      std::to_string(item.Tour),
  };
  return JoinCommaText(fields);
}

bool TextToItem(TMBItem& item, std::string_view text, int version) {
  const std::vector<std::string> fields = SplitCommaText(text);
  version = VersionOf(fields, version);
  const TFieldReader reader{fields};
  if (version >= kNameFirstVersion) {
    if (fields.size() != kFieldCount) return false;
    item.Name = fields[0];
    item.Range = reader.Range(4);
    item.X = reader.Coordinate(2, item.Range);
    item.Y = reader.Coordinate(3, item.Range);
    item.Limit = reader.Integer(5, kDefaultLimit);
    ReadColors(item, reader, 6);
    if (version < kOldHueVersion) ConvertOldColors(item);
    return true;
  }
  if (fields.size() != kOldestFieldCount) return false;
  item.Range = reader.Range(2);
  item.X = reader.Coordinate(0, item.Range);
  item.Y = reader.Coordinate(1, item.Range);
  item.Limit = reader.Integer(3, kDefaultLimit);
  item.Name = fields[4];
  ReadColors(item, reader, 5);
  return true;
}

bool ReadsWholeAsItem(std::string_view text, int version) {
  const std::vector<std::string> fields = SplitCommaText(text);
  if (VersionOf(fields, version) >= kNameFirstVersion) {
    return fields.size() == kFieldCount && AllReal(fields, 2, 3) && AllInteger(fields, 5, 7);
  }
  return fields.size() == kOldestFieldCount && AllReal(fields, 0, 3) && AllInteger(fields, 3, 1) &&
         AllInteger(fields, 5, 6);
}

std::optional<TMBItem> ParseView(std::string_view text) {
  // Defaults stand in for unreadable numbers only in stored files, where the
  // line is kept as it was; a pasted text would draw a view it does not say.
  if (!ReadsWholeAsItem(text, 0)) return std::nullopt;
  TMBItem item;
  TextToItem(item, text, 0);
  if (!item.IsView() || !(item.Range > 0) || !item.Range.IsFinite()) return std::nullopt;
  return item;
}

}  // namespace vortexa
