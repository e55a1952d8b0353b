#include "session.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "favorites/number_text.h"
#include "render/recording_canvas.h"
#include "session/session_parts.h"

namespace vortexa {
namespace {

// A coordinate as a text reads it: the decimal value, not its long double.
TDeepReal Decimal(const char* text) {
  return *TDeepReal::FromDecimal(text);
}

constexpr int kWidth = 400;
constexpr int kHeight = 300;
constexpr TPointerState kLeft{.Left = true};
constexpr TPointerState kRight{.Right = true};
constexpr TPointerState kNoButton{};

// What the session reported, as a window would have shown it.
class TObserverLog : public TSessionObserver {
 public:
  void StatusChanged(const std::string& text) override { Status = text; }
  void MouseCaptured(bool captured) override { Captured = captured; }
  void CommandEnded(double) override { ++Commands; }
  std::string Status;
  bool Captured = false;
  int Commands = 0;
};

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FCanvas.msPerPresent = 1;
    FSession.SetObserver(&FLog);
    FSession.Resize(kWidth, kHeight);
    // No animation frames: the tests look at views and counts, not at movies.
    FSession.SetOptions(kOptNoZoomAnimation);
    FSession.PressDraw(TViewState{});
  }

  TRecordingCanvas FCanvas;
  TSession FSession{FCanvas, FCanvas};
  TObserverLog FLog;
};

