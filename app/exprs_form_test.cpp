#include "exprs_form.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/draw_form.h"
#include "session/session_parts.h"

namespace vortexa {
namespace {

constexpr int kWaitMs = 30000;
constexpr int kLimit = 200;

// z := step(z, c), counted as the engine counts, written out plainly.
using TStep = std::function<TComplex(const TComplex& z, const TComplex& c)>;

TDot ReferenceCount(const TStep& step, TComplex z, const TComplex& c, int limit) {
  for (int n = 1; n <= limit; ++n) {
    if (z.Re * z.Re + z.Im * z.Im > 4) return static_cast<TDot>(n);
    z = step(z, c);
  }
  return kDotInside;
}

TComplex Square(const TComplex& z) {
  return {z.Re * z.Re - z.Im * z.Im, z.Re * z.Im + z.Im * z.Re};
}

TComplex Quadratic(const TComplex& z, const TComplex& c) {
  const TComplex square = Square(z);
  return {square.Re + c.Re, square.Im + c.Im};
}

TComplex Cubic(const TComplex& z, const TComplex& c) {
  const TComplex square = Square(z);
  return {square.Re * z.Re - square.Im * z.Im + c.Re, square.Re * z.Im + square.Im * z.Re + c.Im};
}

// The share of every third dot whose count differs from the reference; the
// last bits of the arithmetic may differ near the set's edge.
double MismatchShare(const TCalcGrid& grid, const TStep& step, bool julia, TComplex param) {
  int compared = 0, differing = 0;
  for (int row = 0; row < grid.GridHeight(); row += 3)
    for (int col = 0; col < grid.GridWidth(); col += 3) {
      const TComplex dot{grid.ColRe(col), grid.RowIm(row)};
      const TDot expected = julia ? ReferenceCount(step, dot, param, grid.Limit())
                                  : ReferenceCount(step, param, dot, grid.Limit());
      ++compared;
      if (grid.GetDot(row, col) != expected) ++differing;
    }
  return static_cast<double>(differing) / compared;
}

class ExprsFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FConfig.isValid());
    qputenv("XDG_CONFIG_HOME", FConfig.path().toUtf8());
    FForm = std::make_unique<TDrawForm>(true, TFavoritesFiles{OwnFile(), std::nullopt});
    FForm->resize(300, 330);
    FForm->show();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return FForm->Session().History().Count() >= 1 && !FForm->Session().Busy(); },
        kWaitMs));
    // Every dot computed by the extended kernel, so the counts can be
    // compared with a plain loop.
    FForm->Session().SetOptions(kOptNoPrediction | kOptNoSimd);
    FForm->Session().PressDraw({0, 0, 2, kLimit});
    Exprs();
  }
  void TearDown() override { FForm.reset(); }

  std::filesystem::path OwnFile() const {
    return std::filesystem::path(FConfig.path().toStdString()) / "vortexa.fav";
  }

  // Opens the formula window from the menu, or returns the open one.
  TExprsForm& Exprs() {
    if (!FForm->ExprsForm()) FForm->mnExprs->trigger();
    EXPECT_NE(FForm->ExprsForm(), nullptr);
    return *FForm->ExprsForm();
  }
  const TCalcGrid& Grid() const { return TSessionParts::CalcGrid(FForm->Session()); }

  void Mouse(QEvent::Type type, QPoint position, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QWidget* pad = Exprs().Graph;
    QMouseEvent event(type, QPointF(position), pad->mapToGlobal(QPointF(position)), button, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(pad, &event);
  }
  void Press(QPoint position) {
    Mouse(QEvent::MouseButtonPress, position, Qt::LeftButton, Qt::LeftButton);
  }
  void Move(QPoint position) { Mouse(QEvent::MouseMove, position, Qt::NoButton, Qt::LeftButton); }
  void Release(QPoint position) {
    Mouse(QEvent::MouseButtonRelease, position, Qt::LeftButton, Qt::NoButton);
  }
  // The pixel where the marker at pad position (x, y) is drawn.
  static QPoint MarkerDot(int x, int y) { return {PadDot(x), PadDot(y)}; }

  QTemporaryDir FConfig;
  std::unique_ptr<TDrawForm> FForm;
};

