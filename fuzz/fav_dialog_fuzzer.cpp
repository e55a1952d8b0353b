// The favourites window's round trip on any favourites file: the tree it is
// given, shown in the window and taken back unchanged, is written byte for
// byte as before (damaged lines kept unread and names that are not UTF-8
// among it).
#include <QApplication>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "app/fav_form.h"
#include "favorites/fav_tree.h"
#include "fuzz/fuzz_support.h"

using namespace vortexa;
using vortexa::fuzz::Require;

namespace {

QApplication& Application() {
  static int argc = 3;
  static char name[] = "fav_dialog_fuzzer", platform[] = "-platform", offscreen[] = "offscreen";
  static char* argv[] = {name, platform, offscreen, nullptr};
  static QApplication application(argc, argv);
  return application;
}

std::string Written(TFavTree& tree, const char* name) {
  const auto file = vortexa::fuzz::ScratchFolder() / name;
  std::filesystem::remove(file);
  tree.SaveFolder(file, tree.Root());
  return vortexa::fuzz::ReadScratchFile(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Application();
  const auto input =
      vortexa::fuzz::WriteScratchFile("input.fav", vortexa::fuzz::AsText(data, size));
  TMBList items;
  TFavTree tree(items);
  try {
    tree.LoadFile(input, true);
  } catch (const std::runtime_error&) {
    return 0;  // a file the reader refuses as a whole
  }
  const std::string before = Written(tree, "before.fav");
  for (const int mode : {TFavForm::kAddMode, TFavForm::kOrganiseMode}) {
    TFavForm form(items);
    form.SetMode(mode);
    form.BuildTree(tree.Root());
    form.ApplyTo(tree);
    Require(Written(tree, "after.fav") == before, "the window gives the tree back unchanged");
  }
  return 0;
}