TEST(WheelZoomIndexTest, ShiftAndCtrlMoveTheRatioPositionWithinItsRange) {
  struct TCase {
    bool up;
    int ratio;
    bool shift, ctrl;
    int index;
  };
  // Zoom-in indexes 3..0 are ×2..×16, zoom-out indexes 4..7 are 1/2..1/16.
  const TCase cases[] = {
      {true, 1, false, false, 2}, {false, 1, false, false, 5}, {true, 0, true, false, 3},
      {true, 0, false, true, 2},  {false, 3, false, true, 7},  {true, 3, false, true, 0},
      {false, 2, true, false, 5}, {true, 2, true, true, 1},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(WheelZoomIndex(c.up, c.ratio, c.shift, c.ctrl), c.index)
        << c.up << c.ratio << c.shift << c.ctrl;
}

TEST_F(SessionTest, WheelZoomsByTheChosenRatioAboutTheCentre) {
  FSession.Wheel(true, kNoButton, false, {10, 10});
  EXPECT_EQ(FSession.View().Range, 0.5L);
  EXPECT_EQ(FSession.RangeText(), "0.5");
  EXPECT_EQ(FSession.View().CenterX, 0);
  EXPECT_EQ(TSessionParts::CalcGrid(FSession).GetStep(), 2 * 0.5L / kHeight);

  // Ctrl cannot go past ×16: down at position 3 still multiplies by 16.
  FSession.SetMagnifyRatio(3);
  FSession.Wheel(false, kNoButton, true, {0, 0});
  EXPECT_EQ(FSession.View().Range, 8);
  EXPECT_EQ(FSession.History().Count(), 3);
}

TEST_F(SessionTest, RightButtonAndWheelSwitchTheReliefWithoutAView) {
  FSession.Wheel(false, kRight, false, {0, 0});
  EXPECT_FALSE(TSessionParts::DrawGrid(FSession).Convex());
  EXPECT_EQ(FSession.View().Range, 2);
  EXPECT_EQ(FSession.History().Count(), 1);
  FSession.Wheel(true, kRight, false, {0, 0});
  EXPECT_TRUE(TSessionParts::DrawGrid(FSession).Convex());
}

TEST_F(SessionTest, PressAndReleaseWithoutMovementChangeNothing) {
  const std::size_t presents = FCanvas.presents.size();
  FSession.MousePress({50, 50}, kLeft);
  FSession.MouseMove({50, 50}, kLeft);
  FSession.MouseRelease({50, 50}, kNoButton);
  EXPECT_EQ(FCanvas.presents.size(), presents);
  EXPECT_EQ(FSession.History().Count(), 1);
  EXPECT_EQ(FSession.DragState(), TDragState::None);
}

TEST_F(SessionTest, ScrollDragMovesTheCentreByTheDraggedDots) {
  FSession.MousePress({100, 100}, kLeft);
  FSession.MouseMove({200, 100}, kLeft);
  EXPECT_EQ(FSession.DragState(), TDragState::Scroll);
  // 100 dots of 4 / 300 each, to the left.
  const long double expectedX = -100 * (4.0L / 300);
  EXPECT_EQ(FLog.Status, "X=" + FormatGeneral(expectedX, 15) + ", Y=0");
  EXPECT_EQ(FSession.View().CenterX, 0) << "the view changes only at release";
  FSession.MouseRelease({200, 100}, kNoButton);
  EXPECT_EQ(FSession.DragState(), TDragState::None);
  EXPECT_TRUE(FLog.Status.empty());
  EXPECT_NEAR(FSession.View().CenterX.ToDouble(), static_cast<double>(expectedX), 1e-15);
  EXPECT_EQ(FSession.View().CenterY, 0);
  EXPECT_EQ(FSession.History().Count(), 2);
}

TEST_F(SessionTest, ShiftLocksTheDragToTheLargerGridAxis) {
  const TPointerState shiftLeft{.Left = true, .Shift = true};
  FSession.MousePress({100, 100}, shiftLeft);
  FSession.MouseMove({130, 110}, shiftLeft);
  FSession.MouseRelease({130, 110}, {.Shift = true});
  const long double step = 4.0L / 300;
  EXPECT_NEAR(FSession.View().CenterX.ToDouble(), static_cast<double>(-30 * step), 1e-15);
  EXPECT_EQ(FSession.View().CenterY, 0);

  FSession.MousePress({100, 100}, shiftLeft);
  FSession.MouseMove({110, 130}, shiftLeft);
  FSession.MouseRelease({110, 130}, {.Shift = true});
  EXPECT_NEAR(FSession.View().CenterX.ToDouble(), static_cast<double>(-30 * step), 1e-15);
  EXPECT_NEAR(FSession.View().CenterY.ToDouble(), static_cast<double>(-30 * step), 1e-15);
}

TEST_F(SessionTest, LowElevationRefusesTheDragAndAReliefIsDraggedFlat) {
  TSessionParts::DrawGrid(FSession).SetElevation(3);
  FSession.MousePress({100, 100}, kLeft);
  FSession.MouseMove({150, 100}, kLeft);
  EXPECT_EQ(FSession.DragState(), TDragState::None);
  FSession.MouseRelease({150, 100}, kNoButton);
  EXPECT_EQ(FSession.History().Count(), 1);

  TSessionParts::DrawGrid(FSession).SetElevation(60);
  FSession.MousePress({100, 100}, kLeft);
  FSession.MouseMove({150, 100}, kLeft);
  EXPECT_EQ(TSessionParts::DrawGrid(FSession).HeightScale(), 0) << "flattened while dragged";
  FSession.MouseRelease({150, 100}, kNoButton);
  EXPECT_EQ(FSession.History().Count(), 2);
  EXPECT_EQ(TSessionParts::DrawGrid(FSession).GetElevation(), 60);
  EXPECT_NE(TSessionParts::DrawGrid(FSession).HeightScale(), 0)
      << "risen again after the recomputation";
}

TEST_F(SessionTest, AngleDragTurnsOneDegreePerFourPixelsAndLosesTheRest) {
  TSessionParts::DrawGrid(FSession).SetElevation(60);
  FSession.MousePress({100, 100}, kRight);
  FSession.MouseMove({100, 93}, kRight);  // 7 pixels up: 7 div 4 = 1 degree
  EXPECT_EQ(FSession.DragState(), TDragState::Angle);
  EXPECT_TRUE(FLog.Captured);
  EXPECT_EQ(TSessionParts::DrawGrid(FSession).GetElevation(), 61);
  FSession.MouseMove({100, 90}, kRight);  // 3 more from the new reference: nothing
  EXPECT_EQ(TSessionParts::DrawGrid(FSession).GetElevation(), 61);
  FSession.MouseMove({109, 90}, kRight);  // right lowers the rotation
  EXPECT_EQ(TSessionParts::DrawGrid(FSession).GetRotation(), -2);
  FSession.MouseRelease({109, 90}, kNoButton);
  EXPECT_FALSE(FLog.Captured);
  EXPECT_EQ(FSession.History().Count(), 1);
}

// On a scaled screen the mouse travels in dots: a degree still takes four
// window pixels, 8 dots at scale 2 and 6 at scale 1.5.
TEST_F(SessionTest, AngleDragTakesFourWindowPixelsADegreeOnAScaledScreen) {
  const struct {
    double ratio;
    int dotsUp, elevation;
  } cases[] = {{2, 7, 60}, {2, 8, 61}, {2, 17, 62}, {1.5, 5, 60}, {1.5, 6, 61}, {1.5, 12, 62}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.ratio << " " << c.dotsUp);
    FSession.SetPixelRatio(c.ratio);
    TSessionParts::DrawGrid(FSession).SetElevation(60);
    FSession.MousePress({100, 100}, kRight);
    FSession.MouseMove({100, 100 - c.dotsUp}, kRight);
    EXPECT_EQ(TSessionParts::DrawGrid(FSession).GetElevation(), c.elevation);
    FSession.MouseRelease({100, 100 - c.dotsUp}, kNoButton);
  }
}

TEST_F(SessionTest, ConvertOffsetUndoesTheTurnAndTilt) {
  TDrawGrid& draw = TSessionParts::DrawGrid(FSession);
  EXPECT_EQ(FSession.ConvertOffset({17, -5}, true), QPoint(17, -5));
  draw.SetRotation(90);
  // A quarter turn: a movement along the screen's x runs along one grid axis only.
  const QPoint grid = FSession.ConvertOffset({40, 0}, true);
  EXPECT_EQ(std::abs(grid.x()) + std::abs(grid.y()), 40);
  EXPECT_TRUE(grid.x() == 0 || grid.y() == 0);
  draw.SetElevation(45);
  const QPoint back = FSession.ConvertOffset(FSession.ConvertOffset({40, 24}, true), false);
  EXPECT_LE(std::abs(back.x() - 40), 1);
  EXPECT_LE(std::abs(back.y() - 24), 1);
}

