#include "fav_merge.h"

#include <algorithm>
#include <functional>

#include "whole_file.h"

namespace vortexa {

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kRootId = 0;

constexpr std::string_view kKeptFolderMessage = VORTEXA_TRANSLATABLE(
    "Favorites",
    "フォルダ「%1」は、もう一つのうずまきらんどが加えたお気に入りを含むため削除しませんでした。");
constexpr std::string_view kBothKeptMessage =
    VORTEXA_TRANSLATABLE("Favorites",
                         "「%1」は、もう一つのうずまきらんどで変更または削除されていたため、"
                         "こちらの変更を別に加えました。");
constexpr std::string_view kNotMovedMessage = VORTEXA_TRANSLATABLE(
    "Favorites",
    "「%1」は、もう一つのうずまきらんどで移動先の上に移されていたため、移動しませんでした。");
constexpr std::string_view kFolderNotMovedMessage = VORTEXA_TRANSLATABLE(
    "Favorites",
    "フォルダ「%1」は、もう一つのうずまきらんどで移動先の上に移されていたため、"
    "移動しませんでした。");
constexpr std::string_view kRecreatedMessage = VORTEXA_TRANSLATABLE(
    "Favorites",
    "フォルダ「%1」は、もう一つのうずまきらんどで変更または削除されていたため、作り直しました。");

using TVisit = std::function<void(TFavNode& node, std::uint64_t parent, std::uint64_t previous,
                                  const std::string& signature)>;

// Every node below `folder` in pre-order, with the ids of its folder and of
// the sibling before it, and its signature: the kinds and texts (a
// favourite's line) on the way from the root, each with its count among
// equal siblings, so that two readings of one file give the same.
void Walk(const TFavNode& folder, std::uint64_t folderId, const std::string& folderSignature,
          const TVisit& visit) {
  std::map<std::string, int> seen;
  std::uint64_t previous = 0;
  for (const auto& child : folder.Children()) {
    // Appended piece by piece: chained operator+ draws GCC 12's false -Wrestrict alarm.
    std::string content(1, child->IsFolder() ? 'F' : 'I');
    content += child->IsFolder() ? child->Text : FavoriteLine(*child);
    std::string signature = folderSignature;
    signature += '\x1e';
    signature += content;
    signature += '\x1f';
    signature += std::to_string(seen[content]++);
    visit(*child, folderId, previous, signature);
    if (child->IsFolder()) Walk(*child, child->Id, signature, visit);
    previous = child->Id;
  }
}

}  // namespace

TFileStamp StampOf(const fs::path& file) {
  std::error_code ec;
  if (!fs::exists(file, ec)) return {};
  const std::string bytes = ReadFileWhole(file);
  return {true, bytes.size(), fs::last_write_time(file).time_since_epoch().count(),
          std::hash<std::string>()(bytes)};
}

TFavBase::TFavBase(const TFavNode& root, TFileStamp stamp) : FStamp(stamp) {
  Walk(root, kRootId, "",
       [this](const TFavNode& node, std::uint64_t parent, std::uint64_t previous,
              const std::string& signature) {
         FOrder.push_back(node.Id);
         FEntries[node.Id] = {parent,        previous,        node.Text,
                              node.TourMark, node.IsFolder(), signature};
       });
}

// The merge of one save: `FPlaced` finds the node of `theirs` that stands
// for a node of the base or of `mine`.
class TFavMerge {
 public:
  TFavMerge(const TFavBase& base, TFavNode& theirs, const TFavNode& mine) : FBase(base) {
    std::map<std::string, TFavNode*> bySignature;
    Walk(theirs, kRootId, "",
         [&](TFavNode& node, std::uint64_t, std::uint64_t, const std::string& signature) {
           bySignature.emplace(signature, &node);
         });
    FPlaced[kRootId] = &theirs;
    for (const auto& [id, entry] : base.FEntries)
      if (const auto found = bySignature.find(entry.Signature); found != bySignature.end())
        FPlaced[id] = found->second;
    Walk(mine, kRootId, "",
         [this](TFavNode& node, std::uint64_t parent, std::uint64_t previous, const std::string&) {
           FMineOrder.push_back(node.Id);
           FMine[node.Id] = {&node, parent, previous};
         });
  }

  std::vector<TMergeNote> Run() {
    for (const std::uint64_t id : FMineOrder)
      Apply(id);
    // Deleted nodes go after the moves, which may take nodes out of a
    // deleted folder; children before their folder.
    for (auto id = FBase.FOrder.rbegin(); id != FBase.FOrder.rend(); ++id)
      if (!FMine.contains(*id)) Delete(*id);
    return std::move(FNotes);
  }

