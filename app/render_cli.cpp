// vortexa-render: computes one view through a session and writes its picture.
#include <QImage>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <optional>
#include <stdexcept>

#include "app/render_jobs.h"
#include "app/render_options.h"
#include "app/stage_clock.h"
#include "favorites/whole_file.h"
#include "session/engine_environment.h"
#include "session/picture_output.h"
#include "session/session.h"

namespace vortexa {
namespace {

// Raw little-endian unsigned counts, row-major, row 0 first: 16-bit values
// (inside marks 65534 and 65535) up to limit 65000, as ever, and 32-bit ones
// (marks 0xFFFFFFFE and 0xFFFFFFFF) above it.
void WriteCounts(const TFinishedGrid& grid, int limit, const std::string& path) {
  const bool wide = NeedsWideDots(limit);
  const int bytesPerDot = wide ? 4 : 2;
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(grid.Width()) * grid.Height() * bytesPerDot);
  for (int row = 0; row < grid.Height(); ++row) {
    for (int col = 0; col < grid.Width(); ++col) {
      const TDot dot = grid.Dot(col, row);
      const TDot value = wide ? dot : NarrowDot(dot);
      for (int byte = 0; byte < bytesPerDot; ++byte)
        bytes.push_back(static_cast<char>(value >> (8 * byte) & 0xFF));
    }
  }
  WriteFileWhole(path, bytes, TTargetKinds::kStreamsToo);
}

// The view goes through the window's session: loaded, shown, computed and
// composed by the same commands. Nothing is shown while it computes, so the
// timing is the computation's and the one composition of its end.
int Run(const TRenderRequest& request, TStageClock& clock) {
  TNullCanvas canvas;
  TSession session(canvas, canvas);
  session.Resize(request.Width, request.Height);
  PrepareSession(session, request);

  clock.Lap("allocation");
  const auto start = std::chrono::steady_clock::now();
  session.DrawView(TSession::TPassDisplay::FinalOnly);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  if (const TCalcFault fault = session.LastFault(); fault.Failed) {
    std::cerr << "vortexa-render: " << fault.UncomputedDots
              << " dots could not be computed: " << fault.Error << "\n";
    return 1;
  }
  clock.Lap("computation");

  TCalcStats stats;
  session.FinishedGrid().Statistics(0, 1, request.Limit, {}, stats);  // no histogram wanted
  std::printf(
      "kernel=%d ms=%lld escaped=%d inside=%d predicted=%d workers=%d,%d,%d processors=%d\n",
      session.Kernel(),
      static_cast<long long>(
          std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()),
      stats.Escaped, stats.Inside, stats.Predicted, session.PassTeamSize(1),
      session.PassTeamSize(2), session.PassTeamSize(3), ProcessorsAllowed());
  // The view as the window would copy it, every digit of the centre kept.
  std::printf("view=%s\n", session.ReproductionText().c_str());
  clock.Lap("statistics");

  if (!request.CountsPath.empty())
    WriteCounts(session.FinishedGrid(), request.Limit, request.CountsPath);
  // A flat picture is composed already; a relief or a turn is composed once more.
  if (request.Rotation != 0 || request.Elevation != 90 || request.Concave || request.ThinWalls)
    session.SetAngles(request.Rotation, request.Elevation, !request.Concave, !request.ThinWalls);
  clock.Lap("composition");
  // Every file appears under its name only when written completely.
  WritePicture(session.Picture(), QString::fromStdString(request.OutputPath), request.JpegQuality,
               [&clock](TWriteStage stage) {
                 clock.Lap(stage == TWriteStage::Encoding ? "encoding" : "write");
               });
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
    ReadEngineEnvironment();  // refused before anything is computed
  } catch (const std::invalid_argument& error) {
    std::cerr << "vortexa-render: " << error.what() << "\n";
    return 2;
  }
  const int status = RunReporting(request, clock);
  clock.Lap("teardown");
  if (request.Timings) std::cerr << clock.Line() << "\n";
  return status;
}
