#include "fav_files.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "ini_file.h"
#include "test_files.h"

namespace vortexa {
namespace {

namespace fs = std::filesystem;
using test_files::ReadBytes;
using test_files::TTempFolder;
using test_files::WriteBytes;

// Sets an environment variable for one test and restores it afterwards.
class TScopedEnv {
 public:
  TScopedEnv(const char* name, const char* value) : FName(name) {
    if (const char* old = getenv(name)) FOld = old;
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~TScopedEnv() { FOld ? setenv(FName, FOld->c_str(), 1) : unsetenv(FName); }

 private:
  const char* FName;
  std::optional<std::string> FOld;
};

std::string Outline(const TFavNode& node) {
  if (!node.IsFolder()) return node.Text;
  std::string text = node.Text + "[";
  for (std::size_t i = 0; i < node.Children().size(); ++i) {
    text += (i ? " " : "") + Outline(*node.Children()[i]);
  }
  return text + "]";
}

std::string FavFile(int version, std::string_view folderLines, std::string_view itemLines) {
  return "[Version]\nNo=" + std::to_string(version) + "\n\n[Folder]\n" + std::string(folderLines) +
         "\n[Item]\n" + std::string(itemLines);
}

const std::string kRecommended =
    FavFile(120, "-2=作者おすすめ,1\n", "1=new,0,0,0,2,100,0,0,0,0,0,1\n");

TEST(FavFiles, ConfigFolderFollowsXdgConfigHome) {
  {
    TScopedEnv xdg("XDG_CONFIG_HOME", "/tmp/cfg");
    EXPECT_EQ(ConfigFolder(), fs::path("/tmp/cfg/vortexa"));
    EXPECT_EQ(OwnFavoritesFile(), fs::path("/tmp/cfg/vortexa/vortexa.fav"));
  }
  TScopedEnv home("HOME", "/home/someone");
  for (const char* unusable : {static_cast<const char*>(nullptr), "", "relative/cfg"}) {
    TScopedEnv xdg("XDG_CONFIG_HOME", unusable);
    EXPECT_EQ(ConfigFolder(), fs::path("/home/someone/.config/vortexa"));
  }
}

TEST(FavFiles, RecommendedFileIsTheFirstFound) {
  TTempFolder a, b, c;
  WriteBytes(b / "osusume.fav", kRecommended);
  WriteBytes(c / "osusume.fav", kRecommended);
  const fs::path folders[] = {a.Path(), b.Path(), c.Path()};
  EXPECT_EQ(FindRecommendedFile(folders), b / "osusume.fav");
  EXPECT_EQ(FindRecommendedFile(std::span(folders, 1)), std::nullopt);
}

struct TStartCase {
  const char* Name;
  std::optional<std::string> OwnFile;
  bool HasRecommended;
  bool Answer;
  bool Asked;
  std::string Outline;
};

TEST(FavFiles, StartUp) {
  const std::string oldOwn = FavFile(110, "-1=root,1,-2\n-2=作者おすすめ,2\n",
                                     "1=mine,0,0,0,2,100,0,0,0,0,0,0\n"
                                     "2=old,0,0,0,2,100,0,0,0,0,0,0\n");
  const std::string currentOwn = FavFile(120, "-1=root,1\n", "1=mine,0,0,0,2,100,0,0,0,0,0,0\n");
  const TStartCase cases[] = {
      {"first start", std::nullopt, true, false, false, "お気に入り[作者おすすめ[new]]"},
      {"first start without recommendations", std::nullopt, false, false, false, "お気に入り[]"},
      {"upgrade accepted", oldOwn, true, true, true, "お気に入り[mine 作者おすすめ[new]]"},
      {"upgrade declined", oldOwn, true, false, true, "お気に入り[mine 作者おすすめ[old]]"},
      {"upgrade without recommendations", oldOwn, false, true, false,
       "お気に入り[mine 作者おすすめ[old]]"},
      {"current file", currentOwn, true, true, false, "お気に入り[mine]"},
  };
  for (const auto& c : cases) {
    TTempFolder folder;
    if (c.OwnFile) WriteBytes(folder / "own.fav", *c.OwnFile);
    WriteBytes(folder / "osusume.fav", kRecommended);
    std::optional<fs::path> recommended;
    if (c.HasRecommended) recommended = folder / "osusume.fav";
    bool asked = false;
    TMBList list;
    TFavTree tree(list);
    LoadFavoritesAtStartUp(tree, folder / "own.fav", recommended, [&](std::string_view question) {
      asked = true;
      EXPECT_EQ(question, kReplaceRecommendedQuestion);
      return c.Answer;
    });
    EXPECT_EQ(asked, c.Asked) << c.Name;
    EXPECT_EQ(Outline(tree.Root()), c.Outline) << c.Name;
  }
}

TEST(FavFiles, OlderRecommendationsAreNotOffered) {
  TTempFolder folder;
  WriteBytes(folder / "own.fav", FavFile(110, "-1=root\n", ""));
  WriteBytes(folder / "osusume.fav", FavFile(100, "-2=作者おすすめ\n", ""));
  TMBList list;
  TFavTree tree(list);
  LoadFavoritesAtStartUp(tree, folder / "own.fav", folder / "osusume.fav", [](std::string_view) {
    ADD_FAILURE() << "asked";
    return true;
  });
}

TEST(FavFiles, SaveAtExitCreatesTheFolderAndWritesTheWholeTree) {
  TTempFolder folder;
  const fs::path own = folder / "config" / "vortexa" / "vortexa.fav";
  TMBList list;
  TFavTree tree(list);
  tree.Root().AddFolder("empty");
  SaveFavoritesAtExit(tree, own);
  EXPECT_EQ(ReadBytes(own), "[Version]\nNo=120\n\n[Folder]\n-1=お気に入り,-2\n-2=empty\n\n");
}

TEST(FavFiles, ShippedRecommendationsAreViews) {
  const fs::path shipped = VORTEXA_RECOMMENDED_FILE;
  EXPECT_FALSE(TFavTree::IsWholeTree(shipped));
  EXPECT_EQ(TIniFile(shipped).ReadInteger("Version", "No", 0), 120);
  TMBList list;
  TFavTree tree(list);
  LoadFavoritesAtStartUp(tree, fs::path(), shipped, [](std::string_view) { return false; });
  ASSERT_EQ(tree.Root().Children().size(), 1u);
  const TFavNode& folder = *tree.Root().Children()[0];
  EXPECT_EQ(folder.Text, kRecommendedFolderName);
  EXPECT_GE(folder.Children().size(), 12u);
  int touring = 0;
  for (const auto& node : folder.Children()) {
    ASSERT_FALSE(node->IsFolder());
    const TMBItem& item = *node->Item();
    EXPECT_FALSE(item.Name.empty());
    EXPECT_TRUE(item.Limit > 0 && item.Limit <= 65000) << item.Name;
    EXPECT_TRUE(item.Range > 0 && item.Range <= 4) << item.Name;
    EXPECT_TRUE(item.ColorIndex >= 0 && item.ColorIndex <= 2) << item.Name;
    EXPECT_TRUE(item.Hue >= 0 && item.Hue <= 63) << item.Name;
    EXPECT_TRUE(item.Saturation >= 0 && item.Saturation <= 4) << item.Name;
    EXPECT_TRUE(item.Highlight >= 0 && item.Highlight <= 6) << item.Name;
    EXPECT_TRUE(item.Period >= 0 && item.Period <= 12) << item.Name;
    touring += item.Tour;
  }
  EXPECT_GT(touring * 2, static_cast<int>(folder.Children().size()));
}

}  // namespace
}  // namespace vortexa
