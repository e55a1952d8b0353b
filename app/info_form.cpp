#include "info_form.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>
#include <cmath>

#include "favorites/number_text.h"

namespace vortexa {

namespace {

constexpr int kInitialEnd = 8;
constexpr int kSummaryValueWidth = 90;

QLabel* MakeLabel(QWidget* parent, const QString& text, int x, int y, int width = -1) {
  auto* label = new QLabel(text, parent);
  label->move(x, y);
  if (width > 0) label->resize(width, label->sizeHint().height());
  return label;
}

QLabel* MakeValueLabel(QWidget* parent, int x, int y) {
  QLabel* label = MakeLabel(parent, "0", x, y, kSummaryValueWidth);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return label;
}

// The value sits in the room the caption's spaces leave before its ")".
QLabel* MakeBracketedValue(QWidget* parent, const QString& caption, int x, int y) {
  QLabel* label = MakeLabel(parent, caption, x, y);
  const QFontMetrics metrics(label->font());
  const int right = x + metrics.horizontalAdvance(caption) - metrics.horizontalAdvance(')') - 2;
  QLabel* value = MakeValueLabel(parent, right - kSummaryValueWidth, y);
  value->raise();
  return value;
}

QSlider* MakeTrackBar(QWidget* parent, int x, int y) {
  auto* bar = new QSlider(Qt::Horizontal, parent);
  bar->setRange(0, kHistSteps);
  bar->setPageStep(20);
  bar->setTickInterval(20);
  bar->setTickPosition(QSlider::TicksBelow);
  bar->setGeometry(x, y, 260, 26);
  return bar;
}

QColor WindowColor(TColor32 color) {
  return QColor::fromRgb(color & 0xFFFFFF);
}

// Digits of the table's largest count, at least five (limits up to 65000).
int FrequencyDigits(int offset, int binWidth) {
  return std::max(5, static_cast<int>(QString::number(offset + binWidth * kHistBins).size()));
}

}  // namespace

QString FrequencyLine(int offset, int binWidth, int bin, int count) {
  const int digits = FrequencyDigits(offset, binWidth);
  return TInfoForm::tr("%1： %2")
      .arg(QString::asprintf("%*d-%*d", digits, offset + binWidth * bin + 1, digits,
                             offset + binWidth * (bin + 1)))
      .arg(count);
}

// The line ends under the ranges' ends: each digit beyond five widens both
// numbers of a range.
QString OutOfRangeLine(int offset, int binWidth, int count) {
  const QString indent(2 * (FrequencyDigits(offset, binWidth) - 5), ' ');
  return indent + TInfoForm::tr("     範囲外： %1").arg(count);
}

TDotShape::TDotShape(QWidget* parent) : QWidget(parent) {}

void TDotShape::SetColors(const QColor& pen, const QColor& brush) {
  FPen = pen;
  FBrush = brush;
  update();
}

void TDotShape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(FPen, 2));
  painter.setBrush(FBrush);
  painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 5, 5);
}

TInfoForm::TInfoForm(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("統計情報"));
  setFixedSize(800, 470);
  CreateSummary();
  CreateFrequencyTable();
  CreateHistogram();
  CreateDotInspector();
  btClose = new QPushButton(tr("閉じる"), this);
  btClose->setGeometry(700, 430, 90, 28);
  btClose->setDefault(true);
  connect(btClose, &QPushButton::clicked, this, &QWidget::close);
  ClearDot();
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

TInfoForm::~TInfoForm() = default;

void TInfoForm::CreateSummary() {
  MakeLabel(this, tr("集合外ドット数 ="), 10, 10);
  lbOKdotVal = MakeValueLabel(this, 150, 10);
  MakeLabel(this, tr("集合内ドット数 ="), 10, 30);
  lbNGdotVal = MakeValueLabel(this, 150, 30);
  // The ideographic spaces leave room for the value inside the brackets.
  lbOverDotVal = MakeBracketedValue(this, tr("(内上限越数 =　　　　　　)"), 20, 50);
  lbSkipDotVal = MakeBracketedValue(this, tr("(内予測数 =　　　　　　　 )"), 20, 70);
  MakeLabel(this, "----------------------", 10, 90);
  MakeLabel(this, tr("ドット総数 ="), 10, 110);
  lbTotalDotVal = MakeValueLabel(this, 150, 110);
  MakeLabel(this, tr("最小："), 10, 135);
  lbMinVal = MakeValueLabel(this, 40, 135);
  MakeLabel(this, tr("最大："), 140, 135);
  lbMaxVal = MakeValueLabel(this, 150, 135);
}

