#include "fav_form.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include "app/glyphs.h"
#include "app/handlers.h"
#include "session/language.h"

namespace vortexa {

namespace {

// A plain name: a return type qualified with a Qt class misleads the
// translation tools about the context of TFavForm::tr further down.
using TAnswer = QMessageBox::StandardButton;

constexpr int kTreeHeight = 250;
constexpr int kComboIndent = 12;
constexpr int kItemRole = Qt::UserRole;            // the favourite's record; none for a folder
constexpr int kTourRole = Qt::UserRole + 1;        // the random-tour mark
constexpr int kMadeRole = Qt::UserRole + 2;        // a folder made in this dialog
constexpr int kStoredTextRole = Qt::UserRole + 3;  // the name's bytes as the tree held them
constexpr int kKeptLineRole = Qt::UserRole + 4;    // a favourite's line kept unread
constexpr int kIdRole = Qt::UserRole + 5;          // the tree node's Id
constexpr int kDepthRole = Qt::UserRole + 1;       // of a folder combo entry

QByteArray Bytes(const std::string& text) {
  return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

// The recommended views show English names in the English interface and keep
// their Japanese names in the files; a name that is not valid UTF-8 shows
// with replacement characters. The name's bytes are kept on the node, so that
// they go back into the tree untouched.
void SetName(QTreeWidgetItem* node, const std::string& name) {
  node->setText(0, ShownFavoriteName(name));
  node->setData(0, kStoredTextRole, Bytes(name));
}

// The folder combo's entries are indented by their depth in the tree.
class TIndentDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem indented(option);
    indented.rect.setLeft(option.rect.left() + kComboIndent * index.data(kDepthRole).toInt());
    QStyledItemDelegate::paint(painter, indented, index);
  }
};

// A question whose buttons speak the interface's language.
TAnswer AskInInterfaceLanguage(QWidget* parent, const QString& title, const QString& text,
                               QMessageBox::StandardButtons buttons) {
  QMessageBox box(QMessageBox::Question, title, text, buttons, parent);
  const std::pair<QMessageBox::StandardButton, QString> captions[] = {
      {QMessageBox::Yes, TFavForm::tr("はい(&Y)")},
      {QMessageBox::No, TFavForm::tr("いいえ(&N)")},
      {QMessageBox::YesToAll, TFavForm::tr("すべてはい(&A)")},
      {QMessageBox::NoToAll, TFavForm::tr("すべていいえ(&L)")},
      {QMessageBox::Cancel, TFavForm::tr("キャンセル")}};
  for (const auto& [button, caption] : captions)
    if (QAbstractButton* shown = box.button(button)) shown->setText(caption);
  return static_cast<TAnswer>(box.exec());
}

int Depth(const QTreeWidgetItem* node) {
  int depth = 0;
  for (const QTreeWidgetItem* up = node->parent(); up; up = up->parent())
    ++depth;
  return depth;
}

bool IsBelowOrSame(const QTreeWidgetItem* node, const QTreeWidgetItem* ancestor) {
  for (const QTreeWidgetItem* up = node; up; up = up->parent())
    if (up == ancestor) return true;
  return false;
}

// A line kept unread from the file shows only as its name: it is noted on the
// dialog's node, so that it goes back into the tree byte for byte.
void Remember(QTreeWidgetItem* widgetNode, const TFavNode& node) {
  widgetNode->setData(0, kIdRole, QVariant::fromValue(node.Id));
  if (node.KeptLine) widgetNode->setData(0, kKeptLineRole, Bytes(*node.KeptLine));
}

// The name as the tree held it, unless the user has renamed the node.
std::string StoredText(const QTreeWidgetItem* widgetNode) {
  const QVariant stored = widgetNode->data(0, kStoredTextRole);
  if (stored.isValid() &&
      ShownFavoriteName(stored.toByteArray().toStdString()) == widgetNode->text(0))
    return stored.toByteArray().toStdString();
  return widgetNode->text(0).toStdString();
}

void Restore(TFavNode& node, const QTreeWidgetItem* widgetNode) {
  node.Text = StoredText(widgetNode);
  if (const QVariant id = widgetNode->data(0, kIdRole); id.isValid())
    node.Id = id.value<std::uint64_t>();
  if (const QVariant kept = widgetNode->data(0, kKeptLineRole); kept.isValid())
    node.KeptLine = kept.toByteArray().toStdString();
}

// Copies the dialog's tree below `widgetNode` into the favourites tree's `node`.
void FillNode(TFavNode& node, const QTreeWidgetItem* widgetNode) {
  for (int i = 0; i < widgetNode->childCount(); ++i) {
    const QTreeWidgetItem* child = widgetNode->child(i);
    if (TFavForm::IsFolder(child)) {
      TFavNode& folder = node.AddFolder("");
      Restore(folder, child);
      FillNode(folder, child);
      continue;
    }
    TFavNode& favourite = node.AddItem(*TFavForm::ItemOf(child));
    Restore(favourite, child);
    favourite.TourMark = TFavForm::HasTourMark(child);
  }
}

}  // namespace

