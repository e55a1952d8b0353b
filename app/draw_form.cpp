#include "draw_form.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStatusTipEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QWindow>
#include <cmath>
#include <map>
#include <ranges>
#include <span>
#include <stdexcept>

#include "app/arrival_sound.h"
#include "app/fav_form.h"
#include "app/form_parts.h"
#include "app/glyphs.h"
#include "app/handlers.h"
#include "app/info_form.h"
#include "favorites/fav_files.h"
#include "favorites/number_text.h"
#include "favorites/text_encoding.h"
#include "session/messages.h"

namespace vortexa {

namespace {

// The property of a menu item that holds the command it gives.
constexpr const char* kCommandProperty = "command";
constexpr int kToolBarHeight = 53;
constexpr int kBasicToolBarWidth = 340;
constexpr int kOneRowWidth = 590;  // narrower windows put the tool bars in two rows
constexpr int kMinWindowWidth = 280;
constexpr int kMinWindowHeight = 400;

const char* const kLimitItems[] = {" 250",  " 500",   " 1000",  " 2000", " 4000",
                                   " 8000", " 16000", " 32000", " 64000"};
const char* const kPeriodItems[] = {QT_TRANSLATE_NOOP("vortexa::TDrawForm", " 極短/16"),
                                    QT_TRANSLATE_NOOP("vortexa::TDrawForm", " 極短/8"),
                                    QT_TRANSLATE_NOOP("vortexa::TDrawForm", " 極短/4"),
                                    QT_TRANSLATE_NOOP("vortexa::TDrawForm", " 極短/2"),
                                    QT_TRANSLATE_NOOP("vortexa::TDrawForm", "極短周期"),
                                    QT_TRANSLATE_NOOP("vortexa::TDrawForm", "短周期"),
                                    QT_TRANSLATE_NOOP("vortexa::TDrawForm", "中周期"),
                                    QT_TRANSLATE_NOOP("vortexa::TDrawForm", "長周期"),
                                    QT_TRANSLATE_NOOP("vortexa::TDrawForm", "極長周期"),
                                    QT_TRANSLATE_NOOP("vortexa::TDrawForm", " 極長*2"),
                                    QT_TRANSLATE_NOOP("vortexa::TDrawForm", " 極長*4"),
                                    QT_TRANSLATE_NOOP("vortexa::TDrawForm", " 極長*8"),
                                    QT_TRANSLATE_NOOP("vortexa::TDrawForm", " 極長*16")};

QLabel* AddLabel(QWidget* parent, const QString& text, int x, int y) {
  auto* label = new QLabel(text, parent);
  label->move(x, y);
  return label;
}

QSlider* AddTrackBar(QWidget* parent, int maximum, int pageStep, const QRect& geometry) {
  auto* bar = new QSlider(Qt::Horizontal, parent);
  bar->setRange(0, maximum);
  bar->setPageStep(pageStep);
  bar->setGeometry(geometry);
  return bar;
}

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

// A caption or hint of the menu rows in the interface's language.
QString RowText(const char* text) {
  return QCoreApplication::translate("MenuRows", text);
}

QString SizeText(QSize size) {
  return QString("%1×%2").arg(size.width()).arg(size.height());
}

// The line a field edits: its own, or an editable list's.
const QLineEdit* EditedLine(const QObject* field) {
  if (const auto* list = qobject_cast<const QComboBox*>(field)) return list->lineEdit();
  return qobject_cast<const QLineEdit*>(field);
}

bool LeavesCopyToTheWindow(const QObject* field, const QKeyEvent& key) {
  const QLineEdit* line = EditedLine(field);
  return line && key.matches(QKeySequence::Copy) && !line->hasSelectedText();
}

}  // namespace

int EffectiveOptions(int options, int simdLevel) {
  return simdLevel == 0 ? options | kOptNoSimd : options;
}

TDrawForm::TDrawForm(bool debug, TFavoritesFiles favoritesFiles, QWidget* parent)
    : QMainWindow(parent),
      FSession(*this, FPump),
      FFavoriteTree(FFavorites),
      FFavoritesFiles(std::move(favoritesFiles)),
      FKernelGlyphs{KernelGlyph(kKernelExtended), KernelGlyph(kKernelSingle),
                    KernelGlyph(kKernelDouble), KernelGlyph(kKernelDeep)},
      imBar(BarGlyph()),
      imFolder(QPixmap::fromImage(FolderGlyph())) {
  setWindowTitle(tr("うずまきらんど"));
  setAcceptDrops(true);
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  TopPanel = new QWidget(central);
  FImageArea = new TImageArea(central, FScreen);
  FImageArea->installEventFilter(this);
  new TWindowWheel(
      this, [this](int notches, const QWheelEvent& wheel) { FormMouseWheel(notches, wheel); });
  FStatusBar = new TStatusPanels(central);
  layout->addWidget(TopPanel);
  layout->addWidget(FImageArea, 1);
  layout->addWidget(FStatusBar);
  setCentralWidget(central);

  CreateBasicToolBar();
  CreateColorToolBar();
  CreateDebugControls(debug);
  CreateMenus();
  CreateTourControls();
  mnExprs->setVisible(debug);
  InstallFieldFilters();

  FStatusBar->SetOwnerDraw(
      [this](QPainter& painter, const QRect& rect) { StatusBarDrawPanel(painter, rect); });
  FStatusBar->SetText(1, "2000×2000");

  FIdleTimer = new QTimer(this);
  FIdleTimer->setSingleShot(true);
  FIdleTimer->setInterval(0);
  connect(FIdleTimer, &QTimer::timeout, this, Guarded(this, [this] { ApplicationEventsIdle(); }));

  FSession.SetOptions(EffectiveOptions(0, FSession.SimdLevel()));
  mnSSE->setChecked(FSession.Options() & kOptNoSimd);
  mnSSE->setEnabled(FSession.SimdLevel() != 0);
  FSession.SetObserver(this);
  FTour.SetObserver(this);
  ShowAngles();
  FFavForm = new TFavForm(FFavorites, this);
  LoadFavorites();
  setMinimumSize(kMinWindowWidth, kMinWindowHeight);
  resize(kOneRowWidth, kMinWindowHeight);
  ApplyLayout();
  FSettings = DefaultSettings();
}

TDrawForm::~TDrawForm() {
  FSession.SetObserver(nullptr);
  FTour.SetObserver(nullptr);
  delete FInfoForm.data();
  delete FExprsForm.data();
}

// ---- construction ----

void TDrawForm::CreateBasicToolBar() {
  BasicToolBar = new QWidget(TopPanel);
  AddLabel(BasicToolBar, tr("X："), 4, 6);
  edX = new QLineEdit("0", BasicToolBar);
  edX->setGeometry(26, 3, 126, 22);
  SetHint(edX, tr("中心点 X座標|中心点のX座標[有効桁数18桁]を指定/表示します"));
  AddLabel(BasicToolBar, tr("Y："), 4, 30);
  edY = new QLineEdit("0", BasicToolBar);
  edY->setGeometry(26, 27, 126, 22);
  SetHint(edY, tr("中心点 Y座標|中心点のY座標[有効桁数18桁]を指定/表示します"));
  AddLabel(BasicToolBar, tr("範囲："), 156, 6);
  edRange = new QLineEdit("2", BasicToolBar);
  edRange->setGeometry(194, 3, 96, 22);
  SetHint(edRange, tr("中心点からの表示範囲|中心点からの表示範囲[有効桁数5桁]を指定/表示します"));
  AddLabel(BasicToolBar, tr("上限："), 156, 30);
  cbLimit = new QComboBox(BasicToolBar);
  cbLimit->setEditable(true);
  cbLimit->setInsertPolicy(QComboBox::NoInsert);
  cbLimit->setCompleter(nullptr);
  cbLimit->setMaxVisibleItems(9);
  for (const char* item : kLimitItems)
    cbLimit->addItem(item);
  cbLimit->setEditText("1000");
  // Wide enough for the nine digits of the highest limit.
  cbLimit->setGeometry(194, 27, 96, 22);
  SetHint(cbLimit, tr("反復数上限|反復計算回数の上限[1-100000000]を指定/表示します"));
  btDraw = new QPushButton(tr("描画"), BasicToolBar);
  btDraw->setGeometry(294, 27, 44, 23);
  SetHint(btDraw, tr("再計算して描画|再計算して描画します"));

  // Marked fields show in blue until the view is shown in them again.
  for (QLineEdit* field : {edX, edY, edRange})
    connect(field, &QLineEdit::textEdited, this, [this, field] { MarkEdited(field); });
  connect(cbLimit->lineEdit(), &QLineEdit::textEdited, this, [this] { MarkEdited(cbLimit); });
  connect(cbLimit, &QComboBox::activated, this, Guarded(this, [this] { cbLimitSelect(); }));
  connect(btDraw, &QPushButton::clicked, this, Guarded(this, [this] { btDrawClick(); }));
}

void TDrawForm::CreateColorToolBar() {
  ColorToolBar = new QWidget(TopPanel);
  ColorBar = new TColorStrip(
      ColorToolBar, [this](int x, int width) { return FSession.PaletteStripColor(x, width); });
  ColorBar->setGeometry(4, 5, 110, 18);
  SetHint(ColorBar, tr("色パレット|この色を元にして計算結果に着色します"));
  cbColor = new QComboBox(ColorToolBar);
  cbColor->addItems({tr("１色"), tr("３色"), tr("６色")});
  cbColor->setGeometry(118, 3, 52, 22);
  cbTimes = new QComboBox(ColorToolBar);
  for (const char* item : kPeriodItems)
    cbTimes->addItem(tr(item));
  cbTimes->setCurrentIndex(kHomePeriod);
  cbTimes->setGeometry(174, 3, 74, 22);
  SetHint(cbTimes, tr("色周期|色パレットを計算結果に適用する周期を13段階で指定します"));
  tbHue = AddTrackBar(ColorToolBar, 63, 8, QRect(4, 28, 110, 22));
  tbHighlight = AddTrackBar(ColorToolBar, 6, 3, QRect(118, 28, 62, 22));
  SetHint(tbHighlight, tr("ハイライト|ハイライト(明暗縞)の強さを調整します"));
  tbSaturation = AddTrackBar(ColorToolBar, 4, 1, QRect(184, 28, 64, 22));
  SetHint(tbSaturation, tr("鮮やかさ|鮮やかさを調整します"));

  const auto colorChange = Guarded(this, [this] { cbColorChange(); });
  connect(cbColor, &QComboBox::activated, this, colorChange);
  for (QSlider* bar : {tbHue, tbHighlight, tbSaturation})
    connect(bar, &QSlider::valueChanged, this, colorChange);
  connect(cbTimes, &QComboBox::activated, this, Guarded(this, [this] { cbTimesChange(); }));
}

void TDrawForm::CreateDebugControls(bool debug) {
  Button4 = new QPushButton("3", BasicToolBar);
  Button4->setGeometry(294, 3, 20, 22);
  Button1 = new QPushButton("1", ColorToolBar);
  Button1->setGeometry(252, 3, 22, 22);
  Button2 = new QPushButton("2", ColorToolBar);
  Button2->setGeometry(276, 3, 22, 22);
  Button3 = new QPushButton("3", ColorToolBar);
  Button3->setGeometry(300, 3, 22, 22);
  CheckBox1 = new QCheckBox(tr("厚"), ColorToolBar);
  CheckBox1->setGeometry(252, 28, 44, 22);
  CheckBox1->setChecked(true);
  for (QWidget* control :
       std::initializer_list<QWidget*>{Button1, Button2, Button3, Button4, CheckBox1})
    control->setVisible(debug);
  connect(Button1, &QPushButton::clicked, this,
          Guarded(this, [this] { FSession.RotationSweep(); }));
  connect(Button2, &QPushButton::clicked, this,
          Guarded(this, [this] { FSession.ElevationSweep(); }));
  connect(Button3, &QPushButton::clicked, this, Guarded(this, [this] { FSession.RotationDemo(); }));
  connect(Button4, &QPushButton::clicked, this, Guarded(this, [this] { ShowCliffsCount(); }));
  connect(CheckBox1, &QCheckBox::clicked, this,
          Guarded(this, [this] { FSession.SetThickWalls(CheckBox1->isChecked()); }));
}

// The menus come from their rows; the lists that change (history, sizes,
// favourites, tour destinations) are filled in where the rows leave room.
void TDrawForm::CreateMenus() {
  std::map<TMenu, QActionGroup*> radioGroups;
  FMenus[TMenu::Bar] = nullptr;
  for (const TMenuRow& row : MenuRows()) {
    if (row.Menu == TMenu::Bar) {
      QMenu* menu = menuBar()->addMenu(RowText(row.Caption));
      menu->menuAction()->setStatusTip(RowText(row.Hint));
      FMenus[row.Opens] = menu;
      continue;
    }
    QMenu* parent = FMenus.at(row.Menu);
    if (row.Kind == TRowKind::Separator) {
      parent->addSeparator();
      continue;
    }
    if (row.Kind == TRowKind::Submenu) {
      QMenu* menu = parent->addMenu(RowText(row.Caption));
      menu->menuAction()->setStatusTip(RowText(row.Hint));
      menu->menuAction()->setVisible(!row.Hidden);
      FMenus[row.Opens] = menu;
      continue;
    }
    QAction* item = parent->addAction(RowText(row.Caption));
    item->setStatusTip(RowText(row.Hint));
    item->setVisible(!row.Hidden);
    if (row.Kind == TRowKind::Placeholder) continue;
    item->setData(row.Argument);
    item->setProperty(kCommandProperty, static_cast<int>(row.Command));
    item->setCheckable(row.Kind != TRowKind::Item);
    if (row.Kind == TRowKind::Radio) {
      QActionGroup*& group = radioGroups[row.Menu];
      if (!group) group = new QActionGroup(parent);
      group->addAction(item);
    }
    if (*row.Shortcut) {
      item->setShortcut(QKeySequence(row.Shortcut));
      addAction(item);  // the key works also while the menu bar is hidden
    }
    connect(item, &QAction::triggered, this,
            [this, item, command = row.Command, argument = row.Argument] {
              Dispatch(item, command, argument);
            });
  }
  AssignMenuMembers();
  connect(mnFile, &QMenu::aboutToShow, this, [this] { mnFileClick(); });
  connect(mnDisplay, &QMenu::aboutToShow, this, [this] { mnDisplayClick(); });
  connect(mnFavorite, &QMenu::aboutToShow, this, Guarded(this, [this] { mnTourClick(); }));
  FFixedHistoryItems = static_cast<int>(mnHistory->actions().size());
  FFixedFavoriteItems = static_cast<int>(mnFavorite->actions().size());
  mnPrev->setEnabled(false);
  mnNext->setEnabled(false);
  CommandItem(TCommandId::SetMagnifyRatio, FSession.MagnifyRatio())->setChecked(true);
  CommandItem(TCommandId::SetMoveRatio, FSession.MoveRatio())->setChecked(true);
  CommandItem(TCommandId::SetJpegQuality, FSettings.JpegQuality)->setChecked(true);
  CommandItem(TCommandId::SetLanguage, 0)->setChecked(true);  // until the settings are read
  CreateOutputMenu();
  CreateSizeMenu();
  CreateTourMenus();
  CreateScreenMenus();
}

QAction* TDrawForm::CommandItem(TCommandId command, int argument) const {
  for (QMenu* menu : FMenus | std::views::values) {
    if (!menu) continue;
    for (QAction* item : menu->actions())
      if (item->property(kCommandProperty) == static_cast<int>(command) && item->data() == argument)
        return item;
  }
  throw std::logic_error("no menu item gives this command");
}

void TDrawForm::AssignMenuMembers() {
  mnFile = FMenus.at(TMenu::File);
  mnDisplay = FMenus.at(TMenu::Display);
  mnFavorite = FMenus.at(TMenu::Favorite);
  mnOption = FMenus.at(TMenu::Option);
  mnHelp = FMenus.at(TMenu::Help);
  mnJPEG = FMenus.at(TMenu::JpegQuality);
  mnMagnify = FMenus.at(TMenu::Magnify);
  mnReduce = FMenus.at(TMenu::Reduce);
  mnMove = FMenus.at(TMenu::Scroll);
  mnHistory = FMenus.at(TMenu::History);
  mnSize = FMenus.at(TMenu::ImageSize);
  mnDest = FMenus.at(TMenu::TourDestinations);
  mnMagnifyRatio = FMenus.at(TMenu::MagnifyRatio);
  mnMoveRatio = FMenus.at(TMenu::MoveRatio);
  mnTourSpeed = FMenus.at(TMenu::TourSpeed);
  mnTourSND = FMenus.at(TMenu::TourSound);
  mnRestrict = FMenus.at(TMenu::Restrict);
  mnLanguage = FMenus.at(TMenu::Language);
  mnSave = CommandItem(TCommandId::SavePicture);
  mnCopy = CommandItem(TCommandId::CopyPicture);
  mnSizeSave = CommandItem(TCommandId::SaveAtSize);
  mnSizeCopy = CommandItem(TCommandId::CopyAtSize);
  mnWall = CommandItem(TCommandId::Wallpaper);
  mnPrint = CommandItem(TCommandId::PrintPicture);
  mnInfoCopy = CommandItem(TCommandId::CopyText);
  mnInfoPaste = CommandItem(TCommandId::PasteText);
  mnExit = CommandItem(TCommandId::Exit);
  mnDraw = CommandItem(TCommandId::Draw);
  mnInit = CommandItem(TCommandId::Home);
  mnPrev = CommandItem(TCommandId::HistoryBack);
  mnNext = CommandItem(TCommandId::HistoryForward);
  mnFullScreen = CommandItem(TCommandId::FullScreen);
  mnInfo = CommandItem(TCommandId::StatisticsWindow);
  mnExprs = CommandItem(TCommandId::FormulaWindow);
  mnSizeAdd = CommandItem(TCommandId::AddImageSize);
  mnSizeDel = CommandItem(TCommandId::DeleteImageSize);
  mnAdd = CommandItem(TCommandId::AddFavorite);
  mnModify = CommandItem(TCommandId::OrganizeFavorites);
  mnRandTour = CommandItem(TCommandId::RandomTour);
  mnWheelAtPointer = CommandItem(TCommandId::SetZoomAtPointer);
  mnTourSNDFile = CommandItem(TCommandId::SetTourSound, 0);
  mnTourSNDOff = CommandItem(TCommandId::SetTourSound, 1);
  mnFSInfo = CommandItem(TCommandId::SetOptions, kOptNoFullScreenInfo);
  mnAnimate = CommandItem(TCommandId::SetOptions, kOptNoZoomAnimation);
  mnThread = CommandItem(TCommandId::SetOptions, kOptSingleWorker);
  mnPredict = CommandItem(TCommandId::SetOptions, kOptNoPrediction);
  mnSymY = CommandItem(TCommandId::SetOptions, kOptNoMirror);
  mnSSE = CommandItem(TCommandId::SetOptions, kOptNoSimd);
  mnShowHelp = CommandItem(TCommandId::ShowHelp);
  mnAbout = CommandItem(TCommandId::About);
}

// Every menu item and its key come here: the session's command table says
// whether the command may run now, busy or not.
void TDrawForm::Dispatch(QAction* item, TCommandId command, int argument) {
  if (!FSession.Allows(command)) {
    // A refused switch keeps its tick.
    if (item->isCheckable() && !item->actionGroup()) item->setChecked(!item->isChecked());
    return;
  }
  Guard([this, item, command, argument] { RunMenuCommand(item, command, argument); });
}

void TDrawForm::RunMenuCommand(QAction* item, TCommandId command, int argument) {
  switch (command) {
    case TCommandId::SavePicture:
      return mnSaveClick();
    case TCommandId::CopyPicture:
      return mnCopyClick();
    case TCommandId::SaveAtSize:
      return mnSizeSaveClick(false);
    case TCommandId::CopyAtSize:
      return mnSizeSaveClick(true);
    case TCommandId::Wallpaper:
      return mnWallClick();
    case TCommandId::PrintPicture:
      return mnPrintClick();
    case TCommandId::SetJpegQuality:
      FSettings.JpegQuality = argument;
      return;
    case TCommandId::CopyText:
      return mnInfoCopyClick();
    case TCommandId::PasteText:
      return mnInfoPasteClick();
    case TCommandId::Exit:
      close();
      return;
    case TCommandId::Draw:
      return btDrawClick();
    case TCommandId::Home:
      return mnInitClick();
    case TCommandId::Magnify:
      return FSession.Magnify(argument);
    case TCommandId::Scroll:
      return FSession.MoveClick(argument);
    case TCommandId::HistoryBack:
      return FSession.HistoryItemClick(-1);
    case TCommandId::HistoryForward:
      return FSession.HistoryItemClick(-2);
    case TCommandId::FullScreen:
      return mnFullScreenClick();
    case TCommandId::AddImageSize:
      return mnSizeAddClick();
    case TCommandId::DeleteImageSize:
      return mnSizeDelClick();
    case TCommandId::StatisticsWindow:
      return mnInfoClick();
    case TCommandId::FormulaWindow:
      return mnExprsClick();
    case TCommandId::AddFavorite:
      return mnAddClick();
    case TCommandId::OrganizeFavorites:
      return mnModifyClick();
    case TCommandId::RandomTour:
      return mnRandTourClick();
    case TCommandId::SaveTourVideo:
      return mnTourVideoClick();
    case TCommandId::SetMagnifyRatio:
      FSession.SetMagnifyRatio(argument);
      return;
    case TCommandId::SetMoveRatio:
      FSession.SetMoveRatio(argument);
      return;
    case TCommandId::SetZoomAtPointer:
      FSession.SetZoomAtPointer(item->isChecked());
      return;
    case TCommandId::SetTourSpeed:
      return SetTourSpeed(argument);
    case TCommandId::SetTourSound:
      return argument == 0 ? mnTourSNDFileClick() : SetTourSound(1);
    case TCommandId::SetLanguage:
      return mnLanguageClick(argument);
    case TCommandId::SetOptions:
      return mnOptionClick();
    case TCommandId::ShowHelp:
      return mnShowHelpClick();
    case TCommandId::About:
      return mnAboutClick();
    default:
      throw std::logic_error("no menu item gives this command");
  }
}

// Enter draws from every control; the fields also drop characters that
// cannot be part of their number.
void TDrawForm::InstallFieldFilters() {
  for (QWidget* control : BasicToolBar->findChildren<QWidget*>())
    control->installEventFilter(this);
  for (QWidget* control : ColorToolBar->findChildren<QWidget*>())
    control->installEventFilter(this);
}

void TDrawForm::ApplyLayout() {
  const int width = centralWidget()->width();
  const bool oneRow = this->width() >= kOneRowWidth;
  TopPanel->setFixedHeight(oneRow ? kToolBarHeight : 2 * kToolBarHeight);
  BasicToolBar->setGeometry(0, 0, kBasicToolBarWidth, kToolBarHeight);
  if (oneRow)
    ColorToolBar->setGeometry(kBasicToolBarWidth, 0, width - kBasicToolBarWidth, kToolBarHeight);
  else
    ColorToolBar->setGeometry(0, kToolBarHeight, width, kToolBarHeight);
}

// ---- canvas ----

// Canvas positions are client positions of the window in dots; the image
// area lies below the tool bars.
void TDrawForm::Present(const QImage& image, int left, int top) {
  QPainter painter(&FScreen);
  painter.drawImage(left, top - Dots(FImageArea->y()), image);
  painter.end();
  FImageArea->repaint();
}

void TDrawForm::PresentStretched(const QImage& image, const QRect& dest) {
  QPainter painter(&FScreen);
  painter.drawImage(dest.translated(0, -Dots(FImageArea->y())), image);
  painter.end();
  FImageArea->repaint();
}

// ---- what the session reports ----

void TDrawForm::BusyChanged(bool busy) {
  EnableControls(!busy);
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ShowStatus(3, "");
    FStatusBar->repaint();
    // The window keeps its size while the grid computes for it.
    setFixedSize(size());
    return;
  }
  QApplication::restoreOverrideCursor();
  setMinimumSize(kMinWindowWidth, kMinWindowHeight);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

void TDrawForm::CommandEnded(double elapsedMs) {
  ShowElapsed(elapsedMs);
  ShowFault();
  // The command that just ended computed the formula it started with.
  if (std::exchange(FContinuePending, false))
    QTimer::singleShot(0, this, Guarded(this, [this] { DrawContinue(); }));
  FStatusBar->repaint();
  TopPanel->repaint();
  if (mnInfo->isChecked() && FInfoForm) FInfoForm->UpdateStats(FSession.View().Limit);
  // A size the window took while it was drawing is drawn now.
  if (PictureSize() != FSession.PictureSize() && FIdleRedrawEnabled) FIdleTimer->start();
  emit DrawingEnded();
  if (std::exchange(FClosePending, false)) QTimer::singleShot(0, this, [this] { close(); });
}

void TDrawForm::ProgressChanged() {
  // A command that would go on after the stop (the redraw after an output at
  // a size) is stopped too.
  if (FClosePending) FSession.RequestStop();
  FStatusBar->repaint();
}

void TDrawForm::ViewShown() {
  const std::pair<QLineEdit*, std::string> fields[] = {
      {edX, FSession.XText()},
      {edY, FSession.YText()},
      {edRange, FSession.RangeText()},
      {cbLimit->lineEdit(), std::to_string(FSession.View().Limit)}};
  for (const auto& [field, text] : fields) {
    field->setText(Text(text));
    // A long number shows its start (the sign and the first digits).
    field->setCursorPosition(0);
  }
  for (QWidget* field : std::initializer_list<QWidget*>{edX, edY, edRange, cbLimit})
    ClearEdited(field);
}

void TDrawForm::ColorsChanged() {
  const TColorPositions& colors = FSession.Colors();
  FColorsSuspended = true;
  cbColor->setCurrentIndex(colors.ColorMode);
  tbHue->setValue(colors.Hue);
  tbSaturation->setValue(colors.Saturation);
  tbHighlight->setValue(colors.Highlight);
  cbTimes->setCurrentIndex(colors.Period);
  FColorsSuspended = false;
  ColorBar->update();
  if (mnInfo->isChecked() && FInfoForm) FInfoForm->DrawHistogram();
}

void TDrawForm::AnglesChanged() {
  ShowAngles();
}

void TDrawForm::StatusChanged(const std::string& text) {
  ShowStatus(3, Text(text));
}

void TDrawForm::MouseCaptured(bool captured) {
  if (captured)
    FImageArea->grabMouse();
  else
    FImageArea->releaseMouse();
}

void TDrawForm::ScrollDragging(bool dragging) {
  if (dragging)
    QApplication::setOverrideCursor(Qt::ClosedHandCursor);
  else
    QApplication::restoreOverrideCursor();
}

void TDrawForm::EnableControls(bool enabled) {
  for (QAction* item : menuBar()->actions())
    item->setEnabled(enabled);
  for (QWidget* toolBar : {BasicToolBar, ColorToolBar})
    for (QWidget* control : toolBar->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (control != btDraw && control != imTour) control->setEnabled(enabled);
  btDraw->setText(enabled ? tr("描画") : tr("中止"));
  SetHint(btDraw, enabled ? tr("再計算して描画") : tr("描画中止"));
  mnPrev->setEnabled(enabled && FSession.Allows(TCommandId::HistoryBack));
  mnNext->setEnabled(enabled && FSession.Allows(TCommandId::HistoryForward));
  if (mnInfo->isChecked() && FInfoForm) FInfoForm->EnableRange(enabled);
}

void TDrawForm::ShowElapsed(double milliseconds) {
  ShowStatus(3, Text(FormatElapsed(milliseconds)));
}

// A custom recurrence that faulted left dots uncomputed: the picture is not whole.
void TDrawForm::ShowFault() {
  const TCalcFault fault = FSession.LastFault();
  if (!fault.Failed) return;
  ShowStatus(3, tr("%1  演算エラーで %2 点を計算できませんでした (%3)")
                    .arg(FStatusBar->Text(3))
                    .arg(fault.UncomputedDots)
                    .arg(CalcFaultText(fault)));
}

void TDrawForm::ShowAngles() {
  ShowStatus(2, QString::asprintf("%4d°%2d°", FSession.Rotation(), FSession.Elevation()) +
                    (FSession.Convex() ? tr("凸 ") : tr("凹 ")));
}

// ---- fields ----

bool TDrawForm::FieldEdited(const QWidget* field) const {
  return field->property("edited").toBool();
}

void TDrawForm::MarkEdited(QWidget* field) {
  field->setProperty("edited", true);
  QPalette colors = field->palette();
  colors.setColor(QPalette::Text, QColor(0, 0, 255));
  field->setPalette(colors);
}

void TDrawForm::ClearEdited(QWidget* field) {
  field->setProperty("edited", false);
  field->setPalette(QPalette());
}

bool TDrawForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == FImageArea) return ImageAreaEvent(event);
  if (event->type() == QEvent::KeyPress) return FilterKey(watched, static_cast<QKeyEvent*>(event));
  // A focused field claims Ctrl+C before the window's shortcut sees it: it
  // gets the key only with text selected, else the picture is copied.
  if (event->type() == QEvent::ShortcutOverride)
    return LeavesCopyToTheWindow(watched, static_cast<const QKeyEvent&>(*event));
  return QMainWindow::eventFilter(watched, event);
}

