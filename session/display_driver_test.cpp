#include "session/display_driver.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stdexcept>

#include "engine/kernels.h"
#include "engine/recurrence.h"
#include "render/draw_grid.h"
#include "render/recording_canvas.h"

namespace vortexa {
namespace {

constexpr TColor32 kBlack = 0xFF000000;
constexpr TColor32 kMarker = 0xFF123457;
constexpr TColor32 kInner = 0xFF20C040;
constexpr TColor32 kOuter = 0xFF4010A0;
// Predicted dots may change after their pass has been shown.
constexpr int kStableDots = kOptNoPrediction;

// Stands in for a user formula whose dots the test lets through by pass and
// row, so that what the display sees while the grid computes does not depend
// on timing. Views are centred on 0 with a dot size of 1/32.
class TGatedRecurrence : public TRecurrence {
 public:
  static constexpr long double kRange = 1.5L;  // 96 rows of 1/32

  TGatedRecurrence(int width, int height) : FCx(width / 2), FCy(height / 2) {}

  // Read by the workers while the test changes what it depends on.
  std::function<bool(int pass, int row)> Open = [](int, int) { return true; };
  void Changed() {
    std::lock_guard lock(FLock);
    FWake.notify_all();
  }

  TDot Iterate(long double cRe, long double cIm, long double, long double, int,
               TStopFlag) const override {
    const int col = static_cast<int>(std::lround(cRe * 32)) + FCx;
    const int row = static_cast<int>(std::lround(cIm * 32)) + FCy;
    const int pass = col % 16 == 0 && row % 16 == 0 ? 1 : col % 4 == 0 && row % 4 == 0 ? 2 : 3;
    std::unique_lock lock(FLock);
    // A test whose gate never opens fails instead of hanging.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!Open(pass, row) && std::chrono::steady_clock::now() < deadline)
      FWake.wait_for(lock, std::chrono::milliseconds(20));
    return static_cast<TDot>(1 + (col * 7 + row * 3) % 200);
  }

 private:
  int FCx, FCy;
  mutable std::mutex FLock;
  mutable std::condition_variable FWake;
};

TColor32 PixelOf(const QImage& image, int x, int y) {
  return reinterpret_cast<const TColor32*>(image.constScanLine(y))[x];
}

class DisplayDriverTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "display_driver_test";
    static char* argv[] = {name, nullptr};
    if (!QGuiApplication::instance()) new QGuiApplication(argc, argv);
  }

  void SetUpView(int width, int height, long double range, int limit, int options = kStableDots) {
    grid.SetOptions(options);
    draw.SetSize(width, height);
    grid.SetView(-0.5L, 0, limit, range);
  }
  void SetRange(long double range, int limit) { grid.SetView(-0.5L, 0, limit, range); }
  // 128 × 96 dots computed by the gated recurrence.
  void SetUpGatedView(long double range) {
    grid.SetOptions(kOptNoPrediction | kOptNoMirror);
    draw.SetSize(128, 96);
    grid.SetView(0, 0, 1000, range);
    grid.SetFormula(true, &gate, 0, 0);
  }
  // Lets everything through so that the grid can end before the test does.
  void TearDown() override {
    stage = 99;
    gate.Changed();
    grid.WaitIdle();
  }
  void PaintPicture(TColor32 color) {
    draw.Picture().Clear(color);
    canvas.presents.clear();
    canvas.sleeps.clear();
  }

  // The colour of the dot at the top left of (x, y)'s block of the given step.
  TColor32 LatticeColor(int x, int y, int step) const {
    return draw.GetColor(grid.GetDot(y / step * step, x / step * step));
  }
  bool ShowsLattice(const QImage& image, int step) const {
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (PixelOf(image, x, y) != LatticeColor(x, y, step)) return false;
    return true;
  }
  // Where a frame is neither the old picture nor a dot's own final colour:
  // something coarser was drawn there.
  bool DrawnCoarsely(const QImage& image, int x, int y) const {
    const TColor32 pixel = PixelOf(image, x, y);
    return pixel != kMarker && pixel != LatticeColor(x, y, 1);
  }
  int FirstPresentShowing(int step) const {
    for (std::size_t i = 0; i < canvas.presents.size(); ++i)
      if (ShowsLattice(canvas.presents[i].image, step)) return static_cast<int>(i);
    return -1;
  }
  static bool AllOf(const QImage& image, TColor32 color) {
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (PixelOf(image, x, y) != color) return false;
    return true;
  }

