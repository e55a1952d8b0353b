// Videos filmed into files: the encoder opened for the film, each frame
// handed to it as it is made, and the file completed however the filming
// ended, so a stopped film is a playable video of the frames done. The
// renderer and the window's command both film through these.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "session/session.h"
#include "session/tour_video.h"
#include "session/zoom_video.h"

namespace vortexa {

struct TFilmed {
  int Frames = 0;
  std::string Codec;  // the encoder's name, as the file's stream gives it
};

// Frames done and the frames wanted; 0 wanted when the tour decides the end.
using TFilmProgress = std::function<void(int framesDone, int framesWanted)>;

// A tour as FilmTour films it, into a new .mp4 file at path. Throws
// TVideoError when the file or the encoder cannot be opened or written.
TFilmed FilmTourVideo(const std::string& path, const TTourVideoJob& job,
                      const std::function<void(TSession&)>& prepare, const TFilmProgress& progress,
                      const std::function<bool()>& stop);

// A zoom as RenderZoomVideo makes it at the session's size, into a new .mp4
// file at path with `fps` frames a second. Throws as FilmTourVideo does.
TFilmed FilmZoomVideo(TSession& session, const std::string& path, int fps, const TZoomVideoJob& job,
                      const TFilmProgress& progress, const std::function<bool()>& stop);

// The window's "save tour as video" command: films a tour that starts at
// `session`'s view, colours, options and formula, as a command of `session`.
// It holds the session busy, lets the window handle events between frames,
// and ends after the frame in hand when an interrupting command (the draw
// button, closing) asks it to; the file keeps the frames done. Nothing when
// the session refuses the command.
std::optional<TFilmed> SaveTourVideo(TSession& session, const std::string& path,
                                     const TTourVideoJob& job, const TFilmProgress& progress);

}  // namespace vortexa
