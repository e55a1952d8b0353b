// TDisplayDriver: runs the engine's computations for the window and keeps
// the picture moving meanwhile: coarse-to-fine pass displays, the zoom,
// drift, relief and colour animations, each paced by the event pump's clock.
// Every call runs inside a command, whose busy scope is the pump.
#pragma once

#include <QPoint>
#include <QRect>
#include <array>
#include <cstdint>
#include <functional>

#include "engine/calc_grid.h"
#include "render/canvas.h"
#include "render/draw_grid.h"

namespace vortexa {

class TDisplayDriver {
 public:
  // Ratio index of the magnify and reduce commands: ratio and animation frames.
  static constexpr std::array<float, 8> kZoomRatio = {16, 8, 4, 2, 0.5f, 0.25f, 0.125f, 0.0625f};
  static constexpr std::array<int, 8> kZoomFrames = {33, 30, 27, 24, 24, 27, 30, 33};

  // What a zoom does to the colours and the relief after the new counts are in.
  struct TColorMorph {
    bool RaiseRelief = true;
    int DHue = 0;  // steps per frame
    int DSaturation = 0;
    int DHighlight = 0;
  };

  // Neither is owned.
  TDisplayDriver(TCalcGrid& grid, TDrawGrid& draw) : FGrid(grid), FDraw(draw) {}
  TDisplayDriver(const TDisplayDriver&) = delete;
  TDisplayDriver& operator=(const TDisplayDriver&) = delete;

  // Called during the pass displays and zoom animations; setting abort during
  // a pass display aborts the computation.
  std::function<void(int percent, bool& abort)> OnProgress;

  // Each returns only when the calculation grid's command has ended; meanwhile
  // the pump keeps the window handling events, and an abort reported through
  // OnProgress stops the computation.
  void Draw(TEventPump& pump, bool noProgress);
  // Computes without showing anything until the final picture.
  void Redraw(TEventPump& pump);
  void DrawScrolled(TEventPump& pump, QPoint offset);
  void RaiseLimit(TEventPump& pump);
  // Zooms by the table's ratio. The grid dot `anchor` dots from the centre,
  // shown `shownAnchor` pixels from the picture's centre, keeps its place.
  void Zoom(TEventPump& pump, int index, const TColorMorph& morph, QPoint anchor = {},
            QPoint shownAnchor = {});
  // Zooms by ratio about (cx + dx, cy + dy), drifting towards that point.
  void ZoomTo(TEventPump& pump, int dx, int dy, long double ratio);

  // The relief rises (down = false) or sinks to flat over the picture's frames.
  void AnimateTilt(TEventPump& pump, bool down);
  void AnimateColors(TEventPump& pump, const TColorMorph& morph);
  // Animates from the current period to `index`, 0.01 × speed octaves per frame.
  void ChangePeriod(TEventPump& pump, int index, int speed);

 private:
  void ShowPass(TEventPump& pump, int pass, const QRect& skip);
  // Waits for the grid's command to end while the window handles events;
  // an abort reported meanwhile stops the computation.
  void WaitUntilIdle(TEventPump& pump);
  void SinkRelief(TEventPump& pump);
  void FinishDraw(TEventPump& pump);
  // True when the handler asks for an abort.
  bool ReportProgress(int percent);
  void AnimateZoom(TEventPump& pump, int index, QPoint anchor);
  void AnimateZoomTo(TEventPump& pump, int dx, int dy, long double ratio);
  void EndZoomFrame(TEventPump& pump, int k, int frames, int interval, std::int64_t& last);
  // With untilIdle the sleep ends early once the grid's command has ended.
  std::int64_t WaitFrame(TEventPump& pump, int interval, std::int64_t& last, int minSleep,
                         bool untilIdle = false);
  void AdaptFrames(int frames, std::int64_t elapsed);

  TCalcGrid& FGrid;
  TDrawGrid& FDraw;
};

}  // namespace vortexa
