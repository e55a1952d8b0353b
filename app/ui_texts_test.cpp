#include "app/ui_texts.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <functional>
#include <map>

#include "app/draw_form.h"
#include "app/exprs_form.h"
#include "app/fav_form.h"
#include "app/form_parts.h"
#include "app/info_form.h"
#include "app/size_form.h"
#include "app/wallpaper.h"
#include "favorites/fav_files.h"
#include "render/canvas.h"
#include "session/finished_grid.h"
#include "session/language.h"
#include "session/session.h"

namespace vortexa {
namespace {

TEST(UiTexts, JapaneseIsToldFromTheMarksEnglishUses) {
  for (const char* japanese : {"お", "カ", "字", "：", "　", "（", "ｱ"})
    EXPECT_TRUE(HasJapanese(QString::fromUtf8(japanese))) << japanese;
  for (const char* other : {"Close", "×", "→", "–", "•", "\u2003", "é", ""})
    EXPECT_FALSE(HasJapanese(QString::fromUtf8(other))) << other;
}

// One widget of each kind, each showing its own Japanese text somewhere.
TEST(UiTexts, EveryKindOfTextIsWalked) {
  QMenu loose;
  QDialog window;
  const std::function<void(QWidget&, const QString&)> kinds[] = {
      [](QWidget& w, const QString& t) { w.setWindowTitle(t); },
      [](QWidget& w, const QString& t) { new QLabel(t, &w); },
      [](QWidget& w, const QString& t) { new QPushButton(t, &w); },
      [](QWidget& w, const QString& t) { new QCheckBox(t, &w); },
      [](QWidget& w, const QString& t) { new QRadioButton(t, &w); },
      [](QWidget& w, const QString& t) { new QGroupBox(t, &w); },
      [](QWidget& w, const QString& t) { (new QLineEdit(&w))->setToolTip(t); },
      [](QWidget& w, const QString& t) { (new QLineEdit(&w))->setStatusTip(t); },
      [](QWidget& w, const QString& t) { (new QLineEdit(&w))->setPlaceholderText(t); },
      [](QWidget& w, const QString& t) {
        (new QComboBox(&w))->addItems({"a", t});
      },
      [](QWidget& w, const QString& t) { (new QListWidget(&w))->addItem(t); },
      [](QWidget& w, const QString& t) {
        (new QTreeWidget(&w))->setHeaderLabels({"a", t});
      },
      [](QWidget& w, const QString& t) { w.addAction(t); },
      [](QWidget& w, const QString& t) { w.addAction("a")->setStatusTip(t); },
      [](QWidget& w, const QString& t) { (new QMenu(&w))->addAction(t); },
      // A menu owned by no widget, reached through its action only.
      [&loose](QWidget& w, const QString& t) {
        loose.setTitle(t);
        w.addAction(loose.menuAction());
      },
  };
  QStringList planted;
  for (const auto& plant : kinds) {
    planted << QString("字%1").arg(planted.size());
    plant(window, planted.back());
  }
  const QString found = JapaneseTexts(&window).join('\n');
  for (const QString& text : planted)
    EXPECT_TRUE(found.contains(text + "\n") || found.endsWith(text)) << text.toStdString();
}

// The sub-windows built in the English interface.
class EnglishInterfaceTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(InstallTranslations(TLanguage::English), ""); }
  void TearDown() override { InstallTranslations(TLanguage::Japanese); }

  static void ExpectNoJapanese(const QWidget& window) {
    const QStringList found = JapaneseTexts(&window);
    EXPECT_TRUE(found.isEmpty()) << found.join('\n').toStdString();
  }
};

TEST_F(EnglishInterfaceTest, FavouritesWindowInBothModes) {
  TMBList favorites;
  TFavTree tree(favorites);
  TMBItem& whole = *favorites.GetItem(favorites.AddNew());
  whole.Name = "全景";
  tree.Root().AddFolder(std::string(kRecommendedFolderName)).AddItem(whole);
  TFavForm form(favorites);
  QStringList questions;
  form.Ask = [&](const QString& text, QMessageBox::StandardButtons) {
    questions << text;
    return QMessageBox::No;
  };
  for (int mode : {TFavForm::kAddMode, TFavForm::kOrganiseMode}) {
    form.SetMode(mode);
    form.BuildTree(tree.Root());
    ExpectNoJapanese(form);
  }
  // The recommended views show English names and keep their own in the tree.
  QTreeWidgetItem* folder = form.Root()->child(0);
  EXPECT_EQ(form.Root()->text(0).toStdString(), "Favourites");
  EXPECT_EQ(folder->text(0).toStdString(), "Author's picks");
  EXPECT_EQ(folder->child(0)->text(0).toStdString(), "Whole set");
  form.tvFolder->setCurrentItem(folder);
  form.btDelClick();
  EXPECT_EQ(questions.join('\n').toStdString(),
            "Delete \"Author's picks\" and all the favourites in it?");
  folder->child(0)->setText(0, "My whole set");
  form.ApplyTo(tree);
  const TFavNode& kept = *tree.Root().Children().front();
  EXPECT_EQ(kept.Text, kRecommendedFolderName);
  EXPECT_EQ(kept.Children().front()->Text, "My whole set");
}

