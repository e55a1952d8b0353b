// The favourites tree: folders with ordered children and favourites that
// refer to records of the favourites TMBList, and its files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/translatable.h"
#include "mb_list.h"

namespace vortexa {

class TIniFile;
class TFavBase;
struct TFileStamp;

// A place where the changes of two copies of the program were both kept:
// the interface's message, %1 standing for the favourite's or folder's
// name, and that name.
struct TMergeNote {
  std::string_view Message;
  std::string Name;
  bool operator==(const TMergeNote&) const = default;
};

// The top folder: the interface shows it translated; files keep this name.
inline constexpr std::string_view kRootFolderName = VORTEXA_TRANSLATABLE("Favorites", "お気に入り");

// Far deeper than any person nests folders, and shallow enough for the
// recursive readers and writers of the tree.
inline constexpr int kMaxFolderDepth = 4096;

class TFavNode {
 public:
  TFavNode(TFavNode* parent, std::string text, TMBItem* item);
  TFavNode(const TFavNode&) = delete;
  TFavNode& operator=(const TFavNode&) = delete;

  bool IsFolder() const { return FItem == nullptr; }
  bool IsRoot() const { return FParent == nullptr; }
  TFavNode* Parent() const { return FParent; }
  TMBItem* Item() const { return FItem; }  // none for a folder
  const std::vector<std::unique_ptr<TFavNode>>& Children() const { return FChildren; }

  // Appended as the last child.
  TFavNode& AddFolder(std::string name);
  // Named after the item, with the tour mark when the item tours.
  TFavNode& AddItem(TMBItem& item);
  // Frees the child and everything below it.
  void RemoveChild(const TFavNode& child);
  // The child and everything below it, out of this folder (none when it is
  // no child of it), and back in at a place of a folder.
  std::unique_ptr<TFavNode> TakeChild(const TFavNode& child);
  TFavNode& InsertChild(std::unique_ptr<TFavNode> child, std::size_t at);

  // The first folder of that name in pre-order, this one included.
  TFavNode* FindFolder(std::string_view name);

  std::string Text;       // folder name, or the favourite's name as shown
  bool TourMark = false;  // favourites only
  int FileNo = 0;         // folder number in the file being written
  // Tells the node apart from every other of this run, also across copies of
  // the tree that the favourites window makes and gives back; a fresh node
  // gets a new one.
  std::uint64_t Id;
  // A favourite whose line the reader could not take as a view: the line as
  // it was (empty when the file had none), written back unchanged in place
  // of the blank record the favourite holds.
  std::optional<std::string> KeptLine;

 private:
  TFavNode* FParent;
  TMBItem* FItem;
  std::vector<std::unique_ptr<TFavNode>> FChildren;
};

// What the Item section of a file held besides the lines of the tree read
// from it: comment lines, and lines no folder refers to.
struct TItemRemnants {
  // Comments that stood before a favourite's line, written before it again.
  std::vector<std::pair<const TMBItem*, std::vector<std::string>>> CommentsBefore;
  // The rest in file order, written after the tree: lines no folder refers
  // to (Orphan, the entry's value) and the comments among and after them.
  struct TLine {
    std::string Text;
    bool Orphan;
  };
  std::vector<TLine> Rest;
};

// The Item line a favourite is written as: its kept line, or its record's
// text under the node's name and tour mark.
std::string FavoriteLine(const TFavNode& favourite);

class TFavTree {
 public:
  // Favourites read from files are appended to `favorites`, which must
  // outlive the tree.
  explicit TFavTree(TMBList& favorites);
  ~TFavTree();

  TFavNode& Root() { return *FRoot; }
  const TFavNode& Root() const { return *FRoot; }
  // Leaves only an empty root; the records stay in the list.
  void Reset();

  // Writes `folder` and everything below it, keeping other sections of an
  // existing file. Folders are numbered from -1 for the root and from -2
  // for any other folder, favourites from 1 (into their FileNo).
  void SaveFolder(const std::filesystem::path& fileName, TFavNode& folder);

  // Reads a file into the root (replace) or into a new last folder of the
  // root, and returns the file's version. Replacing, the comments and the
  // lines no folder refers to in its Item section are kept for writing the
  // whole tree again. Throws std::runtime_error for a
  // file that cannot be read whole (folders nested beyond kMaxFolderDepth
  // among them), leaving the tree as it was.
  int LoadFile(const std::filesystem::path& fileName, bool replace);

  // Notes the whole tree as it stands as what the user's file holds, in
  // the format `version`.
  void MarkSaved(int version);
  // Whether the whole tree, written now, would differ from what was noted
  // as saved (a file of an older format always differs).
  bool Changed();

  // The favourites marked for random tours anywhere in the tree, each once,
  // in the order of the favourites list.
  std::vector<const TMBItem*> TourCandidates() const;

  // Notes the whole tree as it stands as the state of the user's file with
  // that stamp, against which this copy's own changes are told from those of
  // another copy of the program.
  void TakeBase(const TFileStamp& stamp);
  const TFavBase* Base() const { return FBase.get(); }
  // Reads the user's file as it is now and applies this copy's own changes
  // since the base to it; the result is the whole tree. Returns a note for
  // each place where both copies' changes were kept. Throws as LoadFile
  // does, leaving the tree as it was.
  std::vector<TMergeNote> MergeFile(const std::filesystem::path& fileName);

  // True when the file was written from the root folder.
  static bool IsWholeTree(const std::filesystem::path& fileName);

 private:
  // The Folder and Item sections that `folder` is written as.
  std::string FolderText(TFavNode& folder);
  void WriteTree(TIniFile& ini, TFavNode& folder) const;

  TMBList& FFavorites;
  std::unique_ptr<TFavNode> FRoot;
  TItemRemnants FRemnants;
  std::unique_ptr<TFavBase> FBase;
  std::optional<std::string> FSavedText;  // none until noted
  int FSavedVersion = 0;
};

}  // namespace vortexa