// The window sees every key before the focused control: its own keys act
// first, the fields then drop characters that cannot be part of their number.
bool TDrawForm::FilterKey(QObject* watched, QKeyEvent* key) {
  if (FormKeyDown(*key)) return true;
  const bool coordinate = watched == edX || watched == edY || watched == edRange;
  const bool limit = watched == cbLimit || watched == cbLimit->lineEdit();
  if (!coordinate && !limit) return false;
  // Copy, paste, cut, undo and select all, whatever text the platform attaches to them.
  for (auto command : {QKeySequence::Copy, QKeySequence::Paste, QKeySequence::Cut,
                       QKeySequence::Undo, QKeySequence::SelectAll})
    if (key->matches(command)) return false;
  const QList<uint> text = key->text().toUcs4();
  if (text.isEmpty() || key->key() == Qt::Key_Delete || key->key() == Qt::Key_Tab ||
      key->key() == Qt::Key_Backtab)
    return false;
  const char32_t code = text.front();
  return coordinate ? !CoordinateCharAccepted(code) : !LimitCharAccepted(code);
}

bool TDrawForm::FormKeyDown(const QKeyEvent& key) {
  const Qt::KeyboardModifiers modifiers = key.modifiers();
  switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Guarded(this, [this] { btDrawClick(); })();
      return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      if (FSession.Allows(TCommandId::Magnify))
        Guarded(this, [this, &key, modifiers] {
          FSession.Magnify(WheelZoomIndex(key.key() == Qt::Key_PageUp, FSession.MagnifyRatio(),
                                          modifiers & Qt::ShiftModifier,
                                          modifiers & Qt::ControlModifier));
        })();
      return true;
    case Qt::Key_Home:
      if (FSession.Allows(TCommandId::Home)) Guarded(this, [this] { mnInitClick(); })();
      return true;
    case Qt::Key_Left:
    case Qt::Key_Right: {
      if (!(modifiers & Qt::AltModifier)) return false;
      (key.key() == Qt::Key_Left ? mnPrev : mnNext)->trigger();
      return true;
    }
    default:
      return false;
  }
}