 private:
  struct TMine {
    const TFavNode* Node;
    std::uint64_t Parent, Previous;
  };

  TFavNode* Placed(std::uint64_t id) const {
    const auto found = FPlaced.find(id);
    return found == FPlaced.end() ? nullptr : found->second;
  }

  void Apply(std::uint64_t id) {
    const TMine& mine = FMine.at(id);
    const auto base = FBase.FEntries.find(id);
    if (base == FBase.FEntries.end()) {
      Add(mine);
      return;
    }
    const TFavBase::TEntry& was = base->second;
    const bool changed = mine.Node->Text != was.Text || mine.Node->TourMark != was.TourMark;
    const bool moved = mine.Parent != was.Parent;
    TFavNode* their = Placed(id);
    if (!their) {
      // The other copy changed or deleted it: what this copy changed is added.
      if (!changed && !moved) return;
      if (mine.Node->IsFolder()) {
        Folder(id);
      } else {
        Add(mine);
        FNotes.push_back({kBothKeptMessage, mine.Node->Text});
      }
      return;
    }
    if (changed) {
      their->Text = mine.Node->Text;
      their->TourMark = mine.Node->TourMark;
    }
    if (moved || mine.Previous != was.Previous) Place(*their, mine);
  }

  void Add(const TMine& mine) {
    TFavNode& folder = Folder(mine.Parent);
    const TFavNode& node = *mine.Node;
    TFavNode& added = node.IsFolder() ? folder.AddFolder(node.Text) : folder.AddItem(*node.Item());
    added.Text = node.Text;
    added.TourMark = node.TourMark;
    added.KeptLine = node.KeptLine;
    FPlaced[node.Id] = &added;
    Place(added, mine);
  }

  // Right after the node's previous sibling when that is in the same folder
  // of `theirs`; first when it has none; otherwise where it is in that
  // folder, or last.
  void Place(TFavNode& node, const TMine& mine) {
    TFavNode& folder = Folder(mine.Parent);
    // The other copy may have put the target folder below the node itself.
    for (const TFavNode* up = &folder; up; up = up->Parent())
      if (up == &node) {
        FNotes.push_back({node.IsFolder() ? kFolderNotMovedMessage : kNotMovedMessage, node.Text});
        return;
      }
    const TFavNode* previous = mine.Previous == 0 ? nullptr : Placed(mine.Previous);
    if (previous && previous->Parent() != &folder) previous = nullptr;
    if (mine.Previous != 0 && !previous && node.Parent() == &folder) return;
    std::unique_ptr<TFavNode> taken = node.Parent()->TakeChild(node);
    const auto& children = folder.Children();
    std::size_t at = mine.Previous == 0 ? 0 : children.size();
    if (previous)
      at = std::find_if(children.begin(), children.end(),
                        [&](const auto& c) { return c.get() == previous; }) -
           children.begin() + 1;
    folder.InsertChild(std::move(taken), at);
  }

  // The folder of `theirs` for a folder of `mine`; made again, under its
  // name in `mine`, when the other copy renamed or deleted it.
  TFavNode& Folder(std::uint64_t id) {
    if (TFavNode* placed = Placed(id)) return *placed;
    const TMine& mine = FMine.at(id);
    TFavNode& made = Folder(mine.Parent).AddFolder(mine.Node->Text);
    made.TourMark = mine.Node->TourMark;
    FPlaced[id] = &made;
    FNotes.push_back({kRecreatedMessage, mine.Node->Text});
    return made;
  }

  void Delete(std::uint64_t id) {
    TFavNode* their = Placed(id);
    if (!their) return;  // already gone, or changed by the other copy: kept
    if (!their->Children().empty()) {
      FNotes.push_back({kKeptFolderMessage, their->Text});
      return;
    }
    FPlaced.erase(id);
    their->Parent()->RemoveChild(*their);
  }

  const TFavBase& FBase;
  std::map<std::uint64_t, TFavNode*> FPlaced;
  std::map<std::uint64_t, TMine> FMine;
  std::vector<std::uint64_t> FMineOrder;
  std::vector<TMergeNote> FNotes;
};

std::vector<TMergeNote> TFavBase::MergeInto(TFavNode& theirs, const TFavNode& mine) const {
  return TFavMerge(*this, theirs, mine).Run();
}

}  // namespace vortexa
