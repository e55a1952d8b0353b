#include "ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "test_files.h"
#include "text_encoding.h"
#include "whole_file.h"

namespace vortexa {
namespace {

namespace fs = std::filesystem;
using test_files::ReadBytes;
using test_files::TTempFolder;
using test_files::WriteBytes;

TEST(IniFile, MissingFileIsAnEmptyDocument) {
  TTempFolder folder;
  const TIniFile ini(folder / "none.ini");
  EXPECT_TRUE(ini.ReadSections().empty());
  EXPECT_EQ(ini.ReadString("A", "b", "fallback"), "fallback");
  EXPECT_EQ(ini.ReadInteger("A", "b", 7), 7);
}

TEST(IniFile, UnknownSectionsKeysAndOtherLinesSurviveARewriteInTheirOrder) {
  TTempFolder folder;
  WriteBytes(folder / "a.ini",
             "; a comment\r\n"
             "[Window]\r\nLeft = 10\r\n  stray text \r\nTop=20\r\n\r\n"
             "[Main]\r\nLimit=1000\r\n;; note \xFF\r\nColor=2\r\nlimit=7\r\n"
             "[Plugins]\r\nfoo=bar=baz\r\n");
  TIniFile ini(folder / "a.ini");
  ini.WriteInteger("main", "LIMIT", 4000);
  ini.WriteString("Main", "New", "x y");
  ini.WriteString("Extra", "k", "v");
  ini.UpdateFile();
  EXPECT_EQ(ReadBytes(folder / "a.ini"),
            "; a comment\n"
            "[Window]\nLeft=10\n  stray text \nTop=20\n\n"
            "[Main]\nLimit=4000\n;; note \xFF\nColor=2\nlimit=7\nNew=x y\n\n"
            "[Plugins]\nfoo=bar=baz\n\n"
            "[Extra]\nk=v\n\n");
  EXPECT_EQ(ini.ReadSection("Main"), (std::vector<std::string>{"Limit", "Color", "New"}));
}

TEST(IniFile, ReadsValuesByCaseInsensitiveNames) {
  TTempFolder folder;
  WriteBytes(folder / "a.ini", "[Version]\nNo=110\nText= spaced out \nBad=12x\nNo=999\n");
  const TIniFile ini(folder / "a.ini");
  EXPECT_EQ(ini.ReadInteger("VERSION", "no", 120), 110);  // the first of duplicates
  EXPECT_EQ(ini.ReadString("version", "TEXT", ""), "spaced out");
  EXPECT_EQ(ini.ReadInteger("Version", "Bad", 5), 5);
  EXPECT_TRUE(ini.SectionExists("version"));
  EXPECT_TRUE(ini.ValueExists("Version", "bad"));
  EXPECT_FALSE(ini.ValueExists("Version", "none"));
  EXPECT_EQ(ini.ReadSection("Version"), (std::vector<std::string>{"No", "Text", "Bad"}));
}

TEST(IniFile, EraseSectionAndDeleteKey) {
  TTempFolder folder;
  WriteBytes(folder / "a.ini", "[A]\nx=1\ny=2\n[B]\nz=3\n");
  TIniFile ini(folder / "a.ini");
  ini.DeleteKey("a", "X");
  ini.EraseSection("b");
  EXPECT_EQ(ini.Text(), "[A]\ny=2\n\n");
}

TEST(IniFile, RefusesEntriesThatWouldBreakTheLineStructure) {
  TTempFolder folder;
  TIniFile ini(folder / "a.ini");
  EXPECT_THROW(ini.WriteString("A", "k", "two\nlines"), std::invalid_argument);
  EXPECT_THROW(ini.WriteString("A", "k=v", "x"), std::invalid_argument);
  EXPECT_EQ(ini.Text(), "");
}

TEST(IniFile, ALoneCarriageReturnInsideALineIsWrittenBackAsItWasRead) {
  TTempFolder folder;
  const std::string bytes = "[Item]\n1=a\rb,0\n\n";
  WriteBytes(folder / "a.ini", bytes);
  TIniFile ini(folder / "a.ini");
  ini.WriteString("Item", "2", ini.ReadString("Item", "1", ""));
  ini.UpdateFile();
  EXPECT_EQ(ReadBytes(folder / "a.ini"), "[Item]\n1=a\rb,0\n2=a\rb,0\n\n");
}

TEST(IniFile, UnreadableFileThrows) {
  TTempFolder folder;
  fs::create_directory(folder / "a.ini");
  EXPECT_THROW(TIniFile(folder / "a.ini"), std::runtime_error);
}

TEST(IniFile, ShiftJisFileIsReadAsCodePage932) {
  TTempFolder folder;
  // "[Folder]", "-1=お気に入り,1" and "-2=作者おすすめ～" in code page 932.
  WriteBytes(folder / "old.fav",
             "[Folder]\r\n-1=\x82\xa8\x8b\x43\x82\xc9\x93\xfc\x82\xe8,1\r\n"
             "-2=\x8d\xec\x8e\xd2\x82\xa8\x82\xb7\x82\xb7\x82\xdf\x81\x60\r\n");
  const TIniFile ini(folder / "old.fav");
  EXPECT_EQ(ini.ReadString("Folder", "-1", ""), "お気に入り,1");
  EXPECT_EQ(ini.ReadString("Folder", "-2", ""), "作者おすすめ～");
}

TEST(IniFile, Utf8ByteOrderMarkIsSkipped) {
  TTempFolder folder;
  // Also after blank lines, which are not written back.
  for (const char* bytes :
       {"\xEF\xBB\xBF[Folder]\n-2=渦\n", "\r\n \xEF\xBB\xBF[Folder]\n-2=渦\n"}) {
    WriteBytes(folder / "a.ini", bytes);
    EXPECT_EQ(TIniFile(folder / "a.ini").ReadString("Folder", "-2", ""), "渦") << bytes;
  }
}

TEST(TextEncoding, Utf8Validity) {
  EXPECT_TRUE(IsValidUtf8("plain ascii"));
  EXPECT_TRUE(IsValidUtf8("お気に入り 𝔐"));
  EXPECT_FALSE(IsValidUtf8("\x82\xa8"));          // Shift-JIS
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xE3\x81"));          // cut short
}

// One stray byte spoils its own line only: "渦" in UTF-8 (whose bytes read
// as two other characters in code page 932), "あ" in code page 932, then a
// line valid in neither, which stays as it was.
TEST(TextEncoding, EachLineIsDecodedOnItsOwn) {
  EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF\xE6\xB8\xA6\n\x82\xa0\r\na\x82\xa0\xFF"
                           "b\n\x82"),
            "\xE6\xB8\xA6\n\xE3\x81\x82\r\na\x82\xa0\xFF"
            "b\n\x82");
}

