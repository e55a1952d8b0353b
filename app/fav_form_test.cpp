#include "fav_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include "app/draw_form.h"
#include "favorites/test_files.h"

namespace vortexa {
namespace {

using test_files::ReadBytes;
using test_files::TTempFolder;
using test_files::WriteBytes;

TMBItem& NewItem(TMBList& list, const std::string& name, bool tour) {
  TMBItem& item = *list.GetItem(list.AddNew());
  item.Name = name;
  item.Limit = 1000;
  item.Range = 1;
  item.Tour = tour ? 1 : 0;
  return item;
}

QStringList ChildTexts(const QTreeWidgetItem* node) {
  QStringList texts;
  for (int i = 0; i < node->childCount(); ++i)
    texts << node->child(i)->text(0);
  return texts;
}

QTreeWidgetItem* Child(const QTreeWidgetItem* node, const QString& text) {
  for (int i = 0; i < node->childCount(); ++i)
    if (node->child(i)->text(0) == text) return node->child(i);
  return nullptr;
}

// Root: a, b (tour), c (tour), folder F with d; folder G.
class FavFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TFavNode& root = FTree.Root();
    root.AddItem(NewItem(FList, "a", false));
    root.AddItem(NewItem(FList, "b", true));
    root.AddItem(NewItem(FList, "c", true));
    root.AddFolder("F").AddItem(NewItem(FList, "d", false));
    root.AddFolder("G");
    FForm.Ask = [this](const QString& text, QMessageBox::StandardButtons) {
      FQuestions << text;
      return FAnswers.isEmpty() ? QMessageBox::No : FAnswers.takeFirst();
    };
  }

  void Organise() {
    FForm.SetMode(TFavForm::kOrganiseMode);
    FForm.BuildTree(FTree.Root());
  }
  void Select(const QStringList& texts) {
    FForm.tvFolder->clearSelection();
    for (const QString& text : texts) {
      QTreeWidgetItem* node = Child(FForm.Root(), text);
      ASSERT_NE(node, nullptr) << text.toStdString();
      FForm.tvFolder->setCurrentItem(node, 0, QItemSelectionModel::Select);
    }
  }

  TMBList FList;
  TFavTree FTree{FList};
  TFavForm FForm{FList};
  QStringList FQuestions;
  QList<QMessageBox::StandardButton> FAnswers;
};

TEST_F(FavFormTest, TheTourBoxIsGreyForMixedMarksAndAClickMarksAll) {
  Organise();
  Select({"a", "b", "c"});
  EXPECT_TRUE(FForm.cbTour->isEnabled());
  EXPECT_EQ(FForm.cbTour->checkState(), Qt::PartiallyChecked);
  FForm.cbTour->click();
  EXPECT_EQ(FForm.cbTour->checkState(), Qt::Checked);
  for (const char* name : {"a", "b", "c"})
    EXPECT_TRUE(TFavForm::HasTourMark(Child(FForm.Root(), name))) << name;
  FForm.cbTour->click();
  EXPECT_EQ(FForm.cbTour->checkState(), Qt::Unchecked);
  EXPECT_FALSE(TFavForm::HasTourMark(Child(FForm.Root(), "b")));

  // Marks reach the records only when the tree is taken back.
  FForm.ApplyTo(FTree);
  EXPECT_FALSE(FTree.Root().Children()[1]->TourMark);

  Select({"a", "F"});
  EXPECT_FALSE(FForm.cbTour->isEnabled());
  EXPECT_FALSE(FForm.btSave->isEnabled());
}

TEST_F(FavFormTest, DeletingAsksPerNodeAndFolderQuestionsNameTheirContents) {
  Organise();
  Select({"F"});
  FAnswers = {QMessageBox::Yes};
  FForm.btDelClick();
  ASSERT_EQ(FQuestions.size(), 1);
  EXPECT_EQ(FQuestions[0], "\"F\"とフォルダ内のすべてのお気に入りを削除してよろしいですか?");
  EXPECT_EQ(ChildTexts(FForm.Root()), (QStringList{"a", "b", "c", "G"}));

  // Several: No keeps one, Yes deletes one, Yes to all deletes the rest unasked.
  FQuestions.clear();
  Select({"a", "b", "c", "G"});
  FAnswers = {QMessageBox::No, QMessageBox::Yes, QMessageBox::YesToAll};
  FForm.btDelClick();
  EXPECT_EQ(FQuestions.size(), 3);
  EXPECT_EQ(FQuestions[0], "\"a\"を削除してよろしいですか?");
  EXPECT_EQ(ChildTexts(FForm.Root()), (QStringList{"a"}));
}

