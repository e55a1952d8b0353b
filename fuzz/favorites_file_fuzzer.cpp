// The favourites file: a tree read from any bytes, written and read again,
// is the same tree.
#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "favorites/fav_tree.h"
#include "favorites/mb_item.h"
#include "favorites/mb_list.h"
#include "fuzz/fuzz_support.h"

using namespace vortexa;
using vortexa::fuzz::Require;

namespace {

// Line breaks cannot be stored inside an INI entry; the writer turns them
// into blanks on purpose.
std::string Stored(std::string text) {
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return text;
}

// A line kept unread from a file of an older format is written back as it
// was, under the current format number, by which it may then read.
void RequireSameTree(const TFavNode& read, const TFavNode& reread, bool olderFormat) {
  Require(read.IsFolder() == reread.IsFolder(), "node kind");
  if (read.IsFolder()) {
    Require(Stored(read.Text) == reread.Text, "folder name");
  } else {
    if (read.KeptLine && olderFormat) return;
    Require(FavoriteLine(read) == FavoriteLine(reread), "item line");
    Require(read.TourMark == reread.TourMark, "tour mark");
  }
  Require(read.Children().size() == reread.Children().size(), "child count");
  for (std::size_t i = 0; i < read.Children().size(); ++i)
    RequireSameTree(*read.Children()[i], *reread.Children()[i], olderFormat);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto input =
      vortexa::fuzz::WriteScratchFile("input.fav", vortexa::fuzz::AsText(data, size));
  TMBList items;
  TFavTree read(items);
  int version = 0;
  try {
    version = read.LoadFile(input, true);
  } catch (const std::runtime_error&) {
    return 0;  // a file the reader refuses as a whole
  }
  const auto written = vortexa::fuzz::ScratchFolder() / "written.fav";
  std::filesystem::remove(written);
  read.SaveFolder(written, read.Root());
  Require(TFavTree::IsWholeTree(written), "written from the root");

  TFavTree reread(items);
  reread.LoadFile(written, true);
  if (vortexa::fuzz::HoldsUndecodedBytes(vortexa::fuzz::ReadScratchFile(written))) return 0;
  RequireSameTree(read.Root(), reread.Root(), version != kFormatVersion);
  return 0;
}
