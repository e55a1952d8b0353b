// TSettings: what the window keeps between runs, and vortexa.ini, the file
// that holds it. The file is read whole at start-up and written whole at
// close, so sections and keys this program does not know survive. A file that
// cannot be read is moved aside under a new name and never overwritten.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "favorites/ini_file.h"
#include "session/menu_positions.h"

namespace vortexa {

inline constexpr int kSettingsVersion = 120;
inline constexpr const char* kSettingsFileName = "vortexa.ini";

struct TSettings {
  int Version = 0;  // "No" as read; 0 without a file
  int Left = 100;
  int Top = 100;
  int Width = 590;
  int Height = 400;
  int MoveRatio = 0;
  int MagnifyRatio = kDefaultMagnifyRatio;
  int AnimateRatio = 1;  // kept for older versions; nothing reads it
  int JpegQuality = 1;
  int TourSpeed = kDefaultTourSpeed;
  int TourSound = 0;  // 0 the sound file, 1 off
  std::string TourSoundFile;
  std::string FavoriteDir;
  std::string SaveDir;
  int SaveWidth = 0;
  int SaveHeight = 0;
  int FullScreenNotice = 0;
  int Options = 0;
  int Hue = 0;
  // The user's image sizes, width × 10000 + height each, in menu order.
  std::vector<int> ImageSizes;
  bool WheelAtPointer = false;
  // The interface language: "ja", "en", or empty for the system's locale.
  std::string Language;
  // The suffix of the file type the save dialog offers first: the last one saved.
  std::string SaveType = "bmp";
};

// The settings a first start has: folders and the sound file of this user.
TSettings DefaultSettings();

// The user's documents folder with a trailing '/', as the desktop names it.
std::string DocumentsFolder();
// The user's pictures folder with a trailing '/', or home where it does not exist.
std::string PicturesFolder();
// The chime the program ships, beside the program or in the installed data.
std::string DefaultSoundFile();

// "ImageSize": the values above 100000 in a comma-separated list; parts that
// are not integers or too small are skipped.
std::vector<int> ParseImageSizes(const std::string& text);
std::string FormatImageSizes(const std::vector<int>& sizes);

// The "Language" setting of file, read before the window exists; empty when
// the file is missing or unreadable (the window reports that when it reads
// the file).
std::string ReadLanguageSetting(const std::filesystem::path& file);

class TSettingsFile {
 public:
  // Reads the file; never throws for its content. An unreadable file is moved
  // aside (Warning() says where) and the settings are the defaults.
  explicit TSettingsFile(std::filesystem::path fileName);

  const TSettings& Loaded() const { return FLoaded; }
  // Empty when the file was read or did not exist.
  const std::string& Warning() const { return FWarning; }
  // False when an unreadable file could not be moved aside: it is left alone.
  bool Writable() const { return FIni.has_value(); }

  // Writes every key in the file's order, "No" as the current version, and
  // replaces the file atomically. Throws std::runtime_error on failure and
  // std::logic_error when the file is not writable.
  void Save(const TSettings& settings);

 private:
  void Read();
  void MoveAside(const std::string& reason);

  std::filesystem::path FFileName;
  std::optional<TIniFile> FIni;
  TSettings FLoaded;
  std::string FWarning;
};

}  // namespace vortexa