  bool RowShowsDots(const QImage& image, int y) const {
    for (int x = 0; x < image.width(); ++x)
      if (PixelOf(image, x, y) != LatticeColor(x, y, 1)) return false;
    return true;
  }
  void Advance(int to) {
    if (stage >= to) return;
    stage = to;
    gate.Changed();
  }

  TGatedRecurrence gate{128, 96};
  std::atomic<int> stage{0};
  TCalcGrid grid;
  TRecordingCanvas canvas;
  TDrawGrid draw{grid, canvas};
  TDisplayDriver driver{grid, draw};
};

TEST_F(DisplayDriverTest, DrawShowsThePassesCoarseToFineAndEndsWithTheFinalPicture) {
  SetUpGatedView(TGatedRecurrence::kRange);
  // Each pass may go on only once the display has shown the previous one;
  // pass 3 stops halfway until the display has shown its first row.
  gate.Open = [this](int pass, int row) {
    return pass <= stage + 1 && (pass < 3 || row < 48 || stage >= 3);
  };
  driver.OnProgress = [this](int, bool&) {
    const QImage& shown = canvas.presents.back().image;
    if (ShowsLattice(shown, 16)) Advance(1);
    if (ShowsLattice(shown, 4)) Advance(2);
    if (stage == 2 && RowShowsDots(shown, 0)) Advance(3);
  };
  driver.Draw(canvas, false);
  ASSERT_TRUE(grid.IsIdle());
  const int pass1 = FirstPresentShowing(16), pass2 = FirstPresentShowing(4);
  int pass3 = -1;
  for (int i = pass2 + 1; i < static_cast<int>(canvas.presents.size()) && pass3 < 0; ++i)
    if (RowShowsDots(canvas.presents[i].image, 0) && !RowShowsDots(canvas.presents[i].image, 95))
      pass3 = i;
  const int last = static_cast<int>(canvas.presents.size()) - 1;
  EXPECT_GE(pass1, 0);
  EXPECT_GT(pass2, pass1);
  EXPECT_GT(pass3, pass2);
  EXPECT_GT(last, pass3);
  EXPECT_TRUE(ShowsLattice(canvas.presents.back().image, 1));
}

// z^2 + c whose repair of predicted dots waits until the test opens it, so
// that the display shows the final pass while the grid still repairs.
class TRepairGate : public TRecurrence {
 public:
  explicit TRepairGate(const TCalcGrid& grid) : FGrid(grid) {}

  TDot Iterate(long double cRe, long double cIm, long double zRe, long double zIm, int limit,
               TStopFlag) const override {
    if (FGrid.Pass() >= 3) {  // only the repair runs after the final pass
      std::unique_lock lock(FLock);
      FChanged.wait_for(lock, std::chrono::seconds(10), [this] { return FOpen; });
    }
    return IterateFPU(cRe, cIm, zRe, zIm, limit);
  }
  void Open() {
    std::lock_guard lock(FLock);
    FOpen = true;
    FChanged.notify_all();
  }

 private:
  const TCalcGrid& FGrid;
  mutable std::mutex FLock;
  mutable std::condition_variable FChanged;
  bool FOpen = false;
};

TEST_F(DisplayDriverTest, FinalPassShownDuringTheRepairEndsAsAFullRender) {
  SetUpView(160, 120, 0.05L, 500, 0);
  grid.SetView(-0.5L, 0.56L, 500, 0.05L);  // filaments that fool the prediction
  TRepairGate repairGate(grid);
  grid.SetFormula(true, &repairGate, 0, 0);
  bool shownDuringRepair = false;
  driver.OnProgress = [&](int, bool&) {
    if (grid.Pass() < 3) return;
    shownDuringRepair = shownDuringRepair || !grid.IsIdle();
    repairGate.Open();
  };
  driver.Draw(canvas, false);
  ASSERT_TRUE(grid.IsIdle());
  ASSERT_TRUE(shownDuringRepair);
  ASSERT_FALSE(grid.RepairedAreas().empty()) << "the view should need repairs";
  const QImage finished = canvas.presents.back().image;
  draw.Render(true);
  EXPECT_EQ(finished, canvas.presents.back().image);
}

