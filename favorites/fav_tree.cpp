#include "fav_tree.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <set>
#include <stdexcept>

#include "comma_text.h"
#include "fav_merge.h"
#include "ini_file.h"
#include "number_text.h"

namespace vortexa {

namespace fs = std::filesystem;

namespace {

void CollectTourItems(const TFavNode& folder, std::set<const TMBItem*>& items) {
  for (const auto& child : folder.Children()) {
    if (child->IsFolder())
      CollectTourItems(*child, items);
    else if (child->TourMark)
      items.insert(child->Item());
  }
}

constexpr std::string_view kVersionSection = "Version";
constexpr std::string_view kVersionKey = "No";
constexpr std::string_view kFolderSection = "Folder";
constexpr std::string_view kItemSection = "Item";
constexpr std::string_view kWholeTreeKey = "-1";
constexpr std::string_view kSubtreeKey = "-2";

bool HasWholeTree(const TIniFile& ini) {
  return !ini.ReadString(kFolderSection, kWholeTreeKey, "").empty();
}

// A line break would end the INI entry early; names keep their place as a blank.
std::string SingleLine(std::string text) {
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return text;
}

void Number(TFavNode& folder, int& folderNo, int& itemNo) {
  folder.FileNo = folderNo--;
  for (const auto& child : folder.Children()) {
    if (child->IsFolder()) {
      Number(*child, folderNo, itemNo);
    } else {
      child->Item()->FileNo = itemNo++;
    }
  }
}

int FileNumber(const TFavNode& node) {
  return node.IsFolder() ? node.FileNo : node.Item()->FileNo;
}

// Writes a tree in place of any earlier Folder and Item sections, and with
// it what else the Item section held when the tree was read.
class TTreeWriter {
 public:
  TTreeWriter(TIniFile& ini, const TItemRemnants& remnants)
      : FIni(ini), FRemnants(remnants), FCommentsUsed(remnants.CommentsBefore.size()) {}

  void Write(TFavNode& folder) {
    FIni.EraseSection(kFolderSection);
    FIni.EraseSection(kItemSection);
    int folderNo = folder.IsRoot() ? -1 : -2;
    int itemNo = 1;
    Number(folder, folderNo, itemNo);
    FIni.WriteInteger(kVersionSection, kVersionKey, kFormatVersion);
    WriteFolder(folder);
    WriteRemnants(itemNo);
  }

 private:
  void WriteFolder(const TFavNode& folder) {
    std::vector<std::string> fields{folder.Text};
    for (const auto& child : folder.Children())
      fields.push_back(std::to_string(FileNumber(*child)));
    FIni.WriteString(kFolderSection, std::to_string(folder.FileNo),
                     SingleLine(JoinCommaText(fields)));
    for (const auto& child : folder.Children()) {
      if (child->IsFolder()) {
        WriteFolder(*child);
      } else {
        WriteItem(*child);
      }
    }
  }

  void WriteItem(const TFavNode& favourite) {
    const TMBItem& item = *favourite.Item();
    for (std::size_t i = 0; i < FRemnants.CommentsBefore.size(); ++i) {
      if (FRemnants.CommentsBefore[i].first != &item || FCommentsUsed[i]) continue;
      FCommentsUsed[i] = true;
      WriteComments(FRemnants.CommentsBefore[i].second);
    }
    if (const std::string line = FavoriteLine(favourite); !line.empty())
      FIni.WriteString(kItemSection, std::to_string(item.FileNo), line);
  }

  // Comments whose favourite left the tree go first, then the lines no
  // folder refers to, numbered on from the tree's favourites.
  void WriteRemnants(int itemNo) {
    for (std::size_t i = 0; i < FRemnants.CommentsBefore.size(); ++i)
      if (!FCommentsUsed[i]) WriteComments(FRemnants.CommentsBefore[i].second);
    for (const TItemRemnants::TLine& line : FRemnants.Rest) {
      if (line.Orphan) {
        FIni.WriteString(kItemSection, std::to_string(itemNo++), line.Text);
      } else {
        FIni.AddVerbatimLine(kItemSection, line.Text);
      }
    }
  }

  void WriteComments(const std::vector<std::string>& comments) {
    for (const std::string& comment : comments)
      FIni.AddVerbatimLine(kItemSection, comment);
  }

