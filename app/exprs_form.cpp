#include "app/exprs_form.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

#include "app/handlers.h"
#include "favorites/number_text.h"
#include "formula/evaluate.h"
#include "session/messages.h"

namespace vortexa {

namespace {

constexpr int kPadSize = 320;
constexpr int kGridLines = 9;
constexpr int kGridSpacing = 30;
constexpr int kMarkerHalf = 4;  // the marker is 8 dots wide
constexpr int kParameterDigits = 18;
// The captions above the formula fields may run on until the pad.
constexpr int kCaptionWidth = 200;

// The labels of each mode: initial value or constant, its symbol and subscript.
struct TModeLabels {
  const char* Init;
  const char* Symbol;
  const char* Subscript;
};
constexpr TModeLabels kMandelLabels{QT_TRANSLATE_NOOP("vortexa::TExprsForm", "初期値"),
                                    "Z  =", "0"};
constexpr TModeLabels kJuliaLabels{QT_TRANSLATE_NOOP("vortexa::TExprsForm", "係数"), "C =", ""};

// The pad: paints the window's pad picture and passes the mouse on.
class TPadBox : public QWidget {
 public:
  TPadBox(TExprsForm& form, QWidget* parent) : QWidget(parent), FForm(form) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    FForm.GraphPaint(painter);
  }
  void mousePressEvent(QMouseEvent* event) override {
    Guarded(&FForm, [this, event] { FForm.GraphMouseDown(event->position().toPoint()); })();
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    Guarded(&FForm, [this, event] { FForm.GraphMouseMove(event->position().toPoint()); })();
  }
  void mouseReleaseEvent(QMouseEvent*) override {
    Guarded(&FForm, [this] { FForm.GraphMouseUp(); })();
  }

 private:
  TExprsForm& FForm;
};

QLabel* AddLabel(QWidget* parent, const QString& text, int x, int y, int width = 60) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(x, y, width, 20);
  return label;
}

QLabel* AddSubscript(QWidget* parent, const QString& text, int x, int y) {
  QLabel* label = AddLabel(parent, text, x, y, 30);
  QFont font = label->font();
  font.setPointSizeF(font.pointSizeF() * 0.7);
  label->setFont(font);
  return label;
}

QLineEdit* AddEdit(QWidget* parent, const QString& text, int x, int y, int width) {
  auto* edit = new QLineEdit(text, parent);
  edit->setGeometry(x, y, width, 22);
  return edit;
}

std::string Utf8(const QLineEdit* edit) {
  return edit->text().toStdString();
}

}  // namespace

TExprsForm::TExprsForm(TSession& session, QWidget* parent)
    : QDialog(parent), FSession(session), FPadBitmap(kPadSize, kPadSize, QImage::Format_RGB32) {
  setWindowTitle(tr("数式指定"));
  setFixedSize(612, 372);
  CreateFormulaControls();
  CreateParameterControls();
  Graph = new TPadBox(*this, this);
  Graph->setGeometry(282, 8, kPadSize, kPadSize);
  btClose = new QPushButton(tr("閉じる"), this);
  btClose->setGeometry(522, 338, 80, 26);
  connect(btClose, &QPushButton::clicked, this, &QWidget::close);
  PaintPad();
}

TExprsForm::~TExprsForm() {
  FSession.SetFormula(true, nullptr, 0, 0);
}

