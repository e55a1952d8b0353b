#include "fav_files.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "fav_merge.h"
#include "ini_file.h"
#include "whole_file.h"

namespace vortexa {

namespace fs = std::filesystem;

namespace {

fs::path HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  const passwd* user = getpwuid(getuid());
  return user && user->pw_dir ? fs::path(user->pw_dir) : fs::current_path();
}

int FileVersion(const fs::path& fileName) {
  return TIniFile(fileName).ReadInteger("Version", "No", kFormatVersion);
}

void ReplaceRecommendedFolder(TFavTree& tree, const fs::path& recommendedFile) {
  if (TFavNode* old = tree.Root().FindFolder(kRecommendedFolderName); old && !old->IsRoot()) {
    old->Parent()->RemoveChild(*old);
  }
  tree.LoadFile(recommendedFile, false);
}

}  // namespace

fs::path ConfigFolder() {
  // Relative values are to be ignored, as the XDG base directory rules say.
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  const fs::path base = configHome && fs::path(configHome).is_absolute() ? fs::path(configHome)
                                                                         : HomeFolder() / ".config";
  return base / "vortexa";
}

fs::path OwnFavoritesFile() {
  return ConfigFolder() / kOwnFavoritesFileName;
}

std::vector<fs::path> RecommendedFileFolders() {
  std::vector<fs::path> folders;
  std::error_code ec;
  if (const fs::path program = fs::read_symlink("/proc/self/exe", ec); !ec) {
    folders.push_back(program.parent_path());
    // The installed data lies at the same place relative to the program
    // wherever the tree was installed or unpacked (a package, --prefix).
    folders.push_back((program.parent_path() / VORTEXA_DATA_FROM_PROGRAM).lexically_normal());
  }
  folders.emplace_back(VORTEXA_DATA_DIR);
  return folders;
}

std::optional<fs::path> FindRecommendedFile(std::span<const fs::path> folders) {
  for (const fs::path& folder : folders) {
    std::error_code ec;
    if (fs::is_regular_file(folder / kRecommendedFileName, ec)) {
      return folder / kRecommendedFileName;
    }
  }
  return std::nullopt;
}

void LoadFavoritesAtStartUp(TFavTree& tree, const fs::path& ownFile,
                            const std::optional<fs::path>& recommendedFile,
                            const TConfirm& confirm) {
  // Stamped before reading: a change in between is then merged, not lost.
  const TFileStamp stamp = StampOf(ownFile);
  if (!stamp.Exists) {
    tree.Reset();
    if (recommendedFile) tree.LoadFile(*recommendedFile, false);
    tree.TakeBase(stamp);
    return;
  }
  const int version = tree.LoadFile(ownFile, true);
  tree.MarkSaved(version);
  tree.TakeBase(stamp);
  if (version < kFormatVersion && recommendedFile && version < FileVersion(*recommendedFile) &&
      confirm(kReplaceRecommendedQuestion)) {
    ReplaceRecommendedFolder(tree, *recommendedFile);
  }
}

fs::path BackupFile(const fs::path& ownFile) {
  fs::path backup = ownFile;
  backup += ".bak";
  return backup;
}

std::vector<TMergeNote> SaveFavoritesAtExit(TFavTree& tree, const fs::path& ownFile) {
  if (!tree.Changed()) return {};
  fs::create_directories(ownFile.parent_path());
  std::vector<TMergeNote> conflicts;
  if (const TFileStamp now = StampOf(ownFile);
      now.Exists && tree.Base() && now != tree.Base()->Stamp())
    conflicts = tree.MergeFile(ownFile);
  // The backup is replaced only by a complete copy: a full disk keeps the old one.
  if (fs::exists(ownFile)) WriteFileWhole(BackupFile(ownFile), ReadFileWhole(ownFile));
  tree.SaveFolder(ownFile, tree.Root());
  tree.MarkSaved(kFormatVersion);
  tree.TakeBase(StampOf(ownFile));
  return conflicts;
}

}  // namespace vortexa