std::unique_ptr<QFileDialog> FavoritesFileDialog(QWidget* parent, bool save,
                                                 const std::filesystem::path& folder) {
  auto dialog = std::make_unique<QFileDialog>(parent,
                                              save ? TFavForm::tr("お気に入り保存先のファイル指定")
                                                   : TFavForm::tr("お気に入りのファイル指定"),
                                              QString::fromStdString(folder.string()),
                                              TFavForm::tr("お気に入りファイル(*.fav)"));
  dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  // The suffix joins the name before the dialog asks about overwriting.
  dialog->setDefaultSuffix("fav");
  return dialog;
}

TFavForm::TFavForm(TMBList& favorites, QWidget* parent) : QDialog(parent), FFavorites(favorites) {
  QIcon folder(QPixmap::fromImage(FolderGlyph()));
  folder.addPixmap(QPixmap::fromImage(OpenFolderGlyph()), QIcon::Selected);
  FFolderIcon = folder;
  FFavoriteIcon = QIcon(QPixmap::fromImage(FavoriteGlyph()));
  FTourIcon = QIcon(QPixmap::fromImage(TourFavoriteGlyph()));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);

  TopPanel = new QWidget(this);
  auto* top = new QGridLayout(TopPanel);
  top->setContentsMargins(0, 0, 0, 0);
  edName = new QLineEdit(TopPanel);
  SetHint(edName, tr("お気に入りに登録する名前を指定"));
  auto* lbName = new QLabel(tr("名前(&N)："), TopPanel);
  lbName->setBuddy(edName);
  cbxFolder = new QComboBox(TopPanel);
  cbxFolder->setItemDelegate(new TIndentDelegate(cbxFolder));
  SetHint(cbxFolder, tr("作成先のフォルダを指定"));
  auto* lbFolder = new QLabel(tr("作成先(&C)："), TopPanel);
  lbFolder->setBuddy(cbxFolder);
  btFolder = new QPushButton(QIcon(QPixmap::fromImage(TreeToggleGlyph())), "", TopPanel);
  SetHint(btFolder, tr("フォルダツリー表示／非表示切替え"));
  top->addWidget(lbName, 0, 0);
  top->addWidget(edName, 0, 1, 1, 2);
  top->addWidget(lbFolder, 1, 0);
  top->addWidget(cbxFolder, 1, 1);
  top->addWidget(btFolder, 1, 2);

  TreePanel = new QWidget(this);
  auto* middle = new QHBoxLayout(TreePanel);
  middle->setContentsMargins(0, 0, 0, 0);
  tvFolder = new TFavTreeView(*this, TreePanel);
  middle->addWidget(tvFolder, 1);
  auto* buttons = new QVBoxLayout;
  cbTour = new QCheckBox(tr("ランダムツアー対象(&R)"), TreePanel);
  cbTour->setTristate(true);
  btNew = new QPushButton(tr("フォルダ作成(&O)"), TreePanel);
  SetHint(btNew, tr("新規フォルダの作成"));
  btDel = new QPushButton(tr("削除(&D)"), TreePanel);
  SetHint(btDel, tr("フォルダまたはお気に入り項目の削除"));
  btSave = new QPushButton(tr("保存(&S)..."), TreePanel);
  SetHint(btSave, tr("ファイル保存"));
  btLoad = new QPushButton(tr("読み込み(&L)..."), TreePanel);
  SetHint(btLoad, tr("ファイル読み込み"));
  for (QWidget* control : std::initializer_list<QWidget*>{cbTour, btNew, btDel, btSave, btLoad})
    buttons->addWidget(control);
  buttons->addStretch();
  middle->addLayout(buttons);

  BottomPanel = new QWidget(this);
  auto* bottom = new QHBoxLayout(BottomPanel);
  bottom->setContentsMargins(0, 0, 0, 0);
  bottom->addStretch();
  btOK = new QPushButton(tr("OK"), BottomPanel);
  btOK->setDefault(true);
  btCancel = new QPushButton(tr("キャンセル"), BottomPanel);
  bottom->addWidget(btOK);
  bottom->addWidget(btCancel);

  layout->addWidget(TopPanel);
  layout->addWidget(TreePanel, 1);
  layout->addWidget(BottomPanel);

  Ask = [this](const QString& text, QMessageBox::StandardButtons buttons) {
    return AskInInterfaceLanguage(this, windowTitle(), text, buttons);
  };
  ChooseFile = [this](bool save) {
    const std::unique_ptr<QFileDialog> dialog = FavoritesFileDialog(this, save, FFolderDir);
    if (dialog->exec() != QDialog::Accepted) return QString();
    return dialog->selectedFiles().value(0);
  };

  connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(btFolder, &QPushButton::clicked, this, [this] { btFolderClick(); });
  connect(cbxFolder, &QComboBox::activated, this, [this] { cbxFolderClick(); });
  connect(tvFolder, &QTreeWidget::itemSelectionChanged, this, [this] { tvFolderClick(); });
  connect(tvFolder, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* node) {
    // A renamed folder keeps its name in the folder combo.
    const int entry = cbxFolder->findData(QVariant::fromValue(reinterpret_cast<quintptr>(node)));
    if (entry >= 0) cbxFolder->setItemText(entry, node->text(0));
  });
  connect(btNew, &QPushButton::clicked, this, [this] { btNewClick(); });
  connect(btDel, &QPushButton::clicked, this, [this] { btDelClick(); });
  connect(cbTour, &QCheckBox::clicked, this, [this] { cbTourClick(); });
  connect(btSave, &QPushButton::clicked, this, [this] { btSaveClick(); });
  connect(btLoad, &QPushButton::clicked, this, [this] { btLoadClick(); });
  resize(360, 0);
  SetMode(kOrganiseMode);
}

