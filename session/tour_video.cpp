#include "session/tour_video.h"

#include <stdexcept>

#include "render/video_canvas.h"
#include "session/session_parts.h"
#include "session/tour.h"

namespace vortexa {

namespace {
constexpr int kStartHoldMs = 1000;
}  // namespace

int FilmTour(const TTourVideoJob& job, const std::function<void(TSession&)>& prepare,
             const std::function<void(const QImage&)>& frame, const std::function<bool()>& stop) {
  const TTourRoute& route = job.Route;
  if (!route.Destination && route.Candidates.size() < 2)
    throw std::invalid_argument("a random tour needs two favourites marked for it");
  TSession* filmed = nullptr;
  TVideoCanvas canvas(
      job.Width, job.Height, job.Fps,
      [&](const QImage& picture) {
        frame(picture);
        if (stop()) filmed->RequestStop();
      },
      [&] { return !TSessionParts::CalcGrid(*filmed).IsIdle(); }, job.MaxFrames,
      [&] { filmed->RequestStop(); });
  TSession session(canvas, canvas);
  filmed = &session;
  prepare(session);
  session.Resize(job.Width, job.Height);
  session.DrawView();
  // The finished start view stays a moment before the flight, as a viewer
  // of the window has seen it before starting the tour.
  canvas.SleepMs(kStartHoldMs);
  const bool framesLeft = job.MaxFrames == 0 || canvas.Frames() < job.MaxFrames;
  if (!stop() && framesLeft) {
    TTour tour(session);
    tour.SetSpeed(job.Speed);
    if (route.Destination)
      tour.TourToFavorite(*route.Destination);
    else
      tour.RandomTour(route.Candidates);
  }
  return canvas.Frames();
}

}  // namespace vortexa