void TDrawForm::keyPressEvent(QKeyEvent* event) {
  if (!FilterKey(this, event)) QMainWindow::keyPressEvent(event);
}

// ---- mouse ----

// The wheel anywhere in the window zooms, or with the right button held
// switches the relief; the session uses up a notch that comes while busy.
// Zooming about the pointer takes the picture's centre where the pointer is
// not over the picture.
void TDrawForm::FormMouseWheel(int notches, const QWheelEvent& wheel) {
  const TPointerState state{false, (wheel.buttons() & Qt::RightButton) != 0,
                            (wheel.modifiers() & Qt::ShiftModifier) != 0};
  const bool ctrl = (wheel.modifiers() & Qt::ControlModifier) != 0;
  const QPointF inArea = FImageArea->mapFromGlobal(wheel.globalPosition());
  const QPoint pointer =
      FImageArea->rect().contains(inArea.toPoint())
          ? Dot(inArea)
          : QPoint(FSession.PictureSize().width() / 2, FSession.PictureSize().height() / 2);
  for (int notch = 0; notch < std::abs(notches); ++notch)
    Guarded(this, [&] { FSession.Wheel(notches > 0, state, ctrl, pointer); })();
}

TPointerState TDrawForm::PointerState(const QMouseEvent& event) const {
  return {(event.buttons() & Qt::LeftButton) != 0, (event.buttons() & Qt::RightButton) != 0,
          (event.modifiers() & Qt::ShiftModifier) != 0};
}

