// Comma text: a list of fields as one line, as used by reproduction texts,
// favourites files and lists in the settings file.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vortexa {

// Joins with ","; a field holding a character of code 32 or less, a double
// quote or a comma is enclosed in double quotes, inner quotes doubled.
std::string JoinCommaText(std::span<const std::string> fields);

// Reads fields back: blanks around fields are skipped, a quoted field runs
// to its closing quote, any other field ends at a comma or a blank, and a
// comma that ends the line adds an empty last field.
std::vector<std::string> SplitCommaText(std::string_view line);

}  // namespace vortexa
