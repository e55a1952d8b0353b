#include "perturbation.h"

#include <xmmintrin.h>

#include <algorithm>
#include <cfloat>
#include <vector>

#include "bla_steps.h"

namespace vortexa {

namespace {

// mpfr_t with its lifetime tied to a scope.
class TMpfr {
 public:
  explicit TMpfr(int bits) { mpfr_init2(FValue, bits); }
  ~TMpfr() { mpfr_clear(FValue); }
  TMpfr(const TMpfr&) = delete;
  TMpfr& operator=(const TMpfr&) = delete;
  mpfr_ptr operator*() { return FValue; }

 private:
  mpfr_t FValue;
};

// The flush-to-zero and denormals-are-zero modes of the SSE/AVX unit for a
// scope, when asked for; the previous modes come back at its end.
class TTinyAsZeroScope {
 public:
  explicit TTinyAsZeroScope(bool on) : FSaved(_mm_getcsr()) {
    if (on) _mm_setcsr(FSaved | kFlushToZero | kDenormalsAreZero);
  }
  ~TTinyAsZeroScope() { _mm_setcsr(FSaved); }
  TTinyAsZeroScope(const TTinyAsZeroScope&) = delete;
  TTinyAsZeroScope& operator=(const TTinyAsZeroScope&) = delete;

 private:
  static constexpr unsigned kFlushToZero = 0x8000;
  static constexpr unsigned kDenormalsAreZero = 0x0040;
  unsigned FSaved;
};

}  // namespace

// Differences below 1e-154 square to subnormals in the rebase test, and
// subnormal arithmetic runs several times slower: a third of the speed from
// 1e-154 down to 1e-300. Taken as 0 they decide the same: such a square is
// compared with |z|^2, and a z that small is met only at the reference's
// returns to 0, where the test chooses between two differences of the same
// tiny size either way; the products of the next difference are far below
// the offset they are added to.
bool TinyAsZero(long double step) {
  return step >= DBL_MIN;
}

std::optional<TReferenceOrbit> ComputeReferenceOrbit(const TDeepReal& centerX,
                                                     const TDeepReal& centerY, int limit, int bits,
                                                     const std::atomic<bool>* stop) {
  // Dots test z0 .. z(limit - 1); Z1 = C is kept even at limit 1, since a
  // lane that goes on from the start steps to it.
  const int last = std::max(limit - 1, 1);
  TReferenceOrbit orbit;
  orbit.Re.reserve(static_cast<std::size_t>(last) + 2);
  orbit.Im.reserve(static_cast<std::size_t>(last) + 2);
  TMpfr cRe(bits), cIm(bits), zRe(bits), zIm(bits), re2(bits), im2(bits), reIm(bits);
  mpfr_set(*cRe, centerX.Get(), MPFR_RNDN);
  mpfr_set(*cIm, centerY.Get(), MPFR_RNDN);
  mpfr_set_zero(*zRe, 1);
  mpfr_set_zero(*zIm, 1);
  orbit.Re.push_back(0);
  orbit.Im.push_back(0);
  int n = 1;
  for (; n <= last; ++n) {
    if (stop && stop->load(std::memory_order_relaxed)) return std::nullopt;
    mpfr_sqr(*re2, *zRe, MPFR_RNDN);
    mpfr_sqr(*im2, *zIm, MPFR_RNDN);
    mpfr_mul(*reIm, *zRe, *zIm, MPFR_RNDN);
    mpfr_sub(*zRe, *re2, *im2, MPFR_RNDN);
    mpfr_add(*zRe, *zRe, *cRe, MPFR_RNDN);
    mpfr_mul_2ui(*zIm, *reIm, 1, MPFR_RNDN);
    mpfr_add(*zIm, *zIm, *cIm, MPFR_RNDN);
    const double re = mpfr_get_d(*zRe, MPFR_RNDN);
    const double im = mpfr_get_d(*zIm, MPFR_RNDN);
    orbit.Re.push_back(re);
    orbit.Im.push_back(im);
    // An escaped reference cannot lead a dot further; dots go on from Z0.
    if (re * re + im * im > 4) break;
  }
  orbit.Last = std::min(n, last);
  orbit.Re.push_back(0);
  orbit.Im.push_back(0);
  return orbit;
}

TDot IteratePerturbed(const TReferenceOrbit& orbit, double dcRe, double dcIm, int limit,
                      const TBlaTable* bla) {
  double dr = 0, di = 0;
  int m = 0;
  for (int n = 1;;) {
    const double zr = orbit.Re[m] + dr;
    const double zi = orbit.Im[m] + di;
    const double zz = zr * zr + zi * zi;
    if (zz > 4) return static_cast<TDot>(n);
    if (n == limit) return kDotInside;
    const double dd = dr * dr + di * di;
    // Near 0 the dot is closer to the orbit's start than to Z(m): going on
    // from there keeps the difference small, so one reference serves all.
    if (zz < dd || m >= orbit.Last) {
      dr = zr;
      di = zi;
      m = 0;
    } else if (bla) {
      TBlaDot dot{dr, di, m, n};
      if (TakeMergedSteps(bla->Arrays(), limit, dcRe, dcIm, dot)) {
        dr = dot.Dr;
        di = dot.Di;
        m = dot.M;
        n = dot.N;
        continue;
      }
    }
    const double wr = (orbit.Re[m] + orbit.Re[m]) + dr;
    const double wi = (orbit.Im[m] + orbit.Im[m]) + di;
    const double nr = (wr * dr - wi * di) + dcRe;
    di = (wr * di + wi * dr) + dcIm;
    dr = nr;
    ++m;
    ++n;
  }
}

void RunDeepLanes(TSimdUnit unit, const TDeepJob& job) {
  const TTinyAsZeroScope tiny(job.TinyAsZero);
  TBlaArrays arrays{};
  if (job.Bla) arrays = job.Bla->Arrays();
  const TBlaArrays* bla = job.Bla ? &arrays : nullptr;
  switch (unit) {
    case TSimdUnit::Avx512:
      deep_avx512::Run(job, bla);
      return;
    case TSimdUnit::Avx2:
      deep_avx2::Run(job, bla);
      return;
    case TSimdUnit::Sse2:
      deep_sse2::Run(job, bla);
      return;
    case TSimdUnit::Scalar:
      for (int i = 0; i < job.Count; ++i) {
        if (job.Stop && __atomic_load_n(job.Stop, __ATOMIC_RELAXED)) return;
        const TDot count = IteratePerturbed(*job.Orbit, job.DcRe[i], job.DcIm, job.Limit, job.Bla);
        StoreDot(job.Row[job.Cols[i]], count);
        if (job.Mirror) StoreDot(job.Mirror[job.Cols[i]], count);
      }
      return;
  }
}

namespace {

// Per-thread buffers of the row routines, kept between rows.
struct TDeepRowBuffers {
  std::vector<int> Cols;
  std::vector<double> DcRe;

