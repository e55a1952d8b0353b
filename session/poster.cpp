#include "session/poster.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "render/overlap_job.h"
#include "session/compute.h"
#include "session/session_parts.h"

namespace vortexa {

int BandRowsForWidth(int width) {
  return static_cast<int>(std::max(1LL, kBandDots / std::max(width, 1)));
}

void RenderBands(TSession& session, const TBandJob& job,
                 const std::function<void(const QImage&)>& deliver,
                 const std::function<void(int rowsDone)>& progress) {
  if (job.FirstRow < 0 || job.LastRow > job.Height || job.FirstRow >= job.LastRow ||
      job.BandRows < 1)
    throw std::invalid_argument("bands outside the picture");
  TCalcGrid& grid = TSessionParts::CalcGrid(session);
  TDrawGrid& draw = TSessionParts::DrawGrid(session);
  const int options = grid.Options();
  grid.SetOptions(options | kOptNoPrediction | kOptNoMirror);
  TOverlapJob encoding;
  try {
    for (int first = job.FirstRow; first < job.LastRow; first += job.BandRows) {
      const int rows = std::min(job.BandRows, job.LastRow - first);
      if (draw.Width() != job.Width || draw.Height() != rows) session.Resize(job.Width, rows);
      grid.SetBand(job.Height, first);
      ComputeToEnd(grid, ccDraw);
      draw.Render(true);
      encoding.Start([&deliver, band = draw.Picture().Image().copy()] { deliver(band); });
      if (progress) progress(first + rows - job.FirstRow);
    }
    encoding.Wait();
  } catch (...) {
    grid.SetOptions(options);
    throw;
  }
  grid.SetOptions(options);
}

}  // namespace vortexa
