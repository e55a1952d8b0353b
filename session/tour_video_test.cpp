// Tours filmed on the virtual clock.
#include "session/tour_video.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "render/canvas.h"
#include "session/session_parts.h"

namespace vortexa {
namespace {

constexpr int kWidth = 48, kHeight = 32;

TMBItem Favorite(long double x, long double y, long double range, int limit) {
  TMBItem item;
  item.X = x;
  item.Y = y;
  item.Range = range;
  item.Limit = limit;
  item.Tour = true;
  return item;
}

QImage FreshPicture(const TMBItem& view) {
  TNullCanvas canvas;
  TSession session(canvas, canvas);
  session.Resize(kWidth, kHeight);
  session.LoadView(view);
  session.ShowView();
  TSessionParts::CalcGrid(session).Start(ccDraw);
  TSessionParts::CalcGrid(session).WaitIdle();
  TSessionParts::DrawGrid(session).Render(true);
  // Frames carry no alpha: compared as the colours they show.
  return TSessionParts::DrawGrid(session).Picture().Image().convertToFormat(QImage::Format_RGB32);
}

// A tour to a favourite shows the start view for a second and ends on the favourite,
// drawn as it would be drawn directly; a random tour runs until its frames
// are made; a stop ends the film at the end of the step in hand.
TEST(FilmTour, StartsAtTheViewEndsAtTheDestinationAndStops) {
  const TMBItem start = Favorite(-0.5L, 0, 3, 100);
  const TMBItem seahorse = Favorite(-0.75L, 0.1L, 0.05L, 300);
  const TMBItem elephants = Favorite(0.28L, 0.008L, 0.02L, 400);
  const auto film = [&](TTourVideoJob job, int stopAfter = 0) {
    job.Width = kWidth;
    job.Height = kHeight;
    job.Speed = 3;
    std::vector<QImage> frames;
    const int made = FilmTour(
        job,
        [&](TSession& session) {
          session.LoadView(start);
          session.ShowView();
        },
        [&](const QImage& frame) { frames.push_back(frame.copy()); },
        [&] { return stopAfter > 0 && static_cast<int>(frames.size()) >= stopAfter; });
    EXPECT_EQ(made, static_cast<int>(frames.size()));
    return frames;
  };

  const std::vector<QImage> toSeahorse = film({.Route = {&seahorse, {}}});
  ASSERT_GT(toSeahorse.size(), 10u);
  const QImage startPicture = FreshPicture(start);
  EXPECT_EQ(std::count(toSeahorse.begin(), toSeahorse.end(), startPicture), 30);
  EXPECT_EQ(toSeahorse.back(), FreshPicture(seahorse));

  EXPECT_EQ(film({.MaxFrames = 40, .Route = {nullptr, {&seahorse, &elephants}}}).size(), 40u);
  const std::size_t stopped = film({.Route = {&seahorse, {}}}, 5).size();
  EXPECT_GE(stopped, 5u);
  EXPECT_LT(stopped, toSeahorse.size() / 2);
  EXPECT_THROW(film({.Route = {nullptr, {&seahorse}}}), std::invalid_argument);
}

}  // namespace
}  // namespace vortexa