TEST_F(EnglishInterfaceTest, StatisticsWindowWithItsDotInspector) {
  TNullCanvas canvas;
  TCalcGrid grid;
  TDrawGrid drawGrid(grid, canvas);
  drawGrid.SetSize(8, 8);
  grid.SetDot(0, 0, 5);
  grid.SetDot(0, 1, kDotPredicted);
  const TFinishedGrid finished(grid, drawGrid);
  TInfoForm form;
  form.Bind(&finished);
  form.UpdateStats(1000);
  form.btDot->setChecked(true);
  for (int x : {0, 1, 2}) {
    form.ShowDot(x, 0, TDeepReal(), TDeepReal());
    ExpectNoJapanese(form);
  }
}

TEST_F(EnglishInterfaceTest, FormulaWindowInBothModes) {
  TNullCanvas canvas;
  TSession session(canvas, canvas);
  TExprsForm form(session);
  ExpectNoJapanese(form);
  form.rbJulia->setChecked(true);
  ExpectNoJapanese(form);
}

TEST_F(EnglishInterfaceTest, SizeWindowWithItsPresets) {
  QMenu sizeMenu;
  sizeMenu.addAction("640×480")->setData(6400480);
  TSizeForm form(nullptr);
  QString message;
  form.ShowMessage = [&](const QString& text) { message = text; };
  form.Prepare(0, 0, 800, 600, &sizeMenu);
  ExpectNoJapanese(form);
  form.btOKClick();
  EXPECT_FALSE(message.isEmpty());
  EXPECT_FALSE(HasJapanese(message)) << message.toStdString();
}

// The main window in both states of its draw button, with the recommended
// views in its favourites menu. Each language's own name in the language
// menu stays as it is written.
TEST_F(EnglishInterfaceTest, MainWindowWithItsMenusAndStatusBar) {
  QTemporaryDir config;
  TDrawForm form(true, {std::filesystem::path(config.path().toStdString()) / "vortexa.fav",
                        VORTEXA_RECOMMENDED_FILE});
  EXPECT_EQ(form.mnFile->title().toStdString(), "&File");
  EXPECT_FALSE(form.mnFavorite->actions().isEmpty());
  // The caption, and its icon text without the "&".
  const QString ownName = QString::fromUtf8("QMenu : 日本語(");
  for (bool enabled : {false, true}) {
    form.EnableControls(enabled);
    QStringList found = JapaneseTexts(&form);
    found.removeIf([&](const QString& text) { return text.startsWith(ownName); });
    EXPECT_TRUE(found.isEmpty()) << found.join('\n').toStdString();
  }
  for (int panel = 0; panel < TStatusPanels::kPanelCount; ++panel)
    EXPECT_FALSE(HasJapanese(form.StatusText(panel))) << form.StatusText(panel).toStdString();
}

// The letter an "&" marks in a caption ("&&" is an ampersand), or none.
QChar Mnemonic(const QString& caption) {
  for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] != '&') return caption[i + 1].toLower();
    ++i;
  }
  return {};
}

// No two entries of one English menu answer the same letter: a shared letter
// only moves between them and runs neither.
TEST_F(EnglishInterfaceTest, EachMenusLettersAreItsOwn) {
  QTemporaryDir config;
  TDrawForm form(true, {std::filesystem::path(config.path().toStdString()) / "vortexa.fav",
                        VORTEXA_RECOMMENDED_FILE});
  QList<QWidget*> menus{form.menuBar()};
  for (QMenu* menu : form.findChildren<QMenu*>())
    menus << menu;
  for (const QWidget* menu : menus) {
    std::map<QChar, QString> taken;
    for (const QAction* action : menu->actions()) {
      const QChar letter = Mnemonic(action->text());
      if (letter.isNull()) continue;
      const auto [first, added] = taken.emplace(letter, action->text());
      EXPECT_TRUE(added) << action->text().toStdString() << " and " << first->second.toStdString()
                         << " share a letter";
    }
  }
}

TEST_F(EnglishInterfaceTest, MessagesFromBelowTheWindows) {
  try {
    ApplyWallpaper(TDesktop::Unsupported, "picture.png");
    ADD_FAILURE() << "an unsupported desktop was accepted";
  } catch (const std::runtime_error& error) {
    EXPECT_FALSE(HasJapanese(QString::fromUtf8(error.what()))) << error.what();
  }
}

}  // namespace
}  // namespace vortexa