TEST_F(FavFormTest, NoToAllStopsDeleting) {
  Organise();
  Select({"a", "b", "c"});
  FAnswers = {QMessageBox::Yes, QMessageBox::NoToAll};
  FForm.btDelClick();
  EXPECT_EQ(FQuestions.size(), 2);
  EXPECT_EQ(ChildTexts(FForm.Root()), (QStringList{"b", "c", "F", "G"}));
}

TEST_F(FavFormTest, DropsPlaceNodesBeforeAFavouriteOrLastInAFolder) {
  Organise();
  Select({"c", "a"});
  ASSERT_TRUE(FForm.MoveSelection(Child(FForm.Root(), "F")->child(0)));
  // Both before d, in their tree order, keeping their marks.
  QTreeWidgetItem* folder = Child(FForm.Root(), "F");
  EXPECT_EQ(ChildTexts(folder), (QStringList{"a", "c", "d"}));
  EXPECT_TRUE(TFavForm::HasTourMark(folder->child(1)));

  FForm.tvFolder->clearSelection();
  folder->setSelected(true);
  ASSERT_TRUE(FForm.MoveSelection(Child(FForm.Root(), "G")));
  EXPECT_EQ(ChildTexts(Child(FForm.Root(), "G")), (QStringList{"F"}));
  EXPECT_EQ(ChildTexts(FForm.Root()), (QStringList{"b", "G"}));
}

TEST_F(FavFormTest, AFolderCannotGoIntoItselfOrBelowItselfNorTheRootAnywhere) {
  Organise();
  QTreeWidgetItem* f = Child(FForm.Root(), "F");
  Select({"F"});
  FForm.btNewClick();
  QTreeWidgetItem* inner = f->child(1);
  ASSERT_EQ(inner->text(0), "新規フォルダ");
  Select({"F"});
  EXPECT_FALSE(FForm.MoveSelection(f));
  EXPECT_FALSE(FForm.MoveSelection(inner));
  EXPECT_FALSE(FForm.MoveSelection(f->child(0)));
  FForm.tvFolder->clearSelection();
  FForm.Root()->setSelected(true);
  EXPECT_FALSE(FForm.MoveSelection(Child(FForm.Root(), "G")));
}

TEST_F(FavFormTest, AddModeShowsFoldersAndRenamesOnlyNewOnes) {
  FForm.SetMode(TFavForm::kAddMode);
  FForm.BuildTree(FTree.Root());
  EXPECT_TRUE(Child(FForm.Root(), "a")->isHidden());
  EXPECT_FALSE(Child(FForm.Root(), "F")->isHidden());
  EXPECT_EQ(FForm.cbxFolder->count(), 3);  // root, F, G
  EXPECT_FALSE(Child(FForm.Root(), "F")->flags() & Qt::ItemIsEditable);

  // A new folder under F: editable, and listed right after F in the combo.
  FForm.cbxFolder->setCurrentIndex(1);
  FForm.cbxFolderClick();
  FForm.btNewClick();
  QTreeWidgetItem* made = Child(FForm.Root(), "F")->child(1);
  EXPECT_TRUE(made->flags() & Qt::ItemIsEditable);
  EXPECT_EQ(FForm.cbxFolder->itemText(2), "新規フォルダ");
  EXPECT_EQ(FForm.cbxFolder->currentIndex(), 2);
  made->setText(0, "H");
  EXPECT_EQ(FForm.cbxFolder->itemText(2), "H");

  // The new favourite goes into it; the hidden favourites stay in the tree.
  TMBItem& item = NewItem(FList, "e", true);
  FForm.AddFavorite(item);
  FForm.ApplyTo(FTree);
  const TFavNode& f = *FTree.Root().Children()[3];
  ASSERT_EQ(f.Children().size(), 2u);
  EXPECT_EQ(f.Children()[1]->Text, "H");
  EXPECT_EQ(f.Children()[1]->Children()[0]->Item(), &item);
  EXPECT_EQ(FTree.Root().Children().size(), 5u);
}

TEST_F(FavFormTest, ASavedSubfolderLoadsBackAsANewFolderWithoutAsking) {
  TTempFolder folder;
  Organise();
  Select({"F"});
  FForm.ChooseFile = [&folder](bool) { return QString::fromStdString((folder / "f").string()); };
  FForm.btSaveClick();
  const std::string text = ReadBytes(folder / "f.fav");
  EXPECT_EQ(text.find("-1="), std::string::npos);
  EXPECT_NE(text.find("-2=F,1"), std::string::npos);
  EXPECT_EQ(FForm.FFolderDir, folder.Path());

  FForm.ChooseFile = [&folder](bool) {
    return QString::fromStdString((folder / "f.fav").string());
  };
  FForm.btLoadClick();
  EXPECT_TRUE(FQuestions.isEmpty());
  EXPECT_EQ(ChildTexts(FForm.Root()), (QStringList{"a", "b", "c", "F", "G", "F"}));
  EXPECT_EQ(ChildTexts(FForm.Root()->child(5)), QStringList{"d"});
}