void TExprsForm::CreateFormulaControls() {
  rbMand = new QRadioButton(tr("マンデルブロ図形(&M)"), this);
  rbMand->setGeometry(8, 8, 200, 20);
  rbMand->setChecked(true);
  rbJulia = new QRadioButton(tr("ジュリア図形(&J)"), this);
  rbJulia->setGeometry(8, 30, 200, 20);
  for (QRadioButton* button : {rbMand, rbJulia})
    connect(button, &QRadioButton::toggled, this, [this] { rbMandClick(); });

  lbExprs = AddLabel(this, tr("漸化式"), 8, 58, kCaptionWidth);
  lbZnext = AddLabel(this, "Z    =", 8, 82);
  lbnext = AddSubscript(this, "next", 17, 90);
  edZ = AddEdit(this, "Z*Z+C", 62, 80, 210);
  connect(edZ, &QLineEdit::textChanged, this, [this] { edZChange(); });
  cbExprs = new QCheckBox(tr("有効"), this);
  cbExprs->setGeometry(62, 104, 80, 20);

  lbInit = AddLabel(this, tr(kMandelLabels.Init), 8, 132, kCaptionWidth);
  lbZ0 = AddLabel(this, kMandelLabels.Symbol, 8, 156);
  lb0 = AddSubscript(this, kMandelLabels.Subscript, 17, 164);
  edZ0 = AddEdit(this, "a+b*i", 62, 154, 210);
  connect(edZ0, &QLineEdit::textChanged, this, [this] { edZ0Change(); });

  Button1 = new QPushButton("Draw", this);
  Button1->setGeometry(62, 184, 80, 26);
  connect(Button1, &QPushButton::clicked, this, Guarded(this, [this] { Button1Click(); }));
  cbAuto = new QCheckBox("Auto", this);
  cbAuto->setGeometry(152, 187, 80, 20);

  Label5 = new QLabel(this);
  Label5->setGeometry(8, 214, 268, 36);
  Label5->setWordWrap(true);
  Label5->setStyleSheet("color: red");
}

void TExprsForm::CreateParameterControls() {
  // The a column on the left, the b column beside it.
  struct TColumn {
    QLabel*& Title;
    QString Caption;
    QLabel **MinLabel, **ValLabel, **MaxLabel;
    QLineEdit **MinEdit, **ValEdit, **MaxEdit;
    int Left;
  };
  const TColumn columns[] = {
      {lbA, tr("横軸 - 変数ａ"), &lbAMin, &lbAVal, &lbAMax, &edAMin, &edAVal, &edAMax, 8},
      {lbB, tr("縦軸 - 変数 b"), &lbBMin, &lbBVal, &lbBMax, &edBMin, &edBVal, &edBMax, 146}};
  for (const TColumn& column : columns) {
    column.Title = AddLabel(this, column.Caption, column.Left, 258, 130);
    const std::pair<QLabel**, QLineEdit**> rows[] = {{column.MinLabel, column.MinEdit},
                                                     {column.ValLabel, column.ValEdit},
                                                     {column.MaxLabel, column.MaxEdit}};
    const QString captions[] = {tr("最小値："), tr("現在値："), tr("最大値：")};
    const char* defaults[] = {"-1", "0", "1"};
    for (int row = 0; row < 3; ++row) {
      const int top = 282 + row * 26;
      *rows[row].first = AddLabel(this, captions[row], column.Left, top, 56);
      *rows[row].second = AddEdit(this, defaults[row], column.Left + 56, top - 1, 70);
    }
  }
}

// ---- applying ----

QLineEdit* TExprsForm::FieldEdit(TFormulaField field) const {
  return field == TFormulaField::Recurrence ? edZ : edZ0;
}

void TExprsForm::SelectError(QLineEdit* edit, int pos) {
  if (pos < 0)
    edit->deselect();
  else
    edit->setSelection(pos, 1);
  edit->setFocus();
}

void TExprsForm::ApplyFormula() {
  const std::string recurrence = Utf8(edZ), initial = Utf8(edZ0);
  TFormulaOutcome outcome;
  // A message from an earlier check stands only until the next one.
  Label5->clear();
  try {
    outcome = FState.Apply({rbMand->isChecked(), cbExprs->isChecked(), recurrence, initial});
  } catch (const EArithmeticError& error) {
    // A message box takes the mouse: a drag would never see its release.
    EndDrag();
    QMessageBox::critical(
        this, windowTitle(),
        tr("初期値を計算できません。\n%1").arg(ArithmeticFaultNames(error.Flags())));
    return;
  }
  for (TFormulaField field : outcome.Passed)
    SelectError(FieldEdit(field), -1);
  if (outcome.Problem) {
    Label5->setText(SyntaxMessageText(outcome.Problem->Message));
    SelectError(FieldEdit(outcome.Problem->Field), outcome.Problem->Pos);
    return;
  }
  const TFormulaChoice& choice = *outcome.Choice;
  FSession.SetFormula(choice.IsMandel, choice.Recurrence, choice.Initial.Re, choice.Initial.Im);
  emit FormulaChanged();
}

