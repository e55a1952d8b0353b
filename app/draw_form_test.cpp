#include "draw_form.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <fstream>

#include "app/form_parts.h"
#include "favorites/number_text.h"
#include "session/session_parts.h"

namespace vortexa {
namespace {

// A coordinate as a text reads it: the decimal value, not its long double.
TDeepReal Decimal(const char* text) {
  return *TDeepReal::FromDecimal(text);
}

constexpr int kWaitMs = 30000;

class DrawFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FConfig.isValid());
    qputenv("XDG_CONFIG_HOME", FConfig.path().toUtf8());
  }

  std::filesystem::path OwnFile() const {
    return std::filesystem::path(FConfig.path().toStdString()) / "vortexa.fav";
  }

  // A small window that has drawn its first picture.
  std::unique_ptr<TDrawForm> StartForm() {
    auto form = std::make_unique<TDrawForm>(false, TFavoritesFiles{OwnFile(), std::nullopt});
    form->resize(300, 330);
    form->show();
    WaitIdleAfterDrawing(*form, 1);
    return form;
  }

  static void WaitIdleAfterDrawing(TDrawForm& form, int historyCount) {
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return form.Session().History().Count() >= historyCount && !form.Session().Busy(); },
        kWaitMs));
  }

  static void Draw(TDrawForm& form, const char* x, const char* y, const char* range,
                   const char* limit) {
    form.edX->setText(x);
    form.edY->setText(y);
    form.edRange->setText(range);
    form.cbLimit->setEditText(limit);
    QTest::keyClick(form.edRange, Qt::Key_Return);
  }

  // An escaped dot of the finished grid with a count in (low, high].
  static QPoint FindDot(const TCalcGrid& grid, TDot low, TDot high) {
    for (int row = 0; row < grid.GridHeight(); ++row)
      for (int col = 0; col < grid.GridWidth(); ++col) {
        const TDot dot = grid.GetDot(row, col);
        if (dot > low && dot <= high) return {col, row};
      }
    ADD_FAILURE() << "no dot in (" << low << ", " << high << "]";
    return {0, 0};
  }

  static TColor32 PicturePixel(TDrawForm& form, QPoint dot) {
    return TSessionParts::DrawGrid(form.Session()).Picture().Pixel(dot.x(), dot.y());
  }

  QTemporaryDir FConfig;
};

bool IsElapsedText(const QString& text) {
  return QRegularExpression("^\\d\\d:\\d\\d\\.\\d$").match(text).hasMatch();
}

TEST_F(DrawFormTest, StartUpDrawsTheHomeViewFromTheFields) {
  auto form = StartForm();
  EXPECT_EQ(form->windowTitle(), "うずまきらんど");
  EXPECT_EQ(form->Session().View(), (TViewState{0, 0, 2, 1000}));
  EXPECT_EQ(form->edX->text(), "0");
  EXPECT_EQ(form->edY->text(), "0");
  EXPECT_EQ(form->edRange->text(), "2");
  EXPECT_EQ(form->cbLimit->currentText(), "1000");
  EXPECT_EQ(form->Session().History().Count(), 1);
  EXPECT_EQ(TSessionParts::CalcGrid(form->Session()).Limit(), 1000);
  const QSize area = form->ImageAreaSize();
  EXPECT_EQ(TSessionParts::DrawGrid(form->Session()).Width(), area.width());
  EXPECT_EQ(form->StatusText(1), QString("%1×%2").arg(area.width()).arg(area.height()));
  EXPECT_EQ(form->StatusText(2), "   0°90°凸 ");
  EXPECT_TRUE(IsElapsedText(form->StatusText(3))) << form->StatusText(3).toStdString();
  // The corner lies outside the set, the centre inside.
  EXPECT_NE(PicturePixel(*form, {0, 0}), kInsideColor);
  EXPECT_EQ(PicturePixel(*form, {area.width() / 2, area.height() / 2}), kInsideColor);
  EXPECT_EQ(form->btDraw->text(), "描画");
}

TEST_F(DrawFormTest, BeginDrawRefusesWhileBusyAndEndDrawAlwaysPairs) {
  auto form = StartForm();
  ASSERT_TRUE(form->Session().BeginDraw());
  EXPECT_FALSE(form->Session().BeginDraw());
  EXPECT_EQ(form->btDraw->text(), "中止");
  EXPECT_TRUE(form->btDraw->isEnabled());
  EXPECT_FALSE(form->edX->isEnabled());
  EXPECT_FALSE(form->mnDisplay->menuAction()->isEnabled());
  EXPECT_TRUE(form->StatusText(3).isEmpty());
  form->Session().EndDraw();
  EXPECT_FALSE(form->Session().Busy());
  EXPECT_EQ(form->btDraw->text(), "描画");

  EXPECT_THROW(form->Session().RunCommand(TCommandId::Draw,
                                          [](TBusyScope&) { throw std::runtime_error("lost"); }),
               std::runtime_error);
  EXPECT_FALSE(form->Session().Busy());
  EXPECT_EQ(form->btDraw->text(), "描画");
  EXPECT_TRUE(form->edX->isEnabled());
  EXPECT_TRUE(form->mnDisplay->menuAction()->isEnabled());
  EXPECT_TRUE(IsElapsedText(form->StatusText(3)));
  EXPECT_TRUE(form->Session().BeginDraw());
  form->Session().EndDraw();
}