int TDrawForm::Dots(int pixels) const {
  return DevicePixels(pixels, devicePixelRatioF());
}

QPoint TDrawForm::Dot(QPointF position) const {
  return DevicePoint(position, devicePixelRatioF());
}

// Positions in the image area are positions in the picture, as dots.
bool TDrawForm::ImageAreaEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      const auto& mouse = static_cast<const QMouseEvent&>(*event);
      const int historyStep = mouse.button() == Qt::BackButton      ? -1
                              : mouse.button() == Qt::ForwardButton ? -2
                                                                    : 0;
      if (historyStep != 0)
        (historyStep == -1 ? mnPrev : mnNext)->trigger();
      else
        FSession.MousePress(Dot(mouse.position()), PointerState(mouse));
      return true;
    }
    case QEvent::MouseMove: {
      const auto& mouse = static_cast<const QMouseEvent&>(*event);
      const TPointerState state = PointerState(mouse);
      if (mouse.buttons() == Qt::NoButton)
        FormMouseMove(mouse.position() + FImageArea->pos(), mouse.modifiers());
      else
        Guarded(this,
                [this, &mouse, state] { FSession.MouseMove(Dot(mouse.position()), state); })();
      return true;
    }
    case QEvent::MouseButtonRelease: {
      const auto& mouse = static_cast<const QMouseEvent&>(*event);
      Guarded(this, [this, &mouse] {
        FSession.MouseRelease(Dot(mouse.position()), PointerState(mouse));
      })();
      return true;
    }
    default:
      return false;
  }
}

