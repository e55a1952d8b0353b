// TSession: the explorer's commands without a window. It holds the view,
// the colour positions, the history and the busy protocol, and moves the view
// by zoom, scroll, drags, history and reproduction texts. A window shows what
// it reports through TSessionObserver and turns its events into these calls;
// the command-line renderer and the tests drive the same commands.
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/calc_grid.h"
#include "favorites/mb_item.h"
#include "favorites/mb_list.h"
// The canvas and the event pump a session is built on come with it.
#include "render/canvas.h"
#include "render/draw_grid.h"
#include "session/commands.h"
#include "session/display_driver.h"
#include "session/finished_grid.h"
#include "session/menu_positions.h"
#include "session/picture_output.h"
#include "session/view_input.h"

namespace vortexa {

// What a window shows of the session; every call comes on the session's thread.
class TSessionObserver {
 public:
  virtual ~TSessionObserver() = default;
  // A command began (busy) or ended.
  virtual void BusyChanged(bool /*busy*/) {}
  virtual void ProgressChanged() {}
  // The view was written into the engines: the fields show it again.
  virtual void ViewShown() {}
  // The colour positions were set from a stored view or the home command.
  virtual void ColorsChanged() {}
  virtual void AnglesChanged() {}
  // Status panel 3: drag coordinates while dragging, emptied at release.
  virtual void StatusChanged(const std::string& /*text*/) {}
  // A command ended after so many milliseconds.
  virtual void CommandEnded(double /*elapsedMs*/) {}
  // An angle drag holds the mouse until the button is released.
  virtual void MouseCaptured(bool /*captured*/) {}
  virtual void ScrollDragging(bool /*dragging*/) {}
  // A picture at an output size is computed and shown shrunk (on), or that ended.
  virtual void TempSizeShown(bool /*on*/) {}
};

// Drag state: none, scroll drag (left button), angle drag (right button).
enum class TDragState { None, Scroll, Angle };

// Mouse buttons and modifier keys of one mouse event.
struct TPointerState {
  bool Left = false;
  bool Right = false;
  bool Shift = false;
};

// One group of the history menu: consecutive entries with one centre.
struct THistoryGroup {
  std::string Caption;  // the centre, or the name of an entry of the group
  struct TEntry {
    std::string Caption;  // the range
    int Index = 0;        // position in the history
    bool Current = false;
  };
  std::vector<TEntry> Entries;
  bool Current = false;
};

// Scroll divisors of the scroll-amount positions: a quarter, half or whole picture.
inline constexpr std::array<int, kMoveRatioPositions> kMoveDivisors = {4, 2, 1};
// Angle drags turn or tip one degree per this many pixels.
inline constexpr int kPixelsPerDegree = 4;
// Below this elevation the picture cannot be dragged.
inline constexpr int kMinDragElevation = 5;
inline constexpr int kFlatElevation = 90;
inline constexpr int kHomePeriod = 4;
// Significant digits of the centre shown while a drag runs.
inline constexpr int kDragDigits = 15;

// Zoom-ratio index of a wheel notch (or PageUp/PageDown) at ratio position
// `ratio`, Shift one position smaller, Ctrl one larger.
int WheelZoomIndex(bool up, int ratio, bool shift, bool ctrl);

// Where a picture of width × height is shown shrunk inside `area`: across the
// full width with bands above and below when it is wider than the area, else
// across the full height with bands left and right.
QRect TempSizeRect(int width, int height, const QRect& area);

// (dx, dy) signs of the scroll direction of a tag 0..8 (4 is no move).
QPoint ScrollSigns(int tag);

// Held by a running command, and the only way to the session's event pump:
// only a command can let the window handle events, and whatever arrives
// meanwhile finds the session busy, so no command runs inside another.
class TBusyScope final : public TEventPump {
 public:
  TBusyScope(const TBusyScope&) = delete;
  TBusyScope& operator=(const TBusyScope&) = delete;

