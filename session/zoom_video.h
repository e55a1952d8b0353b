// Smooth zooms from one view to another, frame by frame: the zoom keeps one
// point of the plane at its place on the screen (the point where the lines
// through the two views' corners meet), so the centre glides towards the
// destination as the range shrinks or grows at a constant rate.
#pragma once

#include <QImage>
#include <functional>

#include "session/session.h"

namespace vortexa {

// The view of frame `frame` (0-based) of `frames`: the first is `from`, the
// last `to`; the range changes by the same ratio each frame, and the limit
// in equal steps.
TViewState ZoomFrameView(const TViewState& from, const TViewState& to, int frame, int frames);

struct TZoomVideoJob {
  TViewState From;
  TViewState To;
  int Frames = 0;
};

// Computes each frame's view at the session's size and colours, composes it
// as the window does and hands the picture to `frame`. Where a frame zooms
// by a ratio of the zoom table about the same centre as the last one, the
// engine reuses the last frame's counts. `stop` is asked after each frame;
// the result is the number of frames made. Throws std::runtime_error when
// dots could not be computed.
int RenderZoomVideo(TSession& session, const TZoomVideoJob& job,
                    const std::function<void(const QImage&)>& frame,
                    const std::function<bool()>& stop);

}  // namespace vortexa
