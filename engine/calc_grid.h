// TCalcGrid: the dot grid and the background thread that fills it in
// coarse-to-fine passes on worker threads (see docs/engine.md).
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>
#include <thread>

#include "calc_state.h"

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

// (escaped, inside, over-limit, predicted, total, outside bins, max, min, mean)
using TCalcStats = std::array<std::int32_t, 9>;

// Source and destination rectangles of a scroll by (dx, dy) dots: old dot
// (r, c) becomes (r + dy, c + dx).
void ClipShift(int dx, int dy, int width, int height, TGridRect& src, TGridRect& dst);

class TCalcGrid {
 public:
  TCalcGrid();
  ~TCalcGrid();
  TCalcGrid(const TCalcGrid&) = delete;
  TCalcGrid& operator=(const TCalcGrid&) = delete;

  // Setting up; a call while a command runs waits until it has ended.
  void SetSize(int width, int height);
  void SetView(long double centerX, long double centerY, int limit, long double range);
  void SetFormula(bool isMandel, const TRecurrence* formula, long double paramRe,
                  long double paramIm);
  void SetShift(int dx, int dy);
  void SetMagnify(float factor);
  int Options() const;
  void SetOptions(int options);

  // Running.
  void Start(TCalcCommand command);
  void Abort();
  bool IsIdle() const;
  void WaitIdle();
  bool WaitIdleFor(std::chrono::milliseconds timeout);
  int Progress() const;

  // Reading; during a command the values are those written so far.
  int GridWidth() const;
  int GridHeight() const;
  int Limit() const;
  int Pass() const;
  int AxisRow() const;
  long double GetStep() const;
  int GetKernel() const;
  int SimdLevel() const;
  TDot GetDot(int row, int col) const;
  void SetDot(int row, int col, TDot value);
  const TDot* RowPtr(int row) const;  // read with LoadDot
  int RowPass(int row) const;         // acquire: the row's dots are visible after it
  void Clear();

  // Statistics over the whole grid.
  int GetStatistics(int offset, int binWidth, int limit, std::span<std::int32_t> hist,
                    TCalcStats& stats) const;
  void SuggestHistRange(int limit, int& low, int& high) const;
  TDot MinDot();
};

}  // namespace vortexa