// A literal with its NUL bytes.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

TEST(TextEncoding, Utf16IsRecognisedByItsByteOrderMark) {
  // "[A]\n渦=1" (U+6E26) in both byte orders.
  EXPECT_EQ(DecodeTextFile(Bytes("\xFF\xFE[\0A\0]\0\n\0\x26\x6E=\0"
                                 "1\0")),
            "[A]\n渦=1");
  EXPECT_EQ(DecodeTextFile(Bytes("\xFE\xFF\0[\0A\0]\0\n\x6E\x26\0=\0"
                                 "1")),
            "[A]\n渦=1");
}

TEST(TextEncoding, TextThatCannotBeTakenWholeThrows) {
  EXPECT_THROW(DecodeTextFile(Bytes("\xFF\xFE[\0A")), std::runtime_error);         // odd length
  EXPECT_THROW(DecodeTextFile(Bytes("\xFF\xFE\x00\xD8=\0")), std::runtime_error);  // lone surrogate
  EXPECT_THROW(DecodeTextFile(Bytes("[\0A\0]\0")), std::runtime_error);  // UTF-16 without its mark
  EXPECT_THROW(DecodeTextFile(Bytes("\xFF\xFE\0\0[\0\0\0")), std::runtime_error);  // UTF-32
}

TEST(IniFile, UpdateFileReplacesTheTargetAndKeepsItsPermissions) {
  TTempFolder folder;
  const fs::path file = folder / "a.ini";
  WriteBytes(file, "[A]\nx=1\n");
  chmod(file.c_str(), 0640);
  TIniFile ini(file);
  ini.WriteString("A", "x", "2");
  ini.UpdateFile();
  EXPECT_EQ(ReadBytes(file), "[A]\nx=2\n\n");
  EXPECT_EQ(fs::status(file).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);
}

TEST(IniFile, UpdateFileWritesThroughASymbolicLink) {
  TTempFolder folder;
  WriteBytes(folder / "real.ini", "[A]\nx=1\n");
  fs::create_symlink("real.ini", folder / "link.ini");
  TIniFile ini(folder / "link.ini");
  ini.WriteString("A", "x", "2");
  ini.UpdateFile();
  EXPECT_TRUE(fs::is_symlink(folder / "link.ini"));
  EXPECT_EQ(ReadBytes(folder / "real.ini"), "[A]\nx=2\n\n");

  // Only a regular file is written through a link: a pipe or device stays.
  for (const fs::path& odd : {folder / "pipe", fs::path("/dev/null")}) {
    fs::remove(folder / "odd.ini");
    fs::create_symlink(odd, folder / "odd.ini");
    if (!fs::exists(odd)) ASSERT_EQ(mkfifo(odd.c_str(), 0600), 0);
    const fs::file_type type = fs::status(odd).type();
    EXPECT_THROW(TIniFile{folder / "odd.ini"}, std::runtime_error) << odd;
    EXPECT_THROW(WriteFileWhole(folder / "odd.ini", "[A]\n"), std::runtime_error) << odd;
    EXPECT_TRUE(fs::is_symlink(folder / "odd.ini"));
    EXPECT_EQ(fs::status(odd).type(), type);
  }
}

TEST(IniFile, FailedWriteThrowsAndLeavesNothingBehind) {
  TTempFolder folder;
  TIniFile blocked(folder / "taken.ini");
  blocked.WriteString("A", "x", "1");
  fs::create_directory(folder / "taken.ini");  // a folder where the file should go
  EXPECT_THROW(blocked.UpdateFile(), std::runtime_error);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);

  TIniFile nowhere(folder / "missing" / "a.ini");
  nowhere.WriteString("A", "x", "1");
  EXPECT_THROW(nowhere.UpdateFile(), std::runtime_error);
}

}  // namespace
}  // namespace vortexa
