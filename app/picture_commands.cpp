#include "picture_commands.h"

namespace vortexa {

TPictureCommands::TPictureCommands(TCalcGrid& grid, TDrawGrid& drawGrid, TCanvas& canvas)
    : FGrid(grid), FDrawGrid(drawGrid), FCanvas(canvas) {}

void TPictureCommands::Draw(bool noProgress) {
  FDrawGrid.Picture().Clear(kInsideColor);
  Run(noProgress ? ccDirect : ccDraw);
}

void TPictureCommands::RaiseLimit() {
  if (!FDrawGrid.IsFlat()) FDrawGrid.AnimateTilt(true);
  Run(ccContinue);
}

void TPictureCommands::Run(TCalcCommand command) {
  FDrawGrid.MarkHeightsStale();
  FGrid.Start(command);
  WaitAndReport();
  Finish();
}

// The window stays usable while the grid computes; an abort is passed on once,
// after which the grid ends its command at the next row.
void TPictureCommands::WaitAndReport() {
  bool aborted = false;
  std::int64_t lastReport = FCanvas.NowMs();
  while (!FGrid.WaitIdleFor(std::chrono::milliseconds(kPollInterval))) {
    if (FCanvas.NowMs() - lastReport < kReportInterval) continue;
    lastReport = FCanvas.NowMs();
    FCanvas.ProcessEvents();
    if (!FOnProgress) continue;
    bool abort = false;
    FOnProgress(FGrid.Progress(), abort);
    if (abort && !aborted) {
      FGrid.Abort();
      aborted = true;
    }
  }
}

void TPictureCommands::Finish() {
  if (FDrawGrid.IsFlat())
    FDrawGrid.Render(true);
  else
    FDrawGrid.AnimateTilt(false);
}

}  // namespace vortexa