TEST_F(ExprsFormTest, MenuCommandIsOfferedOnlyWithTheDebugSwitch) {
  EXPECT_TRUE(FForm->mnExprs->isVisible());
  EXPECT_TRUE(FForm->mnExprs->isChecked());
  TDrawForm plain(false, TFavoritesFiles{OwnFile(), std::nullopt});
  EXPECT_FALSE(plain.mnExprs->isVisible());
}

TEST_F(ExprsFormTest, EscClosesTheWindowAsItsCloseButtonDoes) {
  QTest::keyClick(&Exprs(), Qt::Key_Escape);
  EXPECT_FALSE(Exprs().isVisible());
  EXPECT_FALSE(FForm->mnExprs->isChecked());
}

TEST_F(ExprsFormTest, ASyntaxMessageGoesOnceTheFormulaChecks) {
  TExprsForm& form = Exprs();
  form.cbExprs->setChecked(true);
  form.Button1->click();  // both formulas checked
  form.cbAuto->setChecked(true);
  form.edZ->setText("Z*Z+");
  Press({200, 200});  // a press on the pad applies the formulas
  Release({200, 200});
  ASSERT_FALSE(form.Label5->text().isEmpty());
  // The faulty recurrence is no longer used: what is applied checks.
  form.cbExprs->setChecked(false);
  Press({200, 200});
  Release({200, 200});
  EXPECT_TRUE(form.Label5->text().isEmpty());
}

TEST_F(ExprsFormTest, InvalidRecurrenceIsIgnoredWhileNotInUse) {
  TExprsForm& form = Exprs();
  form.edZ->setText("Z*+C");
  form.edZ0->setText("-0.5");
  QSignalSpy changed(&form, &TExprsForm::FormulaChanged);
  form.Button1->click();
  EXPECT_EQ(changed.count(), 1);
  EXPECT_TRUE(form.Label5->text().isEmpty());
  EXPECT_LT(MismatchShare(Grid(), Quadratic, false, {-0.5L, 0}), 0.01);
}

TEST_F(ExprsFormTest, JuliaSetOfAComplexConstantIsDrawnUnmirrored) {
  TExprsForm& form = Exprs();
  form.rbJulia->click();
  EXPECT_EQ(form.lbInit->text(), "係数");
  EXPECT_EQ(form.lbZ0->text(), "C =");
  EXPECT_EQ(form.lb0->text(), "");
  form.edZ0->setText("-0.75+0.1*i");
  form.Button1->click();
  EXPECT_EQ(Grid().AxisRow(), -1);
  EXPECT_LT(MismatchShare(Grid(), Quadratic, true, {-0.75L, 0.1L}), 0.01);
  form.rbMand->click();
  EXPECT_EQ(form.lbInit->text(), "初期値");
  EXPECT_EQ(form.lbZ0->text(), "Z  =");
  EXPECT_EQ(form.lb0->text(), "0");
}

TEST_F(ExprsFormTest, UserRecurrenceIsDrawn) {
  TExprsForm& form = Exprs();
  form.edZ->setText("Z*Z*Z+C");
  form.cbExprs->setChecked(true);
  form.Button1->click();
  EXPECT_TRUE(form.Label5->text().isEmpty());
  EXPECT_LT(MismatchShare(Grid(), Cubic, false, {0, 0}), 0.01);
}

TEST_F(ExprsFormTest, ErrorInRecurrenceStopsBeforeTheInitialValue) {
  TExprsForm& form = Exprs();
  form.cbExprs->setChecked(true);
  form.edZ->setText("Z*Z+");
  form.edZ0->setText("1/");
  QSignalSpy changed(&form, &TExprsForm::FormulaChanged);
  form.Button1->click();
  EXPECT_EQ(form.Label5->text(), "式が途中で切れています");
  EXPECT_EQ(form.edZ->selectionStart(), 3);
  EXPECT_EQ(form.edZ->selectedText(), "+");
  EXPECT_FALSE(form.edZ0->hasSelectedText());
  EXPECT_TRUE(form.State().InitialDirty());

  form.edZ->setText("Z*Z+C");
  form.Button1->click();
  EXPECT_EQ(form.Label5->text(), "式が途中で切れています");
  EXPECT_FALSE(form.edZ->hasSelectedText());
  EXPECT_EQ(form.edZ0->selectionStart(), 1);
  EXPECT_EQ(changed.count(), 0);
}