void TInfoForm::CreateFrequencyTable() {
  MakeLabel(this, tr("→ 反復数による度数分布"), 10, 165);
  MakeLabel(this, tr("反復数"), 20, 185);
  lbCount = new QListWidget(this);
  lbCount->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  lbCount->setGeometry(10, 205, 250, 255);
}

void TInfoForm::CreateHistogram() {
  MakeLabel(this, tr("－ ヒストグラム －"), 450, 8);
  auto* back = new QFrame(this);
  back->setGeometry(275, 28, 515, 228);
  back->setStyleSheet("background-color: black;");
  FGraphBitmap = QImage(kGraphWidth, kGraphHeight, QImage::Format_RGB32);
  FGraphBitmap.fill(Qt::black);
  Graph = new QLabel(back);
  Graph->setGeometry(7, 5, kGraphWidth, kGraphHeight);
  const QString white = "color: white; background-color: black;";
  lbGraphMin = MakeLabel(back, "0", 7, 207, 80);
  lbGraphMid = MakeLabel(back, "0", 7 + 249 - 40, 207, 80);
  lbGraphMid->setAlignment(Qt::AlignHCenter);
  lbGraphMax = MakeLabel(back, "0", 7 + 499 - 80, 207, 80);
  lbGraphMax->setAlignment(Qt::AlignRight);
  for (QLabel* label : {lbGraphMin, lbGraphMid, lbGraphMax})
    label->setStyleSheet(white);

  QLabel* lbEnd = MakeLabel(this, tr("上端(&U)："), 280, 266);
  lbEndVal = MakeValueLabel(this, 330, 266);
  tbEnd = MakeTrackBar(this, 430, 262);
  lbEnd->setBuddy(tbEnd);
  QLabel* lbStart = MakeLabel(this, tr("下端(&D)："), 280, 298);
  lbStartVal = MakeValueLabel(this, 330, 298);
  tbStart = MakeTrackBar(this, 430, 294);
  lbStart->setBuddy(tbStart);
  cbAuto = new QCheckBox(tr("自動変更"), this);
  cbAuto->move(705, 280);
  cbAuto->setChecked(true);
  {
    const QSignalBlocker blockEnd(tbEnd);
    tbEnd->setValue(kInitialEnd);
  }
  FEndTag = kInitialEnd * TrackStep();
  lbEndVal->setNum(FEndTag);
  connect(tbEnd, &QSlider::valueChanged, this, [this] { tbEndChange(); });
  connect(tbStart, &QSlider::valueChanged, this, [this] { tbStartChange(); });
}

void TInfoForm::CreateDotInspector() {
  btDot = new QPushButton(tr("ドット拡大"), this);
  btDot->setCheckable(true);
  btDot->setGeometry(280, 340, 90, 28);
  connect(btDot, &QPushButton::toggled, this, [this] { btDotClick(); });

  auto* bevel = new QFrame(this);
  bevel->setFrameShape(QFrame::Box);
  bevel->setFrameShadow(QFrame::Sunken);
  bevel->setGeometry(380, 332, 310, 126);
  auto* dotBack = new QFrame(this);
  dotBack->setGeometry(388, 340, 86, 86);
  dotBack->setStyleSheet("background-color: black;");
  for (int i = 0; i < 9; ++i) {
    FDotShapes[i] = new TDotShape(dotBack);
    FDotShapes[i]->setGeometry(2 + (i % 3) * 28, 2 + (i / 3) * 28, 26, 26);
  }
  auto* title = MakeLabel(this, tr("・ドット属性"), 482, 336);
  lbDotState = MakeLabel(this, "", 495, 353, 190);
  lbDot = MakeLabel(this, "", 495, 370, 190);
  auto* xCaption = MakeLabel(this, tr("・X ="), 482, 387);
  lbXdot = MakeLabel(this, "", 525, 387, 90);
  lbXVal = MakeLabel(this, "", 495, 404, 190);
  auto* yCaption = MakeLabel(this, tr("・Y ="), 482, 421);
  lbYdot = MakeLabel(this, "", 525, 421, 90);
  lbYVal = MakeLabel(this, "", 495, 438, 190);
  FInspectorParts = {bevel,  dotBack, title,    lbDotState, lbDot, xCaption,
                     lbXdot, lbXVal,  yCaption, lbYdot,     lbYVal};
  for (QWidget* part : FInspectorParts)
    part->setVisible(false);
}