  void ProcessEvents() override { FPump.ProcessEvents(); }
  std::int64_t NowMs() override { return FPump.NowMs(); }
  void SleepMs(int milliseconds) override { FPump.SleepMs(milliseconds); }
  void SleepMsUnless(int milliseconds, const std::function<bool()>& ended) override {
    FPump.SleepMsUnless(milliseconds, ended);
  }

 private:
  friend class TSession;
  explicit TBusyScope(TEventPump& pump) : FPump(pump) {}

  TEventPump& FPump;
};

class TSession {
 public:
  // Neither is owned: the canvas shows the pictures, the pump lets the
  // window live while a command runs and keeps the clock.
  TSession(TCanvas& canvas, TEventPump& pump);
  TSession(const TSession&) = delete;
  TSession& operator=(const TSession&) = delete;

  void SetObserver(TSessionObserver* observer) { FObserver = observer; }
  // The counts and colours of the picture, for the statistics window.
  const TFinishedGrid& FinishedGrid() const { return FFinishedGrid; }
  TMBList& History() { return FHistory; }
  const TMBList& History() const { return FHistory; }

  // ---- what a window shows of the engine and the picture ----
  const QImage& Picture() const { return FDrawGrid.Picture().Image(); }
  QSize PictureSize() const { return {FDrawGrid.Width(), FDrawGrid.Height()}; }
  // The colour of column x of a palette strip `width` pixels wide.
  QColor PaletteStripColor(int x, int width) const;
  int Rotation() const { return FDrawGrid.GetRotation(); }
  int Elevation() const { return FDrawGrid.GetElevation(); }
  bool Convex() const { return FDrawGrid.Convex(); }
  // Turned or tipped: picture positions are no longer grid dots.
  bool Transformed() const { return !FDrawGrid.IsFlat() || FDrawGrid.IsRotated(); }
  int Options() const { return FCalcGrid.Options(); }
  int SimdLevel() const { return FCalcGrid.SimdLevel(); }
  // The kernel of the last computation and its workers per pass.
  int Kernel() const { return FCalcGrid.GetKernel(); }
  int PassTeamSize(int pass) const { return FCalcGrid.PassTeamSize(pass); }
  TCalcFault LastFault() const { return FCalcGrid.LastFault(); }
  // Shows the picture again where the origin now lies, in full screen with
  // the information strip.
  void PresentPicture();

  // ---- busy protocol ----
  bool BeginDraw();
  void EndDraw();
  // Whether the command table lets the command run now: its busy policy and
  // its availability.
  bool Allows(TCommandId id) const;
  // Runs a command's work between BeginDraw and EndDraw, in the busy scope;
  // false when the table or the busy protocol refuses it. EndDraw runs also
  // when work throws, and the error goes on to the caller.
  bool RunCommand(TCommandId id, const std::function<void(TBusyScope& busy)>& work);
  bool Busy() const { return FProgress >= 0; }
  int Progress() const { return FProgress; }
  bool AbortRequested() const { return FAbortRequested; }
  bool TourRunning() const { return FTourRunning; }
  // Stops a tour and asks a drawing to abort; false when neither ran.
  bool RequestStop();
  // ---- for tours (session/tour.h), which run inside a command ----
  void SetTourRunning(bool running) { FTourRunning = running; }
  // The destination shown in the information strip; empty outside tours.
  void SetDestName(std::string name) { FDestName = std::move(name); }
  const std::string& DestName() const { return FDestName; }
  // The view moves without being shown; ShowView shows it.
  void SetView(const TViewState& view) { FView = view; }
  // The colour period glides to `period` at `speed` (see TDisplayDriver::ChangePeriod).
  void ChangePeriod(TBusyScope& busy, int period, int speed);
  // The colours change within a running command, as the picture is recoloured.
  void SetColors(TBusyScope& busy, const TColorPositions& colors);