void TExprsForm::UpdateParams() {
  const long double a = PadParameter(Utf8(edAMin), Utf8(edAMax), FPadX);
  const long double b = PadParameter(Utf8(edBMin), Utf8(edBMax), FPadY);
  FState.SetParameters(a, b);
  for (const auto& [edit, value] : {std::pair{edAVal, a}, std::pair{edBVal, b}}) {
    edit->setText(QString::fromStdString(FormatGeneral(value, kParameterDigits)));
    // A long number shows its start (the sign and the first digits).
    edit->setCursorPosition(0);
    edit->repaint();
  }
  if (cbAuto->isChecked()) ApplyFormula();
}

// ---- handlers ----

void TExprsForm::rbMandClick() {
  const TModeLabels& labels = rbMand->isChecked() ? kMandelLabels : kJuliaLabels;
  lbInit->setText(tr(labels.Init));
  lbZ0->setText(labels.Symbol);
  lb0->setText(labels.Subscript);
}

void TExprsForm::edZChange() {
  FState.RecurrenceChanged();
}

void TExprsForm::edZ0Change() {
  FState.InitialChanged();
}

void TExprsForm::Button1Click() {
  FState.MarkDirty();
  ApplyFormula();
}

void TExprsForm::closeEvent(QCloseEvent* event) {
  event->accept();
  emit Closed();
}

// ---- the pad ----

void TExprsForm::PaintPad() {
  FPadBitmap.fill(Qt::black);
  QPainter painter(&FPadBitmap);
  const int first = kPadMargin, last = kPadMargin + kGridLines * kGridSpacing + kGridSpacing - 1;
  painter.setPen(QColor(0, 128, 0));
  for (int i = 1; i <= kGridLines; ++i) {
    const int line = kGridSpacing * i + kPadMargin;
    painter.drawLine(line, first, line, last);
    painter.drawLine(first, line, last, line);
  }
  painter.setPen(QColor(0, 255, 0));
  painter.drawRect(QRect(QPoint(first, first), QPoint(last, last)).adjusted(0, 0, -1, -1));

  const int x = PadDot(FPadX), y = PadDot(FPadY);
  painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
  painter.drawLine(x, first, x, last);
  painter.drawLine(first, y, last, y);

  painter.setPen(Qt::white);
  painter.setBrush(FDragging ? Qt::white : Qt::black);
  painter.drawRect(x - kMarkerHalf, y - kMarkerHalf, 2 * kMarkerHalf - 1, 2 * kMarkerHalf - 1);
  painter.end();
  Graph->repaint();
}

void TExprsForm::GraphPaint(QPainter& painter) const {
  painter.drawImage(0, 0, FPadBitmap);
}

void TExprsForm::GraphMouseDown(QPoint position) {
  if (!OnMarker(position.x(), FPadX) || !OnMarker(position.y(), FPadY)) return;
  FDragging = true;
  FLastX = FPadX;
  FLastY = FPadY;
  PaintPad();
  FState.MarkDirty();
}

void TExprsForm::GraphMouseMove(QPoint position) {
  if (!FDragging) return;
  FPadX = PadPosition(position.x());
  FPadY = PadPosition(position.y());
  if (FPadX == FLastX && FPadY == FLastY) return;
  FLastX = FPadX;
  FLastY = FPadY;
  PaintPad();
  UpdateParams();
}

void TExprsForm::GraphMouseUp() {
  FDragging = false;
  PaintPad();
  UpdateParams();
}

void TExprsForm::EndDrag() {
  if (!FDragging) return;
  FDragging = false;
  PaintPad();
}

}  // namespace vortexa
