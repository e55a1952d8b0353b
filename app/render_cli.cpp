// vortexa-render: computes one view through the engine and writes its picture.
#include <QImage>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <optional>
#include <stdexcept>

#include "app/render_jobs.h"
#include "app/render_options.h"
#include "app/stage_clock.h"
#include "engine/bla_table.h"
#include "engine/calc_grid.h"
#include "engine/team_size.h"
#include "favorites/whole_file.h"
#include "formula/evaluate.h"
#include "formula/formula_kernel.h"
#include "render/canvas.h"
#include "render/draw_grid.h"
#include "render/picture_file.h"
#include "render/png_file.h"
#include "session/session.h"

namespace vortexa {
namespace {

// Composes through the same Render the window uses.
void ComposePicture(TDrawGrid& draw, const TRenderRequest& request) {
  draw.SetRotation(request.Rotation);
  draw.SetElevation(request.Elevation);
  draw.SetConvex(!request.Concave);
  draw.SetThickWalls(!request.ThinWalls);
  draw.Render(true);
}

// Every file appears under its name only when written completely. Throws
// TPictureFileError when the picture could not be written. BMP and JPEG
// stream to the file, so their encoding includes the writing.
void WritePicture(const QImage& picture, const TRenderRequest& request, TStageClock& clock) {
  const QString path = QString::fromStdString(request.OutputPath);
  if (PictureExtension(request.OutputPath) != ".png") {
    SavePicture(picture, path, request.JpegQuality);
    clock.Lap("encoding");
    return;
  }
  const TPngImage png = EncodePng(picture);
  clock.Lap("encoding");
  SavePng(png, path);
  clock.Lap("write");
}

// Raw little-endian unsigned 16-bit counts, row-major, row 0 first.
void WriteCounts(const TCalcGrid& grid, const std::string& path) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(grid.GridWidth()) * grid.GridHeight() * 2);
  for (int row = 0; row < grid.GridHeight(); ++row) {
    const TDot* dots = grid.RowPtr(row);
    for (int col = 0; col < grid.GridWidth(); ++col) {
      const TDot dot = LoadDot(dots[col]);
      bytes.push_back(static_cast<char>(dot & 0xFF));
      bytes.push_back(static_cast<char>(dot >> 8));
    }
  }
  WriteFileWhole(path, bytes, TTargetKinds::kStreamsToo);
}

// The view goes through the window's session: loaded, shown and computed by
// the same commands; only the bare computation is timed.
int Run(const TRenderRequest& request, TStageClock& clock) {
  TNullCanvas canvas;
  TSession session(canvas, canvas);
  TCalcGrid& grid = session.CalcGrid();
  TDrawGrid& draw = session.DrawGrid();
  session.Resize(request.Width, request.Height);
  TRequestedFormula formula;
  PrepareSession(session, request, formula);

  clock.Lap("allocation");
  const auto start = std::chrono::steady_clock::now();
  grid.Start(ccDraw);
  grid.WaitIdle();
  const auto elapsed = std::chrono::steady_clock::now() - start;
  if (const TCalcFault fault = grid.LastFault(); fault.Failed) {
    std::cerr << "vortexa-render: " << fault.UncomputedDots
              << " dots could not be computed: " << fault.Error << "\n";
    return 1;
  }
  clock.Lap("computation");

  TCalcStats stats;
  grid.GetStatistics(0, 1, request.Limit, {}, stats);  // no histogram wanted
  std::printf(
      "kernel=%d ms=%lld escaped=%d inside=%d predicted=%d workers=%d,%d,%d processors=%d\n",
      grid.GetKernel(),
      static_cast<long long>(
          std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()),
      stats.Escaped, stats.Inside, stats.Predicted, grid.PassTeamSize(1), grid.PassTeamSize(2),
      grid.PassTeamSize(3), AllowedProcessorCount());
  // The view as the window would copy it, every digit of the centre kept.
  std::printf("view=%s\n", session.ReproductionText().c_str());
  clock.Lap("statistics");

  if (!request.CountsPath.empty()) WriteCounts(grid, request.CountsPath);
  ComposePicture(draw, request);
  clock.Lap("composition");
  WritePicture(draw.Picture().Image(), request, clock);
  return 0;
}

// Failures end the program with one line on stderr and exit status 1.
int RunReporting(const TRenderRequest& request, TStageClock& clock) {
  try {
    if (!request.StitchPaths.empty()) return RunStitch(request);
    if (IsVideo(request)) {
      WatchInterrupt();
      return RunVideo(request);
    }
    if (RendersInBands(request)) return RunBands(request);
    return Run(request, clock);
  } catch (const std::bad_alloc&) {
    std::cerr << "vortexa-render: not enough memory for a " << request.Width << "x"
              << request.Height << " picture\n";
  } catch (const std::exception& error) {
    std::cerr << "vortexa-render: " << error.what() << "\n";
  }
  return 1;
}

}  // namespace
}  // namespace vortexa

int main(int argc, char** argv) {
  using namespace vortexa;
  TStageClock clock;
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << kRenderUsage << "\n";
    return 0;
  }
  if (args.size() == 1 && args[0] == "--version") {
    std::cout << "vortexa-render " VORTEXA_VERSION "\n";
    return 0;
  }
  TRenderRequest request;
  try {
    request = ParseRenderArguments(args);
    CheckOutputPaths(request);
  } catch (const EUsageError& error) {
    std::cerr << "vortexa-render: " << error.what() << " (see --help)\n";
    return 2;
  }
  try {
    FixedTeamSizeFromEnvironment();  // refused before anything is computed
    BlaFromEnvironment();
  } catch (const std::invalid_argument& error) {
    std::cerr << "vortexa-render: " << error.what() << "\n";
    return 2;
  }
  const int status = RunReporting(request, clock);
  clock.Lap("teardown");
  if (request.Timings) std::cerr << clock.Line() << "\n";
  return status;
}