  // ---- view ----
  const TViewState& View() const { return FView; }
  const TColorPositions& Colors() const { return FColors; }
  // The view as the fields show it: X and Y with the digits the range needs
  // (CoordinateDigits: 18 for all but deep views), range with 5.
  std::string XText() const;
  std::string YText() const;
  std::string RangeText() const;
  // Writes the view into the engines and has the fields show it; computes nothing.
  void ShowView();
  // Computes the view shown, with its passes shown as they finish or, for a
  // program without a screen, nothing but the final picture; false when refused.
  enum class TPassDisplay { Passes, FinalOnly };
  bool DrawView(TPassDisplay display = TPassDisplay::Passes);
  TMBItem StoreView(const std::string& name) const;
  // Takes view and colours, brought into the controls' ranges; ShowView shows them.
  void LoadView(const TMBItem& item);
  void LoadView(const TViewState& view, const TColorPositions& colors);
  void AddHistory(const std::string& name);

  // ---- commands ----
  // The draw button: stops a tour, aborts a drawing, or draws the fields' view.
  void PressDraw(const TViewState& fields);
  // A limit chosen from the list: more continues the computation, less recolours.
  void ChangeLimit(int limit);
  void Home();
  // Shows and draws a stored view as a new history entry named after it.
  bool LoadFavorite(const TMBItem& item);
  // The colour tool bar changed: the picture is coloured anew, not recomputed.
  bool SetColors(const TColorPositions& colors);
  bool SetOptions(int options);
  // Composes the picture anew from the counts, once it has a size.
  void RenderIfSized();
  // The picture's size; false while busy.
  bool Resize(int width, int height);
  // Picture dots per window pixel (the screen's scale): angle drags turn by
  // the same angle per distance on the screen, and the full-screen
  // information keeps its size.
  void SetPixelRatio(double ratio);
  double PixelRatio() const { return FPixelRatio; }
  // Where the picture's top lies on the window, in dots: 0 in full screen,
  // where the information strip is drawn.
  void SetOrigin(int top);

  // ---- picture output ----
  // Writes the picture to a file by its extension (see WritePicture); false
  // when refused or the extension names no picture type.
  bool SavePicture(const QString& fileName, int jpegPosition);

  // ---- output at a size ----
  // Hands the picture at width × height to `deliver`: the current one when
  // the size is the picture's, else the view computed anew at that size and
  // shown shrunk into `shown`, after which the view is computed again at the
  // picture's size. An aborted computation delivers nothing. False when busy.
  bool RenderAtSize(int width, int height, const QRect& shown,
                    const std::function<void(const QImage&)>& deliver);

  // ---- zoom and scroll ----
  void Magnify(int index);
  // One wheel notch; with the right button held it switches the relief instead.
  // `pointer` (picture coordinates) is where the pointer is when zooming about it.
  void Wheel(bool up, const TPointerState& state, bool ctrl, QPoint pointer);
  bool SetMagnifyRatio(int position);
  int MagnifyRatio() const { return FMagnifyRatio; }
  bool SetZoomAtPointer(bool on);
  bool ZoomAtPointer() const { return FZoomAtPointer; }
  // Zooms by the table's ratio about a picture position, which stays where it is.
  void MagnifyAt(int index, QPoint pointer);
  void Scroll(QPoint offset);
  void MoveClick(int tag);
  bool SetMoveRatio(int position);
  int MoveRatio() const { return FMoveRatio; }
  // The relief turns convex or concave and rises again; false when busy.
  bool SwitchRelief(bool convex);
  // Turns, tips and shapes the picture at once, without an animation; false when busy.
  bool SetAngles(int rotation, int elevation, bool convex, bool thickWalls);
  // Between the displayed (turned and tipped) picture and the grid.
  QPoint ConvertOffset(QPoint offset, bool toGrid) const;

