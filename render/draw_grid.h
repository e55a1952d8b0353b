// TDrawGrid: turns the calculation grid's counts into the picture: flat,
// rotated or as a relief, with the masks, the information strip and the
// hand-over to the window canvas.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QTransform>
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "engine/calc_grid.h"
#include "engine/page_buffer.h"
#include "render/bitmap32.h"
#include "render/canvas.h"
#include "render/fixed_point.h"
#include "render/palette.h"
#include "render/relief.h"

namespace vortexa {

// Frame counts of relief and colour animations adapt within these bounds.
inline constexpr int kMinFrames = 6;
inline constexpr int kMaxFrames = 16;
// The relief step that always means the full relief.
inline constexpr int kFullRelief = 16;
inline constexpr int kInfoStripHeight = 20;
inline constexpr int kFrameIntervalMs = 40;

class TDrawGrid {
 public:
  // Neither the grid nor the canvas is owned.
  TDrawGrid(TCalcGrid& grid, TCanvas& canvas);
  TDrawGrid(const TDrawGrid&) = delete;
  TDrawGrid& operator=(const TDrawGrid&) = delete;

  // Colour side.
  void SetColors(int colorCount, int hue, int saturation, int highlight) {
    FPalette.SetColors(colorCount, hue, saturation, highlight);
  }
  void SetPeriod(int index) { FPalette.SetPeriod(index); }
  void SetLimit(int limit) { FPalette.SetLimit(limit); }
  TColor32 GetColor(TDot count) const { return FPalette.GetColor(count); }
  TColor GetPaletteColor(int index) const { return FPalette.GetPaletteColor(index); }
  const TPalette& Palette() const { return FPalette; }
  // Animates from the current period to `index`, 0.01 × speed octaves per frame.
  void ChangePeriod(TEventPump& pump, int index, int speed);

  // Size and placement.
  void SetSize(int width, int height);
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Renders at an output size while the canvas shows the result shrunk into dest.
  void BeginTempSize(int width, int height, const QRect& dest);
  void EndTempSize();
  bool TempMode() const { return FTempMode; }
  void SetOrigin(int left, int top);
  // Dots per window pixel: the information strip's text keeps its size on
  // the screen. Takes effect at the next SetOrigin.
  void SetPixelRatio(double ratio) { FPixelRatio = ratio; }

  // Angles in whole degrees; setting them does not redraw.
  void SetRotation(int angle);
  void SetElevation(int angle);
  int GetRotation() const { return FixedRound(FRotation); }
  int GetElevation() const { return FixedRound(FElevation); }
  bool IsFlat() const { return FElevation == Fixed(90); }
  bool IsRotated() const { return FRotation != 0; }

  // Relief direction ("凸" when convex) and wall thickness ("厚").
  void SetConvex(bool value);
  bool Convex() const { return FConvex; }
  // Read only when the heights are next computed.
  void SetThickWalls(bool value) { FThickWalls = value; }
  // New counts or a new direction: the next relief render recomputes the heights.
  void MarkHeightsStale() { FHeightsStale = true; }
  bool HeightsStale() const { return FHeightsStale; }
  // Empty until a relief or the wall view first needs them.
  std::span<const THeight> Heights() const { return FHeights; }

  // Relief rise of an animation step 0..Frames(); kFullRelief is always the full relief.
  void SetReliefStep(int step);
  TFixed HeightScale() const { return FHeightScale; }
  int Frames() const { return FFrames; }

  // Grid-to-window (inverse: window-to-grid) mappings of positions or, when
  // relative, of offsets.
  QPoint RotatePoint(QPoint point, bool inverse, bool relative) const;
  QPoint TiltPoint(QPoint point, bool inverse, bool relative) const;
  // Regions of the picture area that no dot of the plane covers.
  const std::vector<TPolygon32>& Masks() const { return FMasks; }

  // Composes the whole picture and presents it; without full the walls stay out.
  void Render(bool full);
  void Flatten();
  // The relief rises (down = false) or sinks to flat over Frames() frames.
  void AnimateTilt(TEventPump& pump, bool down);
  // Shows the wall-marked dots white on black; returns their number.
  int ShowCliffs();
  void Present();
  void DrawInfo(const QString& x, const QString& y, const QString& range, const QString& dest);

