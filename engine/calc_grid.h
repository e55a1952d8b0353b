// TCalcGrid: the dot grid and the background thread that fills it in
// coarse-to-fine passes on worker threads (see docs/engine.md).
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <utility>
#include <vector>

#include "calc_state.h"
#include "calc_thread.h"
#include "deep_real.h"

namespace vortexa {

enum TCalcCommand : std::uint8_t { ccNone = 0, ccDraw, ccContinue, ccDirect, ccMagnify };

// Restriction bits of Options.
inline constexpr int kOptNoFullScreenInfo = 1;
inline constexpr int kOptNoZoomAnimation = 2;
inline constexpr int kOptSingleWorker = 4;
inline constexpr int kOptNoPrediction = 8;
inline constexpr int kOptNoMirror = 16;
inline constexpr int kOptNoSimd = 32;

// Rectangles in dots; Right and Bottom are exclusive.
struct TGridRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TGridRect&) const = default;
};

// MinCount of statistics without escaped dots.
inline constexpr std::int32_t kNoEscapedCount = 0xFF00;

// Counts over the whole grid for the statistics window.
struct TCalcStats {
  std::int32_t Escaped = 0;      // counts up to the limit (an uncomputed dot counts as 0)
  std::int32_t Inside = 0;       // OverLimit + Predicted
  std::int32_t OverLimit = 0;    // above the limit: no escape within it
  std::int32_t Predicted = 0;    // predicted inside, never computed
  std::int32_t Total = 0;        // every dot
  std::int32_t OutsideBins = 0;  // escaped dots outside the histogram's bins
  std::int32_t MaxCount = 0;     // of the escaped dots
  std::int32_t MinCount = 0;     // of the escaped dots; kNoEscapedCount when there are none
  std::int32_t Mean = 0;         // of all dots, inside ones counting as the limit
  bool operator==(const TCalcStats&) const = default;
};

// Source and destination rectangles of a scroll by (dx, dy) dots: old dot
// (r, c) becomes (r + dy, c + dx).
void ClipShift(int dx, int dy, int width, int height, TGridRect& src, TGridRect& dst);

// Percent shown while a stage runs: base + nextRow * span / height, the
// product in integers and the quotient rounded half to even.
int StageProgress(int base, int span, int nextRow, int height);

class TCalcGrid {
 public:
  TCalcGrid();
  ~TCalcGrid();
  TCalcGrid(const TCalcGrid&) = delete;
  TCalcGrid& operator=(const TCalcGrid&) = delete;

  // Setting up; a call while a command runs waits until it has ended. A
  // negative size, a limit outside 1..kMaxLimit or a zoom factor that is not
  // positive and finite throws std::invalid_argument.
  void SetSize(int width, int height);
  // Makes the grid rows firstRow.. of a picture pictureHeight rows tall, so
  // that a picture too large for memory is computed band by band with the
  // same dots as a whole. SetSize makes the grid a whole picture again.
  // Throws std::invalid_argument when the band does not fit the picture.
  void SetBand(int pictureHeight, int firstRow);
  // The centre keeps all its digits for the deep family's reference orbit;
  // ColRe, RowIm and the other families use it rounded to long double.
  void SetView(const TDeepReal& centerX, const TDeepReal& centerY, int limit,
               const TFloatExp& range);
  void SetFormula(bool isMandel, const TRecurrence* formula, long double paramRe,
                  long double paramIm);
  void SetShift(int dx, int dy);
  // The zoom of ccMagnify; the dot (dx, dy) from the centre keeps its place.
  void SetMagnify(float factor, int anchorDx = 0, int anchorDy = 0);
  int Options() const;
  void SetOptions(int options);
  // Workers per pass: 0 follows the machine (at least two for the first pass
  // and four for the others), n > 0 fixes the team at n. The default comes
  // from VORTEXA_WORKERS; the single-worker option overrides either. Throws
  // std::invalid_argument outside 0..kMaxTeamSize (the constructor throws
  // likewise for a bad VORTEXA_WORKERS).
  int FixedTeamSize() const;
  void SetFixedTeamSize(int size);
  // Whether the deep family takes merged steps (bilinear approximation) on
  // views where they pay; the default comes from VORTEXA_BLA (on unless it
  // is "0"), and the
  // constructor throws std::invalid_argument for a bad value of it. The
  // pictures agree but for dots that no double iteration can settle.
  bool Bla() const;
  void SetBla(bool on);

  // Running. Start waits for a running command to end, then wakes the grid
  // thread. A command that is aborted ends quietly with Command() keeping its
  // value; one that fails keeps its value too and reports why in LastFault().
  void Start(TCalcCommand command);
  void Abort();
  bool IsIdle() const;
  void WaitIdle();
  bool WaitIdleFor(std::chrono::milliseconds timeout);
  // Waits until the pass with that number (1..3) has finished, the command
  // has ended or the timeout has passed; true unless it timed out.
  bool WaitPassFor(int pass, std::chrono::milliseconds timeout);
  int Progress() const;