TEST_F(ExprsFormTest, FaultInTheInitialValueIsShownInAMessageBox) {
  TExprsForm& form = Exprs();
  form.edZ0->setText("1/0");
  QSignalSpy changed(&form, &TExprsForm::FormulaChanged);
  QString shown;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      shown = box->text();
      box->close();
    }
  });
  closer.start(10);
  form.Button1->click();
  EXPECT_TRUE(shown.startsWith("初期値を計算できません")) << shown.toStdString();
  EXPECT_EQ(changed.count(), 0);
}

TEST_F(ExprsFormTest, FaultingRecurrenceIsReportedInTheStatusBar) {
  TExprsForm& form = Exprs();
  // Only the dot at the origin starts at 0, where Ln faults.
  form.rbJulia->click();
  form.edZ0->setText("-0.5");
  form.edZ->setText("Z*Z+C+0*Ln(Z)");
  form.cbExprs->setChecked(true);
  form.Button1->click();
  EXPECT_TRUE(Grid().LastFault().Failed);
  EXPECT_TRUE(FForm->StatusText(3).contains("演算エラーで")) << FForm->StatusText(3).toStdString();
}

TEST_F(ExprsFormTest, MarkerPositionsGiveTheParameters) {
  TExprsForm& form = Exprs();
  Press(MarkerDot(0, 0));
  EXPECT_TRUE(form.Dragging());
  Move({160, 161});
  EXPECT_EQ(std::pair(form.PadX(), form.PadY()), std::pair(50, 50));
  EXPECT_EQ(form.edAVal->text(), "0");
  EXPECT_EQ(form.edBVal->text(), "0");
  Move({400, -30});
  Release({400, -30});
  EXPECT_FALSE(form.Dragging());
  EXPECT_EQ(std::pair(form.PadX(), form.PadY()), std::pair(100, 0));
  EXPECT_EQ(form.edAVal->text(), "1");
  EXPECT_EQ(form.edBVal->text(), "-1");
  EXPECT_EQ(form.State().A(), 1.0L);
  EXPECT_EQ(form.State().B(), -1.0L);
}

TEST_F(ExprsFormTest, PadShowsTheMarkerWhereItIs) {
  TExprsForm& form = Exprs();
  Press(MarkerDot(0, 0));
  Move(MarkerDot(20, 40));
  const QImage& pad = form.PadPicture();
  const QPoint centre = MarkerDot(20, 40);
  // Outline white; filled white while dragged, black after the release.
  EXPECT_EQ(pad.pixelColor(centre - QPoint(4, 4)), QColor(Qt::white));
  EXPECT_EQ(pad.pixelColor(centre), QColor(Qt::white));
  Release(centre);
  EXPECT_EQ(form.PadPicture().pixelColor(centre), QColor(Qt::black));
  EXPECT_EQ(form.PadPicture().pixelColor(centre + QPoint(3, 3)), QColor(Qt::white));
  // The grid line x = 40 outside the cross-hair.
  EXPECT_EQ(form.PadPicture().pixelColor(40, 300), QColor(0, 128, 0));
  EXPECT_EQ(form.PadPicture().pixelColor(10, 300), QColor(0, 255, 0));
}

TEST_F(ExprsFormTest, AutoRedrawsAtEachNewPositionAndOnRelease) {
  TExprsForm& form = Exprs();
  form.rbJulia->click();
  QSignalSpy changed(&form, &TExprsForm::FormulaChanged);
  Press(MarkerDot(0, 0));
  Move(MarkerDot(10, 10));
  Release(MarkerDot(10, 10));
  EXPECT_EQ(changed.count(), 0);
  EXPECT_EQ(form.edAVal->text(), "-0.8");

  form.cbAuto->setChecked(true);
  Press(MarkerDot(10, 10));
  Move(MarkerDot(20, 50));
  Move(MarkerDot(20, 50) + QPoint(1, 0));  // the same position: no redraw
  Move(MarkerDot(25, 50));
  EXPECT_EQ(changed.count(), 2);
  Release(MarkerDot(25, 50));
  EXPECT_EQ(changed.count(), 3);
  // a = -0.5, b = 0: the Julia set of -0.5.
  EXPECT_LT(MismatchShare(Grid(), Quadratic, true, {-0.5L, 0}), 0.01);
}

