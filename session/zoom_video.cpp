#include "session/zoom_video.h"

#include <cmath>

#include "session/compute.h"
#include "session/session_parts.h"

namespace vortexa {

namespace {

// Ratios closer than this to 1 are a pan: the fixed point is at infinity.
constexpr long double kPanRatio = 1e-12L;
// A frame's ratio to the last one counts as the table's within this much.
constexpr long double kSameRatio = 1e-9L;

// The table index of a zoom by `ratio` (old range over new), or -1.
int TableIndexOf(long double ratio) {
  for (std::size_t i = 0; i < TDisplayDriver::kZoomRatio.size(); ++i)
    if (std::fabs(ratio / TDisplayDriver::kZoomRatio[i] - 1) < kSameRatio)
      return static_cast<int>(i);
  return -1;
}

}  // namespace

TViewState ZoomFrameView(const TViewState& from, const TViewState& to, int frame, int frames) {
  if (frames < 2 || frame <= 0) return from;
  if (frame >= frames - 1) return to;
  const long double t = static_cast<long double>(frame) / (frames - 1);
  // Ranges may lie beyond long double's reach, their ratio too: powers of it
  // go through its logarithm.
  const TFloatExp ratio = to.Range / from.Range;
  const TFloatExp scale = TFloatExp::Exp2(ratio.Log2() * t);
  TViewState view;
  view.Range = from.Range * scale;
  // With P the fixed point, centre = P + (from − P) × scale, which is
  // to + (from − to) × rest with rest = (scale − ratio) / (1 − ratio): taken
  // from the destination, whose digits a deep view needs, the offset shrinks
  // with the range.
  TFloatExp rest = 1 - t;
  if (std::fabs(1 - ratio.ToLongDouble()) >= kPanRatio) {
    // u = ratio / scale; rest = scale (1 − u) / (1 − ratio), written for
    // each side of 1 so that nothing overflows.
    const TFloatExp u = TFloatExp::Exp2(ratio.Log2() * (1 - t));
    rest = ratio < 1 ? scale * ((1 - u.ToLongDouble()) / (1 - ratio.ToLongDouble()))
                     : (1 - (1 / u).ToLongDouble()) / (1 - (1 / ratio).ToLongDouble());
  }
  view.CenterX = to.CenterX + WideDifference(from.CenterX, to.CenterX) * rest;
  view.CenterY = to.CenterY + WideDifference(from.CenterY, to.CenterY) * rest;
  view.Limit = static_cast<int>(std::nearbyint(from.Limit + (to.Limit - from.Limit) * t));
  return view;
}

int RenderZoomVideo(TSession& session, const TZoomVideoJob& job,
                    const std::function<void(const QImage&)>& frame,
                    const std::function<bool()>& stop) {
  TCalcGrid& grid = TSessionParts::CalcGrid(session);
  TDrawGrid& draw = TSessionParts::DrawGrid(session);
  int made = 0;
  for (int k = 0; k < job.Frames; ++k) {
    const TViewState last = session.View();
    const TViewState view = ZoomFrameView(job.From, job.To, k, job.Frames);
    session.SetView(view);
    session.ShowView();
    const int index = TableIndexOf((last.Range / view.Range).ToLongDouble());
    if (k > 0 && index >= 0 && last.CenterX == view.CenterX && last.CenterY == view.CenterY) {
      grid.SetMagnify(TDisplayDriver::kZoomRatio[static_cast<std::size_t>(index)]);
      ComputeToEnd(grid, ccMagnify);
    } else {
      ComputeToEnd(grid, ccDraw);
    }
    draw.Render(true);
    frame(draw.Picture().Image());
    ++made;
    if (stop && stop()) break;
  }
  return made;
}

}  // namespace vortexa