// ---- modes and the tree ----

void TFavForm::SetMode(int mode) {
  FMode = mode;
  const bool organise = mode == kOrganiseMode;
  TopPanel->setVisible(!organise);
  TreePanel->setVisible(organise);
  for (QWidget* control : std::initializer_list<QWidget*>{btDel, btSave, btLoad, cbTour})
    control->setVisible(organise);
  tvFolder->setSelectionMode(organise ? QAbstractItemView::ExtendedSelection
                                      : QAbstractItemView::SingleSelection);
  tvFolder->setDragEnabled(organise);
  setWindowTitle(organise ? tr("お気に入りの整理") : tr("お気に入りに追加"));
  FitHeight();
}

void TFavForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (FMode != kAddMode) return;
  edName->setFocus();
  edName->selectAll();
}

void TFavForm::FitHeight() {
  int height = BottomPanel->sizeHint().height() + 12;
  if (TopPanel->isVisibleTo(this)) height += TopPanel->sizeHint().height() + 6;
  if (TreePanel->isVisibleTo(this)) height += kTreeHeight + 6;
  resize(width(), height);
}

void TFavForm::btFolderClick() {
  TreePanel->setVisible(!TreePanel->isVisibleTo(this));
  FitHeight();
}

QTreeWidgetItem* TFavForm::Root() const {
  return tvFolder->topLevelItem(0);
}

bool TFavForm::IsFolder(const QTreeWidgetItem* node) {
  return ItemOf(node) == nullptr;
}

bool TFavForm::HasTourMark(const QTreeWidgetItem* node) {
  return node->data(0, kTourRole).toBool();
}

TMBItem* TFavForm::ItemOf(const QTreeWidgetItem* node) {
  return reinterpret_cast<TMBItem*>(node->data(0, kItemRole).value<quintptr>());
}

