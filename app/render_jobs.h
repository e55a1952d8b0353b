// vortexa-render's jobs beyond one picture in memory: pictures in bands (posters
// and tiles), joined bands, and videos of zooms and tours.
#pragma once

#include <optional>

#include "app/render_options.h"
#include "formula/formula_kernel.h"
#include "session/session.h"

namespace vortexa {

// The request's view and colours, as a stored view the window would load.
TMBItem RequestedView(const TRenderRequest& request);

// The request's recurrence, kept alive while the engine runs it.
struct TRequestedFormula {
  TTokenList Program;
  std::optional<TFormulaRecurrence> Recurrence;  // none for z^2 + c
};

// Options, view and formula of the request into the session, as the window
// would set them. Throws EUsageError for a formula that does not check.
void PrepareSession(TSession& session, const TRenderRequest& request, TRequestedFormula& formula);

// Each returns the exit status and throws on failures.
int RunStitch(const TRenderRequest& request);
int RunBands(const TRenderRequest& request);
int RunVideo(const TRenderRequest& request);

// Ctrl+C from now on asks a video to end after the frame in hand, leaving a
// complete file; a second Ctrl+C ends the program at once.
void WatchInterrupt();

}  // namespace vortexa
