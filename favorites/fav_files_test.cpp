#include "fav_files.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <csignal>

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

// Every favourite as "path/name = view", a kept line as "path/name : line".
void ListViews(const TFavNode& folder, const std::string& path, std::vector<std::string>& out) {
  for (const auto& child : folder.Children()) {
    const std::string name = path + "/" + child->Text;
    if (child->IsFolder()) {
      out.push_back(name + "/");
      ListViews(*child, name, out);
    } else if (child->KeptLine) {
      out.push_back(name + " : " + *child->KeptLine);
    } else {
      out.push_back(name + " = " + ItemToText(*child->Item()));
    }
  }
}

std::vector<std::string> Views(const TFavTree& tree) {
  std::vector<std::string> out;
  ListViews(tree.Root(), "", out);
  return out;
}

std::vector<std::string> LoadViews(const fs::path& own) {
  TMBList list;
  TFavTree tree(list);
  LoadFavoritesAtStartUp(tree, own, std::nullopt, [](std::string_view) { return false; });
  return Views(tree);
}

// UTF-8 as UTF-16 code units in the given byte order, with the byte order
// mark; enough for the characters of the Basic Multilingual Plane used here.
std::string Utf16(std::string_view utf8, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : 3;
    unsigned unit = length == 1 ? lead : length == 2 ? lead & 0x1F : lead & 0x0F;
    for (int k = 1; k < length; ++k)
      unit = unit << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += length;
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return out;
}

const std::string kJapaneseFavorites =
    "[Version]\nNo=120\n\n[Folder]\n-1=お気に入り,1,-2\n-2=作者おすすめ,2\n\n[Item]\n"
    "1=\"(0, 0)\",0,0,0,2,1000,0,0,0,0,0,1\n2=渦,0,-0.75,0.1,0.01,2000,1,32,0,0,4,1\n";
const std::vector<std::string> kJapaneseViews = {
    "/(0, 0) = \"(0, 0)\",0,0,0,2,1000,0,0,0,0,0,1",
    "/作者おすすめ/",
    "/作者おすすめ/渦 = 渦,0,-0.75,0.1,0.01,2000,1,32,0,0,4,1",
};

// A file that only reads as the damaged files users have: each must come
// through a start and an exit with every name and view intact, whether the
// exit writes the favourites or not.
struct TDamagedFile {
  const char* Name;
  std::string Bytes;
  std::vector<std::string> Views;
};

std::vector<TDamagedFile> DamagedFiles() {
  std::string nested = "[Folder]\n-1=お気に入り,-2\n";
  std::vector<std::string> nestedViews;
  std::string path;
  for (int depth = 1; depth <= 1200; ++depth) {
    const std::string name = "深" + std::to_string(depth);
    const std::string next = depth < 1200 ? std::to_string(-depth - 2) : "1";
    nested += std::to_string(-depth - 1) + "=" + name + "," + next + "\n";
    path += "/" + name;
    nestedViews.push_back(path + "/");
  }
  nested += "\n[Item]\n1=底,0,-0.1,0.651,0.02,4000,2,63,4,6,12,0\n";
  nestedViews.push_back(path + "/底 = 底,0,-0.1,0.651,0.02,4000,2,63,4,6,12,0");

  std::vector<std::string> keptViews = kJapaneseViews;
  keptViews.insert(keptViews.end(),
                   {"/新 : 新,0,0.25,0,0.5,300,0,0,0,0,0,1,99", "/切れ : 切れ,0,0.3,0.1,0.0"});
  std::string kept = kJapaneseFavorites;
  kept.replace(kept.find("1,-2\n"), 5, "1,-2,3,4\n");
  kept += "3=新,0,0.25,0,0.5,300,0,0,0,0,0,1,99\n4=切れ,0,0.3,0.1,0.0";

  std::string stray = kJapaneseFavorites;
  stray.insert(stray.find("[Item]"), "; stray \x81\xFF byte\n");

  return {
      {"a stray byte that is not UTF-8", stray, kJapaneseViews},
      {"UTF-16, little endian", Utf16(kJapaneseFavorites, false), kJapaneseViews},
      {"UTF-16, big endian", Utf16(kJapaneseFavorites, true), kJapaneseViews},
      {"a 13-field line and a cut-off last line", kept, keptViews},
      {"folders nested 1200 deep", nested, nestedViews},
  };
}