TEST_F(ExprsFormTest, PressAwayFromTheMarkerDoesNotMoveIt) {
  TExprsForm& form = Exprs();
  form.cbAuto->setChecked(true);
  QSignalSpy changed(&form, &TExprsForm::FormulaChanged);
  Press({200, 200});
  EXPECT_FALSE(form.Dragging());
  Move({250, 250});
  EXPECT_EQ(changed.count(), 0);
  Release({250, 250});
  EXPECT_EQ(std::pair(form.PadX(), form.PadY()), std::pair(0, 0));
  EXPECT_EQ(form.edAVal->text(), "-1");
  EXPECT_EQ(changed.count(), 1);
}

TEST_F(ExprsFormTest, ReopeningShowsTheDefaultsAndClosingDoesNotRedraw) {
  TExprsForm& form = Exprs();
  form.rbJulia->click();
  form.cbExprs->setChecked(true);
  form.edZ->setText("Z*Z*Z+C");
  form.edZ0->setText("0.3");
  form.Button1->click();
  Press(MarkerDot(0, 0));
  Release(MarkerDot(30, 30));

  QSignalSpy drawn(FForm.get(), &TDrawForm::DrawingEnded);
  form.btClose->click();
  QTest::qWait(50);
  EXPECT_EQ(drawn.count(), 0);
  EXPECT_FALSE(FForm->mnExprs->isChecked());
  EXPECT_EQ(FForm->ExprsForm(), nullptr);

  // The next drawing is the standard Mandelbrot set.
  FForm->Session().PressDraw({0, 0, 2, kLimit});
  EXPECT_LT(MismatchShare(Grid(), Quadratic, false, {0, 0}), 0.01);

  TExprsForm& reopened = Exprs();
  EXPECT_TRUE(reopened.rbMand->isChecked());
  EXPECT_EQ(reopened.edZ->text(), "Z*Z+C");
  EXPECT_EQ(reopened.edZ0->text(), "a+b*i");
  EXPECT_FALSE(reopened.cbExprs->isChecked());
  EXPECT_FALSE(reopened.cbAuto->isChecked());
  EXPECT_EQ(std::pair(reopened.PadX(), reopened.PadY()), std::pair(0, 0));
  EXPECT_EQ(reopened.edAVal->text(), "0");
  EXPECT_EQ(reopened.edAMin->text(), "-1");
  EXPECT_EQ(reopened.edBMax->text(), "1");
  EXPECT_TRUE(reopened.Label5->text().isEmpty());
}

TEST_F(ExprsFormTest, FormulaChangedWhileTheMainWindowDrawsIsDrawnAfterwards) {
  TExprsForm& form = Exprs();
  form.rbJulia->click();
  form.edZ0->setText("0.3");
  // Clicked from inside the drawing's message processing; a high limit keeps
  // the Mandelbrot drawing busy for a while.
  QTimer::singleShot(0, form.Button1, &QPushButton::click);
  FForm->Session().PressDraw({0, 0, 2, 20000});
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return !FForm->Session().Busy() && Grid().GetDot(0, 0) != kDotUncomputed; }, kWaitMs));
  QTest::qWait(50);
  EXPECT_FALSE(FForm->Session().Busy());
  // The Julia set of 0.3 is dust: every dot escapes.
  EXPECT_LT(MismatchShare(Grid(), Quadratic, true, {0.3L, 0}), 0.01);
}

// The engine computes with one program while the window rebuilds and
// rebinds its own for every marker step (run under ThreadSanitizer too).
TEST_F(ExprsFormTest, DraggingWhileTheEngineRunsNeverTouchesItsProgram) {
  TExprsForm& form = Exprs();
  form.edZ->setText("Z*Z+C+a*0.1");
  form.cbExprs->setChecked(true);
  form.cbAuto->setChecked(true);
  form.Button1->click();
  Press(MarkerDot(0, 0));
  TCalcGrid& grid = TSessionParts::CalcGrid(FForm->Session());
  for (int step = 1; step <= 6; ++step) {
    grid.Start(ccDraw);  // busy with the last program
    Move(MarkerDot(10 * step, 50));
  }
  Release(MarkerDot(60, 50));
  // a = 0.2: z^2 + c + 0.02 from the initial value a + b i = 0.2.
  const auto shifted = [](const TComplex& z, const TComplex& c) {
    return Quadratic(z, {c.Re + 0.02L, c.Im});
  };
  EXPECT_LT(MismatchShare(grid, shifted, false, {0.2L, 0}), 0.01);
}

}  // namespace
}  // namespace vortexa
