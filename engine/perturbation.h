// The deep family: z^2 + c from z0 = 0 for dots smaller than double precision
// can place, as small differences from one reference orbit at the view centre.
//
// A dot c = C + dc follows the reference Z as z = Z(m) + d, with
//   d' = (2 Z(m) + d) d + dc,  m' = m + 1,
// all in double precision. Whenever |z| < |d| (or the reference has ended),
// the dot goes on from the start of the reference: d := z, m := 0. The count is
// the extended family's: the smallest n >= 1 for which z(n-1) escapes
// (|z|^2 > 4, a NaN never escapes), or kDotInside when none of z0 .. z(limit-1)
// does.
#pragma once

#include <atomic>
#include <optional>

#include "bla_table.h"
#include "calc_state.h"
#include "deep_real.h"
#include "kernels_lanes.h"
#include "reference_orbit.h"
#include "stop_flag.h"

namespace vortexa {

// The orbit of (centerX, centerY) with `bits` bits of working precision, as
// long as a view with that limit can need it; nothing when `stop` is raised
// before it is complete (at great depth it takes a good part of a second).
std::optional<TReferenceOrbit> ComputeReferenceOrbit(const TDeepReal& centerX,
                                                     const TDeepReal& centerY, int limit, int bits,
                                                     const std::atomic<bool>* stop = nullptr);

// Where |z|^2 of the doubles lies this near 4, the rounding of Z(m) may put
// a dot on the wrong side of the escape circle: EscapesNearCircle decides.
inline constexpr double kNearCircle = 0x1p-46;

// Whether z = Z(m) + d escapes (|z|^2 > 4), d = (dr, di) 2^scale the
// difference from the exact orbit, with the rounding of Z(m) taken into
// account.
// The same where Z is exactly 2, -2, 2i or -2i: |z|^2 - 4 = 2 Re(conj(Z) d) +
// |d|^2. A tiny difference (scale below 0, |d| below 2^-480) has its side of
// the circle decide, and on the tangent any difference at all escapes.
inline bool EscapesBesideExactCircle(double zRe, double zIm, long double dr, long double di,
                                     long scale) {
  const long double side = zRe * dr + zIm * di;
  if (scale < 0) return side > 0 || (side == 0 && (dr != 0 || di != 0));
  const long double square = dr * dr + di * di;
  const long double total = 2 * side + square;
  if (total != 0) return total > 0;
  return square == 0 && (dr != 0 || di != 0);
}

// `hint` as for TReferenceOrbit::RoundingAt.
bool EscapesNearCircle(const TReferenceOrbit& orbit, int m, long double dr, long double di,
                       long scale, std::size_t& hint);

// One dot at offset (dcRe, dcIm) from the orbit's centre: the definition that
// the vector units reproduce exactly. With a table (built for the orbit and
// a largest offset at least |dc|), merged steps replace single ones wherever
// they are valid. kDotUncomputed when `stop` is raised first (looked at
// every kStopLookInterval steps).
TDot IteratePerturbed(const TReferenceOrbit& orbit, double dcRe, double dcIm, int limit,
                      const TBlaTable* bla = nullptr, TStopFlag stop = nullptr);

// How many iterates a round covers on average, with a merged or a single
// step, on a sample of the picture's dots with the state's table of merged
// steps: the rounds of merged steps and the single ones between them cost the
// vector units as much as some kMergedStepsPayFrom rounds of single steps
// alone, so merged steps pay from that many.
double MergedIteratesPerStep(const TCalcState& state);
inline constexpr double kMergedStepsPayFrom = 3;

// Below this dot size the differences of a view's dots come too near the end
// of a normal double (2.2e-308, below which the deep rows flush them to 0)
// to keep their bits; such views carry the difference of each dot with an
// exponent of its own while it is that small. Views of a
// range down to 1e-300 keep the lanes up to 2000 dots high: a product flushed
// there is below 2e-5 of a dot.
inline constexpr long double kWideOffsetStep = 1e-303L;
inline bool NeedsWideOffsets(const TFloatExp& step) {
  return step < kWideOffsetStep;
}

// One dot of a view that needs wide offsets, at offset (dcRe, dcIm)
// 2^dcExponent, by the same definition as IteratePerturbed: the difference
// goes as a long double or double mantissa with an exponent of its own while
// its square is below a normal double's reach, and in doubles once it has
// grown past it, where the offset is far below the difference's last bit. A
// rebase to a difference that small goes back to the first. kDotUncomputed
// when `stop` is raised first (see kStopLookInterval).
TDot IteratePerturbedWide(const TReferenceOrbit& orbit, long double dcRe, long double dcIm,
                          long dcExponent, int limit, TStopFlag stop = nullptr);

// Dots of one row: offsets DcRe[i] and the row's DcIm from the centre.
struct TDeepJob {
  const TReferenceOrbit* Orbit = nullptr;
  const double* DcRe = nullptr;
  double DcIm = 0;
  int Count = 0;
  int Limit = 1;
  // The count of point i goes to Row[Cols[i]] and, if given, Mirror[Cols[i]]
  // as relaxed atomic stores.
  TDotRow Row = nullptr;
  const int* Cols = nullptr;
  TDotRow Mirror = nullptr;
  // When given and raised, the core stops between two rounds of iterations;
  // points not finished keep their dots.
  const bool* Stop = nullptr;
  // Subnormal results and operands are taken as 0 (the processor's
  // flush-to-zero and denormals-are-zero modes), for views whose offsets are
  // all normal numbers: see TinyAsZero.
  bool TinyAsZero = false;
  // Merged steps for the orbit and every offset of the job, or none.
  const TBlaTable* Bla = nullptr;
};

// Whether the deep rows of a view take subnormal numbers as 0: while every
// non-zero offset is a normal number. Below that, offsets themselves are
// subnormal and keep what little they carry.
bool TinyAsZero(const TFloatExp& step);

// Runs a job on the given unit (which must be usable).
void RunDeepLanes(TSimdUnit unit, const TDeepJob& job);

// The row routine of the deep family on the active unit, as the lane
// families' ones: the uncomputed dots of columns 0, stride, ... of the row
// with that index, counts copied into the mirror row if any.
void CalcRowDeep(const TCalcState& state, TDotRow dots, TDotRow mirror, int stride, int row);
void CalcRowDeepOn(TSimdUnit unit, const TCalcState& state, TDotRow dots, TDotRow mirror,
                   int stride, int row);
// The listed dots of a row, exactly as the row routine computes them; for
// the repair of predictions.
void CalcDotsDeep(const TCalcState& state, TDotRow dots, const int* cols, int count, int row);

// The per-unit cores, defined in perturbation_<unit>.cpp.
namespace deep_sse2 {
void Run(const TDeepJob& job, const TBlaArrays* bla);
}
namespace deep_avx2 {
void Run(const TDeepJob& job, const TBlaArrays* bla);
}
namespace deep_avx512 {
void Run(const TDeepJob& job, const TBlaArrays* bla);
}

}  // namespace vortexa