TEST_F(SessionTest, HistoryGroupsByCentreNewestFirst) {
  FSession.Magnify(3);
  FSession.Magnify(3);
  FSession.Scroll({40, 0});
  const std::vector<THistoryGroup> groups = FSession.HistoryGroups();
  ASSERT_EQ(groups.size(), 2u);
  ASSERT_EQ(groups[0].Entries.size(), 1u);
  EXPECT_TRUE(groups[0].Current);
  EXPECT_EQ(groups[0].Entries[0].Index, 3);
  EXPECT_EQ(groups[0].Entries[0].Caption, "0.5");
  EXPECT_EQ(groups[1].Caption, "(0, 0)");
  ASSERT_EQ(groups[1].Entries.size(), 3u);
  EXPECT_EQ(groups[1].Entries[0].Caption, "0.5");
  EXPECT_EQ(groups[1].Entries[1].Caption, "1");
  EXPECT_EQ(groups[1].Entries[2].Caption, "2");

  FSession.HistoryItemClick(-1);
  const std::vector<THistoryGroup> after = FSession.HistoryGroups();
  EXPECT_FALSE(after[0].Current);
  EXPECT_TRUE(after[1].Current);
  EXPECT_TRUE(after[1].Entries[0].Current);
  EXPECT_EQ(FSession.View().Range, 0.5L);
  EXPECT_EQ(FSession.History().Count(), 4) << "stepping adds no entry";
}

TEST_F(SessionTest, HistoryGroupsPartWhenOnlyYDiffers) {
  FSession.Scroll({0, 40});
  const std::vector<THistoryGroup> groups = FSession.HistoryGroups();
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[1].Caption, "(0, 0)");
  EXPECT_NE(groups[0].Caption, groups[1].Caption);
}

TEST_F(SessionTest, NamedEntryNamesItsGroup) {
  FSession.AddHistory("");
  TMBItem favourite = FSession.StoreView("渦");
  favourite.X = 0.25L;
  FSession.LoadView(favourite);
  FSession.ShowView();
  FSession.AddHistory("渦");
  EXPECT_EQ(FSession.HistoryGroups()[0].Caption, "渦");
  EXPECT_EQ(FSession.HistoryGroups()[1].Caption, "(0, 0)");
}

TEST_F(SessionTest, SteppingBackThenZoomingDropsTheEntriesAhead) {
  FSession.Magnify(3);
  FSession.Magnify(3);
  FSession.HistoryItemClick(-1);
  FSession.HistoryItemClick(-1);
  EXPECT_FALSE(FSession.History().CanBack());
  FSession.HistoryItemClick(-1);  // past the first entry: nothing
  EXPECT_EQ(FSession.History().Index(), 0);
  FSession.Magnify(4);
  EXPECT_EQ(FSession.History().Count(), 2);
  EXPECT_EQ(FSession.View().Range, 4);
  EXPECT_FALSE(FSession.History().CanForward());
}

TEST_F(SessionTest, DrawingTheSameViewTwiceAddsOneEntry) {
  FSession.PressDraw(TViewState{});
  FSession.PressDraw(TViewState{});
  EXPECT_EQ(FSession.History().Count(), 1);
  FSession.PressDraw(TViewState{-0.5L, 0, 2, 1000});
  EXPECT_EQ(FSession.History().Count(), 2);
}

TEST_F(SessionTest, ReproductionTextCarriesViewAndColoursToAnotherSession) {
  FSession.SetColors({2, 20, 3, 5, 7});
  FSession.PressDraw(TViewState{-0.75L, 0.1L, 0.01L, 2000});
  const std::string text = FSession.ReproductionText();
  EXPECT_EQ(text, "120,0,-0.75,0.1,0.01,2000,2,20,3,5,7,1");

  TRecordingCanvas canvas;
  TSession fresh(canvas, canvas);
  fresh.Resize(80, 60);
  ASSERT_TRUE(fresh.PasteText(text));
  EXPECT_EQ(fresh.View(), (TViewState{-0.75L, Decimal("0.1"), 0.01L, 2000}));
  EXPECT_EQ(fresh.Colors(), (TColorPositions{2, 20, 3, 5, 7}));
  EXPECT_EQ(TSessionParts::DrawGrid(fresh).Palette().Period(), 7);
  EXPECT_EQ(TSessionParts::CalcGrid(fresh).Limit(), 2000);
  EXPECT_EQ(fresh.History().Count(), 1);
}

TEST_F(SessionTest, TextsThatAreNoViewAreRefused) {
  EXPECT_TRUE(FSession.AcceptsText("120,0,-0.75,0.1,0.01,2000,2,20,3,5,7,1"));
  EXPECT_FALSE(FSession.AcceptsText("120,0,-0.75,0.1,0.01,2000,2,20,3,5,7"));
  EXPECT_FALSE(FSession.AcceptsText("hello"));
  EXPECT_FALSE(FSession.PasteText("120,0,-0.75,0.1,0.01,2000,2,20,3,5,7"));
  EXPECT_EQ(FSession.History().Count(), 1);
  ASSERT_TRUE(FSession.BeginDraw());
  EXPECT_FALSE(FSession.AcceptsText("120,0,-0.75,0.1,0.01,2000,2,20,3,5,7,1"));
  EXPECT_FALSE(FSession.PasteText("120,0,-0.75,0.1,0.01,2000,2,20,3,5,7,1"));
  FSession.EndDraw();
}

