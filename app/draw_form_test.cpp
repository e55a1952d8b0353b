#include "draw_form.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "favorites/number_text.h"

namespace vortexa {
namespace {

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
        [&] { return form.History().Count() >= historyCount && !form.Busy(); }, kWaitMs));
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
  static QPoint FindDot(const TCalcGrid& grid, int low, int high) {
    for (int row = 0; row < grid.GridHeight(); ++row)
      for (int col = 0; col < grid.GridWidth(); ++col) {
        const TDot dot = grid.GetDot(row, col);
        if (dot > low && dot <= high) return {col, row};
      }
    ADD_FAILURE() << "no dot in (" << low << ", " << high << "]";
    return {0, 0};
  }

  static TColor32 PicturePixel(TDrawForm& form, QPoint dot) {
    return form.DrawGrid().Picture().Pixel(dot.x(), dot.y());
  }

  QTemporaryDir FConfig;
};

bool IsElapsedText(const QString& text) {
  return QRegularExpression("^\\d\\d:\\d\\d\\.\\d$").match(text).hasMatch();
}

TEST_F(DrawFormTest, StartUpDrawsTheHomeViewFromTheFields) {
  auto form = StartForm();
  EXPECT_EQ(form->windowTitle(), "うずまきらんど");
  EXPECT_EQ(form->View(), (TViewState{0, 0, 2, 1000}));
  EXPECT_EQ(form->edX->text(), "0");
  EXPECT_EQ(form->edY->text(), "0");
  EXPECT_EQ(form->edRange->text(), "2");
  EXPECT_EQ(form->cbLimit->currentText(), "1000");
  EXPECT_EQ(form->History().Count(), 1);
  EXPECT_EQ(form->CalcGrid().Limit(), 1000);
  const QSize area = form->ImageAreaSize();
  EXPECT_EQ(form->DrawGrid().Width(), area.width());
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
  ASSERT_TRUE(form->BeginDraw());
  EXPECT_FALSE(form->BeginDraw());
  EXPECT_EQ(form->btDraw->text(), "中止");
  EXPECT_TRUE(form->btDraw->isEnabled());
  EXPECT_FALSE(form->edX->isEnabled());
  EXPECT_FALSE(form->mnDisplay->menuAction()->isEnabled());
  EXPECT_TRUE(form->StatusText(3).isEmpty());
  form->EndDraw();
  EXPECT_FALSE(form->Busy());
  EXPECT_EQ(form->btDraw->text(), "描画");

  EXPECT_THROW(form->DrawCommand([] { throw std::runtime_error("lost"); }), std::runtime_error);
  EXPECT_FALSE(form->Busy());
  EXPECT_EQ(form->btDraw->text(), "描画");
  EXPECT_TRUE(form->edX->isEnabled());
  EXPECT_TRUE(form->mnDisplay->menuAction()->isEnabled());
  EXPECT_TRUE(IsElapsedText(form->StatusText(3)));
  EXPECT_TRUE(form->BeginDraw());
  form->EndDraw();
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
    percentSeen = form->Progress();
    EXPECT_EQ(form->btDraw->text(), "中止");
    form->btDraw->click();
  });
  StartDeepDrawing(*form);
  EXPECT_GE(percentSeen, 0);
  EXPECT_FALSE(form->Busy());
  EXPECT_EQ(form->btDraw->text(), "描画");
  EXPECT_TRUE(IsElapsedText(form->StatusText(3)));
  EXPECT_TRUE(HasUncomputedDots(form->CalcGrid()));
}

TEST_F(DrawFormTest, ClosingDuringADrawingAbortsItFirst) {
  auto form = StartForm();
  QTimer::singleShot(0, form.get(), [&] {
    EXPECT_TRUE(form->Busy());
    form->close();
  });
  StartDeepDrawing(*form);
  EXPECT_FALSE(form->isVisible());
  EXPECT_FALSE(form->Busy());
  EXPECT_TRUE(HasUncomputedDots(form->CalcGrid()));
  EXPECT_TRUE(std::filesystem::exists(OwnFile()));
}

