// TFavForm: the favourites window, one modal dialog in two modes. Add mode
// ("お気に入りに追加") names the new favourite and picks its folder; organise
// mode ("お気に入りの整理") renames, moves, deletes and marks favourites and
// folders, and saves and loads favourites files. The dialog edits its own
// copy of the favourites tree; the main window takes it back on OK.
#pragma once

#include <QDialog>
#include <QMessageBox>
#include <QTreeWidget>
#include <filesystem>
#include <functional>
#include <memory>

#include "favorites/fav_tree.h"

class QCheckBox;
class QComboBox;
class QFileDialog;
class QLineEdit;
class QPushButton;

namespace vortexa {

class TFavTreeView;

// The dialog that chooses a favourites file to save into or to load.
std::unique_ptr<QFileDialog> FavoritesFileDialog(QWidget* parent, bool save,
                                                 const std::filesystem::path& folder);

class TFavForm : public QDialog {
  Q_OBJECT

 public:
  enum TMode { kAddMode = 0, kOrganiseMode = 1 };

  // Favourites read from files are appended to `favorites`.
  TFavForm(TMBList& favorites, QWidget* parent = nullptr);

  void SetMode(int mode);
  int Mode() const { return FMode; }
  // Fills the tree (and in add mode the folder combo) from the favourites.
  void BuildTree(const TFavNode& root);
  // Writes the edited tree into `tree` (favourites hidden in add mode included).
  void ApplyTo(TFavTree& tree) const;
  // Add mode: the new favourite goes into the chosen folder.
  void AddFavorite(TMBItem& item);

  // Questions and file choices; tests answer them instead of a user.
  std::function<QMessageBox::StandardButton(const QString& text, QMessageBox::StandardButtons)> Ask;
  std::function<QString(bool save)> ChooseFile;

  // Handlers.
  void btFolderClick();
  void cbxFolderClick();
  void tvFolderClick();
  void btNewClick();
  void btDelClick();
  void cbTourClick();
  void btSaveClick();
  void btLoadClick();
  // Moves the selected nodes onto `target` as a drop does; false when refused.
  bool MoveSelection(QTreeWidgetItem* target);
  bool CanDropOn(const QTreeWidgetItem* target) const;

  // Selected nodes in tree order.
  QList<QTreeWidgetItem*> SelectedNodes() const;
  QTreeWidgetItem* Root() const;
  static bool IsFolder(const QTreeWidgetItem* node);
  static bool HasTourMark(const QTreeWidgetItem* node);
  static TMBItem* ItemOf(const QTreeWidgetItem* node);

  std::filesystem::path FFolderDir;

  QWidget *TopPanel, *TreePanel, *BottomPanel;
  QLineEdit* edName;
  QComboBox* cbxFolder;
  QPushButton* btFolder;
  TFavTreeView* tvFolder;
  QCheckBox* cbTour;
  QPushButton *btNew, *btDel, *btSave, *btLoad, *btOK, *btCancel;

 protected:
  // Adding starts at the name, whatever had the focus when the window last closed.
  void showEvent(QShowEvent* event) override;

 private:
  QTreeWidgetItem* AddFolderNode(QTreeWidgetItem* parent, const std::string& name, bool made);
  QTreeWidgetItem* AddFavoriteNode(QTreeWidgetItem* parent, TMBItem& item, const std::string& name,
                                   bool tourMark);
  void CopyChildren(QTreeWidgetItem* parent, const TFavNode& folder);
  void AddComboEntry(QTreeWidgetItem* node, int at);
  void SetTourMark(QTreeWidgetItem* node, bool mark);
  void FitHeight();
  bool Editable(const QTreeWidgetItem* node) const;
  void LoadFromFile(const std::filesystem::path& file, bool replace);
  void SaveToFile(const std::filesystem::path& file, QTreeWidgetItem* folder);
  void RestrictToSiblings();

  TMBList& FFavorites;
  int FMode = kOrganiseMode;
  Qt::CheckState FTourState = Qt::Unchecked;
  QIcon FFolderIcon, FFavoriteIcon, FTourIcon;
};

// The tree control: in-place renaming and drags of its own nodes, which the
// form moves itself.
class TFavTreeView : public QTreeWidget {
 public:
  explicit TFavTreeView(TFavForm& form, QWidget* parent);

 protected:
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  TFavForm& FForm;
};

}  // namespace vortexa