TEST_F(SessionTest, CommandsAreRefusedWhileBusy) {
  FSession.Magnify(3);
  FSession.HistoryItemClick(-1);  // back to the home view, so that forward is available
  const TViewState home = FSession.View();
  TMBItem stored = FSession.StoreView("x");
  stored.X = 1;
  ASSERT_TRUE(FSession.BeginDraw());
  const std::pair<const char*, std::function<void()>> commands[] = {
      {"magnify", [&] { FSession.Magnify(3); }},
      {"scroll",
       [&] {
         FSession.Scroll({10, 0});
       }},
      {"home", [&] { FSession.Home(); }},
      {"forward", [&] { FSession.HistoryItemClick(-2); }},
      {"history entry", [&] { FSession.HistoryItemClick(1); }},
      {"favourite", [&] { FSession.LoadFavorite(stored); }},
      {"paste", [&] { FSession.PasteText(ItemToText(stored)); }},
      {"limit", [&] { FSession.ChangeLimit(5000); }},
      {"relief", [&] { FSession.SwitchRelief(false); }},
      {"colours",
       [&] {
         FSession.SetColors({2, 10, 1, 1, 6});
       }},
      {"options", [&] { FSession.SetOptions(kOptNoMirror); }},
      {"ratio", [&] { FSession.SetMagnifyRatio(3); }},
      {"size", [&] { FSession.Resize(kWidth / 2, kHeight); }},
      {"drag",
       [&] {
         FSession.MousePress({10, 10}, kLeft);
         FSession.MouseMove({50, 10}, kLeft);
       }},
  };
  for (const auto& [name, command] : commands) {
    command();
    EXPECT_EQ(FSession.View(), home) << name;
    EXPECT_EQ(FSession.History().Index(), 0) << name;
  }
  EXPECT_EQ(FSession.DragState(), TDragState::None);
  EXPECT_TRUE(TSessionParts::DrawGrid(FSession).Convex());
  EXPECT_EQ(FSession.Colors(), TColorPositions{});
  EXPECT_EQ(TSessionParts::CalcGrid(FSession).Options(), kOptNoZoomAnimation);
  EXPECT_NE(FSession.MagnifyRatio(), 3);
  EXPECT_EQ(TSessionParts::DrawGrid(FSession).Width(), kWidth);
  // The draw button asks for an abort instead.
  FSession.PressDraw(TViewState{1, 1, 1, 1});
  EXPECT_TRUE(FSession.AbortRequested());
  FSession.EndDraw();
  EXPECT_FALSE(FSession.AbortRequested());
  EXPECT_EQ(FSession.History().Count(), 2);
  EXPECT_FALSE(FSession.Allows(TCommandId::HistoryBack)) << "no entry before the first";
  EXPECT_TRUE(FSession.Allows(TCommandId::HistoryForward));
}

std::vector<TDot> GridCounts(const TCalcGrid& grid) {
  std::vector<TDot> counts;
  for (int row = 0; row < grid.GridHeight(); ++row)
    for (int col = 0; col < grid.GridWidth(); ++col)
      counts.push_back(grid.GetDot(row, col));
  return counts;
}

TEST_F(SessionTest, ZoomAboutThePointerKeepsItsPointAndReusesExactCounts) {
  FSession.SetZoomAtPointer(true);
  FSession.SetOptions(kOptNoZoomAnimation | kOptNoPrediction | kOptNoMirror);
  FSession.PressDraw(TViewState{-0.75L, 0.1L, 0.05L, 500});
  for (const QPoint pointer : {QPoint(60, 200), QPoint(399, 0), QPoint(201, 150)}) {
    const auto [re, im] = FSession.PointAt(pointer);
    const long double range = FSession.View().Range.ToLongDouble();
    FSession.Wheel(true, kNoButton, false, pointer);  // position 1: ×4
    EXPECT_EQ(FSession.View().Range, range / 4);
    const auto [reAfter, imAfter] = FSession.PointAt(pointer);
    const long double step = TSessionParts::CalcGrid(FSession).GetStep().ToLongDouble();
    EXPECT_LE(std::fabs(reAfter - re), step / 1000);
    EXPECT_LE(std::fabs(imAfter - im), step / 1000);

    // Reused dots sit where the new view has them: drawing the view afresh
    // gives the same counts.
    const std::vector<TDot> zoomed = GridCounts(TSessionParts::CalcGrid(FSession));
    FSession.PressDraw(FSession.View());
    const std::vector<TDot> fresh = GridCounts(TSessionParts::CalcGrid(FSession));
    int mismatches = 0;
    for (std::size_t i = 0; i < fresh.size(); ++i)
      mismatches += zoomed[i] != fresh[i];
    EXPECT_EQ(mismatches, 0) << pointer.x() << "," << pointer.y();
  }
}

TEST_F(SessionTest, ZoomOutAboutThePointerKeepsItsPoint) {
  FSession.SetZoomAtPointer(true);
  FSession.SetMagnifyRatio(0);
  const QPoint pointer(20, 280);
  const auto [re, im] = FSession.PointAt(pointer);
  FSession.Wheel(false, kNoButton, false, pointer);
  EXPECT_EQ(FSession.View().Range, 4);
  const auto [reAfter, imAfter] = FSession.PointAt(pointer);
  EXPECT_NEAR(static_cast<double>(reAfter - re), 0, 1e-15);
  EXPECT_NEAR(static_cast<double>(imAfter - im), 0, 1e-15);
}

