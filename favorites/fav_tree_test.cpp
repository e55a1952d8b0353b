#include "fav_tree.h"

#include <gtest/gtest.h>

#include "ini_file.h"
#include "test_files.h"

namespace vortexa {
namespace {

namespace fs = std::filesystem;
using test_files::ReadBytes;
using test_files::TTempFolder;
using test_files::WriteBytes;

constexpr std::string_view kExampleFile =
    "[Version]\n"
    "No=120\n"
    "\n"
    "[Folder]\n"
    "-1=お気に入り,1,-2\n"
    "-2=作者おすすめ,2\n"
    "\n"
    "[Item]\n"
    "1=\"(0, 0)\",0,0,0,2,1000,0,0,0,0,0,1\n"
    "2=渦,0,-0.75,0.1,0.01,2000,1,32,0,0,4,1\n"
    "\n";

TMBItem& NewItem(TMBList& list, std::string name, long double x, long double y, long double range,
                 int limit) {
  TMBItem& item = *list.GetItem(list.AddNew());
  item.Name = std::move(name);
  item.X = x;
  item.Y = y;
  item.Range = range;
  item.Limit = limit;
  item.Tour = 1;
  return item;
}

// The root holds "(0, 0)" and the folder 作者おすすめ with 渦.
void BuildExampleTree(TFavTree& tree, TMBList& list) {
  tree.Root().AddItem(NewItem(list, "(0, 0)", 0, 0, 2, 1000));
  TMBItem& swirl = NewItem(list, "渦", -0.75L, 0.1L, 0.01L, 2000);
  swirl.ColorIndex = 1;
  swirl.Hue = 32;
  swirl.Period = 4;
  tree.Root().AddFolder("作者おすすめ").AddItem(swirl);
}

// The tree as one line, e.g. "お気に入り[(0, 0)* 作者おすすめ[渦*]]"; * is the tour mark.
std::string Outline(const TFavNode& node) {
  if (!node.IsFolder()) return node.Text + (node.TourMark ? "*" : "");
  std::string text = node.Text + "[";
  for (std::size_t i = 0; i < node.Children().size(); ++i) {
    if (i) text += ' ';
    text += Outline(*node.Children()[i]);
  }
  return text + "]";
}

TEST(FavTree, WritesTheExampleFileByteForByte) {
  TTempFolder folder;
  TMBList list;
  TFavTree tree(list);
  BuildExampleTree(tree, list);
  tree.SaveFolder(folder / "a.fav", tree.Root());
  EXPECT_EQ(ReadBytes(folder / "a.fav"), kExampleFile);
  EXPECT_TRUE(TFavTree::IsWholeTree(folder / "a.fav"));
}

TEST(FavTree, ReadsTheExampleFileBack) {
  TTempFolder folder;
  WriteBytes(folder / "a.fav", kExampleFile);
  TMBList list;
  TFavTree tree(list);
  EXPECT_EQ(tree.LoadFile(folder / "a.fav", true), 120);
  EXPECT_EQ(Outline(tree.Root()), "お気に入り[(0, 0)* 作者おすすめ[渦*]]");
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(ItemToText(*list.GetItem(1)), "渦,0,-0.75,0.1,0.01,2000,1,32,0,0,4,1");
}

// A deep favourite keeps its 40 digits through a file, and the shallow file
// is written back byte for byte as it was read.
constexpr std::string_view kDeepFile =
    "[Version]\n"
    "No=120\n"
    "\n"
    "[Folder]\n"
    "-1=お気に入り,1,-2\n"
    "-2=作者おすすめ,2,3\n"
    "\n"
    "[Item]\n"
    "1=\"(0, 0)\",0,0,0,2,1000,0,0,0,0,0,1\n"
    "2=渦,0,-0.75,0.1,0.01,2000,1,32,0,0,4,1\n"
    "3=深,0,-1.768778833000000000000000000000000000001,"
    "-0.0017389960732074668349210023456789012345,1E-36,5000,0,0,0,0,4,1\n"
    "\n";

TEST(FavTree, DeepCentresSurviveAFileAndShallowOnesAreWrittenAsBefore) {
  TTempFolder folder;
  for (const std::string_view text : {kExampleFile, kDeepFile}) {
    WriteBytes(folder / "a.fav", text);
    TMBList list;
    TFavTree tree(list);
    tree.LoadFile(folder / "a.fav", true);
    tree.SaveFolder(folder / "b.fav", tree.Root());
    EXPECT_EQ(ReadBytes(folder / "b.fav"), text);
  }
}

TEST(FavTree, NumbersFoldersAndItemsInPreOrder) {
  TTempFolder folder;
  TMBList list;
  TFavTree tree(list);
  TFavNode& a = tree.Root().AddFolder("a");
  a.AddItem(NewItem(list, "1", 0, 0, 1, 1));
  a.AddFolder("b").AddItem(NewItem(list, "2", 0, 0, 1, 1));
  tree.Root().AddItem(NewItem(list, "3", 0, 0, 1, 1));
  tree.Root().AddFolder("c");
  tree.SaveFolder(folder / "a.fav", tree.Root());
  const TIniFile ini(folder / "a.fav");
  EXPECT_EQ(ini.ReadString("Folder", "-1", ""), "お気に入り,-2,3,-4");
  EXPECT_EQ(ini.ReadString("Folder", "-2", ""), "a,1,-3");
  EXPECT_EQ(ini.ReadString("Folder", "-3", ""), "b,2");
  EXPECT_EQ(ini.ReadString("Folder", "-4", ""), "c");
  EXPECT_EQ(ini.ReadSection("Item"), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(list.GetItem(2)->FileNo, 3);
}

// Marked favourites at any depth tour, in the list's order; unmarked ones,
// and a record no folder shows, do not.
TEST(FavTree, TourCandidatesAreTheMarkedFavouritesInListOrder) {
  TMBList list;
  TFavTree tree(list);
  TMBItem& first = NewItem(list, "1", 0, 0, 1, 1);
  TMBItem& unmarked = NewItem(list, "2", 0, 0, 1, 1);
  TMBItem& deep = NewItem(list, "3", 0, 0, 1, 1);
  NewItem(list, "no folder", 0, 0, 1, 1);
  tree.Root().AddFolder("a").AddFolder("b").AddItem(deep);
  tree.Root().AddItem(unmarked).TourMark = false;
  tree.Root().AddItem(first);
  EXPECT_EQ(tree.TourCandidates(), (std::vector<const TMBItem*>{&first, &deep}));
}

TEST(FavTree, FileWrittenFromASubfolderLoadsIntoTheRoot) {
  TTempFolder folder;
  TMBList list;
  TFavTree tree(list);
  BuildExampleTree(tree, list);
  TFavNode& sub = *tree.Root().Children()[1];
  tree.SaveFolder(folder / "sub.fav", sub);
  EXPECT_EQ(TIniFile(folder / "sub.fav").ReadString("Folder", "-2", ""), "作者おすすめ,1");
  EXPECT_FALSE(TFavTree::IsWholeTree(folder / "sub.fav"));

  EXPECT_EQ(tree.LoadFile(folder / "sub.fav", true), 120);
  EXPECT_EQ(Outline(tree.Root()), "お気に入り[渦*]");
}

TEST(FavTree, AppendingAddsANamedLastFolderToTheRoot) {
  TTempFolder folder;
  WriteBytes(folder / "a.fav", kExampleFile);
  TMBList list;
  TFavTree tree(list);
  tree.Root().AddFolder("mine");
  tree.LoadFile(folder / "a.fav", false);
  EXPECT_EQ(Outline(tree.Root()), "お気に入り[mine[] お気に入り[(0, 0)* 作者おすすめ[渦*]]]");
}

TEST(FavTree, EmptyNameComesBackAsTheFormatNumber) {
  TTempFolder folder;
  TMBList list;
  TFavTree tree(list);
  tree.Root().AddItem(NewItem(list, "", 0, 0, 2, 100));
  tree.SaveFolder(folder / "a.fav", tree.Root());
  tree.LoadFile(folder / "a.fav", true);
  EXPECT_EQ(Outline(tree.Root()), "お気に入り[120*]");
}

TEST(FavTree, SavingKeepsOtherSectionsAndReplacesOldEntries) {
  TTempFolder folder;
  WriteBytes(folder / "a.fav",
             "[Notes]\nby=me\n\n[Version]\nNo=110\n\n[Item]\n7=old,0,0,0,2,1,0,0,0,0,0,0\n\n");
  TMBList list;
  TFavTree tree(list);
  tree.Root().AddItem(NewItem(list, "new", 0, 0, 2, 1));
  tree.SaveFolder(folder / "a.fav", tree.Root());
  EXPECT_EQ(ReadBytes(folder / "a.fav"),
            "[Notes]\nby=me\n\n[Version]\nNo=120\n\n"
            "[Folder]\n-1=お気に入り,1\n\n[Item]\n1=new,0,0,0,2,1,0,0,0,0,0,1\n\n");
}

TEST(FavTree, CommentsAndLinesNoFolderRefersToSurviveASave) {
  TTempFolder folder;
  const fs::path file = folder / "a.fav";
  WriteBytes(file,
             "[Folder]\n-1=お気に入り,1,2\n[Item]\n; before one\n1=a,0,0,0,2,1,0,0,0,0,0,0\n"
             "9=lost,0,0,0,2,1,0,0,0,0,0,0\n# before two\n2=b,0,0,0,2,1,0,0,0,0,0,0\n"
             "2=again,0,0,0,2,1,0,0,0,0,0,0\n; the end\n");
  TMBList list;
  TFavTree tree(list);
  tree.LoadFile(file, true);
  tree.Root().AddFolder("n");
  tree.SaveFolder(file, tree.Root());
  const std::string head = "[Version]\nNo=120\n\n[Folder]\n";
  EXPECT_EQ(ReadBytes(file), head +
                                 "-1=お気に入り,1,2,-2\n-2=n\n\n[Item]\n; before one\n"
                                 "1=a,0,0,0,2,1,0,0,0,0,0,0\n# before two\n"
                                 "2=b,0,0,0,2,1,0,0,0,0,0,0\n3=lost,0,0,0,2,1,0,0,0,0,0,0\n"
                                 "4=again,0,0,0,2,1,0,0,0,0,0,0\n; the end\n\n");

  // A comment whose favourite is deleted moves behind the tree.
  tree.Root().RemoveChild(*tree.Root().Children()[1]);
  tree.SaveFolder(file, tree.Root());
  EXPECT_EQ(ReadBytes(file), head +
                                 "-1=お気に入り,1,-2\n-2=n\n\n[Item]\n; before one\n"
                                 "1=a,0,0,0,2,1,0,0,0,0,0,0\n# before two\n"
                                 "2=lost,0,0,0,2,1,0,0,0,0,0,0\n"
                                 "3=again,0,0,0,2,1,0,0,0,0,0,0\n; the end\n\n");
}

TEST(FavTree, NamesWithLineBreaksAreStoredOnOneLine) {
  TTempFolder folder;
  TMBList list;
  TFavTree tree(list);
  tree.Root().AddFolder("two\nlines").AddItem(NewItem(list, "a\r\nb", 0, 0, 2, 1));
  tree.SaveFolder(folder / "a.fav", tree.Root());
  tree.LoadFile(folder / "a.fav", true);
  EXPECT_EQ(Outline(tree.Root()), "お気に入り[two lines[a  b*]]");
}

struct TDamagedCase {
  const char* Name;
  std::string File;
  std::string Outline;
};

TEST(FavTree, DamagedFilesLoadWhatTheyCan) {
  const TDamagedCase cases[] = {
      {"self-referring folder", "[Folder]\n-1=root,-2\n-2=loop,-2,1\n", "お気に入り[loop[]]"},
      {"folder refers to an ancestor", "[Folder]\n-1=root,-2\n-2=a,-3\n-3=b,-1,-2\n",
       "お気に入り[a[b[]]]"},
      {"folder listed twice", "[Folder]\n-1=root,-2,-2\n-2=a\n", "お気に入り[a[]]"},
      {"missing folder line", "[Folder]\n-1=root,-5\n", "お気に入り[[]]"},
      {"no folder section", "[Version]\nNo=120\n", "お気に入り[]"},
  };
  for (const auto& c : cases) {
    TTempFolder folder;
    WriteBytes(folder / "a.fav", c.File);
    TMBList list;
    TFavTree tree(list);
    tree.LoadFile(folder / "a.fav", true);
    EXPECT_EQ(Outline(tree.Root()), c.Outline) << c.Name;
  }
}

TEST(FavTree, MissingItemLineGivesABlankFavourite) {
  TTempFolder folder;
  WriteBytes(folder / "a.fav", "[Folder]\n-1=root,4\n");
  TMBList list;
  TFavTree tree(list);
  tree.LoadFile(folder / "a.fav", true);
  ASSERT_EQ(tree.Root().Children().size(), 1u);
  EXPECT_EQ(tree.Root().Children()[0]->Item()->Limit, 0);
  EXPECT_EQ(tree.Root().Children()[0]->Text, "");
}

// The root reads line -2; folders -3 ... -(last + 1) each lie inside the one
// before, last - 1 deep.
std::string NestedFolders(int last) {
  std::string file = "[Folder]\n";
  for (int i = 2; i <= last; ++i) {
    file.append("-").append(std::to_string(i)).append("=f,-").append(std::to_string(i + 1));
    file += '\n';
  }
  return file;
}

TEST(FavTree, NestingUpToTheBoundIsReadWholeAndDeeperIsRefused) {
  TTempFolder folder;
  WriteBytes(folder / "a.fav", NestedFolders(kMaxFolderDepth + 1));
  TMBList list;
  TFavTree tree(list);
  tree.LoadFile(folder / "a.fav", true);
  int depth = 0;
  for (const TFavNode* node = &tree.Root(); !node->Children().empty();
       node = node->Children()[0].get()) {
    ++depth;
  }
  EXPECT_EQ(depth, kMaxFolderDepth);

  WriteBytes(folder / "b.fav", NestedFolders(kMaxFolderDepth + 2));
  EXPECT_THROW(tree.LoadFile(folder / "b.fav", false), std::runtime_error);
  EXPECT_EQ(tree.Root().Children().size(), 1u);  // the refused file added nothing
}

TEST(FavTree, OlderFilesAreReadWithTheirVersion) {
  TTempFolder folder;
  WriteBytes(folder / "a.fav",
             "[Version]\nNo=115\n[Folder]\n-1=root,1\n[Item]\n1=v,0,0,0,2,100,0,12,0,0,2,0\n");
  TMBList list;
  TFavTree tree(list);
  EXPECT_EQ(tree.LoadFile(folder / "a.fav", true), 115);
  EXPECT_EQ(list.GetItem(0)->Hue, 32);
  EXPECT_EQ(Outline(tree.Root()), "お気に入り[v]");
}

TEST(FavNode, FindFolderSearchesDepthFirst) {
  TMBList list;
  TFavTree tree(list);
  TFavNode& a = tree.Root().AddFolder("a");
  TFavNode& deep = a.AddFolder("x");
  tree.Root().AddFolder("x");
  tree.Root().AddItem(NewItem(list, "x", 0, 0, 1, 1));
  EXPECT_EQ(tree.Root().FindFolder("x"), &deep);
  EXPECT_EQ(tree.Root().FindFolder("y"), nullptr);
  a.RemoveChild(deep);
  EXPECT_EQ(tree.Root().FindFolder("x"), tree.Root().Children()[1].get());
}

}  // namespace
}  // namespace vortexa