bool TFavForm::Editable(const QTreeWidgetItem* node) const {
  if (!node->parent()) return false;
  return FMode == kOrganiseMode || node->data(0, kMadeRole).toBool();
}

QTreeWidgetItem* TFavForm::AddFolderNode(QTreeWidgetItem* parent, const std::string& name,
                                         bool made) {
  auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tvFolder);
  SetName(node, name);
  node->setIcon(0, FFolderIcon);
  node->setData(0, kItemRole, QVariant::fromValue(quintptr{0}));
  node->setData(0, kMadeRole, made);
  node->setFlags(Editable(node) ? node->flags() | Qt::ItemIsEditable
                                : node->flags() & ~Qt::ItemIsEditable);
  return node;
}

QTreeWidgetItem* TFavForm::AddFavoriteNode(QTreeWidgetItem* parent, TMBItem& item,
                                           const std::string& name, bool tourMark) {
  auto* node = new QTreeWidgetItem(parent);
  SetName(node, name);
  node->setData(0, kItemRole, QVariant::fromValue(reinterpret_cast<quintptr>(&item)));
  SetTourMark(node, tourMark);
  node->setFlags(Editable(node) ? node->flags() | Qt::ItemIsEditable
                                : node->flags() & ~Qt::ItemIsEditable);
  // Add mode shows folders only; the favourites stay in the tree unseen.
  node->setHidden(FMode == kAddMode);
  return node;
}

void TFavForm::SetTourMark(QTreeWidgetItem* node, bool mark) {
  node->setData(0, kTourRole, mark);
  node->setIcon(0, mark ? FTourIcon : FFavoriteIcon);
}

void TFavForm::AddComboEntry(QTreeWidgetItem* node, int at) {
  cbxFolder->insertItem(at, FFolderIcon, node->text(0),
                        QVariant::fromValue(reinterpret_cast<quintptr>(node)));
  cbxFolder->setItemData(at, Depth(node), kDepthRole);
}

void TFavForm::CopyChildren(QTreeWidgetItem* parent, const TFavNode& folder) {
  for (const auto& child : folder.Children()) {
    if (child->IsFolder()) {
      QTreeWidgetItem* node = AddFolderNode(parent, child->Text, false);
      Remember(node, *child);
      if (FMode == kAddMode) AddComboEntry(node, cbxFolder->count());
      CopyChildren(node, *child);
      continue;
    }
    QTreeWidgetItem* node = AddFavoriteNode(parent, *child->Item(), child->Text, child->TourMark);
    Remember(node, *child);
    // The kept line is written back as it was, so a new name could not be stored.
    if (child->KeptLine) node->setFlags(node->flags() & ~Qt::ItemIsEditable);
  }
}

void TFavForm::BuildTree(const TFavNode& root) {
  QSignalBlocker blockTree(tvFolder);
  tvFolder->clear();
  cbxFolder->clear();
  QTreeWidgetItem* top = AddFolderNode(nullptr, std::string(kRootFolderName), false);
  top->setText(0, QCoreApplication::translate("Favorites", kRootFolderName.data()));
  AddComboEntry(top, 0);
  CopyChildren(top, root);
  tvFolder->setCurrentItem(top);
  cbxFolder->setCurrentIndex(0);
  if (FMode == kOrganiseMode)
    top->setExpanded(true);
  else
    tvFolder->expandAll();
  blockTree.unblock();
  tvFolderClick();
}

void TFavForm::ApplyTo(TFavTree& tree) const {
  tree.Reset();
  FillNode(tree.Root(), Root());
}

void TFavForm::AddFavorite(TMBItem& item) {
  const QList<QTreeWidgetItem*> selected = SelectedNodes();
  QTreeWidgetItem* folder =
      !selected.isEmpty() && IsFolder(selected.front()) ? selected.front() : Root();
  AddFavoriteNode(folder, item, item.Name, item.Tour != 0);
}

QList<QTreeWidgetItem*> TFavForm::SelectedNodes() const {
  QList<QTreeWidgetItem*> nodes;
  for (QTreeWidgetItemIterator it(tvFolder); *it; ++it)
    if ((*it)->isSelected()) nodes.append(*it);
  return nodes;
}

// ---- selection ----