TEST_F(DisplayDriverTest, RotatedPassTwoBlocksGrowSoThatTheyLeaveNoGaps) {
  SetUpGatedView(TGatedRecurrence::kRange);
  for (int count = 1; count <= 200; ++count)
    ASSERT_NE(draw.GetColor(static_cast<TDot>(count)), kBlack) << count;
  draw.SetRotation(45);
  // Pass 3 waits until a round after pass 2 has ended was shown.
  gate.Open = [this](int pass, int) { return pass <= 2 || stage >= 2; };
  int passTwoFrame = -1;
  driver.OnProgress = [&](int percent, bool&) {
    if (stage == 1) {
      passTwoFrame = static_cast<int>(canvas.presents.size()) - 1;
      Advance(2);
    }
    if (percent >= 8) Advance(1);
  };
  driver.Draw(canvas, false);
  ASSERT_GE(passTwoFrame, 0);
  const QImage& shown = canvas.presents[passTwoFrame].image;
  // Well inside the turned plane every dot is covered by some block.
  for (int y = 0; y < 96; ++y)
    for (int x = 0; x < 128; ++x)
      if ((x - 64) * (x - 64) + (y - 48) * (y - 48) < 40 * 40) {
        ASSERT_NE(PixelOf(shown, x, y), kBlack) << x << "," << y;
      }
}

TEST_F(DisplayDriverTest, DrawWithoutProgressShowsOnlyFullResolutionDots) {
  SetUpView(96, 64, 1.5L, 300);
  PaintPicture(kMarker);
  driver.Draw(canvas, true);
  EXPECT_EQ(grid.Pass(), 4);
  for (const auto& present : canvas.presents)
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 96; ++x)
        ASSERT_NE(PixelOf(present.image, x, y), kMarker) << "cleared first";
  EXPECT_TRUE(ShowsLattice(canvas.presents.back().image, 1));
}

TEST_F(DisplayDriverTest, RedrawShowsOnlyTheFinalPicture) {
  SetUpView(64, 48, 1.5L, 200);
  driver.Redraw(canvas);
  ASSERT_EQ(canvas.presents.size(), 1u);
  EXPECT_TRUE(ShowsLattice(canvas.presents[0].image, 1));
}

TEST_F(DisplayDriverTest, AbortDuringPassOneEndsEveryPassDisplayAfterOneRound) {
  // Mostly inside the set at the highest limit: far too slow to finish unaborted.
  grid.SetOptions(kStableDots);
  draw.SetSize(320, 240);
  grid.SetView(-0.2L, 0, kMaxLimit, 0.3L);
  std::vector<int> percents;
  driver.OnProgress = [&](int percent, bool& abort) {
    percents.push_back(percent);
    abort = true;
  };
  driver.Draw(canvas, false);
  EXPECT_EQ(percents.size(), 3u);
  EXPECT_TRUE(grid.IsIdle());
  EXPECT_EQ(grid.Command(), ccDraw) << "an aborted command keeps its code";
  // The finish shows what the grid holds.
  EXPECT_TRUE(ShowsLattice(canvas.presents.back().image, 1));
}

TEST_F(DisplayDriverTest, RaiseLimitShowsOnlyPassThree) {
  SetUpView(96, 64, 1.5L, 50);
  driver.Redraw(canvas);
  SetRange(1.5L, 400);
  draw.SetLimit(400);
  PaintPicture(kMarker);
  driver.RaiseLimit(canvas);
  for (const auto& present : canvas.presents)
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 96; ++x)
        ASSERT_FALSE(DrawnCoarsely(present.image, x, y)) << x << "," << y;
  EXPECT_TRUE(ShowsLattice(canvas.presents.back().image, 1));
}

TEST_F(DisplayDriverTest, ScrollByNothingRedrawsAtMostTheLastBlockColumnAndRow) {
  SetUpGatedView(TGatedRecurrence::kRange);
  driver.Redraw(canvas);
  PaintPicture(kMarker);
  // Passes 1 and 2 are shown while pass 3 waits for two display rounds.
  gate.Open = [this](int pass, int) { return pass <= 2 || stage >= 1; };
  int reports = 0;
  driver.OnProgress = [&](int, bool&) {
    if (++reports >= 2) Advance(1);
  };
  driver.DrawScrolled(canvas, QPoint(0, 0));
  EXPECT_GE(reports, 2);
  for (const auto& present : canvas.presents)
    for (int y = 0; y < 96 - 16; ++y)
      for (int x = 0; x < 128 - 16; ++x)
        ASSERT_FALSE(DrawnCoarsely(present.image, x, y)) << x << "," << y;
  EXPECT_TRUE(ShowsLattice(canvas.presents.back().image, 1));
}