TEST_F(SessionTest, HomeRestoresViewColoursAndAngles) {
  FSession.SetColors({1, 9, 2, 3, 8});
  FSession.PressDraw(TViewState{0.3L, 0.1L, 0.5L, 2000});
  TSessionParts::DrawGrid(FSession).SetRotation(30);
  TSessionParts::DrawGrid(FSession).SetElevation(40);
  FSession.Home();
  EXPECT_EQ(FSession.View(), TViewState{});
  EXPECT_EQ(FSession.Colors(), TColorPositions{});
  EXPECT_EQ(TSessionParts::DrawGrid(FSession).Palette().Period(), kHomePeriod);
  EXPECT_EQ(TSessionParts::DrawGrid(FSession).GetElevation(), 90);
  EXPECT_EQ(TSessionParts::DrawGrid(FSession).GetRotation(), 0);
  EXPECT_EQ(FSession.History().Count(), 3);
}

TEST_F(SessionTest, MoveClickScrollsByTheChosenPartOfThePicture) {
  FSession.MoveClick(1);  // left: content moves right by a quarter
  const long double step = 4.0L / 300;
  EXPECT_NEAR(FSession.View().CenterX.ToDouble(), static_cast<double>(-100 * step), 1e-15);
  FSession.SetMoveRatio(2);
  FSession.MoveClick(8);  // right and down: a whole picture
  EXPECT_NEAR(FSession.View().CenterX.ToDouble(), static_cast<double>(300 * step), 1e-14);
  EXPECT_NEAR(FSession.View().CenterY.ToDouble(), static_cast<double>(300 * step), 1e-14);
  const int entries = FSession.History().Count();
  FSession.MoveClick(4);
  EXPECT_EQ(FSession.History().Count(), entries);
}

}  // namespace
}  // namespace vortexa

namespace vortexa {
namespace {

// ---- deep views ----

// A square picture of 256 dots: the home dot is 2 * 2 / 256 = 1/64, and every
// zoom by two halves it exactly, so expected centres can be written down.
class DeepSessionTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    FSession.Resize(kSide, kSide);
    FSession.PressDraw(TViewState{});
  }
  static constexpr int kSide = 256;
};

// 34 significant digits each, far beyond long double's.
constexpr const char* kDeepText =
    "120,0,-1.768778833000000000000000000000001,0.001738996073207466834921002345678,"
    "1E-30,100,0,0,0,0,4,1";

TEST_F(DeepSessionTest, ADeepTextSurvivesPasteAndCopy) {
  ASSERT_TRUE(FSession.PasteText(kDeepText));
  EXPECT_EQ(FSession.ReproductionText(), kDeepText);
  EXPECT_EQ(FSession.XText(), "-1.768778833000000000000000000000001");
  EXPECT_EQ(FSession.YText(), "0.001738996073207466834921002345678");
  EXPECT_NE(FSession.View().CenterX, TDeepReal(FSession.View().CenterX.ToLongDouble()));
  // The history holds it whole too: back and forward bring it again.
  FSession.Magnify(4);
  FSession.HistoryItemClick(-1);
  EXPECT_EQ(FSession.ReproductionText(), kDeepText);
}

// 130 wheel notches of ×2 about a pointer (a, b) dots from the centre: the
// point under it, (a, b) / 64, stays; the centre moves half a dot of each
// view towards it, which sums to (a, b) / 64 × (1 − 2^−130), a number of
// 137 bits.
TEST_F(DeepSessionTest, WheelZoomAboutThePointerFromHomeKeepsEveryDigit) {
  FSession.SetZoomAtPointer(true);
  FSession.SetMagnifyRatio(0);
  constexpr int kNotches = 130, a = 100, b = -37;
  for (int i = 0; i < kNotches; ++i)
    FSession.Wheel(true, kNoButton, false, {kSide / 2 + a, kSide / 2 + b});
  const long double range = FSession.View().Range.ToLongDouble();
  EXPECT_EQ(range, std::ldexp(2.0L, -kNotches));
  EXPECT_LT(range, 1e-30L);
  EXPECT_EQ(FSession.History().Count(), kNotches + 1);
  const TDeepReal expectedX = TDeepReal(a / 64.0L, 256) - std::ldexp(a / 64.0L, -kNotches);
  const TDeepReal expectedY = TDeepReal(b / 64.0L, 256) - std::ldexp(b / 64.0L, -kNotches);
  EXPECT_EQ(FSession.View().CenterX, expectedX);
  EXPECT_EQ(FSession.View().CenterY, expectedY);

  // The text holds the centre to half a unit of its last digit, and what it
  // holds comes back whole in another session.
  const std::string text = FSession.ReproductionText();
  TRecordingCanvas canvas;
  TSession fresh(canvas, canvas);
  fresh.Resize(kSide, kSide);
  ASSERT_TRUE(fresh.PasteText(text));
  EXPECT_EQ(fresh.ReproductionText(), text);
  const int digits = CoordinateDigits(range);
  EXPECT_EQ(digits, 44);  // range 1.5e-39: to 1e-43, a ten-thousandth of it
  EXPECT_LE(std::fabs(fresh.View().CenterX - expectedX), 0.5L * std::pow(10.0L, 1 - digits));
  EXPECT_LE(std::fabs(fresh.View().CenterY - expectedY), 0.5L * std::pow(10.0L, -digits));
}

