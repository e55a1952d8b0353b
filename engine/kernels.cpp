#include "kernels.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <vector>

#include "kernels_lanes.h"

namespace vortexa {

TDot IterateFPU(long double cRe, long double cIm, long double zRe, long double zIm, int limit,
                TStopFlag stop) {
  for (int n = 1; n <= limit; ++n) {
    if (StopDue(n, stop)) return kDotUncomputed;
    const long double re2 = zRe * zRe;
    const long double im2 = zIm * zIm;
    if (re2 + im2 > 4.0f) return static_cast<TDot>(n);
    const long double reIm = zRe * zIm;
    zIm = (reIm + reIm) + cIm;
    zRe = (re2 - im2) + cRe;
  }
  return kDotInside;
}

TDot IterateDot(const TCalcState& state, long double re, long double im) {
  const bool mandel = state.IsMandel;
  const long double cRe = mandel ? re : state.ParamRe;
  const long double cIm = mandel ? im : state.ParamIm;
  const long double zRe = mandel ? state.ParamRe : re;
  const long double zIm = mandel ? state.ParamIm : im;
  if (state.Formula)
    return state.Formula->Iterate(cRe, cIm, zRe, zIm, state.Limit, &state.StopFlag);
  return IterateFPU(cRe, cIm, zRe, zIm, state.Limit, &state.StopFlag);
}

void CalcRowFPU(const TCalcState& state, TDotRow row, TDotRow mirror, int stride, long double y) {
  for (int col = 0; col < state.GridWidth; col += stride) {
    if (row.Load(col) == kDotUncomputed) {
      if (state.StopRequested()) return;
      row.Store(col, IterateDot(state, state.ColRe[col], y));
    }
    if (mirror) mirror.Store(col, row.Load(col));
  }
}

// The plain loop, one point after the other: the definition the vector units
// must reproduce, and the fallback when none is usable.
namespace lanes_scalar {
namespace {
template <typename Real>
void RunPlain(const TLaneJob<Real>& job) {
  for (int i = 0; i < job.Count; ++i) {
    if (StopRequested(job)) return;
    const Real cRe = job.CRe[i], cIm = job.CIm[job.SharedCIm ? 0 : i];
    Real re = cRe, im = cIm;
    TDot res = kDotInside;
    for (int n = 1; n <= job.Limit; ++n) {
      if (StopDue(n, job.Stop)) return;
      const Real re2 = re * re;
      const Real im2 = im * im;
      if (!(re2 + im2 <= Real(4))) {
        res = static_cast<TDot>(n);
        break;
      }
      const Real reIm = re * im;
      re = (re2 - im2) + cRe;
      im = (reIm + reIm) + cIm;
    }
    StoreCount(job, i, res);
  }
}
}  // namespace
void Run(const TLaneJob<float>& job) {
  RunPlain(job);
}
void Run(const TLaneJob<double>& job) {
  RunPlain(job);
}
}  // namespace lanes_scalar

bool SimdUnitUsable(TSimdUnit unit) {
  // __builtin_cpu_supports also checks that the operating system saves the
  // wider registers.
  switch (unit) {
    case TSimdUnit::Scalar:
      return true;
    case TSimdUnit::Sse2:
      return __builtin_cpu_supports("sse2");
    case TSimdUnit::Avx2:
      return __builtin_cpu_supports("avx2");
    case TSimdUnit::Avx512:
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("bmi2");
  }
  return false;
}

TSimdUnit BestSimdUnit() {
  for (TSimdUnit unit : {TSimdUnit::Avx512, TSimdUnit::Avx2, TSimdUnit::Sse2})
    if (SimdUnitUsable(unit)) return unit;
  return TSimdUnit::Scalar;
}

const char* SimdUnitName(TSimdUnit unit) {
  switch (unit) {
    case TSimdUnit::Scalar:
      return "scalar";
    case TSimdUnit::Sse2:
      return "sse2";
    case TSimdUnit::Avx2:
      return "avx2";
    case TSimdUnit::Avx512:
      return "avx512";
  }
  return "?";
}

namespace {
std::atomic<TSimdUnit>& ActiveUnitSlot() {
  static std::atomic<TSimdUnit> unit{BestSimdUnit()};
  return unit;
}
}  // namespace

TSimdUnit ActiveSimdUnit() {
  return ActiveUnitSlot().load(std::memory_order_relaxed);
}

bool SetActiveSimdUnit(TSimdUnit unit) {
  if (!SimdUnitUsable(unit)) return false;
  ActiveUnitSlot().store(unit, std::memory_order_relaxed);
  return true;
}

const char* SimdUnitName() {
  return SimdUnitName(ActiveSimdUnit());
}

template <typename Real>
static void RunLanesOn(TSimdUnit unit, const TLaneJob<Real>& job) {
  switch (unit) {
    case TSimdUnit::Avx512:
      lanes_avx512::Run(job);
      return;
    case TSimdUnit::Avx2:
      lanes_avx2::Run(job);
      return;
    case TSimdUnit::Sse2:
      lanes_sse2::Run(job);
      return;
    case TSimdUnit::Scalar:
      lanes_scalar::Run(job);
      return;
  }
}

void RunLanes(TSimdUnit unit, const TLaneJob<float>& job) {
  RunLanesOn(unit, job);
}
void RunLanes(TSimdUnit unit, const TLaneJob<double>& job) {
  RunLanesOn(unit, job);
}

namespace {
// The public lane kernels run through a per-thread result buffer, which has the
// spare entry the cores need.
template <typename Real>
void IterateLanes(const Real* cRe, const Real* cIm, TDot* res, int count, int limit) {
  thread_local std::vector<TDot> buffer;
  if (buffer.size() < static_cast<std::size_t>(count) + 1) buffer.resize(count + 1);
  RunLanes(ActiveSimdUnit(), TLaneJob<Real>{cRe, cIm, count, limit, buffer.data(), nullptr, {}});
  std::copy(buffer.begin(), buffer.begin() + count, res);
}
}  // namespace

void Iterate4(const float* cRe, const float* cIm, TDot* res, int count, int limit) {
  IterateLanes(cRe, cIm, res, count, limit);
}

void Iterate2(const double* cRe, const double* cIm, TDot* res, int count, int limit) {
  IterateLanes(cRe, cIm, res, count, limit);
}

namespace {

// Per-thread buffers of the row routines, kept between rows.
template <typename Real>
struct TRowBuffers {
  std::vector<int> Cols;
  std::vector<Real> Re;

