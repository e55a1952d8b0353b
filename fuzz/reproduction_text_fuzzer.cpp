// The reproduction text and the comma text beneath it: whatever is read must
// come back the same after it is written and read again.
#include <cstdint>
#include <string>
#include <vector>

#include "favorites/comma_text.h"
#include "favorites/mb_item.h"
#include "favorites/number_text.h"
#include "fuzz/fuzz_support.h"

using namespace vortexa;
using vortexa::fuzz::Require;

namespace {

void CheckCommaText(std::string_view text) {
  const std::vector<std::string> fields = SplitCommaText(text);
  Require(SplitCommaText(JoinCommaText(fields)) == fields, "comma text split-join-split");
}

// A name that reads as a whole number below 120 is taken for the format
// number of a pasted text; such texts are not expected to come back.
bool NameReadsAsOldVersion(const std::string& name) {
  const auto number = ParseInt32(name);
  return number && *number != 0 && *number < kFormatVersion;
}

void CheckItem(std::string_view text) {
  TMBItem read;
  if (!TextToItem(read, text, 0)) return;
  if (NameReadsAsOldVersion(read.Name)) return;
  const std::string written = ItemToText(read);
  TMBItem reread;
  Require(TextToItem(reread, written, 0), "a written item reads back");
  Require(ItemToText(reread) == written, "item read-write-read");
  Require(reread.IsView() == read.IsView(), "a view stays a view");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = vortexa::fuzz::AsText(data, size);
  CheckCommaText(text);
  CheckItem(text);
  return 0;
}