// Below long double's reach a scroll still moves by whole dots, and zooming
// in stops at the deepest range.
TEST_F(DeepSessionTest, BeyondLongDoubleScrollsByWholeDotsAndStopsAtTheDeepest) {
  ASSERT_TRUE(FSession.PasteText("120,0,0.3,0.1,1E-6000,100,0,0,0,0,4,1"));
  EXPECT_EQ(FSession.RangeText(), "1E-6000");
  const TViewState before = FSession.View();
  const TFloatExp step = TSessionParts::CalcGrid(FSession).GetStep();
  FSession.Scroll({10, -3});
  EXPECT_EQ(WideDifference(FSession.View().CenterX, before.CenterX), step * -10);
  EXPECT_EQ(WideDifference(FSession.View().CenterY, before.CenterY), step * 3);

  ASSERT_TRUE(FSession.PasteText("120,0,0.3,0.1,1E-10000,100,0,0,0,0,4,1"));
  const int entries = FSession.History().Count();
  FSession.Magnify(3);
  EXPECT_EQ(FSession.View().Range, DeepestRange());
  EXPECT_EQ(FSession.History().Count(), entries);
  FSession.Magnify(4);  // out again
  EXPECT_EQ(FSession.View().Range, DeepestRange().Scaled(1));
}

TEST_F(DeepSessionTest, ScrollAtRange1e30MovesByExactlyTheDots) {
  ASSERT_TRUE(FSession.PasteText(kDeepText));
  const TViewState before = FSession.View();
  const long double step = TSessionParts::CalcGrid(FSession).GetStep().ToLongDouble();
  EXPECT_EQ(step, 2e-30L / kSide);
  FSession.Scroll({7, -3});
  EXPECT_EQ(FSession.View().CenterX - before.CenterX, -7 * step);
  EXPECT_EQ(FSession.View().CenterY - before.CenterY, 3 * step);

  // The scroll drag ends in the same scroll.
  const TViewState dragged = FSession.View();
  FSession.MousePress({100, 100}, kLeft);
  FSession.MouseMove({90, 100}, kLeft);
  // The status shows where the centre goes, to a thousandth of a dot.
  const std::size_t comma = FLog.Status.find(", Y=");
  ASSERT_EQ(FLog.Status.substr(0, 2), "X=");
  ASSERT_NE(comma, std::string::npos);
  const std::optional<TDeepReal> shownX = ParseDeep(FLog.Status.substr(2, comma - 2));
  ASSERT_TRUE(shownX) << FLog.Status;
  EXPECT_LE(std::fabs((*shownX - dragged.CenterX) - 10 * step), step / 1000) << FLog.Status;
  FSession.MouseRelease({90, 100}, kLeft);
  EXPECT_EQ(FSession.View().CenterX - dragged.CenterX, 10 * step);
  EXPECT_EQ(FSession.View().CenterY, dragged.CenterY);
}

// At range 1e-300 the text carries 305 digits: a scrolled centre comes back
// from it to a ten-thousandth of the range.
TEST_F(DeepSessionTest, AViewAtRange1e300ScrollsAndTravelsAsText) {
  ASSERT_TRUE(FSession.PasteText("120,0,-0.75,0.1,1E-300,100,0,0,0,0,4,1"));
  const TViewState before = FSession.View();
  const long double step = TSessionParts::CalcGrid(FSession).GetStep().ToLongDouble();
  FSession.Scroll({-5, 9});
  EXPECT_EQ(FSession.View().CenterX - before.CenterX, 5 * step);
  EXPECT_EQ(FSession.View().CenterY - before.CenterY, -9 * step);
  const std::string text = FSession.ReproductionText();
  EXPECT_GT(text.size(), 2u * 300);
  TRecordingCanvas canvas;
  TSession fresh(canvas, canvas);
  fresh.Resize(kSide, kSide);
  ASSERT_TRUE(fresh.PasteText(text));
  EXPECT_EQ(fresh.ReproductionText(), text);
  EXPECT_LE(std::fabs(fresh.View().CenterX - FSession.View().CenterX), 1e-304L);
  EXPECT_LE(std::fabs(fresh.View().CenterY - FSession.View().CenterY), 1e-304L);
  EXPECT_NE(fresh.View().CenterX, before.CenterX);
}

// The draw button takes the fields; while they still show the view, its
// centre stays whole (the fields hold it only to the digits shown).
TEST_F(DeepSessionTest, DrawingTheShownFieldsKeepsADeepCentre) {
  ASSERT_TRUE(FSession.PasteText(kDeepText));
  FSession.Scroll({1, 1});
  const TViewState view = FSession.View();
  const int entries = FSession.History().Count();
  FSession.PressDraw(FieldsToView(FSession.XText(), FSession.YText(), FSession.RangeText(), "100"));
  EXPECT_EQ(FSession.View(), view);
  EXPECT_EQ(FSession.History().Count(), entries);
  // A field typed anew is taken as typed.
  FSession.PressDraw(FieldsToView("-1.5", FSession.YText(), FSession.RangeText(), "100"));
  EXPECT_EQ(FSession.View().CenterX, -1.5L);
  EXPECT_EQ(FSession.View().CenterY, view.CenterY);
}

