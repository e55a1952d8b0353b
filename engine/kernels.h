// Escape-count kernels: the extended-precision family and the single/double
// precision lane families, mapped onto the widest vector unit at run time.
#pragma once

#include "calc_state.h"

namespace vortexa {

// Plain z^2 + c in 80-bit extended precision: the smallest n >= 1 for which
// z(n-1) escapes (|z|^2 > 4, NaN never escapes), or kDotInside; kDotUncomputed
// when `stop` is raised first (see kStopLookInterval).
TDot IterateFPU(long double cRe, long double cIm, long double zRe, long double zIm, int limit,
                TStopFlag stop = nullptr);

// The extended-precision dot kernel with the Mandelbrot/Julia arrangement of
// the state and its custom recurrence, if any. Used by CalcRowFPU and the repair.
TDot IterateDot(const TCalcState& state, long double re, long double im);

// Lane kernels from z0 = 0: a lane's result is the smallest k >= 1 for which
// zk escapes (NaN and infinity escape), or kDotInside. `count` lanes.
void Iterate4(const float* cRe, const float* cIm, TDot* res, int count, int limit);
void Iterate2(const double* cRe, const double* cIm, TDot* res, int count, int limit);

// Row routines: visit columns 0, stride, 2*stride, ... below GridWidth,
// compute the dots that are 0 and copy results into the mirror row if any.
// The lane routines read the state's lane columns, CalcRowFPU reads ColRe.
// Once the state's stop is requested they return at the next dot (or round of
// lane iterations), leaving the rest of the row uncomputed.
void CalcRowFPU(const TCalcState& state, TDotRow row, TDotRow mirror, int stride, long double y);
void CalcRowSSE(const TCalcState& state, TDotRow row, TDotRow mirror, int stride, long double y);
void CalcRowSSE2(const TCalcState& state, TDotRow row, TDotRow mirror, int stride, long double y);

// The listed dots of a row (columns cols[0 .. count-1]) computed by a lane
// family exactly as its row routine would compute them, without mirroring;
// the repair of predictions uses them so that a repaired dot equals a
// computed one.
void CalcDotsSSE(const TCalcState& state, TDotRow row, const int* cols, int count, long double y);
void CalcDotsSSE2(const TCalcState& state, TDotRow row, const int* cols, int count, long double y);

// 0 no vector unit usable, 1 single precision lanes, 2 double precision lanes too.
int ProbeSimd();

// Name of the vector unit the lane kernels run on ("avx512", "avx2", "sse2", "scalar").
const char* SimdUnitName();

}  // namespace vortexa