// Only siblings of the current node stay selected together.
void TFavForm::RestrictToSiblings() {
  const QTreeWidgetItem* current = tvFolder->currentItem();
  if (!current) return;
  const QSignalBlocker block(tvFolder);
  for (QTreeWidgetItem* node : SelectedNodes())
    if (node->parent() != current->parent()) node->setSelected(false);
}

void TFavForm::cbxFolderClick() {
  auto* node = reinterpret_cast<QTreeWidgetItem*>(cbxFolder->currentData().value<quintptr>());
  if (node) tvFolder->setCurrentItem(node);
}

void TFavForm::tvFolderClick() {
  const QList<QTreeWidgetItem*> selected = SelectedNodes();
  if (FMode == kAddMode) {
    if (selected.isEmpty()) return;
    const int entry =
        cbxFolder->findData(QVariant::fromValue(reinterpret_cast<quintptr>(selected.front())));
    if (entry >= 0) cbxFolder->setCurrentIndex(entry);
    return;
  }
  RestrictToSiblings();
  const QList<QTreeWidgetItem*> nodes = SelectedNodes();
  btSave->setEnabled(nodes.size() == 1 && IsFolder(nodes.front()));
  const bool favouritesOnly =
      !nodes.isEmpty() && std::none_of(nodes.begin(), nodes.end(), IsFolder);
  cbTour->setEnabled(favouritesOnly);
  if (!favouritesOnly) return;
  const auto marked = std::count_if(nodes.begin(), nodes.end(), HasTourMark);
  FTourState = marked == nodes.size() ? Qt::Checked
               : marked == 0          ? Qt::Unchecked
                                      : Qt::PartiallyChecked;
  const QSignalBlocker block(cbTour);
  cbTour->setCheckState(FTourState);
}

// The user never makes the box grey: a click ticks it unless it was ticked.
void TFavForm::cbTourClick() {
  FTourState = FTourState == Qt::Checked ? Qt::Unchecked : Qt::Checked;
  {
    const QSignalBlocker block(cbTour);
    cbTour->setCheckState(FTourState);
  }
  for (QTreeWidgetItem* node : SelectedNodes())
    if (!IsFolder(node)) SetTourMark(node, FTourState == Qt::Checked);
}

// ---- folders and deleting ----

void TFavForm::btNewClick() {
  const QList<QTreeWidgetItem*> selected = SelectedNodes();
  QTreeWidgetItem* parent = Root();
  if (!selected.isEmpty())
    parent = IsFolder(selected.front()) ? selected.front() : selected.front()->parent();
  QTreeWidgetItem* node = AddFolderNode(parent, tr("新規フォルダ").toStdString(), true);
  parent->setExpanded(true);
  if (FMode == kAddMode) {
    // The combo lists the folders in tree order.
    int at = 0;
    for (QTreeWidgetItemIterator it(tvFolder); *it && *it != node; ++it)
      if (IsFolder(*it)) ++at;
    AddComboEntry(node, at);
  }
  tvFolder->setCurrentItem(node, 0, QItemSelectionModel::ClearAndSelect);
}