TEST_F(FavFormTest, SavingNeedsExactlyOneFolder) {
  Organise();
  Select({"a"});
  bool asked = false;
  FForm.ChooseFile = [&asked](bool) {
    asked = true;
    return QString();
  };
  // The message box is closed as soon as it shows.
  QTimer::singleShot(0, [] {
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  FForm.btSaveClick();
  EXPECT_FALSE(asked);
}

// ---- with the main window ----

class FavMenuTest : public ::testing::Test {
 protected:
  std::filesystem::path OwnFile() const { return FFolder / "own.fav"; }
  std::unique_ptr<TDrawForm> StartForm() {
    return std::make_unique<TDrawForm>(false, TFavoritesFiles{OwnFile(), std::nullopt});
  }
  // Runs `act` on the favourites window once it is open, then closes it.
  static void WhenOpen(TDrawForm& form, std::function<void(TFavForm&)> act) {
    QTimer::singleShot(0, [&form, act] { act(*form.FavForm()); });
  }
  TTempFolder FFolder;
};

TEST_F(FavMenuTest, AnAddedViewIsInTheFileAfterClosingAndInTheMenuAfterRestarting) {
  {
    auto form = StartForm();
    WhenOpen(*form, [](TFavForm& dialog) {
      dialog.edName->setText("新しい渦");
      dialog.accept();
    });
    form->mnAddClick();
    form->close();
  }
  EXPECT_NE(ReadBytes(OwnFile()).find("新しい渦"), std::string::npos);
  auto form = StartForm();
  const QList<QAction*> entries = form->FavoriteMenu()->actions();
  ASSERT_EQ(entries.size(), 9);
  EXPECT_EQ(entries[8]->text(), "新しい渦");
}

TEST_F(FavMenuTest, EveryAddStartsAtTheSelectedName) {
  auto form = StartForm();
  QStringList focused;
  const auto note = [&](TFavForm& dialog) {
    focused << (dialog.focusWidget() == dialog.edName ? dialog.edName->selectedText()
                                                      : QString("elsewhere"));
    dialog.btOK->setFocus();  // where a user may leave it
    dialog.reject();
  };
  WhenOpen(*form, note);
  form->mnAddClick();
  WhenOpen(*form, [](TFavForm& dialog) { dialog.reject(); });
  form->mnModifyClick();
  WhenOpen(*form, note);
  form->mnAddClick();
  const QString name = QString("(%1, %2)").arg(form->edX->text(), form->edY->text());
  EXPECT_EQ(focused, (QStringList{name, name}));
}

TEST_F(FavMenuTest, LinesKeptUnreadAndNamesThatAreNotUtf8SurviveTheDialog) {
  const std::string damaged[] = {
      "新,0,0.25,0,0.5,300,0,0,0,0,0,1,99",      // thirteen fields
      "x\x81\xFFx,0,0.3,0,0.5,300,0,0,0,0,0,0",  // valid neither as UTF-8 nor as Shift-JIS
      "切れ,0,0.3,0.1,0.0",                      // cut off with the file
  };
  WriteBytes(OwnFile(), "[Version]\nNo=120\n\n[Folder]\n-1=お気に入り,1,2,3\n\n[Item]\n1=" +
                            damaged[0] + "\n2=" + damaged[1] + "\n3=" + damaged[2]);
  for (const bool organise : {false, true}) {
    auto form = StartForm();
    WhenOpen(*form, [](TFavForm& dialog) {
      dialog.btNewClick();  // in either mode a change that is written
      dialog.accept();
    });
    organise ? form->mnModifyClick() : form->mnAddClick();
    form->close();
    const std::string written = ReadBytes(OwnFile());
    for (const std::string& line : damaged)
      EXPECT_NE(written.find("=" + line + "\n"), std::string::npos) << line << " in\n" << written;
  }
}

TEST(FavFileDialogTest, SavingAddsTheSuffixBeforeAskingAboutOverwriting) {
  const auto save = FavoritesFileDialog(nullptr, true, "/tmp");
  EXPECT_EQ(save->acceptMode(), QFileDialog::AcceptSave);
  EXPECT_EQ(save->defaultSuffix(), "fav");
  EXPECT_EQ(FavoritesFileDialog(nullptr, false, "/tmp")->acceptMode(), QFileDialog::AcceptOpen);
}

TEST_F(FavMenuTest, CancelAfterLoadingAWholeTreeLeavesTheMenuUnchanged) {
  WriteBytes(FFolder / "whole.fav",
             "[Version]\nNo=120\n\n[Folder]\n-1=お気に入り,1,2\n\n[Item]\n"
             "1=x,0,0,0,2,1000,0,0,0,0,0,1\n2=y,0,0,0,1,1000,0,0,0,0,0,1\n\n");
  WriteBytes(OwnFile(),
             "[Version]\nNo=120\n\n[Folder]\n-1=お気に入り,1\n\n[Item]\n"
             "1=z,0,0,0,2,1000,0,0,0,0,0,1\n\n");
  auto form = StartForm();
  ASSERT_EQ(form->FavoriteMenu()->actions().size(), 9);
  WhenOpen(*form, [this](TFavForm& dialog) {
    dialog.ChooseFile = [this](bool) {
      return QString::fromStdString((FFolder / "whole.fav").string());
    };
    dialog.Ask = [](const QString&, QMessageBox::StandardButtons) { return QMessageBox::Yes; };
    dialog.btLoadClick();
    EXPECT_EQ(ChildTexts(dialog.Root()), (QStringList{"x", "y"}));
    dialog.reject();
  });
  form->mnModifyClick();
  const QList<QAction*> entries = form->FavoriteMenu()->actions();
  ASSERT_EQ(entries.size(), 9);
  EXPECT_EQ(entries[8]->text(), "z");

  // With OK the loaded tree replaces the menu.
  WhenOpen(*form, [](TFavForm& dialog) {
    dialog.btLoadClick();
    dialog.accept();
  });
  form->mnModifyClick();
  ASSERT_EQ(form->FavoriteMenu()->actions().size(), 10);
  EXPECT_EQ(form->FavoriteMenu()->actions()[9]->text(), "y");
  EXPECT_EQ(form->FavoriteDir(), FFolder.Path());
}

TEST_F(FavMenuTest, AFolderWithThirtyOneEntriesScrollsAndKeepsThemAll) {
  std::string folder = "-2=長い";
  std::string items;
  // Appended piece by piece: chained operator+ draws GCC 12's false -Wrestrict alarm.
  for (int i = 1; i <= 31; ++i) {
    const std::string number = std::to_string(i);
    folder.append(",").append(number);
    items.append(number).append("=v").append(number).append(",0,0,0,2,1000,0,0,0,0,0,1\n");
  }
  std::string file = "[Version]\nNo=120\n\n[Folder]\n-1=お気に入り,-2\n";
  file.append(folder).append("\n\n[Item]\n").append(items).append("\n");
  WriteBytes(OwnFile(), file);
  auto form = StartForm();
  QMenu* longFolder = form->FavoriteMenu()->actions()[8]->menu();
  ASSERT_NE(longFolder, nullptr);
  ASSERT_EQ(longFolder->actions().size(), 31);
  EXPECT_EQ(longFolder->actions()[30]->text(), "v31");
  EXPECT_TRUE(longFolder->style()->styleHint(QStyle::SH_Menu_Scrollable, nullptr, longFolder));

  // The tour menu copies the favourites in the same way.
  emit form->FavoriteMenu()->aboutToShow();
  QMenu* tourFolder = form->mnDest->actions()[0]->menu();
  ASSERT_NE(tourFolder, nullptr);
  EXPECT_EQ(tourFolder->actions().size(), 31);
  EXPECT_TRUE(tourFolder->style()->styleHint(QStyle::SH_Menu_Scrollable, nullptr, tourFolder));
  EXPECT_EQ(form->TourCandidates().size(), 31u);
}

TEST_F(FavMenuTest, ATourShowsTheArrivalPanelAndEnterStopsIt) {
  auto form = StartForm();
  form->resize(300, 330);
  form->show();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return form->Session().History().Count() >= 1 && !form->Session().Busy(); }, 30000));
  form->SetTourSound(1);
  // A name wider than the panel widens it.
  const TMBItem here = form->Session().StoreView("とても長い名前のお気に入りの行き先です");
  bool arrived = false, buttonSwapped = false;
  int panelWidth = 0, labelWidth = 0;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (arrived || !form->ArrivePanel->isVisible()) return;
    arrived = true;
    panelWidth = form->ArrivePanel->width();
    labelWidth = form->lbDestName->width();
    buttonSwapped = form->btTour->isHidden() && form->imTour->isVisible();
    QTest::keyClick(form->edX, Qt::Key_Return);
  });
  poll.start(20);
  QElapsedTimer clock;
  clock.start();
  form->TourToFavorite(here);
  EXPECT_LT(clock.elapsed(), 2500);
  ASSERT_TRUE(arrived);
  EXPECT_GT(labelWidth + 16, 200);
  EXPECT_EQ(panelWidth, labelWidth + 16);
  EXPECT_TRUE(buttonSwapped);
  EXPECT_FALSE(form->Session().TourRunning());
  EXPECT_FALSE(form->Session().Busy());
  EXPECT_FALSE(form->ArrivePanel->isVisible());
  EXPECT_TRUE(form->btTour->isVisible());
}

}  // namespace
}  // namespace vortexa