TEST(FavFiles, DamagedFilesComeThroughStartAndExitIntact) {
  for (const TDamagedFile& file : DamagedFiles()) {
    TTempFolder folder;
    const fs::path own = folder / "vortexa.fav";
    WriteBytes(own, file.Bytes);
    TMBList list;
    TFavTree tree(list);
    LoadFavoritesAtStartUp(tree, own, std::nullopt, [](std::string_view) { return false; });
    EXPECT_EQ(Views(tree), file.Views) << file.Name;

    // Nothing changed: the file stays as it was, byte for byte.
    SaveFavoritesAtExit(tree, own);
    EXPECT_EQ(ReadBytes(own), file.Bytes) << file.Name;
    EXPECT_FALSE(fs::exists(BackupFile(own))) << file.Name;

    // A change writes the file, keeps the old one, and loses nothing.
    tree.Root().AddFolder("追加");
    SaveFavoritesAtExit(tree, own);
    EXPECT_EQ(ReadBytes(BackupFile(own)), file.Bytes) << file.Name;
    std::vector<std::string> expected = file.Views;
    expected.push_back("/追加/");
    EXPECT_EQ(LoadViews(own), expected) << file.Name;
  }
}

TEST(FavFiles, LinesThatAreNoEntryAreWrittenBackAsTheyWere) {
  TTempFolder folder;
  const fs::path own = folder / "vortexa.fav";
  WriteBytes(own, "; \x81\xFF note\n" + kJapaneseFavorites + "[Mine]\nk=v\n# \xFF\n");
  TMBList list;
  TFavTree tree(list);
  LoadFavoritesAtStartUp(tree, own, std::nullopt, [](std::string_view) { return false; });
  tree.Root().AddFolder("追加");
  SaveFavoritesAtExit(tree, own);
  const std::string written = ReadBytes(own);
  EXPECT_TRUE(written.starts_with("; \x81\xFF note\n[Version]")) << written;
  EXPECT_NE(written.find("[Mine]\nk=v\n# \xFF\n"), std::string::npos) << written;
}

TEST(FavFiles, FileThatCannotBeReadWholeThrowsAndIsLeftAlone) {
  std::string tooDeep = "[Folder]\n-1=お気に入り,-2\n";
  for (int depth = 1; depth <= kMaxFolderDepth + 1; ++depth)
    tooDeep += std::to_string(-depth - 1) + "=f," + std::to_string(-depth - 2) + "\n";
  for (const std::string& bytes : {tooDeep, std::string("\xFF\xFE[\0V", 5)}) {
    TTempFolder folder;
    const fs::path own = folder / "vortexa.fav";
    WriteBytes(own, bytes);
    TMBList list;
    TFavTree tree(list);
    tree.Root().AddFolder("before");
    EXPECT_THROW(
        LoadFavoritesAtStartUp(tree, own, std::nullopt, [](std::string_view) { return false; }),
        std::runtime_error);
    EXPECT_EQ(Outline(tree.Root()), "お気に入り[before[]]");
  }
}

TEST(FavFiles, AnOlderFormatIsWrittenOnceInTheCurrentOne) {
  TTempFolder folder;
  const fs::path own = folder / "vortexa.fav";
  WriteBytes(own, FavFile(110, "-1=root,1\n", "1=mine,0,0,0,2,100,0,12,0,0,2,0\n"));
  TMBList list;
  TFavTree tree(list);
  LoadFavoritesAtStartUp(tree, own, std::nullopt, [](std::string_view) { return false; });
  SaveFavoritesAtExit(tree, own);
  const std::string upgraded = ReadBytes(own);
  EXPECT_NE(upgraded.find("1=mine,0,0,0,2,100,0,32,0,0,6,0\n"), std::string::npos) << upgraded;
  fs::remove(BackupFile(own));
  SaveFavoritesAtExit(tree, own);
  EXPECT_FALSE(fs::exists(BackupFile(own)));
}

// One copy of the program: its own list and tree, read from the file.
struct TCopy {
  explicit TCopy(const fs::path& own) : Own(own) {
    LoadFavoritesAtStartUp(Tree, own, std::nullopt, [](std::string_view) { return false; });
  }
  TFavNode& Find(std::string_view text, TFavNode* folder = nullptr) {
    folder = folder ? folder : &Tree.Root();
    for (const auto& child : folder->Children()) {
      if (child->Text == text) return *child;
      if (child->IsFolder() && !child->Children().empty()) {
        if (TFavNode& found = Find(text, child.get()); found.Text == text) return found;
      }
    }
    return *folder;
  }
  void Add(TFavNode& folder, const std::string& name) {
    TMBItem& item = *List.GetItem(List.AddNew());
    item.Name = name;
    item.Range = 2;
    item.Limit = 100;
    folder.AddItem(item);
  }
  void Move(TFavNode& node, TFavNode& folder) {
    folder.InsertChild(node.Parent()->TakeChild(node), folder.Children().size());
  }
  std::vector<TMergeNote> Save() { return SaveFavoritesAtExit(Tree, Own); }

  fs::path Own;
  TMBList List;
  TFavTree Tree{List};
};