void TFavForm::btDelClick() {
  const QList<QTreeWidgetItem*> nodes = SelectedNodes();
  if (nodes.isEmpty() || nodes.front() == Root()) return;
  const auto question = [](const QTreeWidgetItem* node) {
    return IsFolder(node) ? tr("\"%1\"とフォルダ内のすべてのお気に入りを削除してよろしいですか?")
                                .arg(node->text(0))
                          : tr("\"%1\"を削除してよろしいですか?").arg(node->text(0));
  };
  if (nodes.size() == 1) {
    if (Ask(question(nodes.front()), QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
      delete nodes.front();
    return;
  }
  QMessageBox::StandardButton answer = QMessageBox::Yes;
  for (QTreeWidgetItem* node : nodes) {
    if (answer == QMessageBox::Yes || answer == QMessageBox::No)
      answer = Ask(question(node), QMessageBox::Yes | QMessageBox::No | QMessageBox::NoToAll |
                                       QMessageBox::YesToAll);
    if (answer == QMessageBox::NoToAll) return;
    if (answer == QMessageBox::Yes || answer == QMessageBox::YesToAll) delete node;
  }
}

// ---- moving ----

bool TFavForm::CanDropOn(const QTreeWidgetItem* target) const {
  const QList<QTreeWidgetItem*> nodes = SelectedNodes();
  if (!target || nodes.isEmpty() || nodes.front() == Root()) return false;
  // Nothing goes into itself or below itself.
  return std::none_of(nodes.begin(), nodes.end(), [target](const QTreeWidgetItem* node) {
    return IsBelowOrSame(target, node);
  });
}

bool TFavForm::MoveSelection(QTreeWidgetItem* target) {
  if (!CanDropOn(target)) return false;
  for (QTreeWidgetItem* node : SelectedNodes()) {
    QTreeWidgetItem* from = node->parent();
    from->takeChild(from->indexOfChild(node));
    if (IsFolder(target))
      target->addChild(node);
    else
      target->parent()->insertChild(target->parent()->indexOfChild(target), node);
    node->setSelected(true);
  }
  if (IsFolder(target)) target->setExpanded(true);
  return true;
}

// ---- files ----

void TFavForm::SaveToFile(const std::filesystem::path& file, QTreeWidgetItem* folder) {
  TFavTree copy(FFavorites);
  // The top folder keeps its name in files whatever the interface shows.
  TFavNode& node = folder == Root() ? copy.Root() : copy.Root().AddFolder("");
  if (folder != Root()) node.Text = StoredText(folder);
  FillNode(node, folder);
  copy.SaveFolder(file, node);
}

void TFavForm::LoadFromFile(const std::filesystem::path& file, bool replace) {
  TFavTree loaded(FFavorites);
  loaded.LoadFile(file, replace);
  if (replace) qDeleteAll(Root()->takeChildren());
  CopyChildren(Root(), loaded.Root());
  Root()->setExpanded(true);
}

void TFavForm::btSaveClick() {
  const QList<QTreeWidgetItem*> nodes = SelectedNodes();
  if (nodes.size() != 1 || !IsFolder(nodes.front())) {
    QMessageBox::information(this, windowTitle(),
                             tr("お気に入りのファイル保存はフォルダ単位で行います。\n"
                                "フォルダを一つだけ選択して下さい。"));
    return;
  }
  const QString file = ChooseFile(true);
  if (file.isEmpty()) return;
  std::filesystem::path path = file.toStdString();
  if (!path.has_extension()) path += ".fav";
  SaveToFile(path, nodes.front());
  FFolderDir = path.parent_path();
}

void TFavForm::btLoadClick() {
  const QString file = ChooseFile(false);
  if (file.isEmpty()) return;
  const std::filesystem::path path = file.toStdString();
  FFolderDir = path.parent_path();
  if (!TFavTree::IsWholeTree(path)) {
    LoadFromFile(path, false);
    return;
  }
  const QMessageBox::StandardButton answer =
      Ask(tr("読み込んだお気に入りファイルは全フォルダデータです。\n"
             "現在のお気に入りをすべて置き替えますか?\n"
             "置き替える場合は「はい」を、現在のお気に入りに追加\n"
             "する場合は「いいえ」を押して下さい。"),
          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  if (answer == QMessageBox::Yes) LoadFromFile(path, true);
  if (answer == QMessageBox::No) LoadFromFile(path, false);
}

// ---- the tree control ----

TFavTreeView::TFavTreeView(TFavForm& form, QWidget* parent) : QTreeWidget(parent), FForm(form) {
  setHeaderHidden(true);
  setColumnCount(1);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDefaultDropAction(Qt::MoveAction);
  setAutoScroll(true);
  setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
}

// The view scrolls by itself while the pointer is near its top or bottom edge.
void TFavTreeView::dragMoveEvent(QDragMoveEvent* event) {
  QTreeWidget::dragMoveEvent(event);
  const bool fromHere = event->source() == this;
  if (fromHere && FForm.CanDropOn(itemAt(event->position().toPoint())))
    event->acceptProposedAction();
  else
    event->ignore();
}

// The form moves the nodes; the drag then reports a copy, so that the view
// does not remove the moved rows a second time.
void TFavTreeView::dropEvent(QDropEvent* event) {
  if (event->source() != this || !FForm.MoveSelection(itemAt(event->position().toPoint()))) {
    event->ignore();
    return;
  }
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

}  // namespace vortexa