// After a drag the coarse blocks fill the strip the old picture no longer
// covers, up to its edge, and leave alone the blocks that lie wholly on it.
TEST_F(DisplayDriverTest, ScrollFillsTheUncoveredStripWithPassOneBlocks) {
  for (const QPoint offset : {QPoint(5, 0), QPoint(-5, 0), QPoint(0, 7), QPoint(0, -7)}) {
    SetUpGatedView(TGatedRecurrence::kRange);
    gate.Open = [](int, int) { return true; };
    stage = 0;
    driver.Redraw(canvas);
    PaintPicture(kMarker);
    draw.TakeSnapshot();
    draw.EndShift(offset);  // the old picture moved, black where it left
    const QRect covered = QRect(0, 0, 128, 96).intersected(QRect(0, 0, 128, 96).translated(offset));
    // Pass 1 is shown whole before the later passes may go on.
    gate.Open = [this](int pass, int) { return pass <= 1 || stage >= 1; };
    const auto passOneDone = [this] {
      for (int y = 0; y < 96; y += 16)
        if (grid.RowPass(y) < 1) return false;
      return true;
    };
    bool done = false;
    int shown = -1;
    driver.OnProgress = [&](int, bool&) {
      if (done && shown < 0) {
        shown = static_cast<int>(canvas.presents.size()) - 1;
        Advance(1);
      }
      done = done || passOneDone();
    };
    driver.DrawScrolled(canvas, offset);
    ASSERT_GE(shown, 0) << offset.x() << "," << offset.y();
    const QImage& image = canvas.presents[shown].image;
    for (int y = 0; y < 96; ++y)
      for (int x = 0; x < 128; ++x)
        ASSERT_TRUE(PixelOf(image, x, y) != kBlack || LatticeColor(x, y, 16) == kBlack)
            << "black at " << x << "," << y << " after " << offset.x() << "," << offset.y();
    for (int y = 0; y < 96; y += 16)
      for (int x = 0; x < 128; x += 16) {
        if (covered.contains(QRect(x, y, 16, 16))) {
          ASSERT_EQ(PixelOf(image, x, y), kMarker) << x << "," << y;
        }
      }
    TearDown();
  }
}

TEST_F(DisplayDriverTest, MagnifyByFourShowsNoPassTwoBlocks) {
  SetUpGatedView(4 * TGatedRecurrence::kRange);
  driver.Redraw(canvas);
  PaintPicture(kMarker);
  // The upper half is finished while the pass displays run: a pass-2 display
  // would show it in blocks.
  gate.Open = [this](int, int row) { return row < 48 || stage >= 1; };
  int reports = 0;
  driver.OnProgress = [&](int, bool&) {
    if (++reports > TDisplayDriver::kZoomFrames[2] + 1) Advance(1);
  };
  grid.SetView(0, 0, 1000, TGatedRecurrence::kRange);
  driver.Zoom(canvas, 2, {});
  ASSERT_TRUE(grid.IsIdle());
  EXPECT_GT(reports, TDisplayDriver::kZoomFrames[2] + 1);
  for (const auto& present : canvas.presents)
    for (int y = 0; y < 96; ++y)
      for (int x = 0; x < 128; ++x)
        ASSERT_FALSE(DrawnCoarsely(present.image, x, y)) << x << "," << y;
  EXPECT_TRUE(ShowsLattice(canvas.presents.back().image, 1));
}