// ---- commands ----

void TDrawForm::btDrawClick() {
  // A range no view can have keeps the range in use, and says why.
  if (!FSession.Busy() && !FSession.TourRunning() &&
      RangeFieldRefused(edRange->text().toStdString())) {
    edRange->setText(Text(FSession.RangeText()));
    ClearEdited(edRange);
    ShowStatus(3, Text(std::string(kRangeRefusedText)));
    return;
  }
  FSession.PressDraw(FieldsToView(edX->text().toStdString(), edY->text().toStdString(),
                                  edRange->text().toStdString(),
                                  cbLimit->currentText().toStdString()));
}

void TDrawForm::cbLimitSelect() {
  if (FieldEdited(edX) || FieldEdited(edY) || FieldEdited(edRange)) {
    btDrawClick();
    return;
  }
  FSession.ChangeLimit(FieldToLimit(cbLimit->currentText().toStdString()));
}

void TDrawForm::mnInitClick() {
  FSession.Home();
}

// Each switch carries its bit.
int TDrawForm::RestrictOptions() const {
  int options = 0;
  for (const QAction* item : mnRestrict->actions())
    if (item->isChecked()) options |= item->data().toInt();
  return options;
}

void TDrawForm::mnOptionClick() {
  FSession.SetOptions(EffectiveOptions(RestrictOptions(), FSession.SimdLevel()));
}

