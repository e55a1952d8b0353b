// Tours filmed frame by frame: the tour flies in a session of its own on a
// canvas with a virtual clock, so the video shows what the window shows,
// paced as the window paces it, however long each frame takes to compute.
#pragma once

#include <QImage>
#include <functional>
#include <vector>

#include "favorites/mb_item.h"
#include "session/session.h"

namespace vortexa {

// Where the tour goes: to Destination, or, without one, from favourite to
// favourite among Candidates until the frames run out or it is stopped.
struct TTourRoute {
  const TMBItem* Destination = nullptr;
  std::vector<const TMBItem*> Candidates;
};

struct TTourVideoJob {
  int Width = 0;
  int Height = 0;
  int Fps = 30;
  int MaxFrames = 0;  // 0: until the tour ends
  int Speed = 1;      // the tour speed, 0 to 3
  TTourRoute Route;
};

// Films the tour from the view `prepare` leaves in the filming session
// (options, view, colours and formula, as the window or the command line
// sets them) and hands every frame to `frame`. `stop` is asked after each
// frame. Returns the number of frames made; throws std::invalid_argument for
// a route that goes nowhere (no destination and fewer than two candidates).
int FilmTour(const TTourVideoJob& job, const std::function<void(TSession&)>& prepare,
             const std::function<void(const QImage&)>& frame, const std::function<bool()>& stop);

}  // namespace vortexa
