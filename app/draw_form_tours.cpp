// The main window's favourites commands and what it shows of tours: the
// tour button, the destination and random-tour menus, the tour-speed and
// arrival-sound settings and the arrival panel.
#include <QAction>
#include <QActionGroup>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QTimer>
#include <set>

#include "app/arrival_sound.h"
#include "app/draw_form.h"
#include "app/fav_form.h"
#include "app/glyphs.h"
#include "app/handlers.h"
#include "app/info_form.h"

namespace vortexa {

namespace {

constexpr int kHoldMs = 500;  // a longer press of the tour button opens the destinations
constexpr int kArrivePanelWidth = 200;
constexpr int kArrivePanelHeight = 57;
constexpr int kArriveFontPixels = 16;
constexpr int kFixedPopupItems = 2;  // random tour and its separator

const char* const kTooFewCandidates =
    "ランダムツアーは、お気に入りの中から行き先をランダムに\n"
    "選んで行うツアーです。お気に入りを更に追加するか、\n"
    "お気に入り整理でツアー対象を増やして下さい。";

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

// Menus cannot start a new column at a chosen entry here, so a long menu
// scrolls instead of running off the screen.
class TScrollingMenuStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_Menu_Scrollable) return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

void RemoveEntriesFrom(QMenu* menu, qsizetype first) {
  const QList<QAction*> entries = menu->actions();
  for (qsizetype i = first; i < entries.size(); ++i) {
    menu->removeAction(entries[i]);
    if (QMenu* folder = entries[i]->menu()) folder->deleteLater();
    entries[i]->deleteLater();
  }
}

void CollectTourItems(const TFavNode& folder, std::set<const TMBItem*>& items) {
  for (const auto& child : folder.Children()) {
    if (child->IsFolder())
      CollectTourItems(*child, items);
    else if (child->TourMark)
      items.insert(child->Item());
  }
}

QFont ArriveFont() {
  QFont font;
  font.setPixelSize(kArriveFontPixels);
  return font;
}

}  // namespace

void FitMenuHeight(QMenu* menu) {
  if (menu->actions().size() <= kMenuColumnEntries) return;
  // The style lives as long as the menu.
  auto* style = new TScrollingMenuStyle;
  style->setParent(menu);
  menu->setStyle(style);
}

// ---- construction ----

void TDrawForm::CreateFavoriteCommands() {
  mnAdd = mnFavorite->addAction("追加(&A)...");
  mnAdd->setStatusTip("現在の画像をお気に入りの一覧に追加します");
  connect(mnAdd, &QAction::triggered, this, Guarded(this, [this] { mnAddClick(); }));
  mnModify = mnFavorite->addAction("整理(&O)...");
  mnModify->setStatusTip("お気に入りフォルダの内容を整理します");
  connect(mnModify, &QAction::triggered, this, Guarded(this, [this] { mnModifyClick(); }));
  mnFavorite->addSeparator();
  mnDest = mnFavorite->addMenu("ツアー(&T)");
  mnDest->menuAction()->setStatusTip("行き先を指定してツアーを実行します");
  mnRandTour = mnFavorite->addAction("ランダムツアー(&R)");
  mnRandTour->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
  mnRandTour->setStatusTip("行き先をランダムに選びながら自動的にツアーを実行します");
  connect(mnRandTour, &QAction::triggered, this, Guarded(this, [this] { mnRandTourClick(); }));
  addAction(mnRandTour);  // Ctrl+R works also while the menu bar is hidden
  // Kept for the menu's layout; it has no action.
  mnAutoTour = mnFavorite->addAction("オートツアー(&A)");
  mnAutoTour->setVisible(false);
  mnFavorite->addSeparator();
  connect(mnFavorite, &QMenu::aboutToShow, this, Guarded(this, [this] { mnTourClick(); }));
}