void TInfoForm::Bind(const TFinishedGrid* grid) {
  FGrid = grid;
}

// The 500 bins span the track bars' range exactly: every step is a multiple of 500.
int TInfoForm::BinWidth() const {
  return (tbEnd->value() - tbStart->value()) * TrackStep() / kHistBins;
}

void TInfoForm::SetRange(int limit) {
  const QSignalBlocker blockEnd(tbEnd);
  const QSignalBlocker blockStart(tbStart);
  const int oldStep = TrackStep();
  FStatLimit = limit;
  const int step = TrackStep();
  if (step != oldStep) {
    // A limit on another scale keeps the chosen counts in the range.
    tbStart->setValue(FStartTag / step);
    tbEnd->setValue((FEndTag + step - 1) / step);
  }
  FEndSelection = std::max(1, limit / step);
  tbEnd->setValue(std::min(tbEnd->value(), FEndSelection));
  if (tbStart->value() >= tbEnd->value()) tbStart->setValue(tbEnd->value() - 1);
  FEndTag = tbEnd->value() * step;
  FStartTag = tbStart->value() * step;
  lbEndVal->setNum(FEndTag);
  lbStartVal->setNum(FStartTag);
}

// Moving the end first when the new range lies above keeps the start below
// the end at every step.
void TInfoForm::ApplySuggestedRange() {
  int low = 0;
  int high = 1;
  FGrid->SuggestHistRange(FStatLimit, low, high);
  if (low < tbEnd->value()) {
    tbStart->setValue(low);
    tbEnd->setValue(high);
  } else {
    tbEnd->setValue(high);
    tbStart->setValue(low);
  }
}

void TInfoForm::UpdateStats(int limit) {
  if (!FGrid) return;
  if (limit > 0) {
    SetRange(limit);
    if (cbAuto->isChecked()) ApplySuggestedRange();
  }
  std::vector<std::int32_t> bins(kHistBins, 0);
  FGrid->Statistics(FStartTag, BinWidth(), FStatLimit, bins, FStats);
  FillFrequencyTable(bins);
  ShowSummary();
  DrawHistogram();
}

void TInfoForm::FillFrequencyTable(const std::vector<std::int32_t>& bins) {
  const int width = BinWidth();
  lbCount->setUpdatesEnabled(false);
  lbCount->clear();
  FMaxBinCount = 0;
  for (int i = 0; i < kHistBins; ++i) {
    auto* item = new QListWidgetItem(FrequencyLine(FStartTag, width, i, bins[i]));
    item->setData(Qt::UserRole, bins[i]);
    lbCount->addItem(item);
    FMaxBinCount = std::max(FMaxBinCount, bins[i]);
  }
  lbCount->addItem(OutOfRangeLine(FStartTag, width, FStats.OutsideBins));
  lbCount->setUpdatesEnabled(true);
}

void TInfoForm::ShowSummary() {
  lbOKdotVal->setNum(FStats.Escaped);
  lbNGdotVal->setNum(FStats.Inside);
  lbOverDotVal->setNum(FStats.OverLimit);
  lbSkipDotVal->setNum(FStats.Predicted);
  lbTotalDotVal->setNum(FStats.Total);
  lbMaxVal->setNum(FStats.MaxCount);
  lbMinVal->setNum(FStats.MinCount);
}

void TInfoForm::DrawHistogram() {
  if (!FGrid) return;
  const int width = BinWidth();
  FGraphBitmap.fill(Qt::black);
  QPainter painter(&FGraphBitmap);
  painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
  for (int x : {0, kGraphWidth / 2 - 1, kGraphWidth - 1})
    painter.drawLine(x, 0, x, kGraphHeight - 1);
  lbGraphMin->setNum(FStartTag);
  lbGraphMax->setNum(FEndTag);
  lbGraphMid->setNum((FStartTag + FEndTag) / 2);
  if (FMaxBinCount > 0) {
    for (int i = 0; i < kHistBins && i < lbCount->count(); ++i) {
      const int count = lbCount->item(i)->data(Qt::UserRole).toInt();
      if (count == 0) continue;
      const int height = std::max(
          2, static_cast<int>(std::nearbyint(double(count) * kGraphHeight / FMaxBinCount)));
      const TDot middle = static_cast<TDot>(FStartTag + i * width + width / 2);
      painter.setPen(WindowColor(FGrid->Color(middle)));
      painter.drawLine(i, kGraphHeight - 1, i, kGraphHeight - height);
    }
  }
  painter.end();
  Graph->setPixmap(QPixmap::fromImage(FGraphBitmap));
}