// Starts a drawing that runs long however fast the vector kernels are: every
// dot inside the main cardioid runs to the deepest limit, computed in
// extended precision on one worker.
void StartDeepDrawing(TDrawForm& form) {
  form.mnThread->trigger();
  form.mnPredict->trigger();
  form.mnSSE->trigger();
  form.edX->setText("-0.2");
  form.edRange->setText("0.2");
  form.cbLimit->setEditText("65000");
  form.btDrawClick();
}

bool HasUncomputedDots(const TCalcGrid& grid) {
  for (int row = 0; row < grid.GridHeight(); ++row)
    for (int col = 0; col < grid.GridWidth(); ++col)
      if (grid.GetDot(row, col) == kDotUncomputed) return true;
  return false;
}

TEST_F(DrawFormTest, DrawButtonAbortsARunningDrawing) {
  auto form = StartForm();
  int percentSeen = -1;
  QTimer::singleShot(0, form.get(), [&] {
    percentSeen = form->Session().Progress();
    EXPECT_EQ(form->btDraw->text(), "中止");
    form->btDraw->click();
  });
  StartDeepDrawing(*form);
  EXPECT_GE(percentSeen, 0);
  EXPECT_FALSE(form->Session().Busy());
  EXPECT_EQ(form->btDraw->text(), "描画");
  EXPECT_TRUE(IsElapsedText(form->StatusText(3)));
  EXPECT_TRUE(HasUncomputedDots(TSessionParts::CalcGrid(form->Session())));
}

TEST_F(DrawFormTest, ClosingDuringADrawingAbortsItFirst) {
  auto form = StartForm();
  QTimer::singleShot(0, form.get(), [&] {
    EXPECT_TRUE(form->Session().Busy());
    form->close();
  });
  StartDeepDrawing(*form);
  // The window closes once the stopped drawing has ended.
  EXPECT_TRUE(QTest::qWaitFor([&] { return !form->isVisible(); }, kWaitMs));
  EXPECT_FALSE(form->Session().Busy());
  EXPECT_TRUE(TSessionParts::CalcGrid(form->Session()).IsIdle());
  EXPECT_TRUE(HasUncomputedDots(TSessionParts::CalcGrid(form->Session())));
  EXPECT_TRUE(std::filesystem::exists(OwnFile()));
}

// Only Enter acts while a drawing runs: the keys of the menus do nothing,
// and the picture on the clipboard is never a half-finished one.
TEST_F(DrawFormTest, MenuKeysDoNothingWhileBusy) {
  auto form = StartForm();
  int saveDialogs = 0;
  form->SaveFileDialog = [&](const QString&) {
    ++saveDialogs;
    return QString();
  };
  form->InformDialog = [](const QString&) {};
  QWidget* area = form->ImageArea();
  const auto pressKeys = [&] {
    QGuiApplication::clipboard()->setText("kept");
    QTest::keyClick(area, Qt::Key_F11);
    QTest::keyClick(area, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(area, Qt::Key_C, Qt::ControlModifier);
  };
  QTimer::singleShot(0, form.get(), [&] {
    ASSERT_TRUE(form->Session().Busy());
    pressKeys();
    EXPECT_FALSE(form->FullScreen());
    EXPECT_EQ(saveDialogs, 0);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "kept");
    EXPECT_TRUE(QGuiApplication::clipboard()->image().isNull());
    form->btDraw->click();
  });
  StartDeepDrawing(*form);
  ASSERT_FALSE(form->Session().Busy());
  // Idle, the same keys act.
  pressKeys();
  EXPECT_TRUE(form->FullScreen());
  EXPECT_EQ(saveDialogs, 1);
  EXPECT_FALSE(QGuiApplication::clipboard()->image().isNull());
  form->mnFullScreen->trigger();
}

TEST_F(DrawFormTest, ResizingDrawsAgainAtTheNewSizeWhenIdle) {
  auto form = StartForm();
  form->resize(360, 380);
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        return TSessionParts::DrawGrid(form->Session()).Width() == 360 && !form->Session().Busy();
      },
      kWaitMs));
  const QSize area = form->ImageAreaSize();
  EXPECT_EQ(TSessionParts::DrawGrid(form->Session()).Height(), area.height());
  EXPECT_EQ(TSessionParts::CalcGrid(form->Session()).GridWidth(), 360);
  EXPECT_EQ(form->StatusText(1), QString("%1×%2").arg(area.width()).arg(area.height()));
  // The same view again makes no new history entry.
  EXPECT_EQ(form->Session().History().Count(), 1);
}

TEST_F(DrawFormTest, DebugSwitchShowsTheDebugControls) {
  for (bool debug : {false, true}) {
    TDrawForm form(debug, TFavoritesFiles{OwnFile(), std::nullopt});
    for (QWidget* control : std::initializer_list<QWidget*>{
             form.Button1, form.Button2, form.Button3, form.Button4, form.CheckBox1})
      EXPECT_EQ(control->isVisibleTo(&form), debug);
  }
}