void TDrawForm::CreateTourControls() {
  imTour = new QLabel(BasicToolBar);
  imTour->setPixmap(QPixmap::fromImage(TourFavoriteGlyph()));
  imTour->setAlignment(Qt::AlignCenter);
  imTour->setGeometry(316, 3, 22, 22);
  imTour->setToolTip("ツアー実行中");
  imTour->hide();
  btTour = new QPushButton(QIcon(QPixmap::fromImage(ArrowRightGlyph())), "", BasicToolBar);
  btTour->setGeometry(316, 3, 22, 22);
  SetHint(btTour, "ツアー|ツアーを開始します");
  Timer = new QTimer(this);
  Timer->setSingleShot(true);
  Timer->setInterval(kHoldMs);
  connect(btTour, &QPushButton::pressed, this, [this] { btTourPressed(); });
  connect(btTour, &QPushButton::clicked, this, Guarded(this, [this] { btTourClick(); }));
  connect(Timer, &QTimer::timeout, this, Guarded(this, [this] { TimerTimer(); }));

  PopupMenu = new QMenu(this);
  pmRandTour = PopupMenu->addAction("ランダムツアー");
  pmRandTour->setStatusTip("行き先をランダムに選びながら自動的にツアーを実行します");
  connect(pmRandTour, &QAction::triggered, this, Guarded(this, [this] { mnRandTourClick(); }));
  PopupMenu->addSeparator();

  auto* panel = new QFrame(centralWidget());
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setLineWidth(2);
  panel->setAutoFillBackground(true);
  panel->setBackgroundRole(QPalette::Button);
  panel->setGeometry(10, 64, kArrivePanelWidth, kArrivePanelHeight);
  lbArrive = new QLabel("[ 到   着 ]", panel);
  lbArrive->setFont(ArriveFont());
  lbArrive->setAlignment(Qt::AlignCenter);
  lbArrive->setGeometry(0, 6, kArrivePanelWidth, 20);
  lbDestName = new QLabel(panel);
  lbDestName->setFont(ArriveFont());
  lbDestName->move(8, 30);
  panel->hide();
  ArrivePanel = panel;

  FArrivalSound = std::make_unique<TArrivalSound>();
  FSoundFile = QString::fromStdString(DefaultSoundFile());
}

void TDrawForm::CreateTourMenus() {
  mnTourSpeed = AddRadioMenu(mnOption, "ツアー速度(&S)", "ツアー実行時の速度を設定します",
                             {"低速(&L)", "中速(&M)", "高速(&H)", "最高速(&S)"}, FTour.Speed(),
                             [this](int position) { SetTourSpeed(position); });
  const char* const speedHints[] = {
      "拡大時:２倍 / 縮小時:４分の１", "拡大時:４倍 / 縮小時:８分の１",
      "拡大時:８倍 / 縮小時:16分の１", "拡大時:16倍 / 縮小時:16分の１"};
  for (int position = 0; position < 4; ++position)
    mnTourSpeed->actions()[position]->setStatusTip(speedHints[position]);
  mnTourSND = AddRadioMenu(mnOption, "ツアー到着音(&T)", "ツアー到着時のお知らせ音を設定します",
                           {"ファイル指定(&F)...", "オフ(&F)"}, FTourSound, [this](int position) {
                             if (position == 0)
                               Guarded(this, [this] { mnTourSNDFileClick(); })();
                             else
                               SetTourSound(1);
                           });
  mnTourSNDFile = mnTourSND->actions()[0];
  mnTourSNDOff = mnTourSND->actions()[1];
}

// ---- settings of the tour menus ----

void TDrawForm::SetTourSpeed(int position) {
  FTour.SetSpeed(position);
  mnTourSpeed->actions()[FTour.Speed()]->setChecked(true);
}

void TDrawForm::SetTourSound(int position) {
  FTourSound = std::clamp(position, 0, kTourSoundPositions - 1);
  mnTourSND->actions()[FTourSound]->setChecked(true);
}

void TDrawForm::mnTourSNDFileClick() {
  const QString file = QFileDialog::getOpenFileName(this, "サウンドファイルの指定", FSoundFile,
                                                    "サウンドファイル (*.wav)");
  if (!file.isEmpty()) FSoundFile = file;
  // Cancelled, the check returns to where it was.
  SetTourSound(file.isEmpty() ? FTourSound : 0);
}

// ---- favourites commands ----

void TDrawForm::mnAddClick() {
  FFavForm->SetMode(TFavForm::kAddMode);
  FFavForm->edName->setText(
      QString("(%1, %2)").arg(Text(FSession.XText()), Text(FSession.YText())));
  FFavForm->BuildTree(FFavoriteTree.Root());
  if (FFavForm->exec() != QDialog::Accepted) return;
  TMBItem& item = *FFavorites.GetItem(FFavorites.AddNew());
  item = FSession.StoreView(FFavForm->edName->text().toStdString());
  FFavForm->AddFavorite(item);
  FFavForm->ApplyTo(FFavoriteTree);
  BuildMenu();
}