TEST_F(DrawFormTest, ResizingDrawsAgainAtTheNewSizeWhenIdle) {
  auto form = StartForm();
  form->resize(360, 380);
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return form->DrawGrid().Width() == 360 && !form->Busy(); }, kWaitMs));
  const QSize area = form->ImageAreaSize();
  EXPECT_EQ(form->DrawGrid().Height(), area.height());
  EXPECT_EQ(form->CalcGrid().GridWidth(), 360);
  EXPECT_EQ(form->StatusText(1), QString("%1×%2").arg(area.width()).arg(area.height()));
  // The same view again makes no new history entry.
  EXPECT_EQ(form->History().Count(), 1);
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
  EXPECT_EQ(form->DrawGrid().GetRotation(), 0);
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
      {"0", "2", "70000", {0, 0, 2, 65000}, "2", "65000"},
      {"0", "2", "0", {0, 0, 2, 1}, "2", "1"},
      {"-0.5", "0.25", "abc", {-0.5L, 0, 0.25L, 4000}, "0.25", "4000"},
  };
  auto form = StartForm();
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.x) + "|" + c.range + "|" + c.limit);
    Draw(*form, c.x, "0", c.range, c.limit);
    EXPECT_EQ(form->View(), c.view);
    EXPECT_EQ(form->edRange->text(), c.shownRange);
    EXPECT_EQ(form->cbLimit->currentText(), c.shownLimit);
    EXPECT_EQ(form->CalcGrid().Limit(), c.view.Limit);
  }
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
  EXPECT_EQ(form->View(), (TViewState{0.0015L, 0, 2, 700}));
  EXPECT_FALSE(form->FieldEdited(form->edX));
  EXPECT_FALSE(form->FieldEdited(form->cbLimit));
  EXPECT_NE(form->edX->palette().color(QPalette::Text), QColor(0, 0, 255));
}

TEST_F(DrawFormTest, LoweringTheLimitRecoloursAndRaisingItContinues) {
  auto form = StartForm();
  TCalcGrid& grid = form->CalcGrid();
  // A count no computation produces there shows whether the grid was recomputed.
  const QPoint marked = FindDot(grid, 260, 1000);
  grid.SetDot(marked.y(), marked.x(), 777);

  form->cbLimit->setCurrentIndex(0);  // " 250"
  form->cbLimitSelect();
  EXPECT_EQ(form->View().Limit, 250);
  EXPECT_EQ(grid.Limit(), 1000);
  EXPECT_EQ(grid.GetDot(marked.y(), marked.x()), 777);
  EXPECT_EQ(PicturePixel(*form, marked), kInsideColor);
  EXPECT_EQ(form->History().Count(), 1);

  form->cbLimit->setCurrentIndex(3);  // " 2000"
  form->cbLimitSelect();
  EXPECT_EQ(form->View().Limit, 2000);
  EXPECT_EQ(grid.Limit(), 2000);
  EXPECT_EQ(form->cbLimit->currentText(), "2000");
  EXPECT_EQ(grid.GetDot(marked.y(), marked.x()), 777);
  EXPECT_EQ(PicturePixel(*form, marked), form->DrawGrid().GetColor(777));
  FindDot(grid, 1000, 2000);
  EXPECT_EQ(form->History().Count(), 1);
}

TEST_F(DrawFormTest, LimitChosenWhileACoordinateIsEditedRunsTheDrawCommand) {
  auto form = StartForm();
  form->edX->clear();
  QTest::keyClicks(form->edX, "-1");
  form->cbLimit->setCurrentIndex(0);
  form->cbLimitSelect();
  WaitIdleAfterDrawing(*form, 2);
  EXPECT_EQ(form->View(), (TViewState{-1, 0, 2, 250}));
  EXPECT_EQ(form->History().Count(), 2);
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
  form->DrawGrid().SetRotation(30);
  form->DrawGrid().SetElevation(40);
  form->mnInitClick();
  EXPECT_EQ(form->View(), (TViewState{0, 0, 2, 1000}));
  EXPECT_EQ(form->edRange->text(), "2");
  EXPECT_EQ(form->cbTimes->currentIndex(), 4);
  EXPECT_EQ(form->cbColor->currentIndex(), 0);
  EXPECT_EQ(form->tbHue->value(), 0);
  EXPECT_EQ(form->tbSaturation->value(), 0);
  EXPECT_EQ(form->DrawGrid().Palette().Period(), 4);
  EXPECT_EQ(form->DrawGrid().Palette().Hue(), 0);
  EXPECT_EQ(form->StatusText(2), "   0°90°凸 ");
  EXPECT_EQ(form->History().Count(), 3);
  EXPECT_EQ(form->CalcGrid().Limit(), 1000);
}