TEST(FavFiles, TwoCopiesOfTheProgramKeepEachOthersChanges) {
  TTempFolder folder;
  const fs::path own = folder / "vortexa.fav";
  std::string items;
  int key = 0;
  for (const char* name : {"a", "b", "c", "d", "e"})
    items += std::to_string(++key) + "=" + name + ",0,0,0,2,100,0,0,0,0,0,0\n";
  WriteBytes(own, FavFile(120, "-1=お気に入り,1,2,3,-2\n-2=F,4,5\n", items));
  TCopy one(own), two(own);
  one.Add(one.Tree.Root(), "one's");
  one.Find("b").Text = "b1";
  one.Find("d").Parent()->RemoveChild(one.Find("d"));
  two.Add(two.Find("F"), "two's");
  two.Find("e").Text = "e2";
  two.Tree.Root().RemoveChild(two.Find("c"));
  two.Move(two.Find("a"), two.Find("F"));
  EXPECT_TRUE(one.Save().empty());
  EXPECT_TRUE(two.Save().empty());
  EXPECT_EQ(Outline(TCopy(own).Tree.Root()), "お気に入り[b1 F[e2 two's a] one's]");

  // Both rename the same favourite: both names stay, and that is said.
  TCopy three(own), four(own);
  three.Find("b1").Text = "x";
  four.Find("b1").Text = "y";
  EXPECT_TRUE(three.Save().empty());
  const std::vector<TMergeNote> notes = four.Save();
  ASSERT_EQ(notes.size(), 1);
  EXPECT_EQ(notes[0].Name, "y");
  EXPECT_EQ(Outline(TCopy(own).Tree.Root()), "お気に入り[y x F[e2 two's a] one's]");
}

// Files may grow no further than `bytes` while it lives, as on a full disk.
class TFullDisk {
 public:
  explicit TFullDisk(rlim_t bytes) : FOldHandler(signal(SIGXFSZ, SIG_IGN)) {
    getrlimit(RLIMIT_FSIZE, &FOld);
    const rlimit limit{bytes, FOld.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~TFullDisk() {
    setrlimit(RLIMIT_FSIZE, &FOld);
    signal(SIGXFSZ, FOldHandler);
  }

 private:
  rlimit FOld{};
  sighandler_t FOldHandler;
};

TEST(FavFiles, AFullDiskLeavesTheFileAndItsBackupAsTheyWere) {
  TTempFolder folder;
  const fs::path own = folder / "vortexa.fav";
  const std::string current = kJapaneseFavorites, backup = "[Version]\nNo=120\n";
  WriteBytes(own, current);
  WriteBytes(BackupFile(own), backup);
  TMBList list;
  TFavTree tree(list);
  LoadFavoritesAtStartUp(tree, own, std::nullopt, [](std::string_view) { return false; });
  tree.Root().AddFolder("追加");
  {
    const TFullDisk full(current.size() / 2);
    EXPECT_THROW(SaveFavoritesAtExit(tree, own), std::runtime_error);
  }
  EXPECT_EQ(ReadBytes(own), current);
  EXPECT_EQ(ReadBytes(BackupFile(own)), backup);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 2);
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

// Limits up to 100,000,000 are stored as they are; the shipped file and the
// files of earlier versions, whose limits are at most 65000, are written
// back byte for byte. A line whose limit does not read stays as it was and
// gives no view (limit 0); a limit beyond the largest is left to the window
// (clamped) and the renderer (refused).
TEST(FavFiles, LimitsAreReadAndWrittenBackByteForByte) {
  const std::string limits = FavFile(120, "-2=上限,1,2,3,4,5\n",
                                     "1=一,0,0,0,2,1,0,0,0,0,0,1\n"
                                     "2=旧,0,-0.75,0.1,1.2346E-13,65000,1,32,0,0,4,1\n"
                                     "3=新,0,-0.75,0.1,1E-30,100000000,2,0,1,4,6,0\n"
                                     "4=越,0,0,0,2,100000001,0,0,0,0,0,1\n"
                                     "5=壊,0,0,0,2,12x,0,0,0,0,0,1\n") +
                             "\n";
  const struct {
    const char* Name;
    std::string Bytes;
    std::vector<int> Limits;
  } files[] = {
      {"shipped",
       ReadBytes(VORTEXA_RECOMMENDED_FILE),
       {1000, 2000, 2000, 2000, 3000, 2000, 2000, 3000, 3000, 5000, 5000, 5000, 8000, 10000, 20000,
        20000}},
      {"limits", limits, {1, 65000, 100'000'000, 100'000'001, 0}},
  };
  for (const auto& file : files) {
    TTempFolder folder;
    WriteBytes(folder / "in.fav", file.Bytes);
    TMBList list;
    TFavTree tree(list);
    tree.LoadFile(folder / "in.fav", false);
    TFavNode& loaded = *tree.Root().Children().back();
    std::vector<int> read;
    for (const auto& node : loaded.Children())
      read.push_back(node->Item()->Limit);
    EXPECT_EQ(read, file.Limits) << file.Name;
    tree.SaveFolder(folder / "out.fav", loaded);
    EXPECT_EQ(ReadBytes(folder / "out.fav"), file.Bytes) << file.Name;
  }
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