TColorPositions TDrawForm::ColorControls() const {
  return {cbColor->currentIndex(), tbHue->value(), tbSaturation->value(), tbHighlight->value(),
          cbTimes->currentIndex()};
}

void TDrawForm::cbColorChange() {
  if (FColorsSuspended) return;
  FSession.SetColors(ColorControls());
}

void TDrawForm::cbTimesChange() {
  FSession.SetColors(ColorControls());
}

void TDrawForm::mnInfoClick() {
  if (!mnInfo->isChecked()) {
    if (FInfoForm) FInfoForm->close();
    return;
  }
  FInfoForm = new TInfoForm(this);
  FInfoForm->setAttribute(Qt::WA_DeleteOnClose);
  connect(FInfoForm, &TInfoForm::Closed, this, [this] { mnInfo->setChecked(false); });
  FInfoForm->Bind(&FSession.FinishedGrid());
  FInfoForm->show();
  FInfoForm->UpdateStats(FSession.View().Limit);
}

// ---- formula window ----

void TDrawForm::mnExprsClick() {
  if (!mnExprs->isChecked()) {
    if (FExprsForm) FExprsForm->close();
    return;
  }
  FExprsForm = new TExprsForm(FSession, this);
  FExprsForm->setAttribute(Qt::WA_DeleteOnClose);
  connect(FExprsForm, &TExprsForm::Closed, this, [this] { mnExprs->setChecked(false); });
  connect(FExprsForm, &TExprsForm::FormulaChanged, this, [this] { DrawContinue(); });
  FExprsForm->show();
}