TEST_F(DrawFormTest, DebugButtonsTimeASweepAndCountCliffs) {
  auto form = StartForm();
  form->Button1->click();
  EXPECT_EQ(TSessionParts::DrawGrid(form->Session()).GetRotation(), 0);
  EXPECT_TRUE(IsElapsedText(form->StatusText(3)));
  form->Button4->click();
  EXPECT_TRUE(QRegularExpression("^\\d+\\(\\d+%\\)$").match(form->StatusText(3)).hasMatch())
      << form->StatusText(3).toStdString();
}

TEST_F(DrawFormTest, FieldsFallBackAndClampWhenDrawing) {
  struct TCase {
    const char* x;
    const char* range;
    const char* limit;
    TViewState view;
    const char* shownRange;
    const char* shownLimit;
  };
  const TCase cases[] = {
      {"0", "", "1000", {0, 0, 2, 1000}, "2", "1000"},
      {"abc", "1", "1000", {0, 0, 1, 1000}, "1", "1000"},
      // Outside the set every dot escapes at once, whatever the limit.
      {"3", "0.25", "100000001", {3, 0, 0.25L, 100'000'000}, "0.25", "100000000"},
      {"0", "2", "0", {0, 0, 2, 1}, "2", "1"},
      {"-0.5", "0.25", "abc", {-0.5L, 0, 0.25L, 4000}, "0.25", "4000"},
  };
  auto form = StartForm();
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.x) + "|" + c.range + "|" + c.limit);
    Draw(*form, c.x, "0", c.range, c.limit);
    EXPECT_EQ(form->Session().View(), c.view);
    EXPECT_EQ(form->edRange->text(), c.shownRange);
    EXPECT_EQ(form->cbLimit->currentText(), c.shownLimit);
    EXPECT_EQ(form->cbLimit->lineEdit()->cursorPosition(), 0);  // the first digits show
    EXPECT_EQ(TSessionParts::CalcGrid(form->Session()).Limit(), c.view.Limit);
  }
}

TEST_F(DrawFormTest, ZeroOrNegativeRangeIsRefusedAndTheFieldKeepsTheRangeInUse) {
  auto form = StartForm();
  Draw(*form, "0", "0", "0.5", "1000");
  for (const char* range : {"0", "-1", "-0", "0e5"}) {
    SCOPED_TRACE(range);
    Draw(*form, "0.25", "0", range, "1000");
    EXPECT_EQ(form->Session().View(), (TViewState{0, 0, 0.5L, 1000}));
    EXPECT_EQ(form->edRange->text(), "0.5");
    EXPECT_EQ(form->StatusText(3).toStdString(), kRangeRefusedText);
  }
  EXPECT_EQ(form->Session().History().Count(), 2);
}

TEST_F(DrawFormTest, TypingFiltersCharactersAndMarksTheField) {
  auto form = StartForm();
  form->edX->clear();
  QTest::keyClicks(form->edX, "a1,b.5e-3x");
  EXPECT_EQ(form->edX->text(), "1.5e-3");
  EXPECT_TRUE(form->FieldEdited(form->edX));
  EXPECT_EQ(form->edX->palette().color(QPalette::Text), QColor(0, 0, 255));
  form->cbLimit->lineEdit()->clear();
  QTest::keyClicks(form->cbLimit->lineEdit(), "7-0.e0");
  EXPECT_EQ(form->cbLimit->currentText(), "700");
  EXPECT_TRUE(form->FieldEdited(form->cbLimit));
  QTest::keyClick(form->edX, Qt::Key_Return);
  WaitIdleAfterDrawing(*form, 2);
  EXPECT_EQ(form->Session().View(), (TViewState{Decimal("0.0015"), 0, 2, 700}));
  EXPECT_FALSE(form->FieldEdited(form->edX));
  EXPECT_FALSE(form->FieldEdited(form->cbLimit));
  EXPECT_NE(form->edX->palette().color(QPalette::Text), QColor(0, 0, 255));
}

TEST_F(DrawFormTest, LoweringTheLimitRecoloursAndRaisingItContinues) {
  auto form = StartForm();
  TCalcGrid& grid = TSessionParts::CalcGrid(form->Session());
  // A count no computation produces there shows whether the grid was recomputed.
  const QPoint marked = FindDot(grid, 260, 1000);
  grid.SetDot(marked.y(), marked.x(), 777);

  form->cbLimit->setCurrentIndex(0);  // " 250"
  form->cbLimitSelect();
  EXPECT_EQ(form->Session().View().Limit, 250);
  EXPECT_EQ(grid.Limit(), 1000);
  EXPECT_EQ(grid.GetDot(marked.y(), marked.x()), 777);
  EXPECT_EQ(PicturePixel(*form, marked), kInsideColor);
  EXPECT_EQ(form->Session().History().Count(), 1);

  form->cbLimit->setCurrentIndex(3);  // " 2000"
  form->cbLimitSelect();
  EXPECT_EQ(form->Session().View().Limit, 2000);
  EXPECT_EQ(grid.Limit(), 2000);
  EXPECT_EQ(form->cbLimit->currentText(), "2000");
  EXPECT_EQ(grid.GetDot(marked.y(), marked.x()), 777);
  EXPECT_EQ(PicturePixel(*form, marked), TSessionParts::DrawGrid(form->Session()).GetColor(777));
  FindDot(grid, 1000, 2000);
  EXPECT_EQ(form->Session().History().Count(), 1);
}