  void Reserve(std::size_t points) {
    if (Cols.size() >= points) return;
    Cols.resize(points);
    DcRe.resize(points);
  }
};

TDeepRowBuffers& DeepRowBuffers() {
  thread_local TDeepRowBuffers buffers;
  return buffers;
}

}  // namespace

void CalcRowDeepOn(TSimdUnit unit, const TCalcState& state, TDot* dots, TDot* mirror, int stride,
                   int row) {
  const int width = state.GridWidth;
  if (width <= 0) return;
  TDeepRowBuffers& buf = DeepRowBuffers();
  buf.Reserve(static_cast<std::size_t>((width - 1) / stride + 1));
  const int count = GatherUncomputedDouble(dots, width, stride, state.ColDc.data(), buf.Cols.data(),
                                           buf.DcRe.data());
  if (count == 0) return;
  RunDeepLanes(unit, TDeepJob{&state.Reference, buf.DcRe.data(), state.RowDc(row), count,
                              state.Limit, dots, buf.Cols.data(), mirror, &state.StopFlag,
                              TinyAsZero(state.Step), state.UseBla ? &state.Bla : nullptr});
}

void CalcRowDeep(const TCalcState& state, TDot* dots, TDot* mirror, int stride, int row) {
  CalcRowDeepOn(ActiveSimdUnit(), state, dots, mirror, stride, row);
}

void CalcDotsDeep(const TCalcState& state, TDot* dots, const int* cols, int count, int row) {
  TDeepRowBuffers& buf = DeepRowBuffers();
  buf.Reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    buf.DcRe[i] = state.ColDc[cols[i]];
  RunDeepLanes(
      ActiveSimdUnit(),
      TDeepJob{&state.Reference, buf.DcRe.data(), state.RowDc(row), count, state.Limit, dots, cols,
               nullptr, nullptr, TinyAsZero(state.Step), state.UseBla ? &state.Bla : nullptr});
}

}  // namespace vortexa