  // Reading; during a command the values are those written so far.
  int GridWidth() const;
  int GridHeight() const;
  int Limit() const;
  int Pass() const;
  int AxisRow() const;
  TFloatExp GetStep() const;
  int GetKernel() const;
  int SimdLevel() const;
  TCalcCommand Command() const;  // back to ccNone only when a command completes
  // Workers of the pass with that number (1..3) in the last command, 0 if it
  // did not run; read while idle.
  int PassTeamSize(int pass) const;
  // Time the last command spent on the deep family's reference orbit; zero
  // when it had none to compute (another family, or the view's orbit reused);
  // read while idle.
  std::chrono::nanoseconds ReferenceOrbitTime() const;
  long double ColRe(int col) const;
  long double RowIm(int row) const;
  TDot GetDot(int row, int col) const;
  void SetDot(int row, int col, TDot value);
  TDotRowView Row(int row) const;
  // Whether the dots are kept in 32 bits: while the limit is above
  // kMaxNarrowLimit (they are in 16 bits otherwise).
  bool WideDots() const;
  int RowPass(int row) const;  // acquire: the row's dots are visible after it
  // Where the last command's repair changed predicted dots after its final
  // pass; read only while idle.
  const std::vector<TGridRect>& RepairedAreas() const { return FRepairedAreas; }
  // What the last command could not compute (a faulting custom recurrence,
  // or no memory or threads); reset by Start, complete once idle.
  TCalcFault LastFault() const;
  void Clear();

  // Statistics over the whole grid.
  int GetStatistics(int offset, int binWidth, int limit, std::span<std::int32_t> hist,
                    TCalcStats& stats) const;
  void SuggestHistRange(int limit, int& low, int& high) const;
  TDot MinDot();

 private:
  struct TAbortSignal {};

  std::unique_lock<std::mutex> LockIdle() const;
  void FitDotWidth(int limit);
  void UpdateScale();
  void UpdateColumns();
  void UpdateKernel();
  bool MirrorIsExact() const;

  void Execute();
  void RunCommand(TCalcCommand command);
  void PrepareReferenceOrbit();
  void ComputeReference();
  double LargestOffset() const;
  void CountFaultyDots();
  void ClearOrApplyShift();
  void RunStandardSequence(bool fromFirstPass);
  void SetStage(int base, int span);
  int TeamSizeFor(int minimum) const;
  TWorkerTeam& Team();
  void RunPass(int nextPass, int minimumTeam);
  void SetPass(int pass);
  void WaitForWorkers();
  void Predict(int colOffset, int rowOffset);
  void MarkPredictedBlock(int row, int col, int spacing);
  void VerifyPredicted();
  void PrecomputeRepairs();
  void PrecomputeRepairBand(int firstRow, int lastRow);
  void RepairWindow(int row, int col);
  void RepairDots(int row, const int* cols, int count, TDotRow dots);
  bool RepairWorthSharing(int dots) const;
  void ApplyShift();
  std::pair<int, int> ReuseScaled(float factor);  // column and row offset
  void ResetUndecided();

  TCalcState FState;
  std::atomic<TCalcCommand> FCommand{ccNone};
  float FMagnify = 1.0f;
  int FMagnifyAnchorX = 0;
  int FMagnifyAnchorY = 0;
  int FShiftX = 0;
  int FShiftY = 0;
  int FFixedTeamSize = 0;
  bool FBla = false;
  int FProcessors = 1;               // allowed processors, read when a command starts its team
  std::optional<TWorkerTeam> FTeam;  // started at a command's first pass, ended with it
  std::array<int, 3> FPassTeams{};   // workers of each pass of the last command
  std::atomic<int> FProgressBase{0};
  std::atomic<int> FProgressSpan{0};
  std::atomic<bool> FAbort{false};
  TFloatExp FRange;
  int FPictureHeight = 0;  // the grid's height unless it holds a band
  TDeepReal FDeepCenterX;
  TDeepReal FDeepCenterY;
  bool FReferenceStale = true;  // the view changed since the orbit was computed
  bool FBlaStale = true;        // the orbit changed since the merged steps were built
  std::chrono::nanoseconds FReferenceTime{0};
  int FSimdLevel = 0;
  std::atomic<int> FOptions{0};
  std::atomic<TDot> FMinCache{kDotInside};
  std::vector<TGridRect> FRepairedAreas;
  // Counts of predicted dots that the repair is likely to need, computed by
  // the team beforehand; 0 where none was computed.
  TDotBuffer FRepairCounts;

  // FRunning is true from Start until the command has ended; setters and Start
  // wait for it to fall, which serialises them with the grid thread. FIdle
  // also announces every finished pass.
  mutable std::mutex FThreadLock;
  std::condition_variable FWake;
  mutable std::condition_variable FIdle;
  bool FRunning = false;
  bool FTerminated = false;
  std::thread FThread;  // last: the thread starts only when the rest is ready
};

}  // namespace vortexa