TEST_F(DrawFormTest, LimitChosenWhileACoordinateIsEditedRunsTheDrawCommand) {
  auto form = StartForm();
  form->edX->clear();
  QTest::keyClicks(form->edX, "-1");
  form->cbLimit->setCurrentIndex(0);
  form->cbLimitSelect();
  WaitIdleAfterDrawing(*form, 2);
  EXPECT_EQ(form->Session().View(), (TViewState{-1, 0, 2, 250}));
  EXPECT_EQ(form->Session().History().Count(), 2);
}

TEST_F(DrawFormTest, InitialPositionResetsViewColoursAndAngles) {
  auto form = StartForm();
  Draw(*form, "0.3", "0.1", "0.5", "2000");
  form->cbColor->setCurrentIndex(2);
  form->cbColorChange();
  form->tbHue->setValue(20);
  form->tbSaturation->setValue(3);
  form->cbTimes->setCurrentIndex(8);
  form->cbTimesChange();
  TSessionParts::DrawGrid(form->Session()).SetRotation(30);
  TSessionParts::DrawGrid(form->Session()).SetElevation(40);
  form->mnInitClick();
  EXPECT_EQ(form->Session().View(), (TViewState{0, 0, 2, 1000}));
  EXPECT_EQ(form->edRange->text(), "2");
  EXPECT_EQ(form->cbTimes->currentIndex(), 4);
  EXPECT_EQ(form->cbColor->currentIndex(), 0);
  EXPECT_EQ(form->tbHue->value(), 0);
  EXPECT_EQ(form->tbSaturation->value(), 0);
  EXPECT_EQ(TSessionParts::DrawGrid(form->Session()).Palette().Period(), 4);
  EXPECT_EQ(TSessionParts::DrawGrid(form->Session()).Palette().Hue(), 0);
  EXPECT_EQ(form->StatusText(2), "   0°90°凸 ");
  EXPECT_EQ(form->Session().History().Count(), 3);
  EXPECT_EQ(TSessionParts::CalcGrid(form->Session()).Limit(), 1000);
}

TEST_F(DrawFormTest, ColourControlsRenderAgainWithoutRecomputing) {
  auto form = StartForm();
  TCalcGrid& grid = TSessionParts::CalcGrid(form->Session());
  const QPoint marked = FindDot(grid, 1, 1000);
  grid.SetDot(marked.y(), marked.x(), 123);
  const TColor32 before = TSessionParts::DrawGrid(form->Session()).GetColor(123);

  form->tbHue->setValue(20);
  EXPECT_EQ(TSessionParts::DrawGrid(form->Session()).Palette().Hue(), 80);
  EXPECT_NE(TSessionParts::DrawGrid(form->Session()).GetColor(123), before);
  EXPECT_EQ(PicturePixel(*form, marked), TSessionParts::DrawGrid(form->Session()).GetColor(123));

  form->cbTimes->setCurrentIndex(6);
  form->cbTimesChange();
  EXPECT_EQ(TSessionParts::DrawGrid(form->Session()).Palette().Period(), 6);
  EXPECT_EQ(PicturePixel(*form, marked), TSessionParts::DrawGrid(form->Session()).GetColor(123));
  EXPECT_EQ(grid.GetDot(marked.y(), marked.x()), 123);
  EXPECT_EQ(form->Session().History().Count(), 1);
}

TEST_F(DrawFormTest, RestrictionSwitchesSetTheGridOptions) {
  auto form = StartForm();
  const std::pair<QAction*, int> switches[] = {
      {form->mnFSInfo, kOptNoFullScreenInfo}, {form->mnAnimate, kOptNoZoomAnimation},
      {form->mnThread, kOptSingleWorker},     {form->mnPredict, kOptNoPrediction},
      {form->mnSymY, kOptNoMirror},           {form->mnSSE, kOptNoSimd}};
  ASSERT_EQ(form->mnRestrict->actions().size(), 7);
  EXPECT_TRUE(form->mnRestrict->actions()[2]->isSeparator());
  for (const auto& [item, bit] : switches) {
    SCOPED_TRACE(item->text().toStdString());
    item->trigger();
    EXPECT_EQ(TSessionParts::CalcGrid(form->Session()).Options(), bit);
    item->trigger();
    EXPECT_EQ(TSessionParts::CalcGrid(form->Session()).Options(), 0);
  }
  form->mnThread->trigger();
  form->mnSymY->trigger();
  EXPECT_EQ(TSessionParts::CalcGrid(form->Session()).Options(), kOptSingleWorker | kOptNoMirror);
}