void TDrawForm::DrawContinue() {
  if (!FSession.DrawContinue()) FContinuePending = true;
}

void TDrawForm::mnFavoriteItemClick(TMBItem& item) {
  FSession.LoadFavorite(item);
}

// The history menu: groups of entries by centre, newest first.
void TDrawForm::mnDisplayClick() {
  UpdateSizeMenu();
  const QList<QAction*> entries = mnHistory->actions();
  for (qsizetype i = FFixedHistoryItems; i < entries.size(); ++i) {
    mnHistory->removeAction(entries[i]);
    if (QMenu* group = entries[i]->menu()) group->deleteLater();
    entries[i]->deleteLater();
  }
  for (const THistoryGroup& group : FSession.HistoryGroups()) {
    QMenu* item = mnHistory->addMenu(ShownFavoriteName(group.Caption));
    item->menuAction()->setCheckable(true);
    item->menuAction()->setChecked(group.Current);
    for (const THistoryGroup::TEntry& entry : group.Entries) {
      QAction* range = item->addAction(Text(entry.Caption));
      range->setCheckable(true);
      range->setChecked(entry.Current);
      connect(range, &QAction::triggered, this,
              Guarded(this, [this, index = entry.Index] { FSession.HistoryItemClick(index); }));
    }
  }
}

// ---- reproduction text ----

void TDrawForm::mnFileClick() {
  const std::optional<std::string> text = ClipboardText();
  mnInfoPaste->setEnabled(text && FSession.AcceptsText(*text));
}

void TDrawForm::mnInfoCopyClick() {
  QGuiApplication::clipboard()->setText(Text(FSession.ReproductionText()));
}

void TDrawForm::mnInfoPasteClick() {
  if (const std::optional<std::string> text = ClipboardText()) FSession.PasteText(*text);
}

// Text from other programs comes as UTF-8 or, from older ones, as CP932.
std::optional<std::string> TDrawForm::DroppedText(const QMimeData* data) const {
  if (!data || !data->hasText()) return std::nullopt;
  const QByteArray bytes = data->data("text/plain");
  if (bytes.isEmpty()) return data->text().toStdString();
  return DecodeTextFile(std::string_view(bytes.constData(), bytes.size()));
}

std::optional<std::string> TDrawForm::ClipboardText() const {
  return DroppedText(QGuiApplication::clipboard()->mimeData());
}

void TDrawForm::dragEnterEvent(QDragEnterEvent* event) {
  const std::optional<std::string> text = DroppedText(event->mimeData());
  if (text && FSession.AcceptsText(*text)) event->acceptProposedAction();
}

void TDrawForm::dragMoveEvent(QDragMoveEvent* event) {
  const std::optional<std::string> text = DroppedText(event->mimeData());
  if (text && FSession.AcceptsText(*text))
    event->acceptProposedAction();
  else
    event->ignore();
}

void TDrawForm::dropEvent(QDropEvent* event) {
  const std::optional<std::string> text = DroppedText(event->mimeData());
  if (!text) return;
  Guarded(this, [this, &text] { FSession.PasteText(*text); })();
  event->acceptProposedAction();
}

void TDrawForm::mnAboutClick() {
  QMessageBox::about(this, tr("うずまきらんど"),
                     tr("<b>うずまきらんど</b> (Vortexa)<br>バージョン %1<br><br>"
                        "マンデルブロー集合の探索")
                         .arg(VORTEXA_VERSION));
}

// ---- status bar ----

// Panel 0: the kernel in use and, while busy, the progress bar.
void TDrawForm::StatusBarDrawPanel(QPainter& painter, const QRect& rect) {
  const QImage& kernel = FKernelGlyphs[std::clamp(FSession.Kernel(), 0, kKernelDeep)];
  painter.fillRect(rect, palette().button());
  painter.drawImage(rect.left(), rect.top() + (rect.height() - kernel.height() + 1) / 2, kernel);
  const int progress = FSession.Progress();
  if (progress < 0) return;
  const int left = rect.left() + 11, top = rect.top() + 2;
  const int right = rect.left() + rect.width() - 1, bottom = rect.top() + rect.height() - 2;
  painter.setPen(palette().color(QPalette::Dark));
  painter.drawRect(left, top, right - left - 1, bottom - top - 1);
  const int barRight = left + static_cast<int>(std::nearbyint((right - left) * progress / 100.0));
  painter.drawImage(QRect(left, top, barRight - left, bottom - top), imBar);
}

void TDrawForm::ShowStatus(int panel, const QString& text) {
  FStatusBar->SetText(panel, text);
}

QString TDrawForm::StatusText(int panel) const {
  return FStatusBar->Text(panel);
}

bool TDrawForm::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip) {
    ShowStatus(3, static_cast<QStatusTipEvent*>(event)->tip());
    return true;
  }
  return QMainWindow::event(event);
}

// ---- size, idle redraw, closing ----

void TDrawForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  ApplyLayout();
  ShowStatus(1, SizeText(PictureSize()));
  if (FIdleRedrawEnabled) FIdleTimer->start();
}

// The native window exists once the window is shown.
void TDrawForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (std::exchange(FScreenWatched, true)) return;
  connect(windowHandle(), &QWindow::screenChanged, this, [this] { ScreenChanged(); });
}

void TDrawForm::ScreenChanged() {
  ShowStatus(1, SizeText(PictureSize()));
  if (FIdleRedrawEnabled) FIdleTimer->start();
}

QWidget* TDrawForm::ImageArea() const {
  return FImageArea;
}

