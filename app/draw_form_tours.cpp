// The main window's favourites commands and what it shows of tours: the
// tour button, the destination and random-tour menus, the tour-speed and
// arrival-sound settings and the arrival panel.
#include <QAction>
#include <QActionGroup>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QTimer>
#include <chrono>

#include "app/arrival_sound.h"
#include "app/draw_form.h"
#include "app/fav_form.h"
#include "app/glyphs.h"
#include "app/handlers.h"
#include "app/info_form.h"
#include "app/progress_line.h"
#include "app/tour_video_form.h"
#include "session/video_output.h"

namespace vortexa {

namespace {

constexpr int kHoldMs = 500;  // a longer press of the tour button opens the destinations
constexpr int kArrivePanelWidth = 200;
constexpr int kArrivePanelHeight = 57;
constexpr int kArriveFontPixels = 16;
constexpr int kFixedPopupItems = 2;  // random tour and its separator

const char* const kTooFewCandidates =
    QT_TRANSLATE_NOOP("vortexa::TDrawForm",
                      "ランダムツアーは、お気に入りの中から行き先をランダムに\n"
                      "選んで行うツアーです。お気に入りを更に追加するか、\n"
                      "お気に入り整理でツアー対象を増やして下さい。");

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

void TDrawForm::CreateTourControls() {
  imTour = new QLabel(BasicToolBar);
  imTour->setPixmap(QPixmap::fromImage(TourFavoriteGlyph()));
  imTour->setAlignment(Qt::AlignCenter);
  imTour->setGeometry(316, 3, 22, 22);
  imTour->setToolTip(tr("ツアー実行中"));
  imTour->hide();
  btTour = new QPushButton(QIcon(QPixmap::fromImage(ArrowRightGlyph())), "", BasicToolBar);
  btTour->setGeometry(316, 3, 22, 22);
  SetHint(btTour, tr("ツアー|ツアーを開始します"));
  Timer = new QTimer(this);
  Timer->setSingleShot(true);
  Timer->setInterval(kHoldMs);
  connect(btTour, &QPushButton::pressed, this, [this] { btTourPressed(); });
  connect(btTour, &QPushButton::clicked, this, Guarded(this, [this] { btTourClick(); }));
  connect(Timer, &QTimer::timeout, this, Guarded(this, [this] { TimerTimer(); }));

  PopupMenu = new QMenu(this);
  pmRandTour = PopupMenu->addAction(tr("ランダムツアー"));
  pmRandTour->setStatusTip(tr("行き先をランダムに選びながら自動的にツアーを実行します"));
  connect(pmRandTour, &QAction::triggered, this, Guarded(this, [this] { mnRandTourClick(); }));
  PopupMenu->addSeparator();

  auto* panel = new QFrame(centralWidget());
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setLineWidth(2);
  panel->setAutoFillBackground(true);
  panel->setBackgroundRole(QPalette::Button);
  panel->setGeometry(10, 64, kArrivePanelWidth, kArrivePanelHeight);
  lbArrive = new QLabel(tr("[ 到   着 ]"), panel);
  lbArrive->setFont(ArriveFont());
  lbArrive->setAlignment(Qt::AlignCenter);
  lbArrive->setGeometry(0, 6, kArrivePanelWidth, 20);
  lbDestName = new QLabel(panel);
  lbDestName->setFont(ArriveFont());
  lbDestName->move(8, 30);
  panel->hide();
  ArrivePanel = panel;

  TourVideoDialog = [](TTourVideoForm& form) { return form.exec(); };
  FArrivalSound = std::make_unique<TArrivalSound>();
  FSoundFile = QString::fromStdString(DefaultSoundFile());
}

void TDrawForm::CreateTourMenus() {
  SetTourSpeed(FTour.Speed());
  SetTourSound(FTourSound);
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
  const QString file = QFileDialog::getOpenFileName(this, tr("サウンドファイルの指定"), FSoundFile,
                                                    tr("サウンドファイル (*.wav)"));
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
      CopyFavoriteMenu(parent->addMenu(imFolder, ShownFavoriteName(child->Text)), *child);
      continue;
    }
    const TMBItem& item = *child->Item();
    QAction* entry = parent->addAction(ShownFavoriteName(child->Text));
    connect(entry, &QAction::triggered, this,
            Guarded(this, [this, &item] { TourToFavorite(item); }));
  }
  FitMenuHeight(parent);
}

std::vector<const TMBItem*> TDrawForm::TourCandidates() const {
  return FFavoriteTree.TourCandidates();
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

// ---- tours filmed into videos ----

void TDrawForm::mnTourVideoClick() {
  const QSize picture = FSession.PictureSize();
  TTourVideoForm form(this, FFavoriteTree.Root(), picture.width(), picture.height());
  if (TourVideoDialog(form) != QDialog::Accepted) return;
  const TTourVideoChoice choice = form.Choice();
  const TTourRoute route{choice.Destination, TourCandidates()};
  if (!route.Destination && route.Candidates.size() < 2) return TooFewCandidates();
  const auto start = std::chrono::steady_clock::now();
  // Shown as the frames are made; the busy pump repaints the status bar.
  const auto progress = [&](int done, int wanted) {
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ShowStatus(3,
               wanted > 0
                   ? tr("動画を保存中  %1/%2 コマ  残り %3")
                         .arg(done)
                         .arg(wanted)
                         .arg(Text(ClockText(SecondsLeft(done, wanted, elapsed))))
                   : tr("動画を保存中  %1 コマ  経過 %2").arg(done).arg(Text(ClockText(elapsed))));
  };
  const TTourVideoJob job{choice.Width,  choice.Height, choice.Fps, choice.Seconds * choice.Fps,
                          FTour.Speed(), route};
  const std::optional<TFilmed> filmed =
      SaveTourVideo(FSession, QFile::encodeName(choice.File).toStdString(), job, progress);
  if (filmed)
    ShowStatus(3,
               tr("%1 コマの動画を保存しました (%2)").arg(filmed->Frames).arg(Text(filmed->Codec)));
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
  lbDestName->setText(ShownFavoriteName(name));
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
  QMessageBox::information(this, tr("うずまきらんど"), tr(kTooFewCandidates));
}

}  // namespace vortexa
