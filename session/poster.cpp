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

void RenderPngInBands(TSession& session, int width, int height, const QString& fileName,
                      const std::optional<TBandLabel>& tile,
                      const std::function<void(int rowsDone, int rows)>& progress) {
  const int count = tile ? tile->Count : 1;
  const int index = tile ? tile->Index : 0;
  const TBandJob job{width, height, BandFirstRow(height, count, index),
                     BandFirstRow(height, count, index + 1), BandRowsForWidth(width)};
  const int rows = job.LastRow - job.FirstRow;
  TPngRowWriter writer(fileName, width, rows, tile);
  RenderBands(
      session, job, [&writer](const QImage& band) { writer.AppendRows(band); },
      [&](int rowsDone) {
        if (progress) progress(rowsDone, rows);
      });
  writer.Finish();
}

void StitchBandFiles(const std::vector<QString>& bands, const QString& fileName) {
  StitchPngs(bands, fileName);
}

}  // namespace vortexa