  TIniFile& FIni;
  const TItemRemnants& FRemnants;
  std::vector<bool> FCommentsUsed;
};

// Reads folder lines depth first, each at most once, so that a damaged file
// whose lines refer back to themselves cannot loop. The open folders are
// kept on a list rather than the call stack: nesting up to kMaxFolderDepth
// must not depend on how large a build makes each call. An item line that
// does not read whole as a view is kept as it was.
class TFolderReader {
 public:
  TFolderReader(const TIniFile& ini, int version, TMBList& favorites)
      : FIni(ini), FVersion(version), FFavorites(favorites) {}

  const std::map<std::string, const TMBItem*>& Items() const { return FItems; }

  void Read(TFavNode& top, const std::string& key) {
    Open(top, key);
    while (!FOpen.empty()) {
      TOpenFolder& folder = FOpen.back();
      if (folder.Next == folder.Fields.size()) {
        FOpen.pop_back();
        continue;
      }
      const std::string& field = folder.Fields[folder.Next++];
      if (ParseInt32(field).value_or(0) >= 0) {
        ReadItem(*folder.Node, field);
      } else if (!FRead.contains(field)) {
        if (FOpen.size() > kMaxFolderDepth) {
          throw std::runtime_error("folders nested more than " + std::to_string(kMaxFolderDepth) +
                                   " deep");
        }
        const std::string subfolder = field;  // Open may move the list
        Open(folder.Node->AddFolder(""), subfolder);
      }
    }
  }

 private:
  struct TOpenFolder {
    TFavNode* Node;
    std::vector<std::string> Fields;  // the folder's name, then its entries
    std::size_t Next;
  };

  void Open(TFavNode& target, const std::string& key) {
    FRead.insert(key);
    std::vector<std::string> fields = SplitCommaText(FIni.ReadString(kFolderSection, key, ""));
    if (fields.empty()) return;
    if (!target.IsRoot()) target.Text = fields[0];
    FOpen.push_back({&target, std::move(fields), 1});
  }

  void ReadItem(TFavNode& target, const std::string& key) {
    TMBItem& item = *FFavorites.GetItem(FFavorites.AddNew());
    FItems.try_emplace(key, &item);
    const std::string line = FIni.ReadString(kItemSection, key, "");
    if (ReadsWholeAsItem(line, FVersion)) {
      TextToItem(item, line, FVersion);
      target.AddItem(item);
      return;
    }
    TFavNode& node = target.AddItem(item);
    node.KeptLine = line;
    if (const std::vector<std::string> fields = SplitCommaText(line); !fields.empty()) {
      node.Text = fields[0];
    }
  }