void TDrawForm::mnModifyClick() {
  FFavForm->SetMode(TFavForm::kOrganiseMode);
  FFavForm->BuildTree(FFavoriteTree.Root());
  FFavForm->FFolderDir = FFavoriteDir;
  if (FFavForm->exec() != QDialog::Accepted) return;
  FFavForm->ApplyTo(FFavoriteTree);
  BuildMenu();
  FFavoriteDir = FFavForm->FFolderDir;
}

// ---- tour menus and the tour button ----

void TDrawForm::mnTourClick() {
  RemoveEntriesFrom(mnDest, 0);
  CopyFavoriteMenu(mnDest, FFavoriteTree.Root());
}

void TDrawForm::CopyFavoriteMenu(QMenu* parent, const TFavNode& folder) {
  for (const auto& child : folder.Children()) {
    if (child->IsFolder()) {
      CopyFavoriteMenu(parent->addMenu(imFolder, Text(child->Text)), *child);
      continue;
    }
    const TMBItem& item = *child->Item();
    QAction* entry = parent->addAction(Text(child->Text));
    connect(entry, &QAction::triggered, this,
            Guarded(this, [this, &item] { TourToFavorite(item); }));
  }
  FitMenuHeight(parent);
}

std::vector<const TMBItem*> TDrawForm::TourCandidates() const {
  std::set<const TMBItem*> inTree;
  CollectTourItems(FFavoriteTree.Root(), inTree);
  std::vector<const TMBItem*> candidates;
  for (int i = 0; i < FFavorites.Count(); ++i)
    if (inTree.contains(FFavorites.GetItem(i))) candidates.push_back(FFavorites.GetItem(i));
  return candidates;
}

void TDrawForm::TourToFavorite(const TMBItem& dest) {
  FTour.TourToFavorite(dest);
}

void TDrawForm::mnRandTourClick() {
  FTour.RandomTour(TourCandidates());
}

void TDrawForm::btTourPressed() {
  FTimerFired = false;
  Timer->start();
}

void TDrawForm::TimerTimer() {
  Timer->stop();
  if (!btTour->isDown()) return;
  FTimerFired = true;
  RemoveEntriesFrom(PopupMenu, kFixedPopupItems);
  CopyFavoriteMenu(PopupMenu, FFavoriteTree.Root());
  // The button does not stay pressed while the menu is open.
  btTour->setDown(false);
  PopupMenu->popup(btTour->mapToGlobal(btTour->rect().bottomLeft()));
}

void TDrawForm::btTourClick() {
  if (FTimerFired) return;
  Timer->stop();
  mnRandTourClick();
}

// ---- what the tour reports ----

void TDrawForm::TourStateChanged(bool running) {
  btTour->setVisible(!running);
  imTour->setVisible(running);
}

void TDrawForm::TourStatus(const std::string& text) {
  ShowStatus(3, Text(text));
}

void TDrawForm::ArrivalShown(const std::string& name) {
  lbDestName->setText(Text(name));
  lbDestName->adjustSize();
  const int width = lbDestName->width() + 16;
  const int panelWidth = std::max(width, kArrivePanelWidth);
  ArrivePanel->resize(panelWidth, kArrivePanelHeight);
  lbArrive->resize(panelWidth, lbArrive->height());
  lbDestName->move(width > kArrivePanelWidth ? 8 : (kArrivePanelWidth - lbDestName->width()) / 2,
                   lbDestName->y());
  ArrivePanel->show();
  ArrivePanel->raise();
  if (FTourSound == 0) FArrivalSound->Play(FSoundFile);
}

void TDrawForm::ArrivalHidden() {
  ArrivePanel->hide();
}

void TDrawForm::TourStepEnded() {
  if (mnInfo->isChecked() && FInfoForm) FInfoForm->UpdateStats(FSession.View().Limit);
}

void TDrawForm::TooFewCandidates() {
  QMessageBox::information(this, "うずまきらんど", kTooFewCandidates);
}

}  // namespace vortexa
