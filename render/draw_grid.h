// TDrawGrid: turns the calculation grid's counts into the picture: flat,
// rotated or as a relief, with the masks, the information strip, the frames
// of the pass displays and animations, and the hand-over to the window
// canvas. It never starts the engine and keeps no clock: the display driver
// (session/display_driver.h) decides when which frame is composed.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QTransform>
#include <cstdint>
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
  // Periods between two positions while the colours glide; 0 ends the glide.
  void SetPeriodScale(float scale) { FPalette.SetPeriodScale(scale); }

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
  // Frames of a relief or colour animation; a new size starts at kMaxFrames.
  int Frames() const { return FFrames; }
  void SetFrames(int frames) { FFrames = frames; }

  // Grid-to-window (inverse: window-to-grid) mappings of positions or, when
  // relative, of offsets.
  QPoint RotatePoint(QPoint point, bool inverse, bool relative) const;
  QPoint TiltPoint(QPoint point, bool inverse, bool relative) const;
  // Regions of the picture area that no dot of the plane covers.
  const std::vector<TPolygon32>& Masks() const { return FMasks; }

  // Composes the whole picture and presents it; without full the walls stay out.
  void Render(bool full);
  void Flatten();
  // Shows the wall-marked dots white on black; returns their number.
  int ShowCliffs();
  void Present();
  void DrawInfo(const QString& x, const QString& y, const QString& range, const QString& dest);

  const TBitmap32& Picture() const { return FBitmap; }
  TBitmap32& Picture() { return FBitmap; }
  const TBitmap32& InfoStrip() const { return FInfoBitmap; }

  // ---- frames of the pass displays and zoom animations ----
  // The next pass display blanks the picture first: a quick drawing ends
  // before one is shown, and its finish covers the whole picture anyway.
  void ClearBeforeShowing() { FClearBeforeShowing = true; }
  // A pass display begins: until it shows the final pass whole, the finish
  // composes the whole picture.
  void ForgetFinalPass() { FFinalPassShown = false; }
  // Shows the rows of `pass` the grid has computed from `row` on and moves
  // `row` past them; blocks lying wholly in `skip` are left as they are.
  void ShowPassRows(int& row, int pass, const QRect& skip);
  // The computation ended: a flat picture is composed (only what the repair
  // changed, when the pass display already showed every final dot); false
  // for a relief, which is left to rise.
  bool ComposeFinished();
  // A w × h rectangle scaled about the centre (tipped: about a point nearer the
  // bottom edge), moved by (−dx, −dy).
  QRect ScaledRect(int width, int height, double scale, int dx, int dy, bool tipped) const;
  // The move that keeps a point `anchor` from the centre in place when a
  // picture is scaled about its centre.
  static QPoint AnchorShift(QPoint anchor, double scale);
  // A zoom by `ratio`: the old picture scaled by z (1 < z ≤ ratio on the way)
  // about the anchor, with a quarter-size preview of the new counts.
  void BeginZoomFrames(double ratio);
  void ComposeZoomFrame(double ratio, double z, QPoint anchor);
  // A drifting zoom: the preview and the old picture in the rectangles given.
  void BeginDriftFrames();
  void ComposeDriftFrame(const QRect& preview, const QRect& snapshot);
  void EndZoomFrames();

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
  std::vector<TDotRowView> CountRows() const;
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

  // ---- pass displays and zoom frames ----
  void CopyComputedRows(int& row, int pass, int step, const QRect& skip, bool toPreview);
  int BlockSize(int step, bool toPreview) const;
  void CopyPreviewRows();
  void RecolorRepairedAreas();
  void BeginPreview(bool transparent);
  void EndZoomFrame();
  void FillMasks(TBitmap32& bitmap, TColor32 color) const;
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
  // How far the preview has taken the new counts.
  int FPreviewPass = 1;
  int FPreviewRow = 0;
};

}  // namespace vortexa