QSize TDrawForm::ImageAreaSize() const {
  if (FullScreen()) return screen()->size();
  return {centralWidget()->width(),
          centralWidget()->height() - TopPanel->height() - FStatusBar->height()};
}

// A size the image-size menu chose stays exact where rounding would miss it
// by a dot (an odd size on a screen scaled by 2).
QSize TDrawForm::PictureSize() const {
  const QSize area = ImageAreaSize();
  const double ratio = devicePixelRatioF();
  if (!FChosenPicture.isEmpty() && LogicalSize(FChosenPicture, ratio) == area)
    return FChosenPicture;
  return DeviceSize(area, ratio);
}

// A picture that does not fit in memory leaves none, and the window says so.
bool TDrawForm::AllocatePicture(QSize picture) {
  FScreen = QImage(picture, QImage::Format_ARGB32_Premultiplied);
  if (FScreen.isNull()) return false;
  try {
    FSession.Resize(picture.width(), picture.height());
  } catch (const std::bad_alloc&) {
    FScreen = QImage();
    return false;
  }
  return true;
}

void TDrawForm::ApplicationEventsIdle() {
  if (FSession.Busy()) return;
  const QSize area = ImageAreaSize();
  if (area.isEmpty()) return;
  const QSize picture = PictureSize();
  ShowStatus(1, SizeText(picture));
  FSession.SetPixelRatio(devicePixelRatioF());
  if (!AllocatePicture(picture)) {
    ShowStatus(
        3, tr("%1×%2 の画像に必要なメモリがありません").arg(picture.width()).arg(picture.height()));
    return;
  }
  FScreen.fill(Qt::black);
  FImageArea->SetSurfaceExtent(area);
  FSession.SetOrigin(Dots(PictureTop()));
  ColorToolBar->update();
  btDrawClick();
}

// Closing stops a running command and waits for its end (the engine is idle
// then) before the settings and favourites are written.
void TDrawForm::closeEvent(QCloseEvent* event) {
  if (FSession.Busy()) {
    FClosePending = true;
    FSession.RequestStop();
    event->ignore();
    return;
  }
  if (FInfoForm) FInfoForm->close();
  if (FullScreen()) mnFullScreenClick();
  SaveSettings();
  SaveFavorites();
  event->accept();
}

// ---- hover ----

// position is a client position of the window.
void TDrawForm::FormMouseMove(QPointF position, Qt::KeyboardModifiers modifiers) {
  if (FullScreen() && modifiers == Qt::NoModifier) FullScreenMouseMove(position.toPoint());
  if (FSession.Busy() || !mnInfo->isChecked() || !FInfoForm || !FInfoForm->DotInspectorOn()) return;
  if (FSession.Transformed()) {
    FInfoForm->ClearDot();
    return;
  }
  const QPoint dot = Dot(QPointF(position.x(), position.y() - PictureTop()));
  const auto [re, im] = FSession.PointAt(dot);
  FInfoForm->ShowDot(dot.x(), dot.y(), re, im);
}

// ---- favourites ----

void TDrawForm::LoadFavorites() {
  try {
    LoadFavoritesAtStartUp(
        FFavoriteTree, FFavoritesFiles.OwnFile, FFavoritesFiles.RecommendedFile,
        [this](std::string_view question) {
          return QMessageBox::question(
                     this, tr("うずまきらんど"),
                     QCoreApplication::translate("Favorites", std::string(question).c_str()),
                     QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
        });
  } catch (const std::exception& error) {
    // An unreadable file is left alone at exit rather than overwritten.
    FFavoritesReadable = false;
    QMessageBox::warning(this, tr("うずまきらんど"), QString::fromUtf8(error.what()));
  }
  BuildMenu();
}

void TDrawForm::SaveFavorites() {
  if (!FFavoritesReadable) return;
  try {
    const std::vector<TMergeNote> conflicts =
        SaveFavoritesAtExit(FFavoriteTree, FFavoritesFiles.OwnFile);
    if (conflicts.empty()) return;
    QString text =
        tr("お気に入りファイルは、もう一つのうずまきらんどでも変更されていました。\n"
           "両方の変更を残して保存しました。\n");
    for (const TMergeNote& conflict : conflicts)
      text += "\n" + QCoreApplication::translate("Favorites", std::string(conflict.Message).c_str())
                         .arg(QString::fromStdString(conflict.Name));
    QMessageBox::information(this, tr("うずまきらんど"), text);
  } catch (const std::exception& error) {
    QMessageBox::warning(
        this, tr("うずまきらんど"),
        tr("お気に入りを保存できませんでした。") + "\n" + QString::fromUtf8(error.what()));
  }
}

void TDrawForm::BuildMenu() {
  const QList<QAction*> entries = mnFavorite->actions();
  for (qsizetype i = FFixedFavoriteItems; i < entries.size(); ++i) {
    mnFavorite->removeAction(entries[i]);
    if (QMenu* folder = entries[i]->menu()) folder->deleteLater();
    entries[i]->deleteLater();
  }
  AddFavoriteEntries(mnFavorite, FFavoriteTree.Root());
}

void TDrawForm::AddFavoriteEntries(QMenu* menu, const TFavNode& folder) {
  for (const auto& child : folder.Children()) {
    if (child->IsFolder()) {
      QMenu* sub = menu->addMenu(imFolder, ShownFavoriteName(child->Text));
      AddFavoriteEntries(sub, *child);
      continue;
    }
    TMBItem& item = *child->Item();
    item.Tour = child->TourMark ? 1 : 0;
    item.Name = child->Text;
    QAction* entry = menu->addAction(ShownFavoriteName(child->Text));
    entry->setEnabled(item.IsView());  // a line kept unread from the file holds no view
    connect(entry, &QAction::triggered, this,
            Guarded(this, [this, &item] { mnFavoriteItemClick(item); }));
  }
  FitMenuHeight(menu);
}

// ---- debug controls ----

void TDrawForm::ShowCliffsCount() {
  const int cliffs = FSession.ShowCliffs();
  if (cliffs < 0) return;
  const TFinishedGrid& grid = FSession.FinishedGrid();
  const double dots = std::max(1, grid.Width() * grid.Height());
  ShowStatus(3, QString("%1(%2%)").arg(cliffs).arg(std::nearbyint(cliffs / dots * 100)));
}

}  // namespace vortexa
