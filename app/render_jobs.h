// vortexa-render's jobs beyond one picture in memory: pictures in bands (posters
// and tiles), joined bands, and videos of zooms and tours.
#pragma once

#include "app/render_options.h"
#include "session/session.h"

namespace vortexa {

// Options, view and formula of the request into the session, as the window
// would set them. Throws EUsageError for a formula that does not check.
void PrepareSession(TSession& session, const TRenderRequest& request);

// Each returns the exit status and throws on failures.
int RunStitch(const TRenderRequest& request);
int RunBands(const TRenderRequest& request);
int RunVideo(const TRenderRequest& request);

// Ctrl+C from now on asks a video to end after the frame in hand, leaving a
// complete file; a second Ctrl+C ends the program at once.
void WatchInterrupt();

}  // namespace vortexa
