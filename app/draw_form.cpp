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
#include <span>
#include <thread>

#include "app/arrival_sound.h"
#include "app/fav_form.h"
#include "app/form_parts.h"
#include "app/glyphs.h"
#include "app/handlers.h"
#include "app/info_form.h"
#include "favorites/fav_files.h"
#include "favorites/number_text.h"
#include "favorites/text_encoding.h"

namespace vortexa {

namespace {

constexpr int kToolBarHeight = 53;
constexpr int kBasicToolBarWidth = 340;
constexpr int kOneRowWidth = 590;  // narrower windows put the tool bars in two rows
constexpr int kCloseWaitMs = 100;
constexpr int kMinWindowWidth = 280;
constexpr int kMinWindowHeight = 400;
constexpr int kDemoDurationMs = 18000;
constexpr int kDemoWorkPerStepMs = 50;

const char* const kLimitItems[] = {" 250",  " 500",   " 1000",  " 2000", " 4000",
                                   " 8000", " 16000", " 32000", " 64000"};
const char* const kPeriodItems[] = {" 極短/16", " 極短/8", " 極短/4", " 極短/2",  "極短周期",
                                    "短周期",   "中周期",  "長周期",  "極長周期", " 極長*2",
                                    " 極長*4",  " 極長*8", " 極長*16"};

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

QString SizeText(QSize size) {
  return QString("%1×%2").arg(size.width()).arg(size.height());
}

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// Zoom items as the menus list them: (caption, hint, ratio index).
struct TZoomItem {
  const char* Caption;
  const char* Hint;
  int Index;
};
constexpr TZoomItem kMagnifyItems[] = {{"２倍", "２倍に拡大します", 3},
                                       {"４倍", "４倍に拡大します", 2},
                                       {"８倍", "８倍に拡大します", 1},
                                       {"16倍", "16倍に拡大します", 0}};
constexpr TZoomItem kReduceItems[] = {{"２分の１", "２分の１に縮小します", 4},
                                      {"４分の１", "４分の１に縮小します", 5},
                                      {"８分の１", "８分の１に縮小します", 6},
                                      {"16分の１", "16分の１に縮小します", 7}};
// Scroll items by tag; the centre (tag 4) has no action.
constexpr const char* kScrollCaptions[] = {"左上", "左",   "左下", "上",  "",
                                           "下",   "右上", "右",   "右下"};

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
      FSession(*this),
      FFavoriteTree(FFavorites),
      FFavoritesFiles(std::move(favoritesFiles)),
      FKernelGlyphs{KernelGlyph(kKernelExtended), KernelGlyph(kKernelSingle),
                    KernelGlyph(kKernelDouble), KernelGlyph(kKernelDeep)},
      imBar(BarGlyph()),
      imFolder(QPixmap::fromImage(FolderGlyph())) {
  setWindowTitle("うずまきらんど");
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
  CreateExprsMenu(debug);
  InstallFieldFilters();

  FStatusBar->SetOwnerDraw(
      [this](QPainter& painter, const QRect& rect) { StatusBarDrawPanel(painter, rect); });
  FStatusBar->SetText(1, "2000×2000");

  FIdleTimer = new QTimer(this);
  FIdleTimer->setSingleShot(true);
  FIdleTimer->setInterval(0);
  connect(FIdleTimer, &QTimer::timeout, this, Guarded(this, [this] { ApplicationEventsIdle(); }));

  TCalcGrid& grid = FSession.CalcGrid();
  FSession.SetOptions(EffectiveOptions(0, grid.SimdLevel()));
  mnSSE->setChecked(grid.Options() & kOptNoSimd);
  mnSSE->setEnabled(grid.SimdLevel() != 0);
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
  AddLabel(BasicToolBar, "X：", 4, 6);
  edX = new QLineEdit("0", BasicToolBar);
  edX->setGeometry(26, 3, 150, 22);
  SetHint(edX, "中心点 X座標|中心点のX座標[有効桁数18桁]を指定/表示します");
  AddLabel(BasicToolBar, "Y：", 4, 30);
  edY = new QLineEdit("0", BasicToolBar);
  edY->setGeometry(26, 27, 150, 22);
  SetHint(edY, "中心点 Y座標|中心点のY座標[有効桁数18桁]を指定/表示します");
  AddLabel(BasicToolBar, "範囲：", 182, 6);
  edRange = new QLineEdit("2", BasicToolBar);
  edRange->setGeometry(220, 3, 70, 22);
  SetHint(edRange, "中心点からの表示範囲|中心点からの表示範囲[有効桁数5桁]を指定/表示します");
  AddLabel(BasicToolBar, "上限：", 182, 30);
  cbLimit = new QComboBox(BasicToolBar);
  cbLimit->setEditable(true);
  cbLimit->setInsertPolicy(QComboBox::NoInsert);
  cbLimit->setCompleter(nullptr);
  cbLimit->setMaxVisibleItems(9);
  for (const char* item : kLimitItems)
    cbLimit->addItem(item);
  cbLimit->setEditText("1000");
  cbLimit->setGeometry(220, 27, 70, 22);
  SetHint(cbLimit, "反復数上限|反復計算回数の上限[1-65000]を指定/表示します");
  btDraw = new QPushButton("描画", BasicToolBar);
  btDraw->setGeometry(294, 27, 44, 23);
  SetHint(btDraw, "再計算して描画|再計算して描画します");

  // Marked fields show in blue until the view is shown in them again.
  for (QLineEdit* field : {edX, edY, edRange})
    connect(field, &QLineEdit::textEdited, this, [this, field] { MarkEdited(field); });
  connect(cbLimit->lineEdit(), &QLineEdit::textEdited, this, [this] { MarkEdited(cbLimit); });
  connect(cbLimit, &QComboBox::activated, this, Guarded(this, [this] { cbLimitSelect(); }));
  connect(btDraw, &QPushButton::clicked, this, Guarded(this, [this] { btDrawClick(); }));
}

void TDrawForm::CreateColorToolBar() {
  ColorToolBar = new QWidget(TopPanel);
  ColorBar = new TColorStrip(ColorToolBar, FSession.DrawGrid().Palette());
  ColorBar->setGeometry(4, 5, 110, 18);
  SetHint(ColorBar, "色パレット|この色を元にして計算結果に着色します");
  cbColor = new QComboBox(ColorToolBar);
  cbColor->addItems({"１色", "３色", "６色"});
  cbColor->setGeometry(118, 3, 52, 22);
  cbTimes = new QComboBox(ColorToolBar);
  for (const char* item : kPeriodItems)
    cbTimes->addItem(item);
  cbTimes->setCurrentIndex(kHomePeriod);
  cbTimes->setGeometry(174, 3, 74, 22);
  SetHint(cbTimes, "色周期|色パレットを計算結果に適用する周期を13段階で指定します");
  tbHue = AddTrackBar(ColorToolBar, 63, 8, QRect(4, 28, 110, 22));
  tbHighlight = AddTrackBar(ColorToolBar, 6, 3, QRect(118, 28, 62, 22));
  SetHint(tbHighlight, "ハイライト|ハイライト(明暗縞)の強さを調整します");
  tbSaturation = AddTrackBar(ColorToolBar, 4, 1, QRect(184, 28, 64, 22));
  SetHint(tbSaturation, "鮮やかさ|鮮やかさを調整します");

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
  CheckBox1 = new QCheckBox("厚", ColorToolBar);
  CheckBox1->setGeometry(252, 28, 44, 22);
  CheckBox1->setChecked(true);
  for (QWidget* control :
       std::initializer_list<QWidget*>{Button1, Button2, Button3, Button4, CheckBox1})
    control->setVisible(debug);
  connect(Button1, &QPushButton::clicked, this, Guarded(this, [this] { RotationSweep(); }));
  connect(Button2, &QPushButton::clicked, this, Guarded(this, [this] { ElevationSweep(); }));
  connect(Button3, &QPushButton::clicked, this, Guarded(this, [this] { RotationDemo(); }));
  connect(Button4, &QPushButton::clicked, this, Guarded(this, [this] { ShowCliffsCount(); }));
  connect(CheckBox1, &QCheckBox::clicked, this, Guarded(this, [this] { CheckBox1Click(); }));
}

void TDrawForm::CreateMenus() {
  mnFile = menuBar()->addMenu("ファイル(&F)");
  mnInfoCopy = mnFile->addAction("再現情報をコピー(&R)");
  mnInfoCopy->setStatusTip("現在の画像の再現情報(テキスト)をクリップボードにコピーします");
  connect(mnInfoCopy, &QAction::triggered, this, Guarded(this, [this] { mnInfoCopyClick(); }));
  mnInfoPaste = mnFile->addAction("再現情報を貼り付け(&V)");
  mnInfoPaste->setStatusTip("再現情報(テキスト)をクリップボードから貼り付け、画像を再現します");
  connect(mnInfoPaste, &QAction::triggered, this, Guarded(this, [this] { mnInfoPasteClick(); }));
  mnFile->addSeparator();
  mnExit = mnFile->addAction("終了(&X)");
  CreateOutputMenu();
  connect(mnExit, &QAction::triggered, this, &QWidget::close);
  connect(mnFile, &QMenu::aboutToShow, this, [this] { mnFileClick(); });

  mnDisplay = menuBar()->addMenu("表示(&V)");
  mnDraw = mnDisplay->addAction("描画(&D)\tEnter");
  mnDraw->setStatusTip("再計算して描画します");
  connect(mnDraw, &QAction::triggered, this, Guarded(this, [this] { btDrawClick(); }));
  mnInit = mnDisplay->addAction("初期位置(&I)\tHome");
  connect(mnInit, &QAction::triggered, this, Guarded(this, [this] { mnInitClick(); }));
  mnDisplay->addSeparator();
  CreateZoomMenus();
  CreateHistoryMenu();
  CreateSizeMenu();
  mnDisplay->addSeparator();
  mnInfo = mnDisplay->addAction("統計情報(&I)...");
  mnInfo->setCheckable(true);
  mnInfo->setStatusTip("各種統計情報ウインドウの表示/非表示を切替えます");
  connect(mnInfo, &QAction::triggered, this, Guarded(this, [this] { mnInfoClick(); }));
  connect(mnDisplay, &QMenu::aboutToShow, this, [this] { mnDisplayClick(); });

  mnFavorite = menuBar()->addMenu("お気に入り(&A)");
  mnFavorite->menuAction()->setStatusTip("お気に入りフォルダの内容を表示します");
  CreateFavoriteCommands();
  FFixedFavoriteItems = static_cast<int>(mnFavorite->actions().size());

  mnOption = menuBar()->addMenu("オプション(&O)");
  CreateOptionMenus();
  CreateRestrictMenu();

  mnHelp = menuBar()->addMenu("ヘルプ(&H)");
  mnAbout = mnHelp->addAction("バージョン情報(&A)...");
  connect(mnAbout, &QAction::triggered, this, [this] { mnAboutClick(); });
  CreateScreenMenus();
}

void TDrawForm::CreateZoomMenus() {
  const auto addZoomMenu = [this](const char* caption, const char* hint,
                                  std::span<const TZoomItem> items) {
    QMenu* menu = mnDisplay->addMenu(caption);
    menu->menuAction()->setStatusTip(hint);
    for (const TZoomItem& zoom : items) {
      QAction* item = menu->addAction(zoom.Caption);
      item->setStatusTip(zoom.Hint);
      connect(item, &QAction::triggered, this,
              Guarded(this, [this, index = zoom.Index] { FSession.Magnify(index); }));
    }
    return menu;
  };
  mnMagnify = addZoomMenu("拡大(&M)\tPageUp", "画像を拡大します", kMagnifyItems);
  mnReduce = addZoomMenu("縮小(&R)\tPageDown", "画像を縮小します", kReduceItems);

  // Scrolling by menu is for the keyboard-minded; it stays out of sight.
  mnMove = mnDisplay->addMenu("スクロール(&C)");
  mnMove->menuAction()->setStatusTip("任意の方向にスクロールします");
  mnMove->menuAction()->setVisible(false);
  for (int tag = 0; tag < static_cast<int>(std::size(kScrollCaptions)); ++tag) {
    QAction* item = mnMove->addAction(kScrollCaptions[tag]);
    if (tag == 4) continue;
    item->setStatusTip(QString(kScrollCaptions[tag]) + "にスクロールします");
    connect(item, &QAction::triggered, this,
            Guarded(this, [this, tag] { FSession.MoveClick(tag); }));
  }
}

void TDrawForm::CreateHistoryMenu() {
  mnHistory = mnDisplay->addMenu("履歴(&H)");
  mnHistory->menuAction()->setStatusTip("履歴を表示します");
  mnPrev = mnHistory->addAction("前に戻る(&P)\tAlt+←");
  mnPrev->setStatusTip("前の履歴に戻ります");
  connect(mnPrev, &QAction::triggered, this,
          Guarded(this, [this] { FSession.HistoryItemClick(-1); }));
  mnNext = mnHistory->addAction("次に進む(&N)\tAlt+→");
  mnNext->setStatusTip("次の履歴に進みます");
  connect(mnNext, &QAction::triggered, this,
          Guarded(this, [this] { FSession.HistoryItemClick(-2); }));
  mnHistory->addSeparator();
  FFixedHistoryItems = static_cast<int>(mnHistory->actions().size());
  mnPrev->setEnabled(false);
  mnNext->setEnabled(false);
}

// A radio submenu: one item checked, its position handed to `chosen`.
QMenu* TDrawForm::AddRadioMenu(QMenu* parent, const QString& caption, const QString& hint,
                               const QStringList& items, int checked,
                               std::function<void(int)> chosen) {
  QMenu* menu = parent->addMenu(caption);
  menu->menuAction()->setStatusTip(hint);
  auto* group = new QActionGroup(menu);
  for (int position = 0; position < items.size(); ++position) {
    QAction* item = menu->addAction(items[position]);
    item->setCheckable(true);
    item->setChecked(position == checked);
    group->addAction(item);
    connect(item, &QAction::triggered, this, [chosen, position] { chosen(position); });
  }
  return menu;
}

void TDrawForm::CreateOptionMenus() {
  mnMagnifyRatio = AddRadioMenu(
      mnOption, "拡大 / 縮小率(&M)", "一回の操作で拡大/縮小する率を設定します",
      {"２倍 / ２分の１ (&2)", "４倍 / ４分の１ (&4)", "８倍 / ８分の１ (&8)",
       "16倍 / 16分の１ (&16)"},
      FSession.MagnifyRatio(), [this](int position) { FSession.SetMagnifyRatio(position); });
  mnMoveRatio =
      AddRadioMenu(mnOption, "スクロール量(&C)", "一回の操作でスクロールする量を設定します",
                   {"1/4画面", "半画面", "全画面"}, FSession.MoveRatio(),
                   [this](int position) { FSession.SetMoveRatio(position); });
  mnMoveRatio->menuAction()->setVisible(false);
  mnWheelAtPointer = mnOption->addAction("マウス位置を中心に拡大/縮小(&W)");
  mnWheelAtPointer->setCheckable(true);
  mnWheelAtPointer->setStatusTip("ホイールでの拡大/縮小をマウスポインタの位置を中心に行います");
  connect(mnWheelAtPointer, &QAction::toggled, this,
          [this](bool on) { FSession.SetZoomAtPointer(on); });
  mnOption->addSeparator();
  CreateTourMenus();
}

void TDrawForm::CreateRestrictMenu() {
  mnRestrict = mnOption->addMenu("特殊な機能制限(R)");
  mnRestrict->menuAction()->setStatusTip("画面表示や高速化に関する機能を制限します");
  const auto addSwitch = [this](const char* caption, const char* hint) {
    QAction* item = mnRestrict->addAction(caption);
    item->setCheckable(true);
    item->setStatusTip(hint);
    connect(item, &QAction::triggered, this, Guarded(this, [this] { mnOptionClick(); }));
    return item;
  };
  mnFSInfo =
      addSwitch("全画面での情報表示オフ(&F)", "全画面時、画面下端への情報表示をオフにします");
  mnAnimate = addSwitch("拡大縮小動画オフ(&A)", "拡大/縮小時の動画をオフにします");
  mnRestrict->addSeparator();
  mnThread =
      addSwitch("複数スレッド計算オフ(&T)", "複数スレッドでの計算による高速化をオフにします");
  mnPredict = addSwitch("集合内予測オフ(&P)", "集合内予測機能による高速化をオフにします");
  mnSymY = addSwitch("Y軸対称機能オフ(&Y)", "Y軸対称機能による高速化をオフにします");
  mnSSE = addSwitch("並列計算オフ(&S)", "並列計算による高速化をオフにします");
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

void TDrawForm::ProcessEvents() {
  QCoreApplication::processEvents();
}

std::int64_t TDrawForm::NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void TDrawForm::SleepMs(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
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
  if (PictureSize() != QSize(FSession.DrawGrid().Width(), FSession.DrawGrid().Height()) &&
      FIdleRedrawEnabled)
    FIdleTimer->start();
  emit DrawingEnded();
}

void TDrawForm::ProgressChanged() {
  FStatusBar->repaint();
}

void TDrawForm::ViewShown() {
  const std::pair<QLineEdit*, std::string> fields[] = {
      {edX, FSession.XText()}, {edY, FSession.YText()}, {edRange, FSession.RangeText()}};
  for (const auto& [field, text] : fields) {
    field->setText(Text(text));
    // A long number shows its start (the sign and the first digits).
    field->setCursorPosition(0);
  }
  cbLimit->setEditText(QString::number(FSession.View().Limit));
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
  btDraw->setText(enabled ? "描画" : "中止");
  SetHint(btDraw, enabled ? "再計算して描画" : "描画中止");
  mnPrev->setEnabled(enabled && FSession.History().CanBack());
  mnNext->setEnabled(enabled && FSession.History().CanForward());
  if (mnInfo->isChecked() && FInfoForm) FInfoForm->EnableRange(enabled);
}

void TDrawForm::ShowElapsed(double milliseconds) {
  ShowStatus(3, Text(FormatElapsed(milliseconds)));
}

// A custom recurrence that faulted left dots uncomputed: the picture is not whole.
void TDrawForm::ShowFault() {
  const TCalcFault fault = FSession.CalcGrid().LastFault();
  if (!fault.Failed) return;
  ShowStatus(3, QString("%1  演算エラーで %2 点を計算できませんでした (%3)")
                    .arg(FStatusBar->Text(3))
                    .arg(fault.UncomputedDots)
                    .arg(QString::fromStdString(fault.Error)));
}

void TDrawForm::ShowAngles() {
  const TDrawGrid& draw = FSession.DrawGrid();
  ShowStatus(2, QString::asprintf("%4d°%2d°", draw.GetRotation(), draw.GetElevation()) +
                    (draw.Convex() ? "凸 " : "凹 "));
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
      if (!FSession.Busy())
        Guarded(this, [this, &key, modifiers] {
          FSession.Magnify(WheelZoomIndex(key.key() == Qt::Key_PageUp, FSession.MagnifyRatio(),
                                          modifiers & Qt::ShiftModifier,
                                          modifiers & Qt::ControlModifier));
        })();
      return true;
    case Qt::Key_Home:
      if (!FSession.Busy()) Guarded(this, [this] { mnInitClick(); })();
      return true;
    case Qt::Key_Left:
    case Qt::Key_Right: {
      if (!(modifiers & Qt::AltModifier)) return false;
      QAction* step = key.key() == Qt::Key_Left ? mnPrev : mnNext;
      if (!FSession.Busy() && step->isEnabled()) step->trigger();
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
          : QPoint(FSession.DrawGrid().Width() / 2, FSession.DrawGrid().Height() / 2);
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
      QAction* step = historyStep == -1 ? mnPrev : mnNext;
      if (historyStep != 0 && !FSession.Busy() && step->isEnabled())
        step->trigger();
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

int TDrawForm::RestrictOptions() const {
  int options = 0;
  int bit = 1;
  for (const QAction* item : {mnFSInfo, mnAnimate, mnThread, mnPredict, mnSymY, mnSSE}) {
    if (item->isChecked()) options |= bit;
    bit <<= 1;
  }
  return options;
}

void TDrawForm::mnOptionClick() {
  FSession.SetOptions(EffectiveOptions(RestrictOptions(), FSession.CalcGrid().SimdLevel()));
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
  FInfoForm->Bind(&FSession.DrawGrid(), &FSession.CalcGrid());
  FInfoForm->show();
  FInfoForm->UpdateStats(FSession.View().Limit);
}

// ---- formula window ----

void TDrawForm::CreateExprsMenu(bool debug) {
  mnExprs = mnDisplay->addAction("数式指定(&E)...");
  mnExprs->setCheckable(true);
  mnExprs->setVisible(debug);
  connect(mnExprs, &QAction::triggered, this, Guarded(this, [this] { mnExprsClick(); }));
}

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
  FSession.LoadView(item);
  FSession.ShowView();
  FSession.AddHistory(item.Name);
  FSession.DrawView();
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
    QMenu* item = mnHistory->addMenu(Text(group.Caption));
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
  QMessageBox::about(this, "うずまきらんど",
                     "<b>うずまきらんど</b> (Vortexa)<br>バージョン " VORTEXA_VERSION
                     "<br><br>マンデルブロー集合の探索");
}

// ---- status bar ----

// Panel 0: the kernel in use and, while busy, the progress bar.
void TDrawForm::StatusBarDrawPanel(QPainter& painter, const QRect& rect) {
  const QImage& kernel = FKernelGlyphs[std::clamp(FSession.CalcGrid().GetKernel(), 0, kKernelDeep)];
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

void TDrawForm::ApplicationEventsIdle() {
  if (FSession.Busy()) return;
  const QSize area = ImageAreaSize();
  if (area.isEmpty()) return;
  const QSize picture = PictureSize();
  ShowStatus(1, SizeText(picture));
  FScreen = QImage(picture, QImage::Format_ARGB32_Premultiplied);
  FScreen.fill(Qt::black);
  FImageArea->SetSurfaceExtent(area);
  FSession.SetPixelRatio(devicePixelRatioF());
  FSession.Resize(picture.width(), picture.height());
  FSession.SetOrigin(Dots(PictureTop()));
  ColorToolBar->update();
  btDrawClick();
}

void TDrawForm::closeEvent(QCloseEvent* event) {
  if (FSession.RequestStop()) {
    ProcessEvents();
    SleepMs(kCloseWaitMs);
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
  if (!FSession.DrawGrid().IsFlat() || FSession.DrawGrid().IsRotated()) {
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
    LoadFavoritesAtStartUp(FFavoriteTree, FFavoritesFiles.OwnFile, FFavoritesFiles.RecommendedFile,
                           [this](std::string_view question) {
                             return QMessageBox::question(
                                        this, "うずまきらんど", Text(std::string(question)),
                                        QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
                           });
  } catch (const std::exception& error) {
    // An unreadable file is left alone at exit rather than overwritten.
    FFavoritesReadable = false;
    QMessageBox::warning(this, "うずまきらんど", QString::fromUtf8(error.what()));
  }
  BuildMenu();
}

void TDrawForm::SaveFavorites() {
  if (!FFavoritesReadable) return;
  try {
    SaveFavoritesAtExit(FFavoriteTree, FFavoritesFiles.OwnFile);
  } catch (const std::exception& error) {
    QMessageBox::warning(this, "うずまきらんど", QString::fromUtf8(error.what()));
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
      QMenu* sub = menu->addMenu(imFolder, Text(child->Text));
      AddFavoriteEntries(sub, *child);
      continue;
    }
    TMBItem& item = *child->Item();
    item.Tour = child->TourMark ? 1 : 0;
    item.Name = child->Text;
    QAction* entry = menu->addAction(Text(child->Text));
    entry->setEnabled(item.IsView());  // a line kept unread from the file holds no view
    connect(entry, &QAction::triggered, this,
            Guarded(this, [this, &item] { mnFavoriteItemClick(item); }));
  }
  FitMenuHeight(menu);
}

// ---- debug controls ----

void TDrawForm::RotationSweep() {
  const auto start = std::chrono::steady_clock::now();
  for (int angle = 0; angle <= 360; ++angle) {
    FSession.DrawGrid().SetRotation(angle);
    FSession.DrawGrid().Render(true);
  }
  ShowElapsed(MillisecondsSince(start));
  FSession.DrawGrid().SetRotation(0);
  FSession.DrawGrid().Render(true);
}

void TDrawForm::ElevationSweep() {
  const auto start = std::chrono::steady_clock::now();
  for (int angle = kFlatElevation; angle >= 0; --angle) {
    FSession.DrawGrid().SetElevation(angle);
    FSession.DrawGrid().Render(true);
  }
  for (int angle = 0; angle <= kFlatElevation; ++angle) {
    FSession.DrawGrid().SetElevation(angle);
    FSession.DrawGrid().Render(true);
  }
  ShowElapsed(MillisecondsSince(start));
  FSession.DrawGrid().SetRotation(0);
  FSession.DrawGrid().Render(true);
}

// One turn in about 18 s while the plane dips and rises; when frames are slow
// the turn takes bigger steps so that it still ends in time.
void TDrawForm::RotationDemo() {
  constexpr double kPi = 3.14159265358979323846;
  const auto start = std::chrono::steady_clock::now();
  const auto sinceStart = [&start] {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
  };
  double phase =
      std::nearbyint(360 * std::acos(1 - FSession.DrawGrid().GetElevation() / 90.0) / kPi);
  int turned = 0;
  int stepSize = 1;
  double interval = 50;
  double work = 0;
  std::int64_t last = NowMs();
  for (int frame = 1; turned < 360; ++frame) {
    const int step = std::min(stepSize, 360 - turned);
    turned += step;
    phase += step;
    FSession.DrawGrid().SetRotation(FSession.DrawGrid().GetRotation() + step);
    double height = 90 * (1 - std::cos(phase * kPi / 360));
    if (height > 90) height = 180 - height;
    FSession.DrawGrid().SetElevation(static_cast<int>(std::nearbyint(height)));
    const double workStart = sinceStart();
    FSession.DrawGrid().Render(true);
    ShowAngles();
    ProcessEvents();
    work += sinceStart() - workStart;
    if (frame > 20 && frame % 8 == 0 && turned < 360) {
      stepSize = std::min(3, static_cast<int>(std::ceil(work / frame / kDemoWorkPerStepMs)));
      stepSize = std::max(stepSize, 1);
      const double steps = std::ceil((360.0 - turned) / stepSize);
      interval = std::max(0.0, (kDemoDurationMs - sinceStart()) / steps);
    }
    const std::int64_t elapsed = NowMs() - last;
    SleepMs(static_cast<int>(std::max<double>(10, interval - elapsed)));
    last = NowMs();
  }
  ShowElapsed(MillisecondsSince(start));
  FSession.DrawGrid().Render(true);
}

void TDrawForm::ShowCliffsCount() {
  const int cliffs = FSession.DrawGrid().ShowCliffs();
  const double dots = std::max(1, FSession.DrawGrid().Width() * FSession.DrawGrid().Height());
  ShowStatus(3, QString("%1(%2%)").arg(cliffs).arg(std::nearbyint(cliffs / dots * 100)));
}

void TDrawForm::CheckBox1Click() {
  FSession.DrawGrid().SetThickWalls(CheckBox1->isChecked());
  FSession.DrawGrid().MarkHeightsStale();
  FSession.RenderIfSized();
}

}  // namespace vortexa