TEST_F(DrawFormTest, StatisticsWindowFollowsDrawingsAndTheHover) {
  auto form = StartForm();
  form->mnInfo->trigger();
  TInfoForm* info = form->InfoForm();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->StatLimit(), 1000);
  EXPECT_EQ(info->Stats().Total, TSessionParts::DrawGrid(form->Session()).Width() *
                                     TSessionParts::DrawGrid(form->Session()).Height());

  form->cbLimit->setCurrentIndex(0);
  form->cbLimitSelect();
  EXPECT_EQ(info->StatLimit(), 250);

  info->btDot->click();
  const int top = form->TopPanel->height();
  form->FormMouseMove(QPoint(10, top + 20));
  EXPECT_EQ(info->lbXdot->text(), "[10]");
  EXPECT_EQ(info->lbYdot->text(), "[20]");
  const long double step = TSessionParts::CalcGrid(form->Session()).GetStep().ToLongDouble();
  EXPECT_EQ(info->lbXVal->text().toStdString(),
            FormatGeneral(step * (10 - TSessionParts::DrawGrid(form->Session()).Width() / 2),
                          kCoordinateDigits));
  TSessionParts::DrawGrid(form->Session()).SetRotation(10);
  form->FormMouseMove(QPoint(11, top + 20));
  EXPECT_TRUE(info->lbXdot->text().isEmpty());

  info->close();
  EXPECT_FALSE(form->mnInfo->isChecked());
  form->mnInfo->trigger();
  info = form->InfoForm();
  QTest::keyClick(info, Qt::Key_Escape);
  EXPECT_FALSE(form->mnInfo->isChecked()) << "Esc closes as 閉じる does";
}

TEST(EffectiveOptionsTest, NoVectorUnitAlwaysKeepsTheVectorKernelsOff) {
  EXPECT_EQ(EffectiveOptions(0, 0), kOptNoSimd);
  EXPECT_EQ(EffectiveOptions(kOptNoMirror, 0), kOptNoMirror | kOptNoSimd);
  EXPECT_EQ(EffectiveOptions(kOptNoMirror, 1), kOptNoMirror);
  EXPECT_EQ(EffectiveOptions(kOptNoSimd, 2), kOptNoSimd);
}

TEST_F(DrawFormTest, ChoosingAFavouriteDrawsItsViewAndAddsHistory) {
  {
    std::ofstream file(OwnFile());
    file << "[Version]\nNo=120\n\n[Folder]\n-1=お気に入り,-2,2\n-2=作者おすすめ,1\n\n"
            "[Item]\n1=渦,0,-0.75,0.1,0.01,2000,1,32,2,3,6,1\n"
            "2=\"(0, 0)\",0,0,0,2,1000,0,0,0,0,0,1\n\n";
  }
  auto form = StartForm();
  // The favourites follow the eight fixed entries (add, organise, tours, tour video).
  const QList<QAction*> entries = form->FavoriteMenu()->actions().mid(8);
  ASSERT_EQ(entries.size(), 2);
  ASSERT_NE(entries[0]->menu(), nullptr);
  EXPECT_EQ(entries[0]->text(), "作者おすすめ");
  EXPECT_FALSE(entries[0]->icon().isNull());
  EXPECT_EQ(entries[1]->text(), "(0, 0)");
  QAction* favorite = entries[0]->menu()->actions().value(0);
  ASSERT_NE(favorite, nullptr);
  EXPECT_EQ(favorite->text(), "渦");

  favorite->trigger();
  WaitIdleAfterDrawing(*form, 2);
  EXPECT_EQ(form->Session().View(), (TViewState{-0.75L, Decimal("0.1"), 0.01L, 2000}));
  EXPECT_EQ(form->edX->text(), "-0.75");
  EXPECT_EQ(form->cbColor->currentIndex(), 1);
  EXPECT_EQ(form->tbHue->value(), 32);
  EXPECT_EQ(form->tbSaturation->value(), 2);
  EXPECT_EQ(form->tbHighlight->value(), 3);
  EXPECT_EQ(form->cbTimes->currentIndex(), 6);
  EXPECT_EQ(TSessionParts::DrawGrid(form->Session()).Palette().Period(), 6);
  EXPECT_EQ(TSessionParts::CalcGrid(form->Session()).Limit(), 2000);
  ASSERT_EQ(form->Session().History().Count(), 2);
  EXPECT_EQ(form->Session().History().GetItem(1)->Name, "渦");
  EXPECT_EQ(form->Session().History().GetItem(1)->Hue, 32);

  form->close();
  std::ifstream saved(OwnFile());
  const std::string text((std::istreambuf_iterator<char>(saved)), {});
  EXPECT_NE(text.find("作者おすすめ"), std::string::npos);
  EXPECT_NE(text.find("渦,0,-0.75,0.1,0.01,2000,1,32,2,3,6,1"), std::string::npos);
}

TEST_F(DrawFormTest, CorruptFavouriteValuesStayInsideTheControls) {
  auto form = StartForm();
  TMBItem item;
  item.Limit = 100'000'001;
  item.Range = 2;
  item.ColorIndex = 9;
  item.Period = 100;
  form->Session().LoadView(item);
  EXPECT_EQ(form->Session().View().Limit, 100'000'000);
  EXPECT_EQ(form->cbColor->currentIndex(), 2);
  EXPECT_EQ(form->cbTimes->currentIndex(), 12);
  EXPECT_EQ(TSessionParts::DrawGrid(form->Session()).Palette().Period(), 12);
}

}  // namespace
}  // namespace vortexa

