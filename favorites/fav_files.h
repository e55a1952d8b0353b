// Where the favourites files live, and the favourites' start-up and exit.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/translatable.h"
#include "fav_tree.h"

namespace vortexa {

inline constexpr std::string_view kRecommendedFolderName = "作者おすすめ";
inline constexpr std::string_view kRecommendedFileName = "osusume.fav";
inline constexpr std::string_view kOwnFavoritesFileName = "vortexa.fav";

// Asked when the shipped recommendations are newer than those in the user's
// favourites.
inline constexpr std::string_view kReplaceRecommendedQuestion =
    VORTEXA_TRANSLATABLE("Favorites",
                         "作者おすすめフォルダがバージョンアップされています。\n"
                         "置き替えてもよろしいですか?\n"
                         "もしここで置き替えなくても、お気に入りの整理画面から\n"
                         "osusume.favファイルを読み込めば、いつでも置き替え\n"
                         "可能です。");

// The per-user folder: $XDG_CONFIG_HOME/vortexa, by default ~/.config/vortexa.
std::filesystem::path ConfigFolder();
std::filesystem::path OwnFavoritesFile();

// Beside the executable (as in the build tree), then the installed data folder
// relative to the executable, then the one of the configured prefix.
std::vector<std::filesystem::path> RecommendedFileFolders();
std::optional<std::filesystem::path> FindRecommendedFile(
    std::span<const std::filesystem::path> folders);

// Answers an OK/Cancel question: true for OK.
using TConfirm = std::function<bool(std::string_view question)>;

// Fills the tree from the user's own file, or from the recommendations
// alone on a first start; offers newer recommendations once after an
// upgrade. Throws std::runtime_error when an existing file cannot be read
// whole, so that the caller does not overwrite it at exit.
void LoadFavoritesAtStartUp(TFavTree& tree, const std::filesystem::path& ownFile,
                            const std::optional<std::filesystem::path>& recommendedFile,
                            const TConfirm& confirm);

// Where the previous own file is kept when it is replaced.
std::filesystem::path BackupFile(const std::filesystem::path& ownFile);

// Writes the whole tree to the user's own file, creating its folder, when
// it differs from what was read at start-up or written last (a first start
// writes the recommendations the tree was filled with). When another copy
// of the program has written the file since, this copy's changes are
// merged into it (TFavTree::MergeFile); the result lists the places where
// both copies' changes were kept. The previous file, if any, is first
// copied to its backup. Throws std::runtime_error or
// std::filesystem::filesystem_error on failure, leaving the file as it was.
std::vector<TMergeNote> SaveFavoritesAtExit(TFavTree& tree, const std::filesystem::path& ownFile);

}  // namespace vortexa
