// Pictures larger than memory: the session's view computed and coloured in
// horizontal bands, each band a grid of its own with the whole picture's
// plane mapping, and handed on while the next band computes. Only a band's
// counts and picture are in memory at a time.
//
// In-set prediction and mirroring look at rows beyond a band's edges, so
// bands compute every dot; the picture equals a whole one computed with
// both shortcuts off, dot for dot.
#pragma once

#include <QImage>
#include <functional>

#include "session/session.h"

namespace vortexa {

// Dots per band, about 100 MB with the counts, the picture and its copy
// being encoded.
inline constexpr long long kBandDots = 8'000'000;
// Rows per band for a picture of this width.
int BandRowsForWidth(int width);

// Rows [FirstRow, LastRow) of a flat, unrotated picture of Width × Height.
struct TBandJob {
  int Width = 0;
  int Height = 0;
  int FirstRow = 0;
  int LastRow = 0;
  int BandRows = 0;
};

// Computes the session's view (as loaded and shown) band by band from the
// top and hands each band's picture to `deliver` on a thread of its own, one
// band at a time, while the next band computes; `progress` gets the rows done
// on the caller's thread. The session must not be busy. Throws what
// `deliver` throws, and std::runtime_error when dots could not be computed.
void RenderBands(TSession& session, const TBandJob& job,
                 const std::function<void(const QImage&)>& deliver,
                 const std::function<void(int rowsDone)>& progress = {});

}  // namespace vortexa