void TInfoForm::tbEndChange() {
  const int clamped = std::min(tbEnd->value(), FEndSelection);
  const int wanted = tbStart->value() >= clamped ? tbStart->value() + 1 : clamped;
  if (wanted != tbEnd->value()) {
    tbEnd->setValue(wanted);  // runs this handler again with the corrected position
    return;
  }
  if (wanted * TrackStep() == FEndTag) return;
  FEndTag = wanted * TrackStep();
  lbEndVal->setNum(FEndTag);
  UpdateStats(0);
}

void TInfoForm::tbStartChange() {
  if (tbStart->value() >= tbEnd->value()) {
    tbStart->setValue(tbEnd->value() - 1);
    return;
  }
  if (tbStart->value() * TrackStep() == FStartTag) return;
  FStartTag = tbStart->value() * TrackStep();
  lbStartVal->setNum(FStartTag);
  UpdateStats(0);
}

void TInfoForm::EnableRange(bool enabled) {
  tbEnd->setEnabled(enabled);
  tbStart->setEnabled(enabled);
}

bool TInfoForm::DotInspectorOn() const {
  return btDot->isChecked();
}

void TInfoForm::btDotClick() {
  for (QWidget* part : FInspectorParts)
    part->setVisible(btDot->isChecked());
  ClearDot();
}

void TInfoForm::ClearDot() {
  for (QLabel* label : {lbDotState, lbDot, lbXdot, lbYdot, lbXVal, lbYVal})
    label->clear();
  for (TDotShape* shape : FDotShapes)
    shape->SetColors(Qt::black, Qt::black);
}

void TInfoForm::ShowDot(int x, int y, const TDeepReal& cx, const TDeepReal& cy) {
  lbXdot->setText(QString("[%1]").arg(x));
  lbYdot->setText(QString("[%1]").arg(y));
  // A deep dot needs more digits than a shallow one to tell it from its neighbours.
  const int digits = FGrid ? DigitsForStep(FGrid->Step(), kCoordinateDigits) : kCoordinateDigits;
  lbXVal->setText(QString::fromStdString(FormatGeneral(cx, digits)));
  lbYVal->setText(QString::fromStdString(FormatGeneral(cy, digits)));
  for (int k = -1; k <= 1; ++k)
    for (int l = -1; l <= 1; ++l)
      ShowDotShape(FDotShapes[(k + 1) * 3 + (l + 1)], x + l, y + k);
  ShowDotState(x, y);
}

void TInfoForm::ShowDotShape(TDotShape* shape, int x, int y) const {
  if (!FGrid || x < 0 || y < 0 || x >= FGrid->Width() || y >= FGrid->Height()) {
    shape->SetColors(Qt::black, Qt::black);
    return;
  }
  const TDot count = FGrid->Dot(x, y);
  if (count == kDotPredicted) {
    shape->SetColors(Qt::white, Qt::black);
  } else if (IsOverLimit(count, FStatLimit)) {
    shape->SetColors(Qt::red, Qt::black);
  } else {
    const QColor color = WindowColor(FGrid->Color(count));
    shape->SetColors(color, color);
  }
}

void TInfoForm::ShowDotState(int x, int y) {
  if (!FGrid || x < 0 || y < 0 || x >= FGrid->Width() || y >= FGrid->Height()) {
    lbDotState->clear();
    lbDot->clear();
    return;
  }
  const TDot count = FGrid->Dot(x, y);
  if (count == kDotPredicted) {
    lbDotState->setText(tr("集合内ドット"));
    lbDot->setText(tr("予測"));
  } else if (IsOverLimit(count, FStatLimit)) {
    lbDotState->setText(tr("集合内ドット"));
    lbDot->setText(tr("上限越"));
  } else {
    lbDotState->setText(tr("集合外ドット"));
    lbDot->setText(tr("反復数 = %1").arg(count));
  }
}

void TInfoForm::closeEvent(QCloseEvent* event) {
  event->accept();
  emit Closed();
}

}  // namespace vortexa
