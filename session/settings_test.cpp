#include "settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QByteArray>

#include "favorites/test_files.h"

namespace vortexa {
namespace {

namespace fs = std::filesystem;
using test_files::ReadBytes;
using test_files::TTempFolder;
using test_files::WriteBytes;

TEST(Settings, FirstStartHasTheDefaultsAndTheCloseWritesEveryKeyInOrder) {
  TTempFolder folder;
  const fs::path file = folder / "vortexa.ini";
  TSettingsFile settings(file);
  const TSettings& loaded = settings.Loaded();
  EXPECT_TRUE(settings.Warning().empty());
  EXPECT_EQ(loaded.Version, 0);
  EXPECT_EQ((std::array{loaded.Left, loaded.Top, loaded.Width, loaded.Height}),
            (std::array{100, 100, 590, 400}));
  EXPECT_EQ(loaded.MagnifyRatio, 1);  // ４倍
  EXPECT_EQ(loaded.TourSpeed, 1);     // 中速
  EXPECT_EQ(loaded.JpegQuality, 1);   // 中
  EXPECT_EQ(loaded.MoveRatio, 0);     // 1/4画面
  EXPECT_EQ(loaded.SaveDir.back(), '/');
  EXPECT_TRUE(loaded.ImageSizes.empty());
  EXPECT_EQ(loaded.Language, "");  // the system's locale chooses

  TSettings changed = loaded;
  changed.TourSoundFile = "/snd/a.wav";
  changed.FavoriteDir = "/fav/";
  changed.SaveDir = "/pictures/";
  changed.ImageSizes = {8000600, 6400480};
  changed.WheelAtPointer = true;
  changed.Language = "en";
  changed.SaveType = "png";
  settings.Save(changed);
  EXPECT_EQ(ReadBytes(file),
            "[Version]\nNo=120\n\n"
            "[Main]\nLeft=100\nTop=100\nWidth=590\nHeight=400\nMoveRatio=0\nMagnifyRatio=1\n"
            "AnimateRatio=1\nJPEGQuality=1\nTourSpeed=1\nTourSound=" +
                std::to_string(loaded.TourSound) +
                "\nTourSoundFile=/snd/a.wav\nFavoriteDir=/fav/\nSaveDir=/pictures/\n"
                "SaveWidth=0\nSaveHeight=0\nFSNotice=0\nOptions=0\nHue=0\n"
                "ImageSize=8000600,6400480\nWheelAtPointer=1\nLanguage=en\nSaveType=png\n\n");
  EXPECT_EQ(TSettingsFile(file).Loaded().SaveType, "png");
}

// Pictures go first to the desktop's pictures folder, or home without one.
TEST(Settings, TheFirstSaveFolderIsThePicturesFolderOrHome) {
  TTempFolder home;
  const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
  qputenv("HOME", QByteArray::fromStdString(home.Path().string()));
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((home / "config").string()));
  fs::create_directory(home / "config");
  WriteBytes(home / "config" / "user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
  EXPECT_EQ(DefaultSettings().SaveDir, home.Path().string() + "/");
  fs::create_directory(home / "Bilder");
  EXPECT_EQ(DefaultSettings().SaveDir, (home / "Bilder").string() + "/");
  qputenv("HOME", oldHome);
  qputenv("XDG_CONFIG_HOME", oldConfig);
}

TEST(Settings, ValuesRoundTripAndUnknownEntriesSurvive) {
  TTempFolder folder;
  const fs::path file = folder / "vortexa.ini";
  const fs::path sound = folder / "bell.wav";
  WriteBytes(sound, "RIFF");
  WriteBytes(file, "[Version]\nNo=120\n[Main]\nHue=12\nColor=3\n[Plugins]\nx=y\n");
  TSettings values;
  {
    TSettingsFile settings(file);
    values = settings.Loaded();
    EXPECT_EQ(values.Version, 120);
    EXPECT_EQ(values.Hue, 12);
    EXPECT_EQ(values.Language, "");  // a file from before the setting
    values.Left = -20;
    values.Width = 1000;
    values.MoveRatio = 2;
    values.MagnifyRatio = 3;
    values.TourSpeed = 3;
    values.TourSound = 0;
    values.TourSoundFile = sound.string();
    values.SaveWidth = 3840;
    values.SaveHeight = 2160;
    values.FullScreenNotice = 1;
    values.Options = 5;
    values.ImageSizes = {10240768};
    values.Language = "ja";
    settings.Save(values);
  }
  const TSettingsFile again(file);
  const TSettings& read = again.Loaded();
  EXPECT_EQ(read.Left, -20);
  EXPECT_EQ(read.Width, 1000);
  EXPECT_EQ(read.MoveRatio, 2);
  EXPECT_EQ(read.MagnifyRatio, 3);
  EXPECT_EQ(read.TourSpeed, 3);
  EXPECT_EQ(read.TourSound, 0);
  EXPECT_EQ(read.TourSoundFile, sound.string());
  EXPECT_EQ(read.SaveWidth, 3840);
  EXPECT_EQ(read.SaveHeight, 2160);
  EXPECT_EQ(read.FullScreenNotice, 1);
  EXPECT_EQ(read.Options, 5);
  EXPECT_EQ(read.ImageSizes, std::vector<int>{10240768});
  EXPECT_EQ(read.Language, "ja");
  EXPECT_EQ(ReadLanguageSetting(file), "ja");  // before the window reads the file
  const std::string text = ReadBytes(file);
  EXPECT_NE(text.find("Color=3\n"), std::string::npos);
  EXPECT_NE(text.find("[Plugins]\nx=y\n"), std::string::npos);
}

TEST(Settings, PositionsOutsideTheirSubmenusFallBackToTheDefaults) {
  TTempFolder folder;
  const fs::path file = folder / "vortexa.ini";
  WriteBytes(file,
             "[Main]\nMoveRatio=3\nMagnifyRatio=-1\nJPEGQuality=7\nTourSpeed=4\nTourSound=2\n"
             "Options=255\n");
  const TSettings read = TSettingsFile(file).Loaded();
  EXPECT_EQ(read.MoveRatio, 0);
  EXPECT_EQ(read.MagnifyRatio, 1);
  EXPECT_EQ(read.JpegQuality, 1);
  EXPECT_EQ(read.TourSpeed, 1);
  EXPECT_EQ(read.Options, 63);
}

TEST(Settings, AMissingSoundFileSwitchesTheArrivalSoundOff) {
  TTempFolder folder;
  const fs::path file = folder / "vortexa.ini";
  WriteBytes(file, "[Main]\nTourSound=0\nTourSoundFile=" + (folder / "gone.wav").string() + "\n");
  EXPECT_EQ(TSettingsFile(file).Loaded().TourSound, kTourSoundOff);
}

TEST(Settings, ImageSizesKeepFileOrderAndSkipWhatIsNoSize) {
  EXPECT_EQ(ParseImageSizes("10240768,abc,5,8000600"), (std::vector<int>{10240768, 8000600}));
  EXPECT_EQ(ParseImageSizes(""), std::vector<int>{});
  EXPECT_EQ(ParseImageSizes("100000,100001, 3200240 ,12x"), (std::vector<int>{100001, 3200240}));
  EXPECT_EQ(FormatImageSizes({6400480, 8000600}), "6400480,8000600");
}

TEST(Settings, ACorruptFileIsKeptAsACopyAndTheProgramStartsWithDefaults) {
  TTempFolder folder;
  const fs::path file = folder / "vortexa.ini";
  const std::string garbage("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
  WriteBytes(file, garbage);
  {
    TSettingsFile settings(file);
    EXPECT_FALSE(settings.Warning().empty());
    EXPECT_EQ(settings.Loaded().Width, 590);
    ASSERT_TRUE(settings.Writable());
    settings.Save(settings.Loaded());
  }
  EXPECT_EQ(ReadBytes(folder / "vortexa.ini.bad"), garbage);
  EXPECT_EQ(TSettingsFile(file).Loaded().Version, 120);

  // A second bad file does not replace the first copy.
  WriteBytes(file, "some text that is no INI file\n");
  TSettingsFile second(file);
  EXPECT_FALSE(second.Warning().empty());
  EXPECT_EQ(ReadBytes(folder / "vortexa.ini.bad"), garbage);
  EXPECT_EQ(ReadBytes(folder / "vortexa.ini.bad2"), "some text that is no INI file\n");
}

TEST(Settings, AnUnreadableFileThatCannotBeMovedIsNeverOverwritten) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  TTempFolder folder;
  const fs::path file = folder / "vortexa.ini";
  WriteBytes(file, "[Main]\nWidth=800\n");
  chmod(file.c_str(), 0);
  chmod(folder.Path().c_str(), 0500);  // the folder forbids the rename
  TSettingsFile settings(file);
  chmod(folder.Path().c_str(), 0700);
  chmod(file.c_str(), 0600);
  EXPECT_FALSE(settings.Warning().empty());
  EXPECT_FALSE(settings.Writable());
  EXPECT_THROW(settings.Save(settings.Loaded()), std::logic_error);
  EXPECT_EQ(ReadBytes(file), "[Main]\nWidth=800\n");
}

}  // namespace
}  // namespace vortexa