TEST_F(DisplayDriverTest, ReducingLeavesTheShrunkenOldPictureToPassThree) {
  SetUpGatedView(TGatedRecurrence::kRange / 4);
  driver.Redraw(canvas);
  PaintPicture(kMarker);
  // Pass 3 waits until a pass-2 display round has run after pass 2 ended.
  gate.Open = [this](int pass, int) { return pass <= 2 || stage >= 2; };
  int reports = 0;
  driver.OnProgress = [&](int percent, bool&) {
    if (++reports <= TDisplayDriver::kZoomFrames[5]) return;
    if (stage == 1) Advance(2);
    if (percent >= 8) Advance(1);
  };
  grid.SetView(0, 0, 1000, TGatedRecurrence::kRange);
  driver.Zoom(canvas, 5, {});
  const QRect shrunken = draw.ScaledRect(128, 96, 0.25, 0, 0, false);
  ASSERT_EQ(shrunken, QRect(48, 36, 32, 24));
  bool passTwoShown = false;
  for (const auto& present : canvas.presents) {
    for (int y = 0; y < 96; ++y)
      for (int x = 0; x < 128; ++x)
        if (shrunken.contains(x, y)) {
          ASSERT_FALSE(DrawnCoarsely(present.image, x, y)) << x << "," << y;
        }
    passTwoShown = passTwoShown || PixelOf(present.image, 1, 1) == LatticeColor(1, 1, 4);
  }
  EXPECT_TRUE(passTwoShown);
  EXPECT_TRUE(ShowsLattice(canvas.presents.back().image, 1));
}

// The old picture's middle half in one colour, so that the end of a
// magnification by 2 shows that colour alone.
class ZoomFramesTest : public DisplayDriverTest {
 protected:
  void PaintTarget() {
    PaintPicture(kOuter);
    draw.Picture().FillRect(QRect(32, 24, 64, 48), kInner);
  }
};

TEST_F(ZoomFramesTest, ZoomAnimationOffShowsOneFrameWithTheShortPace) {
  const struct {
    int options;
    int frames, firstSleep;
  } cases[] = {{kStableDots, 24, 40}, {kStableDots | kOptNoZoomAnimation, 1, 10}};
  for (const auto& c : cases) {
    SetUpView(128, 96, 1.6L, 300, c.options);
    driver.Redraw(canvas);
    PaintTarget();
    SetRange(0.8L, 300);
    driver.Zoom(canvas, 3, {});
    ASSERT_GE(canvas.presents.size(), std::size_t(c.frames)) << c.frames;
    EXPECT_TRUE(AllOf(canvas.presents[c.frames - 1].image, kInner)) << c.frames;
    if (c.frames > 1) {
      EXPECT_FALSE(AllOf(canvas.presents[c.frames - 2].image, kInner));
    }
    EXPECT_EQ(canvas.sleeps.front(), c.firstSleep);
  }
}

TEST_F(ZoomFramesTest, DriftingZoomWithoutDriftIsTheCentredZoom) {
  SetUpView(128, 96, 1.6L, 300);
  driver.Redraw(canvas);
  PaintTarget();
  SetRange(0.8L, 300);
  driver.Zoom(canvas, 3, {});
  const std::vector<TRecordingCanvas::TPresent> centred(canvas.presents.begin(),
                                                        canvas.presents.begin() + 24);
  PaintTarget();
  driver.ZoomTo(canvas, 0, 0, 2.0L);
  ASSERT_GE(canvas.presents.size(), 24u);
  for (int k = 0; k < 24; ++k)
    EXPECT_EQ(canvas.presents[k].image, centred[k].image) << "frame " << k + 1;
}

TEST_F(ZoomFramesTest, DriftingZoomEndsWithTheTargetPointCentred) {
  SetUpView(128, 96, 1.6L, 300);
  driver.Redraw(canvas);
  PaintPicture(kOuter);
  // A 2 × 2 patch around the old picture's point (cx + 20, cy − 10).
  draw.Picture().FillRect(QRect(83, 37, 2, 2), kInner);
  SetRange(0.2L, 300);
  driver.ZoomTo(canvas, 20, -10, 8.0L);
  const int frames = 30;  // (log2 8 − 1) × 3 + 24
  const QImage& last = canvas.presents[frames - 1].image;
  EXPECT_EQ(PixelOf(last, 64, 48), kInner);
  EXPECT_EQ(PixelOf(last, 64 - 10, 48), kOuter);
}

