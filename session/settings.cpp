#include "settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "favorites/comma_text.h"
#include "favorites/fav_files.h"

namespace vortexa {

namespace fs = std::filesystem;

namespace {

constexpr const char* kVersionSection = "Version";
constexpr const char* kMainSection = "Main";
constexpr int kSmallestImageSize = 100000;
constexpr int kAllOptions = 63;  // the six restriction bits
constexpr const char* kChimeFileName = "chime.wav";
constexpr const char* kLanguageKey = "Language";  // read before the window exists too

std::string WithTrailingSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

// A submenu position read from the file; one outside the submenu is the default.
int Position(const TIniFile& ini, const char* key, int positions, int fallback) {
  const int value = ini.ReadInteger(kMainSection, key, fallback);
  return value >= 0 && value < positions ? value : fallback;
}

std::string FileBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Text a settings file never holds: NUL bytes, or content without either of
// its sections.
bool LooksCorrupt(const fs::path& file, const TIniFile& ini) {
  const std::string bytes = FileBytes(file);
  if (bytes.find('\0') != std::string::npos) return true;
  const bool blank = bytes.find_first_not_of(" \t\r\n") == std::string::npos;
  return !blank && !ini.SectionExists(kVersionSection) && !ini.SectionExists(kMainSection);
}

// The first of name.bad, name.bad2, name.bad3, ... that does not exist yet.
fs::path FreeBackupName(const fs::path& file) {
  for (int number = 1;; ++number) {
    fs::path candidate = file;
    candidate += number == 1 ? ".bad" : ".bad" + std::to_string(number);
    if (!fs::exists(candidate)) return candidate;
  }
}

}  // namespace

std::string DocumentsFolder() {
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  const std::string folder =
      documents.isEmpty()
          ? QStandardPaths::writableLocation(QStandardPaths::HomeLocation).toStdString()
          : documents.toStdString();
  return WithTrailingSlash(folder);
}

std::string PicturesFolder() {
  const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  const std::string folder =
      !pictures.isEmpty() && QDir(pictures).exists()
          ? pictures.toStdString()
          : QStandardPaths::writableLocation(QStandardPaths::HomeLocation).toStdString();
  return WithTrailingSlash(folder);
}

std::string DefaultSoundFile() {
  const std::vector<fs::path> folders = RecommendedFileFolders();
  for (const fs::path& folder : folders)
    if (fs::exists(folder / kChimeFileName)) return (folder / kChimeFileName).string();
  return (folders.back() / kChimeFileName).string();
}

TSettings DefaultSettings() {
  TSettings settings;
  settings.TourSoundFile = DefaultSoundFile();
  settings.FavoriteDir = DocumentsFolder();
  settings.SaveDir = PicturesFolder();
  return settings;
}

std::vector<int> ParseImageSizes(const std::string& text) {
  std::vector<int> sizes;
  for (const std::string& part : SplitCommaText(text)) {
    const auto first = part.find_first_not_of(' ');
    const auto last = part.find_last_not_of(' ');
    if (first == std::string::npos) continue;
    int value = -1;
    const char* end = part.data() + last + 1;
    const auto [stop, error] = std::from_chars(part.data() + first, end, value);
    if (error != std::errc() || stop != end) continue;
    if (value > kSmallestImageSize) sizes.push_back(value);
  }
  return sizes;
}

std::string FormatImageSizes(const std::vector<int>& sizes) {
  std::string text;
  for (const int size : sizes) {
    if (!text.empty()) text += ',';
    text += std::to_string(size);
  }
  return text;
}

std::string ReadLanguageSetting(const fs::path& file) {
  try {
    return TIniFile(file).ReadString(kMainSection, kLanguageKey, "");
  } catch (const std::runtime_error&) {
    return {};
  }
}

TSettingsFile::TSettingsFile(fs::path fileName) : FFileName(std::move(fileName)) {
  FLoaded = DefaultSettings();
  Read();
}

void TSettingsFile::Read() {
  try {
    FIni.emplace(FFileName);
  } catch (const std::runtime_error& error) {
    MoveAside(error.what());
    return;
  }
  if (LooksCorrupt(FFileName, *FIni)) {
    MoveAside("it is not a settings file");
    return;
  }
  const TIniFile& ini = *FIni;
  TSettings& s = FLoaded;
  const auto integer = [&ini](const char* key, int fallback) {
    return ini.ReadInteger(kMainSection, key, fallback);
  };
  const auto text = [&ini](const char* key, const std::string& fallback) {
    return ini.ReadString(kMainSection, key, fallback);
  };
  s.Version = ini.ReadInteger(kVersionSection, "No", 0);
  s.Width = integer("Width", s.Width);
  s.Height = integer("Height", s.Height);
  s.Top = integer("Top", s.Top);
  s.Left = integer("Left", s.Left);
  s.MoveRatio = Position(ini, "MoveRatio", kMoveRatioPositions, s.MoveRatio);
  s.MagnifyRatio = Position(ini, "MagnifyRatio", kMagnifyRatioPositions, s.MagnifyRatio);
  s.JpegQuality = Position(ini, "JPEGQuality", kJpegQualityPositions, s.JpegQuality);
  s.TourSpeed = Position(ini, "TourSpeed", kTourSpeedPositions, s.TourSpeed);
  s.TourSound = Position(ini, "TourSound", kTourSoundPositions, s.TourSound);
  s.TourSoundFile = text("TourSoundFile", s.TourSoundFile);
  if (!fs::exists(s.TourSoundFile)) s.TourSound = kTourSoundOff;
  s.Hue = integer("Hue", s.Hue);
  s.FavoriteDir = text("FavoriteDir", s.FavoriteDir);
  s.SaveDir = text("SaveDir", s.SaveDir);
  s.SaveWidth = integer("SaveWidth", s.SaveWidth);
  s.SaveHeight = integer("SaveHeight", s.SaveHeight);
  s.FullScreenNotice = integer("FSNotice", s.FullScreenNotice);
  s.Options = integer("Options", s.Options) & kAllOptions;
  s.ImageSizes = ParseImageSizes(text("ImageSize", ""));
  s.WheelAtPointer = integer("WheelAtPointer", 0) != 0;
  s.Language = text(kLanguageKey, s.Language);
  s.SaveType = text("SaveType", s.SaveType);
}

// The unreadable file keeps its content under another name, and the settings
// start from the defaults.
void TSettingsFile::MoveAside(const std::string& reason) {
  FIni.reset();
  const fs::path backup = FreeBackupName(FFileName);
  std::error_code ec;
  fs::rename(FFileName, backup, ec);
  const QString file = QString::fromStdString(FFileName.string());
  if (ec) {
    FWarning = QCoreApplication::translate("Settings",
                                           "設定ファイル %1 を読み込めません "
                                           "(%2)。このファイルは変更されず、設定は保存されません。")
                   .arg(file, QString::fromStdString(reason))
                   .toStdString();
    return;
  }
  FWarning = QCoreApplication::translate("Settings",
                                         "設定ファイル %1 を読み込めません (%2)。元のファイルは %3 "
                                         "として残し、初期設定で起動します。")
                 .arg(file, QString::fromStdString(reason), QString::fromStdString(backup.string()))
                 .toStdString();
  FIni.emplace(FFileName);
}

void TSettingsFile::Save(const TSettings& s) {
  if (!FIni) throw std::logic_error("the settings file was not read and is left alone");
  TIniFile& ini = *FIni;
  const auto integer = [&ini](const char* key, int value) {
    ini.WriteInteger(kMainSection, key, value);
  };
  const auto text = [&ini](const char* key, const std::string& value) {
    ini.WriteString(kMainSection, key, value);
  };
  ini.WriteInteger(kVersionSection, "No", kSettingsVersion);
  integer("Left", s.Left);
  integer("Top", s.Top);
  integer("Width", s.Width);
  integer("Height", s.Height);
  integer("MoveRatio", s.MoveRatio);
  integer("MagnifyRatio", s.MagnifyRatio);
  integer("AnimateRatio", s.AnimateRatio);
  integer("JPEGQuality", s.JpegQuality);
  integer("TourSpeed", s.TourSpeed);
  integer("TourSound", s.TourSound);
  text("TourSoundFile", s.TourSoundFile);
  text("FavoriteDir", s.FavoriteDir);
  text("SaveDir", s.SaveDir);
  integer("SaveWidth", s.SaveWidth);
  integer("SaveHeight", s.SaveHeight);
  integer("FSNotice", s.FullScreenNotice);
  integer("Options", s.Options);
  integer("Hue", s.Hue);
  text("ImageSize", FormatImageSizes(s.ImageSizes));
  integer("WheelAtPointer", s.WheelAtPointer ? 1 : 0);
  text(kLanguageKey, s.Language);
  text("SaveType", s.SaveType);
  fs::create_directories(FFileName.parent_path());
  ini.UpdateFile();
}

}  // namespace vortexa