  // ---- mouse drags (positions in picture coordinates, in dots) ----
  void MousePress(QPoint position, const TPointerState& state);
  void MouseMove(QPoint position, const TPointerState& state);
  void MouseRelease(QPoint position, const TPointerState& state);
  TDragState DragState() const { return FDragState; }
  // The plane's point under a picture position, with every digit of the centre.
  std::pair<TDeepReal, TDeepReal> PointAt(QPoint position) const;

  // ---- history ----
  // -1 back, -2 forward, otherwise the entry's position.
  void HistoryItemClick(int tag);
  std::vector<THistoryGroup> HistoryGroups() const;

  // ---- reproduction text ----
  std::string ReproductionText() const;
  // A valid view in the text while idle.
  bool AcceptsText(std::string_view text) const;
  // Shows and draws the text's view; false when it is not one or busy.
  bool PasteText(std::string_view text);

  // ---- debug controls; each runs as a command and false means refused ----
  // The plane turns once round, or tips down to flat and up again, as fast
  // as the relief is composed: the time shows when the command ends.
  bool RotationSweep();
  bool ElevationSweep();
  // One slow turn while the plane dips and rises.
  bool RotationDemo();
  // Shows the wall-marked dots white on black; their number, -1 when refused.
  int ShowCliffs();
  bool SetThickWalls(bool thick);

  // ---- formula ----
  // Gives the engine a mode, a recurrence (null for z^2 + c) and the initial
  // value or Julia constant. The session keeps the recurrence alive while
  // the engine may read it; a computation still running is stopped first.
  void SetFormula(bool isMandel, std::shared_ptr<const TRecurrence> formula, long double paramRe,
                  long double paramIm);
  // What SetFormula gave last, for another session that computes the same.
  struct TFormulaSetting {
    bool IsMandel = true;
    std::shared_ptr<const TRecurrence> Recurrence;
    long double ParamRe = 0;
    long double ParamIm = 0;
  };
  const TFormulaSetting& Formula() const { return FFormula; }
  // Recomputes the picture after the formula changed, without showing the
  // passes; false when busy.
  bool DrawContinue();

 private:
  friend struct TSessionParts;

  // The full screen's information strip: the view and the tour's destination
  // as the interface names it.
  void DrawInfo();

  void ApplyColors(const TColorPositions& colors);
  // Moves the centre by (dx, dy) in a view whose dot is `step`.
  void MoveCentre(const TFloatExp& dx, const TFloatExp& dy, const TFloatExp& step);
  // Moves the view by a grid offset; the relief rises again afterwards when raise holds.
  void ScrollBy(QPoint offset, bool raise);
  QPoint LockedToAxis(QPoint offset) const;
  void StartScrollDrag();
  void MoveScrollDrag(QPoint position, bool shift);
  void MoveAngleDrag(QPoint position);
  void EndScrollDrag(QPoint position, bool shift);
  void Notify(void (TSessionObserver::*event)());

  TEventPump& FPump;
  TCalcGrid FCalcGrid;
  TDrawGrid FDrawGrid;
  TDisplayDriver FDriver{FCalcGrid, FDrawGrid};
  TFinishedGrid FFinishedGrid{FCalcGrid, FDrawGrid};
  TMBList FHistory;
  TViewState FView;
  TColorPositions FColors;
  TSessionObserver* FObserver = nullptr;

  int FProgress = -1;
  bool FAbortRequested = false;
  bool FTourRunning = false;
  std::int64_t FDrawStart = 0;
  std::string FDestName;  // shown in the information strip during tours

  int FMagnifyRatio = kDefaultMagnifyRatio;
  int FMoveRatio = 0;
  bool FZoomAtPointer = false;

  double FPixelRatio = 1;
  TDragState FDragState = TDragState::None;
  QPoint FDragPosition;  // the press; an angle drag moves it in whole degrees

  TFormulaSetting FFormula;  // what the engine runs; a null recurrence is z^2 + c
};

}  // namespace vortexa