  const TBitmap32& Picture() const { return FBitmap; }
  TBitmap32& Picture() { return FBitmap; }
  const TBitmap32& InfoStrip() const { return FInfoBitmap; }

  // ---- progressive display and view animations ----
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
  void AnimateColors(TEventPump& pump, const TColorMorph& morph);
  // A w × h rectangle scaled about the centre (tipped: about a point nearer the
  // bottom edge), moved by (−dx, −dy).
  QRect ScaledRect(int width, int height, double scale, int dx, int dy, bool tipped) const;

  // Mouse drag of the picture.
  void TakeSnapshot();
  void DrawShifted(QPoint offset);
  void EndShift(QPoint offset);

 private:
  void ResizeBuffers(int width, int height);
  bool SameSizeAsGrid() const;
  // Calls visit(j, column, row) for every target dot j of row i whose source
  // dot under the rotation lies inside the picture.
  template <typename Visit>
  void ForEachSource(int i, Visit visit) const;
  // The count rows, fetched once per picture rather than once per dot.
  std::vector<const TDot*> CountRows() const;
  void RenderFlat();
  void RenderFlatRotated();
  void RenderRelief(bool full);
  void ComputeHeights();
  void AllocateHeights();
  TColor32 WallAlpha(int row) const;
  TColor32 FrontColor() const;
  void RebuildMasks();
  QPointF RotatedOutlineCorner(QPointF corner) const;
  QTransform TiltTransform() const;
  // With untilIdle the sleep ends early once the grid's command has ended.
  std::int64_t WaitFrame(TEventPump& pump, int interval, std::int64_t& last, int minSleep,
                         bool untilIdle = false);
  void AdaptFrames(int frames, std::int64_t elapsed);

  // ---- progressive display and view animations ----
  void ShowPass(TEventPump& pump, int pass, const QRect& skip);
  void CopyComputedRows(int& row, int pass, int step, const QRect& skip, bool toPreview);
  int BlockSize(int step, bool toPreview) const;
  void CopyPreviewRows(int& pass, int& row);
  // Waits for the grid's command to end while the window handles events;
  // an abort reported meanwhile stops the computation.
  void WaitUntilIdle(TEventPump& pump);
  void SinkRelief(TEventPump& pump);
  void FinishDraw(TEventPump& pump);
  void RecolorRepairedAreas();
  // True when the handler asks for an abort.
  bool ReportProgress(int percent);
  void BeginZoomFrame();
  void EndZoomFrame(TEventPump& pump, int k, int frames, int interval, std::int64_t& last);
  void FillMasks(TBitmap32& bitmap, TColor32 color) const;
  void ReleaseAnimationBitmaps();
  void AnimateZoom(TEventPump& pump, int index, QPoint anchor);
  static QPoint AnchorShift(QPoint anchor, double scale);
  void AnimateZoomTo(TEventPump& pump, int dx, int dy, long double ratio);
  void DrawCentreLines();

  TCalcGrid& FGrid;
  TCanvas& FCanvas;
  TPalette FPalette;
  TBitmap32 FBitmap;
  TBitmap32 FInfoBitmap;
  int FWidth = 0;
  int FHeight = 0;
  int FLeft = 0;
  int FTop = 0;
  double FPixelRatio = 1;
  bool FTempMode = false;
  QRect FDestRect;
  int FSavedWidth = 0;
  int FSavedHeight = 0;
  TFixed FRotation = 0;
  TFixed FElevation = 0;
  TFixed FRotSin = 0;
  TFixed FRotCos = kFixedOne;
  TFixed FElevSin = kFixedOne;
  TFixed FElevCos = 0;
  TFixed FHeightScale = 0;
  bool FConvex = true;
  bool FThickWalls = true;
  bool FHeightsStale = true;
  // A new drawing blanks the picture only when a pass is first shown: a quick
  // one ends before that, and its finish covers the whole picture anyway.
  bool FClearBeforeShowing = false;
  // The last pass display coloured every dot of a plain picture at the final
  // pass; any render of the whole picture makes it false again.
  bool FFinalPassShown = false;
  TPageBuffer<THeight> FHeights;
  std::vector<TPolygon32> FMasks;
  int FFrames = kMaxFrames;
  // Hold pictures only during an animation or a drag.
  TBitmap32 FSnapshot;
  TBitmap32 FPreview;
};

}  // namespace vortexa
