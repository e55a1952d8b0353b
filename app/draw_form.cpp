#include "draw_form.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QStatusTipEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>
#include <thread>

#include "app/form_parts.h"
#include "app/glyphs.h"
#include "app/info_form.h"
#include "favorites/fav_files.h"
#include "favorites/number_text.h"

namespace vortexa {

namespace {

constexpr int kToolBarHeight = 53;
constexpr int kBasicToolBarWidth = 340;
constexpr int kOneRowWidth = 590;  // narrower windows put the tool bars in two rows
constexpr int kHomePeriod = 4;
constexpr int kFlatElevation = 90;
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

// A hint is the short text for the tool tip, "|", and the long text for the status bar.
void SetHint(QWidget* widget, const QString& hint) {
  const auto bar = hint.indexOf('|');
  widget->setToolTip(bar < 0 ? hint : hint.left(bar));
  widget->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

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

// Runs a handler reached from the event loop; an error becomes a message box
// instead of ending the program.
template <class THandler>
auto Guarded(QWidget* owner, THandler handler) {
  return [owner, handler] {
    try {
      handler();
    } catch (const std::exception& error) {
      QMessageBox::critical(owner, "うずまきらんど", QString::fromUtf8(error.what()));
    }
  };
}

}  // namespace

int EffectiveOptions(int options, int simdLevel) {
  return simdLevel == 0 ? options | kOptNoSimd : options;
}

TDrawForm::TDrawForm(bool debug, TFavoritesFiles favoritesFiles, QWidget* parent)
    : QMainWindow(parent),
      FDrawGrid(FCalcGrid, *this),
      FFavoriteTree(FFavorites),
      FFavoritesFiles(std::move(favoritesFiles)),
      FKernelGlyphs{KernelGlyph(kKernelExtended), KernelGlyph(kKernelSingle),
                    KernelGlyph(kKernelDouble)},
      imBar(BarGlyph()),
      imFolder(QPixmap::fromImage(FolderGlyph())) {
  setWindowTitle("うずまきらんど");
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  TopPanel = new QWidget(central);
  FImageArea = new TImageArea(central, FScreen);
  FStatusBar = new TStatusPanels(central);
  layout->addWidget(TopPanel);
  layout->addWidget(FImageArea, 1);
  layout->addWidget(FStatusBar);
  setCentralWidget(central);

  CreateBasicToolBar();
  CreateColorToolBar();
  CreateDebugControls(debug);
  CreateMenus();
  InstallFieldFilters();

  FStatusBar->SetOwnerDraw(
      [this](QPainter& painter, const QRect& rect) { StatusBarDrawPanel(painter, rect); });
  FStatusBar->SetText(1, "2000×2000");
  FImageArea->SetOnMouseMove([this](QPoint position, Qt::MouseButtons buttons) {
    if (buttons == Qt::NoButton) FormMouseMove(position + FImageArea->pos());
  });
  FDrawGrid.OnProgress = [this](int percent, bool& abort) { DrawProgress(percent, abort); };

  FIdleTimer = new QTimer(this);
  FIdleTimer->setSingleShot(true);
  FIdleTimer->setInterval(0);
  connect(FIdleTimer, &QTimer::timeout, this, Guarded(this, [this] { ApplicationEventsIdle(); }));

  FCalcGrid.SetOptions(EffectiveOptions(0, FCalcGrid.SimdLevel()));
  mnSSE->setChecked(FCalcGrid.Options() & kOptNoSimd);
  mnSSE->setEnabled(FCalcGrid.SimdLevel() != 0);
  ApplyColors();
  ShowAngles();
  LoadFavorites();
  setMinimumSize(kMinWindowWidth, kMinWindowHeight);
  resize(kOneRowWidth, kMinWindowHeight);
  ApplyLayout();
}

TDrawForm::~TDrawForm() {
  delete FInfoForm.data();
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
  ColorBar = new TColorStrip(ColorToolBar, FDrawGrid.Palette());
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
  mnExit = mnFile->addAction("終了(&X)");
  connect(mnExit, &QAction::triggered, this, &QWidget::close);

  mnDisplay = menuBar()->addMenu("表示(&V)");
  mnDraw = mnDisplay->addAction("描画(&D)\tEnter");
  mnDraw->setStatusTip("再計算して描画します");
  connect(mnDraw, &QAction::triggered, this, Guarded(this, [this] { btDrawClick(); }));
  mnInit = mnDisplay->addAction("初期位置(&I)\tHome");
  connect(mnInit, &QAction::triggered, this, Guarded(this, [this] { mnInitClick(); }));
  mnDisplay->addSeparator();
  mnInfo = mnDisplay->addAction("統計情報(&I)...");
  mnInfo->setCheckable(true);
  mnInfo->setStatusTip("各種統計情報ウインドウの表示/非表示を切替えます");
  connect(mnInfo, &QAction::triggered, this, Guarded(this, [this] { mnInfoClick(); }));

  mnFavorite = menuBar()->addMenu("お気に入り(&A)");
  mnFavorite->menuAction()->setStatusTip("お気に入りフォルダの内容を表示します");
  FFixedFavoriteItems = static_cast<int>(mnFavorite->actions().size());

  mnOption = menuBar()->addMenu("オプション(&O)");
  CreateRestrictMenu();

  mnHelp = menuBar()->addMenu("ヘルプ(&H)");
  mnAbout = mnHelp->addAction("バージョン情報(&A)...");
  connect(mnAbout, &QAction::triggered, this, [this] { mnAboutClick(); });
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

// Canvas positions are client positions of the window; the image area lies
// below the tool bars.
void TDrawForm::Present(const QImage& image, int left, int top) {
  QPainter painter(&FScreen);
  painter.drawImage(left, top - FImageArea->y(), image);
  painter.end();
  FImageArea->repaint();
}

void TDrawForm::PresentStretched(const QImage& image, const QRect& dest) {
  QPainter painter(&FScreen);
  painter.drawImage(dest.translated(0, -FImageArea->y()), image);
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

// ---- busy protocol ----

bool TDrawForm::BeginDraw() {
  if (FProgress != -1) return false;
  EnableControls(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  FProgress = 0;
  ShowStatus(3, "");
  FStatusBar->repaint();
  // The window keeps its size while the grid computes for it.
  setFixedSize(size());
  FDrawStart = std::chrono::steady_clock::now();
  return true;
}

void TDrawForm::EndDraw() {
  FAbortRequested = false;
  EnableControls(true);
  QApplication::restoreOverrideCursor();
  FProgress = -1;
  setMinimumSize(kMinWindowWidth, kMinWindowHeight);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  ShowElapsed(std::chrono::steady_clock::now() - FDrawStart);
  FStatusBar->repaint();
  TopPanel->repaint();
  if (mnInfo->isChecked() && FInfoForm) FInfoForm->UpdateStats(FView.Limit);
  emit DrawingEnded();
}

bool TDrawForm::DrawCommand(const std::function<void()>& work) {
  if (!BeginDraw()) return false;
  struct TEndDraw {
    TDrawForm& Form;
    ~TEndDraw() { Form.EndDraw(); }
  } endDraw{*this};
  work();
  return true;
}

void TDrawForm::EnableControls(bool enabled) {
  for (QAction* item : menuBar()->actions())
    item->setEnabled(enabled);
  for (QWidget* toolBar : {BasicToolBar, ColorToolBar})
    for (QWidget* control : toolBar->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (control != btDraw) control->setEnabled(enabled);
  btDraw->setText(enabled ? "描画" : "中止");
  SetHint(btDraw, enabled ? "再計算して描画" : "描画中止");
  if (mnInfo->isChecked() && FInfoForm) FInfoForm->EnableRange(enabled);
}

void TDrawForm::DrawProgress(int percent, bool& abort) {
  FProgress = percent;
  FStatusBar->repaint();
  abort = FAbortRequested;
}

void TDrawForm::ShowElapsed(std::chrono::steady_clock::duration elapsed) {
  ShowStatus(3, Text(FormatElapsed(std::chrono::duration<double, std::milli>(elapsed).count())));
}

// ---- view ----

void TDrawForm::ShowView() {
  edX->setText(Text(FormatGeneral(FView.CenterX, kCoordinateDigits)));
  edY->setText(Text(FormatGeneral(FView.CenterY, kCoordinateDigits)));
  edRange->setText(Text(FormatGeneral(FView.Range, kRangeDigits)));
  cbLimit->setEditText(QString::number(FView.Limit));
  for (QWidget* field : std::initializer_list<QWidget*>{edX, edY, edRange, cbLimit})
    ClearEdited(field);
  FCalcGrid.SetView(FView.CenterX, FView.CenterY, FView.Limit, FView.Range);
  FDrawGrid.DrawInfo(edX->text(), edY->text(), edRange->text(), FDestName);
  FDrawGrid.SetLimit(FView.Limit);
}

void TDrawForm::DrawView() {
  // Passes are always shown as they finish.
  constexpr bool kNoProgress = false;
  DrawCommand([this] { FDrawGrid.Draw(kNoProgress); });
}

void TDrawForm::StoreView(TMBItem& item, const std::string& name) const {
  item.X = FView.CenterX;
  item.Y = FView.CenterY;
  item.Range = FView.Range;
  item.Limit = FView.Limit;
  item.Name = name;
  item.ColorIndex = static_cast<std::int8_t>(cbColor->currentIndex());
  item.Hue = static_cast<std::int8_t>(tbHue->value());
  item.Saturation = static_cast<std::int8_t>(tbSaturation->value());
  item.Highlight = static_cast<std::int8_t>(tbHighlight->value());
  item.Period = static_cast<std::int8_t>(cbTimes->currentIndex());
  item.Tour = 1;
}

// Records come from files and pasted texts: values outside the controls'
// ranges are brought into them instead of reaching the palette or the grid.
void TDrawForm::LoadView(const TMBItem& item) {
  FView = {item.X, item.Y, item.Range, std::clamp(item.Limit, 1, kMaxLimit)};
  FColorsSuspended = true;
  cbColor->setCurrentIndex(std::clamp<int>(item.ColorIndex, 0, cbColor->count() - 1));
  tbHue->setValue(item.Hue);
  tbSaturation->setValue(item.Saturation);
  tbHighlight->setValue(item.Highlight);
  FColorsSuspended = false;
  cbColorChange();
  cbTimes->setCurrentIndex(std::clamp<int>(item.Period, 0, cbTimes->count() - 1));
  FDrawGrid.SetPeriod(cbTimes->currentIndex());
}

void TDrawForm::AddHistory(const std::string& name) {
  TMBItem* entry = FHistory.AddView(FView.CenterX, FView.CenterY, FView.Range);
  if (!entry) return;
  StoreView(*entry, name);
  entry->Tour = 0;
}

void TDrawForm::ShowAngles() {
  ShowStatus(2, QString::asprintf("%4d°%2d°", FDrawGrid.GetRotation(), FDrawGrid.GetElevation()) +
                    (FDrawGrid.Convex() ? "凸 " : "凹 "));
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
  if (event->type() == QEvent::KeyPress) return FilterKey(watched, static_cast<QKeyEvent*>(event));
  return QMainWindow::eventFilter(watched, event);
}

bool TDrawForm::FilterKey(QObject* watched, QKeyEvent* key) {
  if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
    Guarded(this, [this] { btDrawClick(); })();
    return true;
  }
  const bool coordinate = watched == edX || watched == edY || watched == edRange;
  const bool limit = watched == cbLimit || watched == cbLimit->lineEdit();
  if (!coordinate && !limit) return false;
  // Copy, paste, cut and undo, whatever text the platform attaches to them.
  for (auto command :
       {QKeySequence::Copy, QKeySequence::Paste, QKeySequence::Cut, QKeySequence::Undo})
    if (key->matches(command)) return false;
  const QList<uint> text = key->text().toUcs4();
  if (text.isEmpty() || key->key() == Qt::Key_Delete || key->key() == Qt::Key_Tab ||
      key->key() == Qt::Key_Backtab)
    return false;
  const char32_t code = text.front();
  return coordinate ? !CoordinateCharAccepted(code) : !LimitCharAccepted(code);
}

void TDrawForm::keyPressEvent(QKeyEvent* event) {
  if (!FilterKey(this, event)) QMainWindow::keyPressEvent(event);
}

// ---- commands ----

void TDrawForm::btDrawClick() {
  if (FTourRunning) {
    FTourRunning = false;
    return;
  }
  if (Busy()) {
    FAbortRequested = true;
    return;
  }
  FView = FieldsToView(edX->text().toStdString(), edY->text().toStdString(),
                       edRange->text().toStdString(), cbLimit->currentText().toStdString());
  ShowView();
  AddHistory("");
  DrawView();
}

void TDrawForm::cbLimitSelect() {
  if (FieldEdited(edX) || FieldEdited(edY) || FieldEdited(edRange)) {
    btDrawClick();
    return;
  }
  DrawCommand([this] {
    const int oldLimit = FView.Limit;
    FView.Limit = FieldToLimit(cbLimit->currentText().toStdString());
    if (FView.Limit > oldLimit) {
      ShowView();
      FDrawGrid.RaiseLimit();
    } else {
      // Counts above the new limit turn into the set's colour; nothing is computed.
      FDrawGrid.SetLimit(FView.Limit);
      FDrawGrid.Render(true);
    }
  });
}

void TDrawForm::mnInitClick() {
  FView = TViewState{};
  ShowView();
  cbTimes->setCurrentIndex(kHomePeriod);
  FDrawGrid.SetPeriod(kHomePeriod);
  FColorsSuspended = true;
  cbColor->setCurrentIndex(0);
  for (QSlider* bar : {tbHue, tbSaturation, tbHighlight})
    bar->setValue(0);
  FColorsSuspended = false;
  cbColorChange();
  FDrawGrid.SetElevation(kFlatElevation);
  FDrawGrid.SetRotation(0);
  ShowAngles();
  AddHistory("");
  DrawView();
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
  FCalcGrid.SetOptions(EffectiveOptions(RestrictOptions(), FCalcGrid.SimdLevel()));
}

void TDrawForm::ApplyColors() {
  FDrawGrid.SetColors(cbColor->currentIndex(), tbHue->value() * 4, tbSaturation->value() * 8,
                      tbHighlight->value() * 8);
}

bool TDrawForm::HasPicture() const {
  return FDrawGrid.Width() > 0 && FDrawGrid.Height() > 0;
}

void TDrawForm::cbColorChange() {
  if (FColorsSuspended) return;
  ApplyColors();
  ColorBar->update();
  if (HasPicture()) FDrawGrid.Render(true);
  if (mnInfo->isChecked() && FInfoForm) FInfoForm->DrawHistogram();
}

void TDrawForm::cbTimesChange() {
  FDrawGrid.SetPeriod(cbTimes->currentIndex());
  if (HasPicture()) FDrawGrid.Render(true);
  if (mnInfo->isChecked() && FInfoForm) FInfoForm->DrawHistogram();
}

void TDrawForm::mnInfoClick() {
  if (!mnInfo->isChecked()) {
    if (FInfoForm) FInfoForm->close();
    return;
  }
  FInfoForm = new TInfoForm(this);
  FInfoForm->setAttribute(Qt::WA_DeleteOnClose);
  connect(FInfoForm, &TInfoForm::Closed, this, [this] { mnInfo->setChecked(false); });
  FInfoForm->Bind(&FDrawGrid, &FCalcGrid);
  FInfoForm->show();
  FInfoForm->UpdateStats(FView.Limit);
}

void TDrawForm::mnFavoriteItemClick(TMBItem& item) {
  LoadView(item);
  ShowView();
  AddHistory(item.Name);
  DrawView();
}

void TDrawForm::mnAboutClick() {
  QMessageBox::about(this, "うずまきらんど",
                     "<b>うずまきらんど</b> (Vortexa)<br>バージョン " VORTEXA_VERSION
                     "<br><br>マンデルブロー集合の探索");
}

// ---- status bar ----

// Panel 0: the kernel in use and, while busy, the progress bar.
void TDrawForm::StatusBarDrawPanel(QPainter& painter, const QRect& rect) {
  const QImage& kernel = FKernelGlyphs[std::clamp(FCalcGrid.GetKernel(), 0, 2)];
  painter.fillRect(rect, palette().button());
  painter.drawImage(rect.left(), rect.top() + (rect.height() - kernel.height() + 1) / 2, kernel);
  if (FProgress < 0) return;
  const int left = rect.left() + 11, top = rect.top() + 2;
  const int right = rect.left() + rect.width() - 1, bottom = rect.top() + rect.height() - 2;
  painter.setPen(palette().color(QPalette::Dark));
  painter.drawRect(left, top, right - left - 1, bottom - top - 1);
  const int barRight = left + static_cast<int>(std::nearbyint((right - left) * FProgress / 100.0));
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
  const QSize area = ImageAreaSize();
  ShowStatus(1, QString("%1×%2").arg(area.width()).arg(area.height()));
  if (FIdleRedrawEnabled) FIdleTimer->start();
}

QSize TDrawForm::ImageAreaSize() const {
  return {centralWidget()->width(),
          centralWidget()->height() - TopPanel->height() - FStatusBar->height()};
}

void TDrawForm::ApplicationEventsIdle() {
  if (Busy()) return;
  const QSize area = ImageAreaSize();
  if (area.isEmpty()) return;
  ShowStatus(1, QString("%1×%2").arg(area.width()).arg(area.height()));
  FScreen = QImage(area, QImage::Format_ARGB32_Premultiplied);
  FScreen.fill(Qt::black);
  FDrawGrid.SetSize(area.width(), area.height());
  FDrawGrid.SetOrigin(0, TopPanel->height());
  ApplyColors();
  ColorToolBar->update();
  btDrawClick();
}

void TDrawForm::closeEvent(QCloseEvent* event) {
  if (FTourRunning) {
    FTourRunning = false;
    ProcessEvents();
    SleepMs(kCloseWaitMs);
  }
  if (Busy()) {
    FAbortRequested = true;
    ProcessEvents();
    SleepMs(kCloseWaitMs);
  }
  if (FInfoForm) FInfoForm->close();
  SaveFavorites();
  event->accept();
}

// ---- hover ----

// position is a client position of the window.
void TDrawForm::FormMouseMove(QPoint position) {
  if (Busy() || !mnInfo->isChecked() || !FInfoForm || !FInfoForm->DotInspectorOn()) return;
  if (!FDrawGrid.IsFlat() || FDrawGrid.IsRotated()) {
    FInfoForm->ClearDot();
    return;
  }
  const long double step = FCalcGrid.GetStep();
  const int x = position.x();
  const int y = position.y() - TopPanel->height();
  FInfoForm->ShowDot(x, y, FView.CenterX + step * (x - FDrawGrid.Width() / 2),
                     FView.CenterY + step * (y - FDrawGrid.Height() / 2));
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
}

// ---- debug controls ----

void TDrawForm::RotationSweep() {
  const auto start = std::chrono::steady_clock::now();
  for (int angle = 0; angle <= 360; ++angle) {
    FDrawGrid.SetRotation(angle);
    FDrawGrid.Render(true);
  }
  ShowElapsed(std::chrono::steady_clock::now() - start);
  FDrawGrid.SetRotation(0);
  FDrawGrid.Render(true);
}

void TDrawForm::ElevationSweep() {
  const auto start = std::chrono::steady_clock::now();
  for (int angle = kFlatElevation; angle >= 0; --angle) {
    FDrawGrid.SetElevation(angle);
    FDrawGrid.Render(true);
  }
  for (int angle = 0; angle <= kFlatElevation; ++angle) {
    FDrawGrid.SetElevation(angle);
    FDrawGrid.Render(true);
  }
  ShowElapsed(std::chrono::steady_clock::now() - start);
  FDrawGrid.SetRotation(0);
  FDrawGrid.Render(true);
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
  double phase = std::nearbyint(360 * std::acos(1 - FDrawGrid.GetElevation() / 90.0) / kPi);
  int turned = 0;
  int stepSize = 1;
  double interval = 50;
  double work = 0;
  std::int64_t last = NowMs();
  for (int frame = 1; turned < 360; ++frame) {
    const int step = std::min(stepSize, 360 - turned);
    turned += step;
    phase += step;
    FDrawGrid.SetRotation(FDrawGrid.GetRotation() + step);
    double height = 90 * (1 - std::cos(phase * kPi / 360));
    if (height > 90) height = 180 - height;
    FDrawGrid.SetElevation(static_cast<int>(std::nearbyint(height)));
    const double workStart = sinceStart();
    FDrawGrid.Render(true);
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
  ShowElapsed(std::chrono::steady_clock::now() - start);
  FDrawGrid.Render(true);
}

void TDrawForm::ShowCliffsCount() {
  const int cliffs = FDrawGrid.ShowCliffs();
  const double dots = std::max(1, FDrawGrid.Width() * FDrawGrid.Height());
  ShowStatus(3, QString("%1(%2%)").arg(cliffs).arg(std::nearbyint(cliffs / dots * 100)));
}

void TDrawForm::CheckBox1Click() {
  FDrawGrid.SetThickWalls(CheckBox1->isChecked());
  FDrawGrid.MarkHeightsStale();
  if (HasPicture()) FDrawGrid.Render(true);
}

}  // namespace vortexa
