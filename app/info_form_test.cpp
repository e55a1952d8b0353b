#include "info_form.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>

#include "favorites/number_text.h"

namespace vortexa {
namespace {

constexpr int kWidth = 40;
constexpr int kHeight = 30;

class InfoFormTest : public ::testing::Test {
 protected:
  InfoFormTest() : FDrawGrid(FGrid, FCanvas) {
    FDrawGrid.SetSize(kWidth, kHeight);
    FDrawGrid.SetColors(2, 0, 0, 0);
    FForm.Bind(&FFinished);
  }

  // Counts spread over 1..1200, with a band of predicted and of limit-reached dots.
  void FillSpread() {
    for (int row = 0; row < kHeight; ++row)
      for (int col = 0; col < kWidth; ++col) {
        TDot value = static_cast<TDot>((row * kWidth + col) % 1200 + 1);
        if (row == 3) value = kDotPredicted;
        if (row == 4) value = kDotInside;
        FGrid.SetDot(row, col, value);
      }
  }

  void FillAll(TDot value) {
    for (int row = 0; row < kHeight; ++row)
      for (int col = 0; col < kWidth; ++col)
        FGrid.SetDot(row, col, value);
  }

  TNullCanvas FCanvas;
  TCalcGrid FGrid;
  TDrawGrid FDrawGrid;
  TFinishedGrid FFinished{FGrid, FDrawGrid};
  TInfoForm FForm;
};

TEST(FrequencyLineTest, LinesReadAsTheTableFormatsThem) {
  struct TCase {
    int offset, width, bin, count;
    const char* line;
  };
  const TCase cases[] = {
      {500, 1, 0, 7, "  501-  501： 7"},
      {0, 8, 0, 3, "    1-    8： 3"},
      {0, 8, 499, 0, " 3993- 4000： 0"},
      {60000, 10, 499, 12345, "64991-65000： 12345"},
      // Wider counts widen every number of the table alike.
      {0, 2000, 0, 5, "      1-   2000： 5"},
      {99000000, 2000, 499, 1, " 99998001-100000000： 1"},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(FrequencyLine(c.offset, c.width, c.bin, c.count).toStdString(), c.line);
  EXPECT_EQ(OutOfRangeLine(60000, 10, 12).toStdString(), "     範囲外： 12");
  EXPECT_EQ(OutOfRangeLine(0, 2000, 3).toStdString(), "         範囲外： 3");
}

TEST_F(InfoFormTest, ShowsTheGridStatisticsForTheChosenRange) {
  FillSpread();
  FForm.UpdateStats(1000);
  int low = 0, high = 0;
  FGrid.SuggestHistRange(1000, low, high);
  EXPECT_EQ(FForm.tbStart->value(), low);
  EXPECT_EQ(FForm.tbEnd->value(), high);

  const int offset = FForm.tbStart->value() * FForm.TrackStep();
  const int width = FForm.tbEnd->value() - FForm.tbStart->value();
  std::vector<std::int32_t> bins(kHistBins, 0);
  TCalcStats stats;
  FGrid.GetStatistics(offset, width, 1000, bins, stats);
  EXPECT_EQ(FForm.Stats(), stats);
  EXPECT_EQ(FForm.lbOKdotVal->text(), QString::number(stats.Escaped));
  EXPECT_EQ(FForm.lbNGdotVal->text(), QString::number(stats.Inside));
  EXPECT_EQ(FForm.lbOverDotVal->text(), QString::number(stats.OverLimit));
  EXPECT_EQ(FForm.lbSkipDotVal->text(), QString::number(stats.Predicted));
  EXPECT_EQ(FForm.lbTotalDotVal->text(), QString::number(kWidth * kHeight));
  EXPECT_EQ(FForm.lbMaxVal->text(), QString::number(stats.MaxCount));
  EXPECT_EQ(FForm.lbMinVal->text(), "1");
  EXPECT_EQ(stats.Predicted, kWidth);

  ASSERT_EQ(FForm.lbCount->count(), kHistBins + 1);
  for (int i = 0; i < kHistBins; ++i)
    ASSERT_EQ(FForm.lbCount->item(i)->text(), FrequencyLine(offset, width, i, bins[i])) << i;
  EXPECT_EQ(FForm.lbCount->item(kHistBins)->text(),
            OutOfRangeLine(offset, width, stats.OutsideBins));

  // Bars stand on the bottom row in the colour of their bin's middle count.
  for (int i = 0; i < kHistBins; ++i) {
    const QRgb bottom = FForm.GraphBitmap().pixel(i, kGraphHeight - 1) & 0xFFFFFF;
    if (bins[i] == 0) continue;
    EXPECT_EQ(bottom, FDrawGrid.GetColor(offset + i * width + width / 2) & 0xFFFFFF) << i;
  }
  EXPECT_EQ(FForm.lbGraphMin->text(), QString::number(offset));
  EXPECT_EQ(FForm.lbGraphMax->text(), QString::number(FForm.tbEnd->value() * FForm.TrackStep()));
}

// The automatic range, its labels and the table, worked out by hand: the
// counts' first step and where the top 1 % (12 of 1200 dots) begins.
TEST_F(InfoFormTest, AutomaticRangeAtLimitsUpToAHundredMillion) {
  struct TCase {
    int Limit;
    TDot Low, High;  // 1187 dots count Low, 13 count High
    int Start, End;  // track bar positions
    const char *StartVal, *MidVal, *EndVal;
    int LowBin, HighBin;
    const char *LowLine, *HighLine, *OutOfRange;
  };
  const TCase cases[] = {
      {1000, 600, 600, 1, 2, "500", "750", "1000", 99, 99, "  600-  600： 1200",
       "  600-  600： 1200", "     範囲外： 0"},
      {65000, 600, 64000, 1, 129, "500", "32500", "64500", 0, 496, "  501-  628： 1187",
       "63989-64116： 13", "     範囲外： 0"},
      {1000000, 600, 700000, 0, 71, "0", "355000", "710000", 0, 492, "     1-  1420： 1187",
       "698641-700060： 13", "       範囲外： 0"},
      {100000000, 70000, 99999999, 0, 100, "0", "50000000", "100000000", 0, 499,
       "        1-   200000： 1187", " 99800001-100000000： 13", "             範囲外： 0"},
  };
  for (const TCase& c : cases) {
    FGrid.SetView(0, 0, c.Limit, 1);
    FDrawGrid.SetSize(kWidth, kHeight);
    for (int dot = 0; dot < kWidth * kHeight; ++dot)
      FGrid.SetDot(dot / kWidth, dot % kWidth, dot < 1187 ? c.Low : c.High);
    FForm.UpdateStats(c.Limit);
    EXPECT_EQ(FForm.tbStart->value(), c.Start) << c.Limit;
    EXPECT_EQ(FForm.tbEnd->value(), c.End) << c.Limit;
    EXPECT_EQ(FForm.lbStartVal->text(), c.StartVal) << c.Limit;
    EXPECT_EQ(FForm.lbEndVal->text(), c.EndVal) << c.Limit;
    EXPECT_EQ(FForm.lbGraphMin->text(), c.StartVal) << c.Limit;
    EXPECT_EQ(FForm.lbGraphMid->text(), c.MidVal) << c.Limit;
    EXPECT_EQ(FForm.lbGraphMax->text(), c.EndVal) << c.Limit;
    EXPECT_EQ(FForm.lbCount->item(c.LowBin)->text(), c.LowLine) << c.Limit;
    EXPECT_EQ(FForm.lbCount->item(c.HighBin)->text(), c.HighLine) << c.Limit;
    EXPECT_EQ(FForm.lbCount->item(kHistBins)->text(), c.OutOfRange) << c.Limit;
    EXPECT_EQ(FForm.lbMaxVal->text(), QString::number(c.High)) << c.Limit;
  }
}

// Dots of the bar's colour standing on the bottom row of graph column x.
int BarHeight(const QImage& graph, int x) {
  const QRgb colour = graph.pixel(x, kGraphHeight - 1);
  if ((colour & 0xFFFFFF) == 0) return 0;
  int height = 0;
  while (height < kGraphHeight && graph.pixel(x, kGraphHeight - 1 - height) == colour)
    ++height;
  return height;
}

// With the range 0 to 500 every bin holds one count. The tallest bin (160
// dots) is 200 high; the others Round(dots * 200 / 160), half to even, and
// at least 2: worked out by hand below.
TEST_F(InfoFormTest, BarHeightsAreInProportionToTheTallestBin) {
  const struct {
    TDot Count;
    int Dots;
    int Height;
  } bars[] = {
      {2, 160, 200}, {3, 60, 75}, {4, 3, 4},   {5, 4, 5},      {6, 1, 2},
      {7, 2, 2},     {8, 6, 8},   {9, 10, 12}, {11, 100, 125},
  };
  FillAll(kDotInside);
  int dot = 0;
  for (const auto& bar : bars)
    for (int k = 0; k < bar.Dots; ++k, ++dot)
      FGrid.SetDot(dot / kWidth, dot % kWidth, bar.Count);
  FForm.cbAuto->setChecked(false);
  FForm.UpdateStats(500);
  ASSERT_EQ(FForm.tbStart->value(), 0);
  ASSERT_EQ(FForm.tbEnd->value(), 1);
  for (const auto& bar : bars)
    EXPECT_EQ(BarHeight(FForm.GraphBitmap(), bar.Count - 1), bar.Height) << "count " << bar.Count;
  EXPECT_EQ(BarHeight(FForm.GraphBitmap(), 9), 0);  // count 10: no dot, no bar
}

TEST_F(InfoFormTest, PictureInsideTheSetShowsAnEmptyHistogram) {
  FillAll(kDotInside);
  FForm.UpdateStats(1000);
  EXPECT_EQ(FForm.lbOKdotVal->text(), "0");
  EXPECT_EQ(FForm.lbMaxVal->text(), "0");
  EXPECT_EQ(FForm.lbMinVal->text(), "65280");
  for (int i = 0; i < kHistBins; ++i)
    ASSERT_EQ(FForm.lbCount->item(i)->data(Qt::UserRole).toInt(), 0);
  EXPECT_EQ(FForm.GraphBitmap().pixel(10, kGraphHeight - 1) & 0xFFFFFF, 0u);
  EXPECT_EQ(FForm.tbStart->value(), 0);
  EXPECT_EQ(FForm.tbEnd->value(), 1);
}

TEST_F(InfoFormTest, TrackBarsKeepTheStartBelowTheEnd) {
  FillSpread();
  FForm.cbAuto->setChecked(false);
  FForm.UpdateStats(65000);
  FForm.tbEnd->setValue(2);
  FForm.tbStart->setValue(5);
  EXPECT_EQ(FForm.tbStart->value(), 1);
  FForm.tbEnd->setValue(1);
  EXPECT_EQ(FForm.tbEnd->value(), 2);
  EXPECT_EQ(FForm.lbCount->item(0)->text().left(12), "  501-  501：");
  EXPECT_EQ(FForm.lbStartVal->text(), "500");
  EXPECT_EQ(FForm.lbEndVal->text(), "1000");

  // The limit caps the end: 400 allows one step, 65000 all 130.
  FForm.UpdateStats(400);
  FForm.tbEnd->setValue(5);
  EXPECT_EQ(FForm.tbEnd->value(), 1);
  EXPECT_EQ(FForm.tbStart->value(), 0);
  FForm.UpdateStats(65000);
  FForm.tbEnd->setValue(130);
  EXPECT_EQ(FForm.tbEnd->value(), 130);
  // At 1000000 a position stands for 10000: 100 of them reach the limit.
  FForm.UpdateStats(1000000);
  FForm.tbEnd->setValue(130);
  EXPECT_EQ(FForm.tbEnd->value(), 100);
  EXPECT_EQ(FForm.lbEndVal->text(), "1000000");
}

// A limit on another scale keeps the counts chosen by hand, as far as its
// steps and its end allow.
TEST_F(InfoFormTest, ManualRangeKeepsItsCountsAcrossScales) {
  FillSpread();
  FForm.cbAuto->setChecked(false);
  FForm.UpdateStats(1000000);
  FForm.tbEnd->setValue(10);
  FForm.tbStart->setValue(5);
  const struct {
    int Limit;
    const char *StartVal, *EndVal;
  } steps[] = {
      {2000000, "40000", "100000"}, {60000, "40000", "60000"}, {1000000, "40000", "60000"}};
  for (const auto& step : steps) {
    FForm.UpdateStats(step.Limit);
    EXPECT_EQ(FForm.lbStartVal->text(), step.StartVal) << step.Limit;
    EXPECT_EQ(FForm.lbEndVal->text(), step.EndVal) << step.Limit;
  }
}

TEST_F(InfoFormTest, DotInspectorOutlinesPredictedLimitReachedAndOutsideDots) {
  FillAll(40);
  FGrid.SetDot(5, 5, kDotPredicted);
  FGrid.SetDot(5, 6, kDotInside);
  FGrid.SetDot(5, 7, 5);
  FForm.UpdateStats(1000);
  FForm.btDot->click();
  EXPECT_TRUE(FForm.DotInspectorOn());

  FForm.ShowDot(6, 5, 0.25L, -0.5L);
  const auto& shapes = FForm.FDotShapes;
  EXPECT_EQ(shapes[3]->PenColor(), QColor(Qt::white));  // left: predicted
  EXPECT_EQ(shapes[3]->BrushColor(), QColor(Qt::black));
  EXPECT_EQ(shapes[4]->PenColor(), QColor(Qt::red));  // centre: limit reached
  EXPECT_EQ(shapes[4]->BrushColor(), QColor(Qt::black));
  const QColor five = QColor::fromRgb(FDrawGrid.GetColor(5) & 0xFFFFFF);
  EXPECT_EQ(shapes[5]->PenColor(), five);  // right: escaped
  EXPECT_EQ(shapes[5]->BrushColor(), five);
  EXPECT_EQ(FForm.lbDotState->text(), "集合内ドット");
  EXPECT_EQ(FForm.lbDot->text(), "上限越");
  EXPECT_EQ(FForm.lbXdot->text(), "[6]");
  EXPECT_EQ(FForm.lbYdot->text(), "[5]");
  EXPECT_EQ(FForm.lbXVal->text(), "0.25");
  EXPECT_EQ(FForm.lbYVal->text(), "-0.5");

  // In a deep view the dot's coordinates get the digits its size needs.
  FGrid.SetView(0, 0, 1000, 1e-30L);
  const TDeepReal x = *TDeepReal::FromDecimal("-1.768778833000000000000000000000001");
  FForm.ShowDot(6, 5, x, 0.25L);
  EXPECT_EQ(FForm.lbXVal->text(), "-1.768778833000000000000000000000001");

  FForm.ShowDot(5, 5, 0, 0);
  EXPECT_EQ(FForm.lbDot->text(), "予測");
  FForm.ShowDot(7, 5, 0, 0);
  EXPECT_EQ(FForm.lbDotState->text(), "集合外ドット");
  EXPECT_EQ(FForm.lbDot->text(), "反復数 = 5");

  // Beyond the top left corner everything is black.
  FForm.ShowDot(0, 0, 0, 0);
  for (int i : {0, 1, 2, 3, 6}) {
    EXPECT_EQ(shapes[i]->PenColor(), QColor(Qt::black)) << i;
    EXPECT_EQ(shapes[i]->BrushColor(), QColor(Qt::black)) << i;
  }
  FForm.ClearDot();
  EXPECT_TRUE(FForm.lbXdot->text().isEmpty());
  EXPECT_EQ(shapes[5]->PenColor(), QColor(Qt::black));
}

}  // namespace
}  // namespace vortexa
