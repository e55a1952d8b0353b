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
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "render/png_stream.h"
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

// The session's view at width × height, or only the rows of one band of it
// (`tile`), computed band by band and streamed into the PNG file, which then
// holds the tile's label. `progress` gets the rows done and the file's rows.
// Throws what RenderBands and the PNG writer throw.
void RenderPngInBands(TSession& session, int width, int height, const QString& fileName,
                      const std::optional<TBandLabel>& tile,
                      const std::function<void(int rowsDone, int rows)>& progress = {});

// Joins band files into one PNG without computing (see StitchPngs).
void StitchBandFiles(const std::vector<QString>& bands, const QString& fileName);

}  // namespace vortexa
