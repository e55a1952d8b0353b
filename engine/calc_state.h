// The calculation state shared by the grid thread, its workers and the kernels.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <type_traits>
#include <vector>

#include "arithmetic_fault.h"
#include "bla_table.h"
#include "dot.h"
#include "dot_buffer.h"
#include "float_exp.h"
#include "recurrence.h"
#include "reference_orbit.h"

namespace vortexa {

// Strides of the three passes, coarse to fine.
inline constexpr int StrideTable[3] = {16, 4, 1};

// Kernel families.
inline constexpr int kKernelExtended = 0;
inline constexpr int kKernelSingle = 1;  // "SSE": single precision lanes
inline constexpr int kKernelDouble = 2;  // "SSE2": double precision lanes
inline constexpr int kKernelDeep = 3;    // double lanes about a reference orbit

// What the last command could not compute: the first error a worker or the
// repair met, and how many dots were still uncomputed when the command ended.
struct TCalcFault {
  bool Failed = false;
  std::string Error;
  int ArithmeticFlags = 0;  // the FE_* flags of an arithmetic fault, else 0
  std::int64_t UncomputedDots = 0;
};

struct TCalcState {
  // Row-major, row 0 on top; narrow unless the limit needs wide dots. Fresh
  // pages, so a new size costs no pass over the dots before the first command
  // clears them.
  TDotBuffer Grid;
  int GridWidth = 0;
  int GridHeight = 0;
  std::vector<long double> ColRe;  // real part of every column
  // ColRe rounded to the lane precisions, read by the lane row routines.
  // Rounding an extended value costs more than a lane iteration, so it is done
  // once per view (UpdateLaneColumns after every change of ColRe), not per row.
  std::vector<float> ColReSingle;
  std::vector<double> ColReDouble;
  // The deep family's offsets of every column from the view centre, and the
  // orbit of the centre (computed by the grid before a command's first pass).
  std::vector<double> ColDc;
  TReferenceOrbit Reference;
  // Merged steps along the orbit for the picture's largest offset, built with
  // it, and whether the rows use them (asked for, and paying on this view).
  TBlaTable Bla;
  bool UseBla = false;
  // Last pass (1..3) that finished each row, 0 = none since Start. A row's
  // entry is stored with release after its dots and loaded with acquire.
  std::vector<std::int16_t> RowPasses;
  long double CenterX = 0;
  long double CenterY = 0;
  // The dot size, with an exponent of its own: views go deeper than long
  // double reaches. StepValue() is it as a long double, for the kernels
  // that work in one.
  TFloatExp Step;
  int Limit = 1024;
  bool IsMandel = true;
  const TRecurrence* Formula = nullptr;
  long double ParamRe = 0;
  long double ParamIm = 0;
  int Kernel = kKernelExtended;
  std::atomic<std::int16_t> Pass{0};
  std::atomic<int> NextRow{0};
  int AxisRow = -1;
  int LiveWorkers = 0;
  std::mutex RowLock;
  std::mutex CountLock;
  std::condition_variable DoneEvent;  // with CountLock: LiveWorkers reached 0
  // Raised by the grid (Abort, and its thread's look every 100 ms after one)
  // to stop the team of the current pass, cleared when a pass starts; the row
  // routines look at it between dots, so a stop never waits for a whole row.
  bool StopFlag = false;  // touch through RequestStop/StopRequested
  mutable std::mutex FaultLock;
  TCalcFault Fault;  // under FaultLock

  void RequestStop(bool stop) {
    std::atomic_ref<bool>(StopFlag).store(stop, std::memory_order_relaxed);
  }
  bool StopRequested() const {
    return std::atomic_ref<bool>(const_cast<bool&>(StopFlag)).load(std::memory_order_relaxed);
  }
  // Keeps the first error of a command; later ones are consequences or repeats.
  void RecordError(const std::exception& error) {
    std::lock_guard lock(FaultLock);
    if (Fault.Failed) return;
    Fault.Failed = true;
    Fault.Error = error.what();
    if (const auto* arithmetic = dynamic_cast<const EArithmeticError*>(&error))
      Fault.ArithmeticFlags = arithmetic->Flags();
  }

  void UpdateLaneColumns() {
    ColReSingle.assign(ColRe.begin(), ColRe.end());
    ColReDouble.assign(ColRe.begin(), ColRe.end());
    ColDc.resize(ColRe.size());
    for (int col = 0; col < static_cast<int>(ColDc.size()); ++col)
      ColDc[col] = static_cast<double>((col - GridWidth / 2) * StepValue());
  }
  template <typename Real>
  const Real* LaneColRe() const {
    if constexpr (std::is_same_v<Real, float>)
      return ColReSingle.data();
    else
      return ColReDouble.data();
  }

  // Rows from this grid's middle row to the picture's, when the grid holds a
  // band of a taller picture; 0 when it holds the whole picture.
  int BandOffset = 0;
  // Rows of a row from the picture's middle row.
  int PictureRow(int row) const { return row - GridHeight / 2 + BandOffset; }
  // Imaginary part of a row; grows downwards on the screen.
  long double StepValue() const { return Step.ToLongDouble(); }
  long double RowIm(int row) const { return PictureRow(row) * StepValue() + CenterY; }
  // The row's offset from the view centre, for the deep family.
  double RowDc(int row) const { return static_cast<double>(PictureRow(row) * StepValue()); }
  TDotRow Row(int row) { return Grid.At(static_cast<std::size_t>(row) * GridWidth); }
  TDotRowView Row(int row) const { return Grid.At(static_cast<std::size_t>(row) * GridWidth); }
  TDot LoadAt(int row, int col) const { return Row(row).Load(col); }
  void StoreAt(int row, int col, TDot value) { Row(row).Store(col, value); }
  int LoadRowPass(int row) const {
    return std::atomic_ref<std::int16_t>(const_cast<std::int16_t&>(RowPasses[row]))
        .load(std::memory_order_acquire);
  }
  void StoreRowPass(int row, int pass) {
    std::atomic_ref<std::int16_t>(RowPasses[row])
        .store(static_cast<std::int16_t>(pass), std::memory_order_release);
  }
};

}  // namespace vortexa