TEST_F(DisplayDriverTest, ScaledRectScalesAboutTheCentreOrTheTippedPoint) {
  const struct {
    int elevation, width, height;
    double scale;
    int dx, dy;
    bool tipped;
    QRect expected;
  } cases[] = {
      {90, 100, 80, 2, 0, 0, false, QRect(-50, -40, 200, 160)},
      {90, 100, 80, 0.5, 0, 0, false, QRect(25, 20, 50, 40)},
      {90, 100, 80, 1, 10, -6, false, QRect(-10, 6, 100, 80)},
      {90, 101, 80, 0.5, 0, 0, true, QRect(26, 20, 50, 40)},  // halves round to even
      {30, 100, 80, 0.5, 0, 0, false, QRect(25, 20, 50, 40)},
      {30, 100, 80, 0.5, 0, 0, true, QRect(25, 30, 50, 40)},
      {30, 100, 80, 0.5, 0, 4, true, QRect(25, 28, 50, 40)},
  };
  for (const auto& c : cases) {
    draw.SetElevation(c.elevation);
    EXPECT_EQ(draw.ScaledRect(c.width, c.height, c.scale, c.dx, c.dy, c.tipped), c.expected)
        << c.elevation << " " << c.width << " " << c.scale << " " << c.tipped;
  }
}

TEST_F(DisplayDriverTest, ColourAnimationAdaptsItsFramesToTheirSpeed) {
  draw.SetSize(40, 30);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      grid.SetDot(y, x, static_cast<TDot>(1 + x + y));
  ASSERT_EQ(draw.Frames(), kMaxFrames);
  // A flat picture whose colours stay has nothing to animate: one final frame.
  driver.AnimateColors(canvas, {});
  EXPECT_EQ(canvas.presents.size(), 1u);
  EXPECT_TRUE(canvas.sleeps.empty());
  canvas.presents.clear();
  driver.AnimateColors(canvas, {.DHue = 1});
  EXPECT_EQ(canvas.presents.size(), std::size_t(kMaxFrames));
  canvas.presents.clear();

  draw.SetElevation(60);
  canvas.msPerPresent = 200;  // 16 frames take over 3 s
  driver.AnimateColors(canvas, {});
  EXPECT_EQ(draw.Frames(), kMinFrames);
  EXPECT_EQ(canvas.presents.size(), std::size_t(kMaxFrames));
  canvas.msPerPresent = 0;  // 6 frames at 40 ms take 200 ms
  driver.AnimateColors(canvas, {});
  EXPECT_EQ(draw.Frames(), kMaxFrames);
  EXPECT_EQ(canvas.presents.size(), std::size_t(kMaxFrames + kMinFrames));
  canvas.msPerPresent = 40;  // 16 frames at 40 ms: within the band, unchanged
  driver.AnimateColors(canvas, {});
  EXPECT_EQ(draw.Frames(), kMaxFrames);
}

TEST_F(DisplayDriverTest, BadZoomArgumentsAreRefusedBeforeAnythingStarts) {
  draw.SetSize(16, 16);
  EXPECT_THROW(driver.Zoom(canvas, 8, {}), std::out_of_range);
  EXPECT_THROW(driver.Zoom(canvas, -1, {}), std::out_of_range);
  EXPECT_THROW(driver.ZoomTo(canvas, 0, 0, 0), std::invalid_argument);
  EXPECT_THROW(driver.ZoomTo(canvas, 0, 0, -2), std::invalid_argument);
  EXPECT_TRUE(grid.IsIdle());
  EXPECT_TRUE(canvas.presents.empty());
}

TEST_F(DisplayDriverTest, DragAtRestShowsAPlainCrossAndEndsWithTheShiftedPicture) {
  draw.SetSize(40, 30);
  draw.Picture().Clear(kBlack);
  draw.TakeSnapshot();
  draw.DrawShifted(QPoint(0, 0));
  const QImage& cross = canvas.presents.back().image;
  const int cx = 20, cy = 15;
  for (int x : {0, 5, 39}) {
    EXPECT_GT(PixelOf(cross, x, cy) & 0xFF, 0x70u) << x;
    EXPECT_EQ(PixelOf(cross, x, cy - 1), kBlack) << x;
  }
  for (int y : {0, 5, 29}) {
    EXPECT_GT(PixelOf(cross, cx, y) & 0xFF, 0x70u) << y;
    EXPECT_EQ(PixelOf(cross, cx - 1, y), kBlack) << y;
  }
  draw.Picture().Clear(kMarker);
  draw.TakeSnapshot();
  draw.EndShift(QPoint(5, -3));
  const QImage& shifted = canvas.presents.back().image;
  EXPECT_EQ(PixelOf(shifted, 4, 10), kBlack);
  EXPECT_EQ(PixelOf(shifted, 5, 10), kMarker);
  EXPECT_EQ(PixelOf(shifted, 10, 26), kMarker);
  EXPECT_EQ(PixelOf(shifted, 10, 27), kBlack);
}

