// Inside of the lane kernels: one streaming core per vector unit, each in its
// own translation unit compiled for that unit, picked at run time.
//
// The core keeps several vectors of lanes in flight. Every lane iterates one
// point and counts its own iterations, so a lane that has finished can take the
// next point of the row at once instead of idling until its whole group is done
// ("refill"). The count of a point depends only on its own arithmetic, so the
// result equals the plain scalar loop whatever the width or the order.
#pragma once

#include "calc_state.h"
#include "dot.h"

namespace vortexa {

enum class TSimdUnit { Scalar, Sse2, Avx2, Avx512 };

// The widest unit this processor and operating system can run.
TSimdUnit BestSimdUnit();
bool SimdUnitUsable(TSimdUnit unit);
const char* SimdUnitName(TSimdUnit unit);

// The unit the public kernels use: BestSimdUnit() unless overridden, e.g. by a
// benchmark comparing widths. Overriding with an unusable unit is refused.
TSimdUnit ActiveSimdUnit();
bool SetActiveSimdUnit(TSimdUnit unit);

// Points of one lane job: c = (CRe[i], CIm[i]) for i < Count, or
// (CRe[i], CIm[0]) with SharedCIm.
template <typename Real>
struct TLaneJob {
  const Real* CRe = nullptr;
  const Real* CIm = nullptr;
  int Count = 0;
  int Limit = 1;
  // The count of point i is the smallest k >= 1 with |zk|^2 > 4 (or NaN), else
  // kDotInside. Without Cols it goes to Res[i], and Res[Count] is a spare
  // entry the cores may overwrite. With Cols it goes to the dots Res[Cols[i]]
  // and, if given, Mirror[Cols[i]], as relaxed atomic stores; a core may store
  // a finished count more than once.
  TDotRow Res = nullptr;
  const int* Cols = nullptr;
  TDotRow Mirror = nullptr;
  // All points share the imaginary part CIm[0] (a row of dots).
  bool SharedCIm = false;
  // When given and raised (read with relaxed atomic loads), the core stops
  // between two rounds of iterations; points not finished keep their dots.
  const bool* Stop = nullptr;
};

// Iterations between two looks of a core at the job's stop however high the
// limit: lanes that all stay inside at a limit in the millions would hold it
// for a good part of a second.
inline constexpr int kMaxLaneBlockSteps = 1 << 16;

// Whether a job has been asked to stop (a builtin, like StoreCount).
template <typename Real>
inline bool StopRequested(const TLaneJob<Real>& job) {
  return job.Stop && __atomic_load_n(job.Stop, __ATOMIC_RELAXED);
}

// Stores a count where the job wants it (relaxed, like StoreDot).
template <typename Real>
[[gnu::always_inline]] inline void StoreCount(const TLaneJob<Real>& job, int point, TDot count) {
  if (!job.Cols) {
    StoreDotInCore(job.Res, point, count);
    return;
  }
  const int col = job.Cols[point];
  StoreDotInCore(job.Res, col, count);
  if (job.Mirror.Data()) StoreDotInCore(job.Mirror, col, count);
}

// Runs a job on the given unit (which must be usable).
void RunLanes(TSimdUnit unit, const TLaneJob<float>& job);
void RunLanes(TSimdUnit unit, const TLaneJob<double>& job);

// The row routines of both families on a given unit (which must be usable):
// gather the row's uncomputed dots, run them as one job, store the counts into
// the row and, if given, the mirror row. The real parts come from the state's
// lane columns (TCalcState::UpdateLaneColumns).
void CalcRowSingle(TSimdUnit unit, const TCalcState& state, TDotRow row, TDotRow mirror, int stride,
                   long double y);
void CalcRowDouble(TSimdUnit unit, const TCalcState& state, TDotRow row, TDotRow mirror, int stride,
                   long double y);

// Lists the columns 0, stride, 2 * stride, ... below width whose dot is still
// uncomputed, with their values of colRe; returns how many (the row routines'
// gathering, for the deep family).
int GatherUncomputedDouble(TDotRowView row, int width, int stride, const double* colRe, int* cols,
                           double* values);

// The per-unit cores, defined in kernels_<unit>.cpp.
namespace lanes_scalar {
void Run(const TLaneJob<float>& job);
void Run(const TLaneJob<double>& job);
}  // namespace lanes_scalar
namespace lanes_sse2 {
void Run(const TLaneJob<float>& job);
void Run(const TLaneJob<double>& job);
}  // namespace lanes_sse2
namespace lanes_avx2 {
void Run(const TLaneJob<float>& job);
void Run(const TLaneJob<double>& job);
}  // namespace lanes_avx2
namespace lanes_avx512 {
void Run(const TLaneJob<float>& job);
void Run(const TLaneJob<double>& job);
}  // namespace lanes_avx512

}  // namespace vortexa
