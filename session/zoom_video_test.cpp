// Smooth zooms: the path of views, and the frames made from it.
#include "session/zoom_video.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/canvas.h"
#include "session/session_parts.h"

namespace vortexa {
namespace {

TViewState View(long double x, long double y, long double range, int limit) {
  TViewState view;
  view.CenterX = x;
  view.CenterY = y;
  view.Range = range;
  view.Limit = limit;
  return view;
}

long double X(const TViewState& view) {
  return view.CenterX.ToLongDouble();
}
long double Y(const TViewState& view) {
  return view.CenterY.ToLongDouble();
}

// The path starts and ends at the two views, the range changes by one ratio
// per frame, and one point of the plane keeps its place in the picture: its
// offset from the centre in ranges is the same in every frame.
TEST(ZoomFrameView, GlidesAboutOneFixedPoint) {
  struct TCase {
    TViewState From, To;
  };
  const TCase cases[] = {
      {View(-0.5L, 0, 2, 100), View(-0.74L, 0.13L, 1e-3L, 1100)},  // in, drifting
      {View(-0.74L, 0.13L, 1e-3L, 500), View(-0.5L, 0, 2, 100)},   // out
      {View(0, 0, 1, 100), View(0, 0, 1e-4L, 100)},                // in, centre kept
  };
  constexpr int kFrames = 9;
  for (const TCase& c : cases) {
    const long double rho = (c.To.Range / c.From.Range).ToLongDouble();
    // By hand: P = (to − ρ·from) / (1 − ρ).
    const long double px = (X(c.To) - rho * X(c.From)) / (1 - rho);
    const long double py = (Y(c.To) - rho * Y(c.From)) / (1 - rho);
    std::vector<TViewState> path;
    for (int k = 0; k < kFrames; ++k)
      path.push_back(ZoomFrameView(c.From, c.To, k, kFrames));
    EXPECT_EQ(path.front(), c.From);
    EXPECT_EQ(path.back(), c.To);
    const long double step = std::pow(rho, 1.0L / (kFrames - 1));
    for (int k = 1; k < kFrames; ++k) {
      EXPECT_NEAR(static_cast<double>((path[k].Range / path[k - 1].Range).ToLongDouble() / step), 1,
                  1e-12);
      EXPECT_NEAR(static_cast<double>((px - X(path[k])) / path[k].Range.ToLongDouble()),
                  static_cast<double>((px - X(c.From)) / c.From.Range.ToLongDouble()), 1e-9)
          << "frame " << k;
      EXPECT_NEAR(static_cast<double>((py - Y(path[k])) / path[k].Range.ToLongDouble()),
                  static_cast<double>((py - Y(c.From)) / c.From.Range.ToLongDouble()), 1e-9)
          << "frame " << k;
    }
    EXPECT_EQ(path[kFrames / 2].Limit, (c.From.Limit + c.To.Limit) / 2);
  }
}

// A frame made from the last one's counts is the frame computed afresh.
TEST(RenderZoomVideo, FramesAreTheirViewsAndReuseCountsWhereTheyCan) {
  constexpr int kWidth = 48, kHeight = 32, kFrames = 4;
  const TZoomVideoJob job{View(-0.75L, 0.1L, 0.4L, 300), View(-0.75L, 0.1L, 0.05L, 300), kFrames};
  TNullCanvas canvas;
  TSession session(canvas, canvas);
  session.Resize(kWidth, kHeight);
  std::vector<QImage> frames;
  const int made = RenderZoomVideo(
      session, job, [&](const QImage& frame) { frames.push_back(frame.copy()); }, {});
  ASSERT_EQ(made, kFrames);
  ASSERT_EQ(frames.size(), 4u);
  EXPECT_EQ(TSessionParts::CalcGrid(session).PassTeamSize(1), 0)
      << "the last frame computed from nothing";

  for (int k = 0; k < kFrames; ++k) {
    TNullCanvas freshCanvas;
    TSession fresh(freshCanvas, freshCanvas);
    fresh.Resize(kWidth, kHeight);
    fresh.SetView(ZoomFrameView(job.From, job.To, k, kFrames));
    fresh.ShowView();
    TSessionParts::CalcGrid(fresh).Start(ccDraw);
    TSessionParts::CalcGrid(fresh).WaitIdle();
    TSessionParts::DrawGrid(fresh).Render(true);
    EXPECT_EQ(frames[k], TSessionParts::DrawGrid(fresh).Picture().Image()) << "frame " << k;
  }
}

TEST(RenderZoomVideo, StopsAfterTheFrameInHand) {
  TNullCanvas canvas;
  TSession session(canvas, canvas);
  session.Resize(16, 16);
  int frames = 0;
  const int made = RenderZoomVideo(
      session, {View(0, 0, 2, 50), View(0, 0, 1, 50), 10}, [&](const QImage&) { ++frames; },
      [&] { return frames == 3; });
  EXPECT_EQ(made, 3);
  EXPECT_EQ(frames, 3);
}

}  // namespace
}  // namespace vortexa