// Relief and colour animations over a ramp of counts, on a virtual clock.
class DisplayDriverAnimationTest : public DisplayDriverTest {
 protected:
  void Fill(int width, int height, TDot (*count)(int x, int y)) {
    draw.SetSize(width, height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        grid.SetDot(y, x, count(x, y));
  }
  static TDot Ramp(int x, int y) { return static_cast<TDot>(1 + (x * 37 + y * 11) % 400); }
};

TEST_F(DisplayDriverAnimationTest, ReliefRisesOverAllFramesAndEndsWithWalls) {
  Fill(30, 20, Ramp);
  draw.SetElevation(40);
  driver.AnimateTilt(canvas, false);
  ASSERT_EQ(canvas.presents.size(), 16u);
  const QImage risen = canvas.presents.back().image;
  draw.Render(true);
  EXPECT_EQ(canvas.presents.back().image, risen);
  // 15 paced frames of 40 ms: within half a second to a second, no adaptation.
  EXPECT_EQ(canvas.sleeps, std::vector<int>(15, kFrameIntervalMs));
  EXPECT_EQ(draw.Frames(), 16);
  EXPECT_EQ(canvas.eventRounds, 16);
}

TEST_F(DisplayDriverAnimationTest, SinkingEndsFlat) {
  Fill(30, 20, Ramp);
  draw.SetElevation(40);
  driver.AnimateTilt(canvas, true);
  const QImage sunk = canvas.presents.back().image;
  draw.Flatten();
  EXPECT_EQ(canvas.presents.back().image, sunk);
}

TEST_F(DisplayDriverAnimationTest, SlowFramesReduceTheFrameCount) {
  struct {
    int msPerFrame, frames;
  } cases[] = {{0, 16}, {60, 16}, {100, 10}, {300, 6}};
  for (const auto& c : cases) {
    Fill(30, 20, Ramp);  // a new size starts again at 16 frames
    draw.SetElevation(40);
    canvas.msPerPresent = c.msPerFrame;
    driver.AnimateTilt(canvas, false);
    EXPECT_EQ(draw.Frames(), c.frames) << c.msPerFrame;
  }
}

TEST_F(DisplayDriverAnimationTest, ChangePeriodAnimatesAndEndsOnTheExactPeriod) {
  Fill(20, 10, Ramp);
  driver.ChangePeriod(canvas, 4, 50);  // unchanged
  EXPECT_TRUE(canvas.presents.empty());

  driver.ChangePeriod(canvas, 6, 50);  // two octaves in steps of a half: 4 frames and the exact one
  EXPECT_EQ(canvas.presents.size(), 5u);
  EXPECT_EQ(canvas.sleeps, std::vector<int>(4, kFrameIntervalMs));
  EXPECT_FALSE(draw.Palette().PeriodAnimating());
  EXPECT_EQ(draw.Palette().Period(), 6);
  const QImage exact = canvas.presents.back().image;
  draw.Render(true);
  EXPECT_EQ(canvas.presents.back().image, exact);
  // Half-way the spread of colours lies between the two periods.
  EXPECT_NE(canvas.presents[1].image, exact);

  canvas.presents.clear();
  grid.SetOptions(kOptNoZoomAnimation);
  driver.ChangePeriod(canvas, 2, 50);
  EXPECT_EQ(canvas.presents.size(), 1u);
  grid.SetOptions(0);
  canvas.presents.clear();
  driver.ChangePeriod(canvas, 3, 0);  // no speed: straight to the new period
  EXPECT_EQ(canvas.presents.size(), 1u);
}

TEST_F(DisplayDriverAnimationTest, EmptyPictureAnimatesNothing) {
  draw.SetSize(0, 0);
  driver.AnimateTilt(canvas, false);
  EXPECT_TRUE(canvas.presents.empty());
}

}  // namespace
}  // namespace vortexa