// Two centres that differ only in the 30th digit are two places at 1e-30.
TEST_F(DeepSessionTest, HistoryGroupsDeepCentresByTheirEveryDigit) {
  const std::string near =
      "120,0,-1.76877883300000000000000000001,0.001738996073207466834921002345678,"
      "1E-30,100,0,0,0,0,4,1";
  ASSERT_TRUE(FSession.PasteText(kDeepText));
  FSession.Magnify(3);
  ASSERT_TRUE(FSession.PasteText(near));
  FSession.Magnify(3);
  const std::vector<THistoryGroup> groups = FSession.HistoryGroups();
  ASSERT_EQ(groups.size(), 3u);  // near, deep, home
  EXPECT_EQ(groups[0].Caption,
            "(-1.76877883300000000000000000001, 0.001738996073207466834921002345678)");
  EXPECT_EQ(groups[0].Entries.size(), 2u);
  EXPECT_EQ(groups[1].Caption,
            "(-1.768778833000000000000000000000001, 0.001738996073207466834921002345678)");
  EXPECT_EQ(groups[1].Entries.size(), 2u);
}

TEST(TempSizeRectTest, WideOutputsGetBandsAboveAndBelowTallOnesLeftAndRight) {
  // 560 / 300 ≈ 1.87: 3000 × 1000 is wider (height Round(1000 × 560 / 3000) = 187),
  // 1920 × 1080 and 100 × 1000 are taller (width Round(300 × 1920 / 1080) = 533).
  const QRect area(10, 63, 560, 300);
  EXPECT_EQ(TempSizeRect(3000, 1000, area), QRect(10, 63 + (300 - 187) / 2, 560, 187));
  EXPECT_EQ(TempSizeRect(1920, 1080, area), QRect(10 + (560 - 533) / 2, 63, 533, 300));
  EXPECT_EQ(TempSizeRect(100, 1000, area), QRect(10 + (560 - 30) / 2, 63, 30, 300));
  EXPECT_EQ(TempSizeRect(560, 300, area), area);
}

// Breaks into every drawing as soon as the window would handle events.
class TAbortingCanvas : public TRecordingCanvas {
 public:
  void ProcessEvents() override {
    TRecordingCanvas::ProcessEvents();
    if (session && armed) session->RequestStop();
  }
  TSession* session = nullptr;
  bool armed = false;
};

class RenderAtSizeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FCanvas.session = &FSession;
    FSession.Resize(kWidth, kHeight);
    FSession.SetOptions(kOptNoZoomAnimation);
    FSession.PressDraw(TViewState{});
  }

  // The same view drawn by a session of its own at the output size.
  static QImage Reference(int width, int height) {
    TRecordingCanvas canvas;
    TSession session(canvas, canvas);
    session.Resize(width, height);
    session.SetOptions(kOptNoZoomAnimation);
    session.PressDraw(TViewState{});
    return TSessionParts::DrawGrid(session).Picture().Image().copy();
  }

  TAbortingCanvas FCanvas;
  TSession FSession{FCanvas, FCanvas};
};

TEST_F(RenderAtSizeTest, TheCurrentSizeDeliversThePictureAsShownWithoutComputing) {
  TSessionParts::DrawGrid(FSession).SetRotation(30);  // a turned picture is delivered turned
  TSessionParts::DrawGrid(FSession).Render(true);
  const QImage shown = TSessionParts::DrawGrid(FSession).Picture().Image().copy();
  const std::size_t presents = FCanvas.presents.size();
  QImage delivered;
  EXPECT_TRUE(FSession.RenderAtSize(kWidth, kHeight, QRect(),
                                    [&](const QImage& picture) { delivered = picture.copy(); }));
  EXPECT_EQ(delivered, shown);
  EXPECT_EQ(FCanvas.presents.size(), presents);
}

TEST_F(RenderAtSizeTest, AnotherSizeIsComputedShownShrunkAndTheWindowSizeComesBack) {
  const QRect shown(10, 60, 380, 100);
  QImage delivered;
  EXPECT_TRUE(FSession.RenderAtSize(700, 180, shown,
                                    [&](const QImage& picture) { delivered = picture.copy(); }));
  EXPECT_EQ(delivered.size(), QSize(700, 180));
  EXPECT_EQ(delivered, Reference(700, 180));
  EXPECT_TRUE(std::any_of(FCanvas.presents.begin(), FCanvas.presents.end(),
                          [&](const auto& present) { return present.stretchedInto == shown; }));
  EXPECT_EQ(TSessionParts::DrawGrid(FSession).Width(), kWidth);
  EXPECT_EQ(TSessionParts::CalcGrid(FSession).GridWidth(), kWidth);
  EXPECT_EQ(TSessionParts::CalcGrid(FSession).GridHeight(), kHeight);
  EXPECT_FALSE(FSession.Busy());
}

TEST_F(RenderAtSizeTest, AnAbortedComputationDeliversNothing) {
  FCanvas.armed = true;
  bool delivered = false;
  FSession.RenderAtSize(640, 480, QRect(10, 60, 380, 100),
                        [&](const QImage&) { delivered = true; });
  FCanvas.armed = false;
  EXPECT_FALSE(delivered);
  EXPECT_FALSE(FSession.AbortRequested());
  EXPECT_EQ(TSessionParts::DrawGrid(FSession).Width(), kWidth);
}

TEST_F(RenderAtSizeTest, ABusySessionRefuses) {
  bool delivered = false;
  FSession.RunCommand(TCommandId::Draw, [&](TBusyScope&) {
    EXPECT_FALSE(
        FSession.RenderAtSize(kWidth, kHeight, QRect(), [&](const QImage&) { delivered = true; }));
  });
  EXPECT_FALSE(delivered);
}

