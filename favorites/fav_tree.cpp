#include "fav_tree.h"

#include <algorithm>
#include <atomic>
#include <set>
#include <stdexcept>

#include "comma_text.h"
#include "ini_file.h"
#include "number_text.h"

namespace vortexa {

namespace fs = std::filesystem;

namespace {

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

void WriteFolder(TIniFile& ini, const TFavNode& folder) {
  std::vector<std::string> fields{folder.Text};
  for (const auto& child : folder.Children())
    fields.push_back(std::to_string(FileNumber(*child)));
  ini.WriteString(kFolderSection, std::to_string(folder.FileNo), SingleLine(JoinCommaText(fields)));
  for (const auto& child : folder.Children()) {
    if (child->IsFolder()) {
      WriteFolder(ini, *child);
    } else if (!child->KeptLine) {
      ini.WriteString(kItemSection, std::to_string(child->Item()->FileNo),
                      SingleLine(ItemToText(*child->Item())));
    } else if (!child->KeptLine->empty()) {
      ini.WriteString(kItemSection, std::to_string(child->Item()->FileNo), *child->KeptLine);
    }
  }
}

// Numbers `folder` and its subtree and writes them with the format version
// in place of any earlier Folder and Item sections.
void WriteTree(TIniFile& ini, TFavNode& folder) {
  ini.EraseSection(kFolderSection);
  ini.EraseSection(kItemSection);
  int folderNo = folder.IsRoot() ? -1 : -2;
  int itemNo = 1;
  Number(folder, folderNo, itemNo);
  ini.WriteInteger(kVersionSection, kVersionKey, kFormatVersion);
  WriteFolder(ini, folder);
}

// Reads folder lines recursively; each folder line is read at most once, so
// a damaged file whose lines refer back to themselves cannot loop. An item
// line that does not read whole as a view is kept as it was.
class TFolderReader {
 public:
  TFolderReader(const TIniFile& ini, int version, TMBList& favorites)
      : FIni(ini), FVersion(version), FFavorites(favorites) {}

  void Read(TFavNode& target, const std::string& key, int depth) {
    FRead.insert(key);
    const std::vector<std::string> fields =
        SplitCommaText(FIni.ReadString(kFolderSection, key, ""));
    if (fields.empty()) return;
    if (!target.IsRoot()) target.Text = fields[0];
    for (std::size_t i = 1; i < fields.size(); ++i) {
      if (ParseInt32(fields[i]).value_or(0) >= 0) {
        ReadItem(target, fields[i]);
      } else if (!FRead.contains(fields[i])) {
        if (depth == kMaxFolderDepth) {
          throw std::runtime_error("folders nested more than " + std::to_string(kMaxFolderDepth) +
                                   " deep");
        }
        Read(target.AddFolder(""), fields[i], depth + 1);
      }
    }
  }

 private:
  void ReadItem(TFavNode& target, const std::string& key) {
    TMBItem& item = *FFavorites.GetItem(FFavorites.AddNew());
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
};

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
  std::erase_if(FChildren, [&](const auto& c) { return c.get() == &child; });
}

TFavNode* TFavNode::FindFolder(std::string_view name) {
  if (!IsFolder()) return nullptr;
  if (Text == name) return this;
  for (const auto& child : FChildren) {
    if (TFavNode* found = child->FindFolder(name)) return found;
  }
  return nullptr;
}

TFavTree::TFavTree(TMBList& favorites) : FFavorites(favorites) {
  Reset();
}

void TFavTree::Reset() {
  FRoot = std::make_unique<TFavNode>(nullptr, std::string(kRootFolderName), nullptr);
}

void TFavTree::SaveFolder(const fs::path& fileName, TFavNode& folder) {
  TIniFile ini(fileName);
  WriteTree(ini, folder);
  ini.UpdateFile();
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
    reader.Read(*root, startKey, 0);
    FRoot = std::move(root);
    return version;
  }
  TFavNode& target = FRoot->AddFolder("");
  try {
    reader.Read(target, startKey, 0);
  } catch (const std::exception&) {
    FRoot->RemoveChild(target);
    throw;
  }
  return version;
}

bool TFavTree::IsWholeTree(const fs::path& fileName) {
  return HasWholeTree(TIniFile(fileName));
}

}  // namespace vortexa
