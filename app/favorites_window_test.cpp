// The window's start and close leave a damaged favourites file as it was,
// and show what could be read of it in the favourites menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <fstream>
#include <iterator>

#include "draw_form.h"

namespace vortexa {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every enabled entry of the menu and its submenus, by its text.
void EnabledEntries(const QMenu& menu, QStringList& out) {
  for (const QAction* action : menu.actions()) {
    if (action->menu()) {
      out << action->text() + "/";
      EnabledEntries(*action->menu(), out);
    } else if (action->isEnabled() && !action->text().isEmpty()) {
      out << action->text();
    }
  }
}

// UTF-16, little endian with its byte order mark, of ASCII and kana/kanji.
std::string Utf16(const QString& text) {
  std::string out = "\xFF\xFE";
  for (const QChar c : text) {
    out += static_cast<char>(c.unicode() & 0xFF);
    out += static_cast<char>(c.unicode() >> 8);
  }
  return out;
}

TEST(FavoritesWindow, DamagedFilesComeThroughAStartAndACloseIntact) {
  const std::string japanese =
      "[Version]\nNo=120\n\n[Folder]\n-1=お気に入り,1,-2\n-2=作者おすすめ,2\n\n[Item]\n"
      "1=ゼロ,0,0,0,2,1000,0,0,0,0,0,1\n2=渦,0,-0.75,0.1,0.01,2000,1,32,0,0,4,1\n";
  std::string stray = japanese;
  stray.insert(stray.find("[Item]"), "; \x81\xFF\n");
  std::string fields13 = japanese;
  fields13.replace(fields13.find("1,-2\n"), 5, "1,-2,3\n");
  fields13 += "3=新,0,0.25,0,0.5,300,0,0,0,0,0,1,99\n";
  std::string nested = "[Folder]\n-1=お気に入り,-2\n";
  for (int depth = 1; depth <= 1200; ++depth)
    nested += std::to_string(-depth - 1) + "=f," +
              (depth < 1200 ? std::to_string(-depth - 2) : "1") + "\n";
  nested += "\n[Item]\n1=底,0,-0.1,0.651,0.02,4000,2,63,4,6,12,0\n";

  const struct {
    const char* Name;
    std::string Bytes;
    const char* Deepest;  // the last enabled favourite in the menu
  } files[] = {
      {"stray byte", stray, "渦"},
      {"UTF-16", Utf16(QString::fromStdString(japanese)), "渦"},
      {"13 fields", fields13, "渦"},
      {"1200 deep", nested, "底"},
  };
  for (const auto& file : files) {
    QTemporaryDir config;
    const fs::path own = fs::path(config.path().toStdString()) / "vortexa.fav";
    std::ofstream(own, std::ios::binary) << file.Bytes;
    {
      TDrawForm form(false, TFavoritesFiles{own, std::nullopt});
      QStringList entries;
      EnabledEntries(*form.FavoriteMenu(), entries);
      ASSERT_FALSE(entries.isEmpty()) << file.Name;
      EXPECT_EQ(entries.last().toStdString(), file.Deepest) << file.Name;
      form.close();
    }
    EXPECT_EQ(ReadBytes(own), file.Bytes) << file.Name;
  }
}

TEST(FavoritesWindow, EveryLongPressOfTheTourButtonListsEachFavouriteOnce) {
  QTemporaryDir config;
  const fs::path own = fs::path(config.path().toStdString()) / "vortexa.fav";
  std::ofstream(own, std::ios::binary)
      << "[Version]\nNo=120\n\n[Folder]\n-1=お気に入り,1,-2\n-2=作者おすすめ,2\n\n[Item]\n"
         "1=ゼロ,0,0,0,2,1000,0,0,0,0,0,1\n2=渦,0,-0.75,0.1,0.01,2000,1,32,0,0,4,1\n";
  TDrawForm form(false, TFavoritesFiles{own, std::nullopt});
  for (int press = 0; press < 2; ++press) {
    form.btTour->setDown(true);
    form.btTourPressed();
    form.TimerTimer();
    form.PopupMenu->hide();
  }
  const QList<QAction*> entries = form.PopupMenu->actions();
  ASSERT_EQ(entries.size(), 4);
  EXPECT_EQ(entries[0]->text(), "ランダムツアー");
  EXPECT_TRUE(entries[1]->isSeparator());
  EXPECT_EQ(entries[2]->text(), "ゼロ");
  ASSERT_NE(entries[3]->menu(), nullptr);
  QStringList folder;
  EnabledEntries(*entries[3]->menu(), folder);
  EXPECT_EQ(folder, QStringList{"渦"});
  form.close();
}

}  // namespace
}  // namespace vortexa