  void Reserve(std::size_t points) {
    if (Cols.size() >= points) return;
    Cols.resize(points);
    Re.resize(points);
  }
};

template <typename Real>
TRowBuffers<Real>& RowBuffers() {
  thread_local TRowBuffers<Real> buffers;
  return buffers;
}

// Lists the columns 0, stride, 2 * stride, ... below width whose dot is still
// uncomputed, with their real parts; returns how many. The stride-1 pass visits
// most of a frame's dots, so there the row is read four dots per load: runs of
// uncomputed dots are listed in bulk, and blocks without any are passed over.
// Reads stay atomic: another worker may be writing this row as its mirror row.
template <typename Real, StoredDot T>
int GatherUncomputed(const T* row, int width, int stride, const Real* __restrict colRe,
                     int* __restrict cols, Real* __restrict re) {
  int count = 0;
  // A visited column is written at the end of the list and kept only if its
  // dot is 0, which costs less than a branch the processor cannot predict.
  const auto visit = [&](int col, TDot dot) {
    cols[count] = col;
    re[count] = colRe[col];
    count += dot == kDotUncomputed;
  };
  int col = 0;
  if (stride == 1) {
    for (; col < width && !IsQuadAligned(row + col); ++col)
      visit(col, LoadDot(row[col]));
    constexpr int kQuad = kDotsPerQuad<T>;
    while (width - col >= kQuad) {
      const TDotQuad quad = LoadDotQuad(row + col);
      if (quad == 0) {
        const int runStart = col;
        do
          col += kQuad;
        while (width - col >= kQuad && LoadDotQuad(row + col) == 0);
        std::memcpy(re + count, colRe + runStart, (col - runStart) * sizeof(Real));
        for (int runCol = runStart; runCol < col; ++runCol)
          cols[count++] = runCol;
        continue;
      }
      if (HasUncomputedDot<T>(quad)) {
        for (int i = 0; i < kQuad; ++i)
          visit(col + i, QuadDot<T>(quad, i));
      }
      col += kQuad;
    }
  }
  for (; col < width; col += stride)
    visit(col, LoadDot(row[col]));
  return count;
}

template <typename Real>
void CalcRowLanes(TSimdUnit unit, const TCalcState& state, TDotRow row, TDotRow mirror, int stride,
                  long double y) {
  const int width = state.GridWidth;
  if (width <= 0) return;
  TRowBuffers<Real>& buf = RowBuffers<Real>();
  buf.Reserve(static_cast<std::size_t>((width - 1) / stride + 1));
  int* cols = buf.Cols.data();
  Real* re = buf.Re.data();
  const int count = row.Visit([&](const auto* dots) {
    return GatherUncomputed(dots, width, stride, state.LaneColRe<Real>(), cols, re);
  });
  if (count == 0) return;
  const Real im = static_cast<Real>(y);
  RunLanes(unit,
           TLaneJob<Real>{re, &im, count, state.Limit, row, cols, mirror, true, &state.StopFlag});
}

template <typename Real>
void CalcDotsLanes(const TCalcState& state, TDotRow row, const int* cols, int count,
                   long double y) {
  TRowBuffers<Real>& buf = RowBuffers<Real>();
  buf.Reserve(static_cast<std::size_t>(count));
  const Real* colRe = state.LaneColRe<Real>();
  for (int i = 0; i < count; ++i)
    buf.Re[i] = colRe[cols[i]];
  const Real im = static_cast<Real>(y);
  RunLanes(ActiveSimdUnit(),
           TLaneJob<Real>{buf.Re.data(), &im, count, state.Limit, row, cols, {}, true});
}

}  // namespace

int GatherUncomputedDouble(TDotRowView row, int width, int stride, const double* colRe, int* cols,
                           double* values) {
  return row.Visit(
      [&](const auto* dots) { return GatherUncomputed(dots, width, stride, colRe, cols, values); });
}

void CalcRowSingle(TSimdUnit unit, const TCalcState& state, TDotRow row, TDotRow mirror, int stride,
                   long double y) {
  CalcRowLanes<float>(unit, state, row, mirror, stride, y);
}

void CalcRowDouble(TSimdUnit unit, const TCalcState& state, TDotRow row, TDotRow mirror, int stride,
                   long double y) {
  CalcRowLanes<double>(unit, state, row, mirror, stride, y);
}

void CalcRowSSE(const TCalcState& state, TDotRow row, TDotRow mirror, int stride, long double y) {
  CalcRowSingle(ActiveSimdUnit(), state, row, mirror, stride, y);
}

void CalcRowSSE2(const TCalcState& state, TDotRow row, TDotRow mirror, int stride, long double y) {
  CalcRowDouble(ActiveSimdUnit(), state, row, mirror, stride, y);
}

void CalcDotsSSE(const TCalcState& state, TDotRow row, const int* cols, int count, long double y) {
  CalcDotsLanes<float>(state, row, cols, count, y);
}

void CalcDotsSSE2(const TCalcState& state, TDotRow row, const int* cols, int count, long double y) {
  CalcDotsLanes<double>(state, row, cols, count, y);
}

int ProbeSimd() {
  if (!SimdUnitUsable(TSimdUnit::Sse2)) return __builtin_cpu_supports("sse") ? 1 : 0;
  return 2;
}

}  // namespace vortexa