  const TIniFile& FIni;
  int FVersion;
  TMBList& FFavorites;
  std::set<std::string> FRead;
  std::vector<TOpenFolder> FOpen;                // from the top folder down to the one being read
  std::map<std::string, const TMBItem*> FItems;  // the first favourite read from each key
};

// The Item section's comments and the lines no folder refers to (a line that
// repeats a key among them), so that writing the tree drops none of them.
TItemRemnants Remnants(const TIniFile& ini, const std::map<std::string, const TMBItem*>& read) {
  TItemRemnants remnants;
  std::vector<std::string> comments;
  for (const TIniFile::TLine& line : ini.SectionLines(kItemSection)) {
    if (line.Verbatim && TIniFile::IsNoEntryLine(line.Value)) {
      comments.push_back(line.Value);
      continue;
    }
    const auto favourite = line.Verbatim ? read.end() : read.find(line.Name);
    if (favourite != read.end()) {
      if (!comments.empty()) remnants.CommentsBefore.emplace_back(favourite->second, comments);
    } else {
      for (std::string& comment : comments)
        remnants.Rest.push_back({std::move(comment), false});
      remnants.Rest.push_back(
          {line.Verbatim ? TIniFile::EntryValue(line.Value) : line.Value, true});
    }
    comments.clear();
  }
  for (std::string& comment : comments)
    remnants.Rest.push_back({std::move(comment), false});
  return remnants;
}

std::uint64_t NewNodeId() {
  static std::atomic<std::uint64_t> last{0};
  return ++last;
}

}  // namespace

TFavNode::TFavNode(TFavNode* parent, std::string text, TMBItem* item)
    : Text(std::move(text)), Id(NewNodeId()), FParent(parent), FItem(item) {}

TFavNode& TFavNode::AddFolder(std::string name) {
  return *FChildren.emplace_back(std::make_unique<TFavNode>(this, std::move(name), nullptr));
}

TFavNode& TFavNode::AddItem(TMBItem& item) {
  TFavNode& node = *FChildren.emplace_back(std::make_unique<TFavNode>(this, item.Name, &item));
  node.TourMark = item.Tour != 0;
  return node;
}

void TFavNode::RemoveChild(const TFavNode& child) {
  TakeChild(child);
}

std::unique_ptr<TFavNode> TFavNode::TakeChild(const TFavNode& child) {
  const auto found = std::find_if(FChildren.begin(), FChildren.end(),
                                  [&](const auto& c) { return c.get() == &child; });
  if (found == FChildren.end()) return nullptr;
  std::unique_ptr<TFavNode> taken = std::move(*found);
  FChildren.erase(found);
  taken->FParent = nullptr;
  return taken;
}

TFavNode& TFavNode::InsertChild(std::unique_ptr<TFavNode> child, std::size_t at) {
  child->FParent = this;
  return **FChildren.insert(FChildren.begin() + std::min(at, FChildren.size()), std::move(child));
}

TFavNode* TFavNode::FindFolder(std::string_view name) {
  if (!IsFolder()) return nullptr;
  if (Text == name) return this;
  for (const auto& child : FChildren) {
    if (TFavNode* found = child->FindFolder(name)) return found;
  }
  return nullptr;
}

std::string FavoriteLine(const TFavNode& favourite) {
  if (favourite.KeptLine) return *favourite.KeptLine;
  TMBItem shown = *favourite.Item();
  shown.Name = favourite.Text;
  // Any other non-zero tour value of an old file stands as it was.
  if ((shown.Tour != 0) != favourite.TourMark) shown.Tour = favourite.TourMark ? 1 : 0;
  return SingleLine(ItemToText(shown));
}

TFavTree::TFavTree(TMBList& favorites) : FFavorites(favorites) {
  Reset();
}

TFavTree::~TFavTree() = default;

void TFavTree::TakeBase(const TFileStamp& stamp) {
  FBase = std::make_unique<TFavBase>(*FRoot, stamp);
}

std::vector<TMergeNote> TFavTree::MergeFile(const fs::path& fileName) {
  TFavTree now(FFavorites);
  now.LoadFile(fileName, true);
  std::vector<TMergeNote> notes;
  if (FBase) notes = FBase->MergeInto(now.Root(), *FRoot);
  FRoot = std::move(now.FRoot);
  FRemnants = std::move(now.FRemnants);
  return notes;
}

void TFavTree::Reset() {
  FRoot = std::make_unique<TFavNode>(nullptr, std::string(kRootFolderName), nullptr);
}

void TFavTree::SaveFolder(const fs::path& fileName, TFavNode& folder) {
  TIniFile ini(fileName);
  WriteTree(ini, folder);
  ini.UpdateFile();
}

void TFavTree::WriteTree(TIniFile& ini, TFavNode& folder) const {
  TTreeWriter(ini, folder.IsRoot() ? FRemnants : TItemRemnants()).Write(folder);
}

std::string TFavTree::FolderText(TFavNode& folder) {
  TIniFile ini;
  WriteTree(ini, folder);
  return ini.Text();
}

void TFavTree::MarkSaved(int version) {
  FSavedText = FolderText(*FRoot);
  FSavedVersion = version;
}

bool TFavTree::Changed() {
  return !FSavedText || FSavedVersion != kFormatVersion || FolderText(*FRoot) != *FSavedText;
}

int TFavTree::LoadFile(const fs::path& fileName, bool replace) {
  const TIniFile ini(fileName);
  const int version = ini.ReadInteger(kVersionSection, kVersionKey, kFormatVersion);
  const std::string startKey(HasWholeTree(ini) ? kWholeTreeKey : kSubtreeKey);
  TFolderReader reader(ini, version, FFavorites);
  if (replace) {
    auto root = std::make_unique<TFavNode>(nullptr, std::string(kRootFolderName), nullptr);
    reader.Read(*root, startKey);
    FRoot = std::move(root);
    FRemnants = Remnants(ini, reader.Items());
    return version;
  }
  TFavNode& target = FRoot->AddFolder("");
  try {
    reader.Read(target, startKey);
  } catch (const std::exception&) {
    FRoot->RemoveChild(target);
    throw;
  }
  return version;
}

bool TFavTree::IsWholeTree(const fs::path& fileName) {
  return HasWholeTree(TIniFile(fileName));
}

std::vector<const TMBItem*> TFavTree::TourCandidates() const {
  std::set<const TMBItem*> marked;
  CollectTourItems(*FRoot, marked);
  std::vector<const TMBItem*> candidates;
  for (int i = 0; i < FFavorites.Count(); ++i)
    if (marked.contains(FFavorites.GetItem(i))) candidates.push_back(FFavorites.GetItem(i));
  return candidates;
}

}  // namespace vortexa