namespace vortexa {
namespace {

// Mouse events as the image area receives them from the system.
void SendMouse(QWidget* area, QEvent::Type type, QPoint at, Qt::MouseButton button,
               Qt::MouseButtons held, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QMouseEvent event(type, at, area->mapToGlobal(at), button, held, modifiers);
  QApplication::sendEvent(area, &event);
}

void SendWheel(QWidget* area, QPoint at, int delta, Qt::MouseButtons held = Qt::NoButton,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QWheelEvent event(at, area->mapToGlobal(at), QPoint(), QPoint(0, delta), held, modifiers,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(area, &event);
}

TEST_F(DrawFormTest, KeysZoomGoHomeAndStepThroughTheHistory) {
  auto form = StartForm();
  form->mnAnimate->trigger();  // no zoom movies: the test looks at views
  form->edX->setFocus();
  QTest::keyClick(form->edX, Qt::Key_PageUp);
  EXPECT_EQ(form->Session().View().Range, 0.5L);
  EXPECT_EQ(form->edRange->text(), "0.5");
  QTest::keyClick(form->edX, Qt::Key_PageDown, Qt::ControlModifier);  // ×8 out
  EXPECT_EQ(form->Session().View().Range, 4);
  QTest::keyClick(form->edX, Qt::Key_PageUp, Qt::ShiftModifier);  // ×2 in
  EXPECT_EQ(form->Session().View().Range, 2);
  EXPECT_EQ(form->Session().History().Count(), 4);

  QTest::keyClick(form->edX, Qt::Key_Left, Qt::AltModifier);
  EXPECT_EQ(form->Session().View().Range, 4);
  QTest::keyClick(form.get(), Qt::Key_Left, Qt::AltModifier);
  EXPECT_EQ(form->Session().View().Range, 0.5L);
  QTest::keyClick(form.get(), Qt::Key_Right, Qt::AltModifier);
  EXPECT_EQ(form->Session().View().Range, 4);
  EXPECT_EQ(form->edRange->text(), "4");
  EXPECT_EQ(form->Session().History().Count(), 4);

  form->Session().HistoryItemClick(0);
  EXPECT_FALSE(form->mnPrev->isEnabled());
  QTest::keyClick(form.get(), Qt::Key_Left, Qt::AltModifier);
  EXPECT_EQ(form->Session().History().Index(), 0);

  Draw(*form, "0.25", "0", "1", "500");
  QTest::keyClick(form->edY, Qt::Key_Home);
  EXPECT_EQ(form->Session().View(), (TViewState{0, 0, 2, 1000}));
}

TEST_F(DrawFormTest, FieldsShowTheStartOfLongNumbersAndSelectAllWithCtrlA) {
  auto form = StartForm();
  Draw(*form, "-0.743643887037151", "0.131825904205330", "1e-9", "1000");
  EXPECT_EQ(form->edX->text(), "-0.743643887037151");
  EXPECT_EQ(form->edX->cursorPosition(), 0);
  form->edY->setFocus();
  QTest::keyClick(form->edY, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(form->edY->selectedText(), form->edY->text());
}

TEST_F(DrawFormTest, WheelAndDragsOnThePictureMoveTheView) {
  auto form = StartForm();
  form->mnAnimate->trigger();  // no zoom movies: the test looks at views
  QWidget* area = form->ImageArea();
  const QPoint middle(area->width() / 2, area->height() / 2);
  SendWheel(area, middle, 120);
  EXPECT_EQ(form->Session().View().Range, 0.5L);
  SendWheel(area, middle, -120, Qt::NoButton, Qt::ControlModifier);
  EXPECT_EQ(form->Session().View().Range, 4);

  SendMouse(area, QEvent::MouseButtonPress, middle, Qt::LeftButton, Qt::LeftButton);
  SendMouse(area, QEvent::MouseMove, middle + QPoint(30, 0), Qt::NoButton, Qt::LeftButton);
  EXPECT_TRUE(form->StatusText(3).startsWith("X=-")) << form->StatusText(3).toStdString();
  SendMouse(area, QEvent::MouseButtonRelease, middle + QPoint(30, 0), Qt::LeftButton, Qt::NoButton);
  const long double step = TSessionParts::CalcGrid(form->Session()).GetStep().ToLongDouble();
  EXPECT_NEAR(form->Session().View().CenterX.ToDouble(), static_cast<double>(-30 * step), 1e-15);

  SendMouse(area, QEvent::MouseButtonPress, middle, Qt::RightButton, Qt::RightButton);
  SendMouse(area, QEvent::MouseMove, middle + QPoint(0, 40), Qt::NoButton, Qt::RightButton);
  EXPECT_EQ(TSessionParts::DrawGrid(form->Session()).GetElevation(), 80);
  EXPECT_EQ(form->StatusText(2), "   0°80°凸 ");
  SendMouse(area, QEvent::MouseButtonRelease, middle + QPoint(0, 40), Qt::RightButton,
            Qt::NoButton);

  const int entries = form->Session().History().Count();
  SendMouse(area, QEvent::MouseButtonPress, middle, Qt::BackButton, Qt::BackButton);
  EXPECT_EQ(form->Session().History().Index(), entries - 2);
  SendMouse(area, QEvent::MouseButtonPress, middle, Qt::ForwardButton, Qt::ForwardButton);
  EXPECT_EQ(form->Session().History().Index(), entries - 1);
}

// The wheel zooms over every control of the window, not only the picture;
// the controls that take the wheel elsewhere keep their values.
TEST_F(DrawFormTest, TheWheelZoomsWhereverThePointerIsInTheWindow) {
  auto form = StartForm();
  form->mnAnimate->trigger();  // no zoom movies: the test looks at views
  const int hue = form->tbHue->value();
  const QString limit = form->cbLimit->currentText();
  const QString period = form->cbTimes->currentText();
  long double range = form->Session().View().Range.ToLongDouble();
  for (QWidget* over : {form->ImageArea(), form->BasicToolBar, static_cast<QWidget*>(form->tbHue),
                        static_cast<QWidget*>(form->cbLimit), static_cast<QWidget*>(form->cbTimes),
                        static_cast<QWidget*>(form->btDraw)}) {
    SendWheel(over, QPoint(over->width() / 2, over->height() / 2), 120);
    range /= 4;
    EXPECT_EQ(form->Session().View().Range, range) << over->metaObject()->className();
  }
  EXPECT_EQ(form->tbHue->value(), hue);
  EXPECT_EQ(form->cbLimit->currentText(), limit);
  EXPECT_EQ(form->cbTimes->currentText(), period);
}

// A touchpad's parts of a notch zoom once they make a whole one.
TEST_F(DrawFormTest, ThreeFortiethsOfANotchZoomOnce) {
  auto form = StartForm();
  form->mnAnimate->trigger();
  QWidget* area = form->ImageArea();
  const int entries = form->Session().History().Count();
  for (int part = 1; part <= 3; ++part) {
    SendWheel(area, QPoint(10, 10), 40);
    EXPECT_EQ(form->Session().History().Count(), entries + part / 3) << part;
  }
  EXPECT_EQ(form->Session().View().Range, 0.5L);
}

TEST(WheelNotchesTest, PartsAddUpToWholeNotchesAndATurnBackStartsAfresh) {
  const struct {
    std::vector<int> deltas, notches;
  } cases[] = {{{120}, {1}},
               {{-120}, {-1}},
               {{40, 40, 40, 40}, {0, 0, 1, 0}},
               {{-60, -60}, {0, -1}},
               {{80, -40, -80}, {0, 0, -1}},
               {{250, 110}, {2, 1}},
               {{0}, {0}}};
  for (const auto& c : cases) {
    TWheelNotches wheel;
    std::vector<int> notches;
    for (const int delta : c.deltas)
      notches.push_back(wheel.Add(delta));
    EXPECT_EQ(notches, c.notches) << testing::PrintToString(c.deltas);
  }
}

TEST_F(DrawFormTest, WheelAtThePointerWhenChosenInTheOptions) {
  auto form = StartForm();
  form->mnAnimate->trigger();  // no zoom movies: the test looks at views
  QWidget* area = form->ImageArea();
  EXPECT_FALSE(form->mnWheelAtPointer->isChecked());
  form->mnWheelAtPointer->trigger();
  const QPoint pointer(20, 30);
  const auto [re, im] = form->Session().PointAt(pointer);
  SendWheel(area, pointer, 120);
  const auto [reAfter, imAfter] = form->Session().PointAt(pointer);
  EXPECT_NEAR(static_cast<double>(reAfter - re), 0, 1e-15);
  EXPECT_NEAR(static_cast<double>(imAfter - im), 0, 1e-15);
}

TEST_F(DrawFormTest, HistoryMenuListsGroupsWhenTheDisplayMenuOpens) {
  auto form = StartForm();
  form->mnAnimate->trigger();  // no zoom movies: the test looks at views
  form->Session().Magnify(3);
  form->Session().Scroll({10, 0});
  form->mnDisplayClick();
  const QList<QAction*> items = form->mnHistory->actions();
  ASSERT_EQ(items.size(), 5);  // back, forward, separator, two groups
  EXPECT_TRUE(items[0]->isEnabled());
  EXPECT_FALSE(items[1]->isEnabled());
  ASSERT_NE(items[4]->menu(), nullptr);
  EXPECT_EQ(items[4]->text(), "(0, 0)");
  EXPECT_TRUE(items[3]->isChecked());
  const QList<QAction*> ranges = items[4]->menu()->actions();
  ASSERT_EQ(ranges.size(), 2);
  EXPECT_EQ(ranges[1]->text(), "2");
  ranges[1]->trigger();
  EXPECT_EQ(form->Session().View(), (TViewState{0, 0, 2, 1000}));
  form->mnDisplayClick();
  EXPECT_TRUE(form->mnHistory->actions()[4]->isChecked());
}

// Deep views: the fields take and show every digit the range needs, their
// start in sight, and copying gives those digits to the clipboard.
TEST_F(DrawFormTest, FieldsTakeAndShowDeepCentres) {
  auto form = StartForm();
  const char* x = "-1.7687788330000000000000000000000000001";  // 38 digits
  Draw(*form, x, "0.25", "1e-33", "100");
  // Read with the bits the range needs: the decimal to far below a dot.
  EXPECT_LT(std::fabs(form->Session().View().CenterX - *TDeepReal::FromDecimal(x, 4096)), 1e-60L);
  EXPECT_EQ(form->edX->text(), QString(x));
  EXPECT_EQ(form->edX->cursorPosition(), 0);
  form->mnInfoCopy->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(),
            QString("120,0,%1,0.25,1E-33,100,0,0,0,0,4,1").arg(x));
  // Enter on fields that still show the view draws it again unchanged.
  form->Session().Scroll({3, 0});
  const TViewState scrolled = form->Session().View();
  QTest::keyClick(form->edX, Qt::Key_Return);
  WaitIdleAfterDrawing(*form, 1);
  EXPECT_EQ(form->Session().View(), scrolled);
}

TEST_F(DrawFormTest, CopiedTextPastesTheViewAndColoursIntoAnotherWindow) {
  {
    auto form = StartForm();
    form->tbHue->setValue(12);
    Draw(*form, "-0.75", "0.1", "0.01", "2000");
    form->mnInfoCopy->trigger();
  }
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "120,0,-0.75,0.1,0.01,2000,0,12,0,0,4,1");
  auto fresh = StartForm();
  fresh->mnFileClick();
  ASSERT_TRUE(fresh->mnInfoPaste->isEnabled());
  fresh->mnInfoPaste->trigger();
  EXPECT_EQ(fresh->Session().View(), (TViewState{-0.75L, Decimal("0.1"), 0.01L, 2000}));
  EXPECT_EQ(fresh->tbHue->value(), 12);
  EXPECT_EQ(fresh->Session().History().Count(), 2);

  QGuiApplication::clipboard()->setText("not a view");
  fresh->mnFileClick();
  EXPECT_FALSE(fresh->mnInfoPaste->isEnabled());
  // Older programs put CP932 text there: "渦" in Shift-JIS.
  auto* data = new QMimeData;
  data->setData("text/plain", QByteArray("\x89\x51,0,0.25,0,1,500,0,0,0,0,4,1"));
  QGuiApplication::clipboard()->setMimeData(data);
  fresh->mnFileClick();
  ASSERT_TRUE(fresh->mnInfoPaste->isEnabled());
  fresh->mnInfoPaste->trigger();
  EXPECT_EQ(fresh->Session().View(), (TViewState{0.25L, 0, 1, 500}));
}

// Ctrl+C copies the picture wherever the focus is, unless a field has text
// selected: then it copies that text.
TEST_F(DrawFormTest, CtrlCCopiesThePictureUnlessAFieldHasTextSelected) {
  auto form = StartForm();
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  QClipboard* clipboard = QGuiApplication::clipboard();
  const QSize picture(TSessionParts::DrawGrid(form->Session()).Width(),
                      TSessionParts::DrawGrid(form->Session()).Height());
  const struct {
    const char* what;
    QWidget* focus;
    QLineEdit* line;  // the text it edits
    bool selected;
  } cases[] = {{"X", form->edX, form->edX, false},
               {"X selected", form->edX, form->edX, true},
               {"limit", form->cbLimit, form->cbLimit->lineEdit(), false},
               {"limit selected", form->cbLimit, form->cbLimit->lineEdit(), true},
               {"hue", form->tbHue, nullptr, false}};
  for (const auto& c : cases) {
    clipboard->clear();
    c.focus->setFocus();
    if (c.line && c.selected)
      c.line->selectAll();
    else if (c.line)
      c.line->deselect();
    QTest::keyClick(c.focus, Qt::Key_C, Qt::ControlModifier);
    if (c.selected) {
      EXPECT_EQ(clipboard->text(), c.line->text()) << c.what;
    } else {
      EXPECT_EQ(clipboard->image().size(), picture) << c.what;
    }
  }
}

TEST_F(DrawFormTest, DroppedTextIsTakenOnlyWhenItIsAView) {
  auto form = StartForm();
  const auto dragEnter = [&](const QString& text) {
    QMimeData data;
    data.setText(text);
    QDragEnterEvent event(QPoint(10, 80), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &event);
    return event.isAccepted();
  };
  EXPECT_FALSE(dragEnter("120,0,-0.75,0.1,0.01,2000,0,12,0,0,4"));  // 11 fields
  EXPECT_TRUE(dragEnter("120,0,-0.75,0.1,0.01,2000,0,12,0,0,4,1"));

  QMimeData data;
  data.setText("120,0,-0.75,0.1,0.01,2000,0,12,0,0,4,1");
  QDropEvent drop(QPointF(10, 80), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form.get(), &drop);
  EXPECT_EQ(form->Session().View(), (TViewState{-0.75L, Decimal("0.1"), 0.01L, 2000}));
  EXPECT_EQ(form->Session().History().Count(), 2);
}

TEST_F(DrawFormTest, AResizeDuringADrawingIsDrawnWhenItEnds) {
  auto form = StartForm();
  QTimer::singleShot(0, form.get(), [&] {
    // A window manager may resize the window whatever size it asked for.
    form->setMinimumSize(0, 0);
    form->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    form->resize(360, 420);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->ImageAreaSize().width() == 360; }, kWaitMs));
    EXPECT_TRUE(form->Session().Busy());
    // The fields the redraw takes over: a quick view.
    form->cbLimit->setEditText("100");
    form->btDraw->click();
  });
  StartDeepDrawing(*form);
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        return TSessionParts::DrawGrid(form->Session()).Width() == 360 && !form->Session().Busy();
      },
      kWaitMs));
  EXPECT_EQ(TSessionParts::DrawGrid(form->Session()).Height(), form->ImageAreaSize().height());
  EXPECT_EQ(TSessionParts::CalcGrid(form->Session()).GridWidth(), 360);
}

}  // namespace
}  // namespace vortexa
