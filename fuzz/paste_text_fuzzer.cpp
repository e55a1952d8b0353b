// What the window accepts as a pasted or dropped view: only a view it can
// draw, and the text it copies of that view is accepted again as the same.
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "favorites/mb_item.h"
#include "favorites/number_text.h"
#include "fuzz/fuzz_support.h"

using namespace vortexa;
using vortexa::fuzz::Require;

namespace {

// A name that reads as a whole number below 120 is taken for the format
// number of a pasted text; the copy of such a view is not expected to read back.
bool NameReadsAsOldVersion(const std::string& name) {
  const auto number = ParseInt32(name);
  return number && *number != 0 && *number < kFormatVersion;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::optional<TMBItem> view = ParseView(vortexa::fuzz::AsText(data, size));
  if (!view) return 0;
  Require(view->Limit > 0, "an accepted view has a limit");
  Require(view->Range > 0 && std::isfinite(view->Range), "an accepted view has a range");
  if (NameReadsAsOldVersion(view->Name)) return 0;
  const std::string copied = ItemToText(*view);
  const std::optional<TMBItem> again = ParseView(copied);
  Require(again.has_value(), "the copy of an accepted view is accepted");
  Require(ItemToText(*again) == copied, "the copy reads back as the same view");
  return 0;
}
