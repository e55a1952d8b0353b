// The computing drawing operations the window runs inside its busy protocol.
// They wait for the calculation grid on the window's thread, reporting
// progress and handing on an abort, and compose the final picture. The
// picture shows the finished computation only; showing the passes while they
// run belongs to the drawing grid, and these forward to it once it can.
#pragma once

#include <functional>

#include "engine/calc_grid.h"
#include "render/canvas.h"
#include "render/draw_grid.h"

namespace vortexa {

// Percent of the running computation; setting abort stops it.
using TProgressEvent = std::function<void(int percent, bool& abort)>;

class TPictureCommands {
 public:
  TPictureCommands(TCalcGrid& grid, TDrawGrid& drawGrid, TCanvas& canvas);

  void SetOnProgress(TProgressEvent handler) { FOnProgress = std::move(handler); }

  // A new view from scratch; noProgress computes at full resolution at once.
  void Draw(bool noProgress);
  // The limit was raised: only dots that had reached the old limit go on.
  void RaiseLimit();

  // Milliseconds between looks at the grid and between progress reports.
  static constexpr int kPollInterval = 10;
  static constexpr int kReportInterval = 50;

 private:
  void Run(TCalcCommand command);
  void WaitAndReport();
  void Finish();

  TCalcGrid& FGrid;
  TDrawGrid& FDrawGrid;
  TCanvas& FCanvas;
  TProgressEvent FOnProgress;
};

}  // namespace vortexa