// Watches every round of events a command lets in: whether the session was
// busy, and what a user does at that moment.
class TPumpWatch : public TRecordingCanvas {
 public:
  void ProcessEvents() override {
    TRecordingCanvas::ProcessEvents();
    if (!session->Busy()) ++idleRounds;
    if (onEvents) onEvents();
  }
  TSession* session = nullptr;
  int idleRounds = 0;
  std::function<void()> onEvents;
};

class NoNestedCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FCanvas.session = &FSession;
    FSession.Resize(kWidth, kHeight);
    FSession.PressDraw(TViewState{});
    TSessionParts::DrawGrid(FSession).SetElevation(60);  // a relief, which rises after every change
  }

  TPumpWatch FCanvas;
  TSession FSession{FCanvas, FCanvas};
};

// PageUp (Magnify), the wheel and the home key arriving while the relief turns
// round or rises after a drag find the session busy and change nothing.
TEST_F(NoNestedCommandTest, CommandsArrivingDuringAnAnimationAreRefused) {
  const std::vector<std::pair<const char*, std::function<void()>>> animations = {
      {"relief switch",
       [this] {
         FSession.Wheel(false, kRight, false, {0, 0});
       }},
      {"rise after a drag",
       [this] {
         FSession.MousePress({100, 100}, kLeft);
         FSession.MouseMove({130, 110}, kLeft);
         FSession.MouseRelease({130, 110}, kNoButton);
       }},
  };
  for (const auto& [name, animate] : animations) {
    const TViewState before = FSession.View();
    const int history = FSession.History().Count();
    const int rounds = FCanvas.eventRounds;
    int refused = 0;
    FCanvas.onEvents = [&] {
      FSession.Magnify(3);
      FSession.Wheel(true, kNoButton, false, {0, 0});
      FSession.Home();
      refused += FSession.Busy();
    };
    animate();
    FCanvas.onEvents = nullptr;
    EXPECT_GT(FCanvas.eventRounds, rounds) << name;
    EXPECT_EQ(refused, FCanvas.eventRounds - rounds) << name;
    EXPECT_EQ(FCanvas.idleRounds, 0) << name;
    EXPECT_EQ(FSession.View().Range, before.Range) << name;
    EXPECT_LE(FSession.History().Count(), history + 1) << name;  // the drag's own entry
    EXPECT_FALSE(FSession.Busy()) << name;
  }
  EXPECT_FALSE(TSessionParts::DrawGrid(FSession).Convex());
}

// z^2 + c written out, so that the engine takes its slow custom-recurrence path.
class TSquarePlusC : public TRecurrence {
 public:
  TDot Iterate(long double cRe, long double cIm, long double zRe, long double zIm, int limit,
               TStopFlag) const override {
    for (int n = 1; n <= limit; ++n) {
      if (zRe * zRe + zIm * zIm > 4) return static_cast<TDot>(n);
      const long double re = zRe * zRe - zIm * zIm + cRe;
      zIm = 2 * zRe * zIm + cIm;
      zRe = re;
    }
    return kDotInside;
  }
  bool IsConjugationSymmetric() const override { return true; }
};

// A formula redraw shows nothing until the end but still lets events in, so
// a stop ends it within a round or two of the grid's 50 ms waits.
TEST_F(NoNestedCommandTest, AFormulaRedrawStopsSoonAfterAStopRequest) {
  TSessionParts::DrawGrid(FSession).SetElevation(kFlatElevation);  // no relief rises after the stop
  FSession.Resize(1200, 900);
  FSession.SetOptions(kOptNoPrediction);
  FSession.ChangeLimit(64000);
  FSession.SetFormula(true, std::make_shared<TSquarePlusC>(), 0, 0);
  int stopRound = 0;
  FCanvas.onEvents = [&] {
    if (stopRound == 0 && FSession.RequestStop()) stopRound = FCanvas.eventRounds;
  };
  const int rounds = FCanvas.eventRounds;
  ASSERT_TRUE(FSession.DrawContinue());
  FCanvas.onEvents = nullptr;
  ASSERT_GT(stopRound, rounds) << "the redraw let no event in";
  EXPECT_LE(FCanvas.eventRounds - stopRound, 2);
  EXPECT_EQ(FCanvas.idleRounds, 0);
  const TCalcGrid& grid = TSessionParts::CalcGrid(FSession);
  int unfinished = 0;
  for (int row = 0; row < grid.GridHeight(); ++row)
    unfinished += grid.RowPass(row) < 3;
  EXPECT_GT(unfinished, 0) << "the computation ran to its end";
}

// The palette strip shows the palette's own entries, red, green and blue in
// their places: the end columns the first and last entries.
TEST_F(SessionTest, PaletteStripShowsThePalettesEntries) {
  const TPalette& palette = TSessionParts::DrawGrid(FSession).Palette();
  for (const auto& [x, entry] : {std::pair{0, 0}, std::pair{199, kPaletteSize - 1}}) {
    const TColor32 expected = palette.Entry(entry);
    const QColor shown = FSession.PaletteStripColor(x, 200);
    EXPECT_EQ(shown.red(), static_cast<int>((expected >> 16) & 0xFF)) << x;
    EXPECT_EQ(shown.green(), static_cast<int>((expected >> 8) & 0xFF)) << x;
    EXPECT_EQ(shown.blue(), static_cast<int>(expected & 0xFF)) << x;
  }
}

}  // namespace
}  // namespace vortexa