TEST_F(DrawFormTest, ColourControlsRenderAgainWithoutRecomputing) {
  auto form = StartForm();
  TCalcGrid& grid = form->CalcGrid();
  const QPoint marked = FindDot(grid, 1, 1000);
  grid.SetDot(marked.y(), marked.x(), 123);
  const TColor32 before = form->DrawGrid().GetColor(123);

  form->tbHue->setValue(20);
  EXPECT_EQ(form->DrawGrid().Palette().Hue(), 80);
  EXPECT_NE(form->DrawGrid().GetColor(123), before);
  EXPECT_EQ(PicturePixel(*form, marked), form->DrawGrid().GetColor(123));

  form->cbTimes->setCurrentIndex(6);
  form->cbTimesChange();
  EXPECT_EQ(form->DrawGrid().Palette().Period(), 6);
  EXPECT_EQ(PicturePixel(*form, marked), form->DrawGrid().GetColor(123));
  EXPECT_EQ(grid.GetDot(marked.y(), marked.x()), 123);
  EXPECT_EQ(form->History().Count(), 1);
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
    EXPECT_EQ(form->CalcGrid().Options(), bit);
    item->trigger();
    EXPECT_EQ(form->CalcGrid().Options(), 0);
  }
  form->mnThread->trigger();
  form->mnSymY->trigger();
  EXPECT_EQ(form->CalcGrid().Options(), kOptSingleWorker | kOptNoMirror);
}

TEST_F(DrawFormTest, StatisticsWindowFollowsDrawingsAndTheHover) {
  auto form = StartForm();
  form->mnInfo->trigger();
  TInfoForm* info = form->InfoForm();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->StatLimit(), 1000);
  EXPECT_EQ(info->Stats().Total, form->DrawGrid().Width() * form->DrawGrid().Height());

  form->cbLimit->setCurrentIndex(0);
  form->cbLimitSelect();
  EXPECT_EQ(info->StatLimit(), 250);

  info->btDot->click();
  const int top = form->TopPanel->height();
  form->FormMouseMove(QPoint(10, top + 20));
  EXPECT_EQ(info->lbXdot->text(), "[10]");
  EXPECT_EQ(info->lbYdot->text(), "[20]");
  const long double step = form->CalcGrid().GetStep();
  EXPECT_EQ(info->lbXVal->text().toStdString(),
            FormatGeneral(step * (10 - form->DrawGrid().Width() / 2), kCoordinateDigits));
  form->DrawGrid().SetRotation(10);
  form->FormMouseMove(QPoint(11, top + 20));
  EXPECT_TRUE(info->lbXdot->text().isEmpty());

  info->close();
  EXPECT_FALSE(form->mnInfo->isChecked());
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
  const QList<QAction*> entries = form->FavoriteMenu()->actions();
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
  EXPECT_EQ(form->View(), (TViewState{-0.75L, 0.1L, 0.01L, 2000}));
  EXPECT_EQ(form->edX->text(), "-0.75");
  EXPECT_EQ(form->cbColor->currentIndex(), 1);
  EXPECT_EQ(form->tbHue->value(), 32);
  EXPECT_EQ(form->tbSaturation->value(), 2);
  EXPECT_EQ(form->tbHighlight->value(), 3);
  EXPECT_EQ(form->cbTimes->currentIndex(), 6);
  EXPECT_EQ(form->DrawGrid().Palette().Period(), 6);
  EXPECT_EQ(form->CalcGrid().Limit(), 2000);
  ASSERT_EQ(form->History().Count(), 2);
  EXPECT_EQ(form->History().GetItem(1)->Name, "渦");
  EXPECT_EQ(form->History().GetItem(1)->Hue, 32);

  form->close();
  std::ifstream saved(OwnFile());
  const std::string text((std::istreambuf_iterator<char>(saved)), {});
  EXPECT_NE(text.find("作者おすすめ"), std::string::npos);
  EXPECT_NE(text.find("渦,0,-0.75,0.1,0.01,2000,1,32,2,3,6,1"), std::string::npos);
}

TEST_F(DrawFormTest, CorruptFavouriteValuesStayInsideTheControls) {
  auto form = StartForm();
  TMBItem item;
  item.Limit = 70000;
  item.Range = 2;
  item.ColorIndex = 9;
  item.Period = 100;
  form->LoadView(item);
  EXPECT_EQ(form->View().Limit, 65000);
  EXPECT_EQ(form->cbColor->currentIndex(), 2);
  EXPECT_EQ(form->cbTimes->currentIndex(), 12);
  EXPECT_EQ(form->DrawGrid().Palette().Period(), 12);
}

}  // namespace
}  // namespace vortexa
