#include "perturbation.h"

#include <xmmintrin.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

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

// The binary exponent of a long double, read off its bits (ilogb takes a
// library call, and these are asked for on every iterate beside the
// needle's tip).
long ExponentOf(long double x) {
  static_assert(LDBL_MANT_DIG == 64, "the x87 80-bit format");
  std::uint16_t signAndExponent = 0;
  std::memcpy(&signAndExponent, reinterpret_cast<const unsigned char*>(&x) + 8,
              sizeof signAndExponent);
  return static_cast<long>(signAndExponent & 0x7FFF) - 16383;
}

// 2^exponent for a normal long double's exponent, built from its bits: ldexp
// takes a library call, and this is asked for at every iterate beside the
// needle's tip.
long double PowerOfTwo(long exponent) {
  constexpr long kBias = 16383;
  unsigned char bits[sizeof(long double)] = {};
  const std::uint64_t mantissa = std::uint64_t{1} << 63;
  const auto biased = static_cast<std::uint16_t>(exponent + kBias);
  std::memcpy(bits, &mantissa, sizeof mantissa);
  std::memcpy(bits + sizeof mantissa, &biased, sizeof biased);
  long double result = 0;
  std::memcpy(&result, bits, sizeof result);
  return result;
}

// x 2^exponent, exact unless the result leaves long double's range.
long double TimesPowerOfTwo(long double x, long exponent) {
  // Two factors of normal exponents reach any result that is a normal number
  // or a subnormal; beyond, the result is 0 or infinite anyway.
  constexpr long kHalfReach = 16000;
  const long clamped = std::clamp(exponent, -2 * kHalfReach, 2 * kHalfReach);
  const long first = clamped / 2;
  return x * PowerOfTwo(first) * PowerOfTwo(clamped - first);
}

}  // namespace

bool EscapesNearCircle(const TReferenceOrbit& orbit, int m, long double dr, long double di,
                       long scale, std::size_t& hint) {
  const double zRe = orbit.Re[m], zIm = orbit.Im[m];
  if (orbit.IsExactlyOnCircle(m)) return EscapesBesideExactCircle(zRe, zIm, dr, di, scale);
  const TNearCircle* rounding = orbit.RoundingAt(m, hint);
  // All in units of 2^scale. The difference from the doubles of Z: the
  // rounding and d, of the same order here, add up exactly.
  long double wr = dr, wi = di;
  if (rounding != nullptr) {
    const TFloatExp& re = rounding->ErrorRe;
    const TFloatExp& im = rounding->ErrorIm;
    if (re.Mantissa() != 0) wr += TimesPowerOfTwo(re.Mantissa(), re.Exponent() - scale);
    if (im.Mantissa() != 0) wi += TimesPowerOfTwo(im.Mantissa(), im.Exponent() - scale);
  }
  // |Z + w|^2 - 4 = excess + 2 Re(conj(Z) w) + |w|^2, the excess of the
  // doubles taken without cancellation near |Z| = 2.
  const long double zr = zRe, zi = zIm;
  const long double size = std::fabs(zr);
  const long double doublesExcess = (size - 2) * (size + 2) + zi * zi;
  const long double excess = doublesExcess == 0 ? 0 : TimesPowerOfTwo(doublesExcess, -scale);
  const long double cross = 2 * (zr * wr + zi * wi);
  const long double squareUnscaled = wr * wr + wi * wi;
  // A square scaled far below the cross term cannot tell.
  const bool squareCounts = scale == 0 || cross == 0 || squareUnscaled == 0 ||
                            ExponentOf(squareUnscaled) + scale > ExponentOf(cross) - 80;
  const long double square = scale == 0     ? squareUnscaled
                             : squareCounts ? TimesPowerOfTwo(squareUnscaled, scale)
                                            : 0;
  const long double total = excess + cross + square;
  if (total != 0) return total > 0;
  // On the circle's tangent, a square lost below the smallest number still
  // takes the dot out.
  return square == 0 && (wr != 0 || wi != 0);
}

// Differences below 1e-154 square to subnormals in the rebase test, and
// subnormal arithmetic runs several times slower: a third of the speed from
// 1e-154 down to 1e-300. Taken as 0 they decide the same: such a square is
// compared with |z|^2, and a z that small is met only at the reference's
// returns to 0, where the test chooses between two differences of the same
// tiny size either way; the products of the next difference are far below
// the offset they are added to.
bool TinyAsZero(const TFloatExp& step) {
  return step >= DBL_MIN;
}

namespace {

// What a double lacks of the exact value.
TFloatExp RoundingOf(TMpfr& exact, double rounded) {
  TMpfr error(static_cast<int>(mpfr_get_prec(*exact)));
  mpfr_sub_d(*error, *exact, rounded, MPFR_RNDN);
  long exponent = 0;
  const long double mantissa = mpfr_get_ld_2exp(&exponent, *error, MPFR_RNDN);
  return TFloatExp::FromParts(mantissa, exponent);
}

constexpr std::size_t kCycleReserve = std::size_t{1} << 20;

}  // namespace

std::optional<TReferenceOrbit> ComputeReferenceOrbit(const TDeepReal& centerX,
                                                     const TDeepReal& centerY, int limit, int bits,
                                                     const std::atomic<bool>* stop) {
  // Dots test z0 .. z(limit - 1); Z1 = C is kept even at limit 1, since a
  // lane that goes on from the start steps to it.
  const int last = std::max(limit - 1, 1);
  TReferenceOrbit orbit;
  // Above the narrow limits a centre inside the set would need an orbit of
  // up to 1.6 GB; one that settles on a cycle ends after a whole period
  // repeats, and the rest is grown as it comes.
  const bool cycles = NeedsWideDots(limit);
  const std::size_t reserved = static_cast<std::size_t>(last) + 2;
  orbit.Re.reserve(cycles ? std::min<std::size_t>(reserved, kCycleReserve) : reserved);
  orbit.Im.reserve(orbit.Re.capacity());
  TCycleSearch cycle;
  TMpfr cRe(bits), cIm(bits), zRe(bits), zIm(bits), re2(bits), im2(bits), reIm(bits);
  mpfr_set(*cRe, centerX.Get(), MPFR_RNDN);
  mpfr_set(*cIm, centerY.Get(), MPFR_RNDN);
  mpfr_set_zero(*zRe, 1);
  mpfr_set_zero(*zIm, 1);
  orbit.Re.push_back(0);
  orbit.Im.push_back(0);
  orbit.ExactlyOnCircle.push_back(false);
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
    const double norm = re * re + im * im;
    bool exactlyOnCircle = false;
    if (std::fabs(norm - 4) < kNearCircleKept) {
      const TNearCircle kept{n, RoundingOf(zRe, re), RoundingOf(zIm, im)};
      orbit.NearCircle.push_back(kept);
      exactlyOnCircle =
          kept.Exact() && ((im == 0 && std::fabs(re) == 2) || (re == 0 && std::fabs(im) == 2));
    }
    orbit.ExactlyOnCircle.push_back(exactlyOnCircle);
    // An escaped reference cannot lead a dot further; dots go on from Z0.
    if (norm > 4) break;
    if (cycles) {
      orbit.Period = cycle.Step(orbit, n);
      if (orbit.Period != 0) break;
    }
  }
  orbit.Last = std::min(n, last);
  orbit.Re.push_back(0);
  orbit.Im.push_back(0);
  orbit.ExactlyOnCircle.push_back(false);
  return orbit;
}

namespace {

// Steps taken (single or merged) and iterates done by one dot, up to a number
// of steps.
struct TStepTally {
  int MaxSteps;
  int Steps = 0;
  long Iterates = 0;
};

// |Z(m) + d|^2 > 4 for d = (dr, di) 2^scale, given zz, that |z|^2 in doubles
// (or Z's alone where d is far below it): near 4 the exact excess decides.
template <typename Real>
[[gnu::always_inline]] inline bool Escapes(Real zz, const TReferenceOrbit& orbit, int m, Real dr,
                                           Real di, std::size_t& hint, long scale = 0) {
  if (!(std::fabs(zz - 4) <= kNearCircle)) return zz > 4;
  // At the needle's tip Z is 2 for ever, exactly: asked at every iterate.
  if (orbit.IsExactlyOnCircle(m))
    return EscapesBesideExactCircle(orbit.Re[m], orbit.Im[m], dr, di, scale);
  return EscapesNearCircle(orbit, m, dr, di, scale, hint);
}

// IteratePerturbed; with a tally, the dot stops (as if inside) after
// tally->MaxSteps steps.
TDot Perturbed(const TReferenceOrbit& orbit, double dcRe, double dcIm, int limit,
               const TBlaTable* bla, TStepTally* tally, TStopFlag stop) {
  double dr = 0, di = 0;
  int m = 0;
  std::size_t nearCircle = 0;  // where the orbit's roundings were last looked up
  for (int n = 1, steps = 1;; ++steps) {
    const double zr = orbit.Re[m] + dr;
    const double zi = orbit.Im[m] + di;
    const double zz = zr * zr + zi * zi;
    if (Escapes<double>(zz, orbit, m, dr, di, nearCircle)) return static_cast<TDot>(n);
    if (n == limit) return kDotInside;
    if (StopDue(steps, stop)) return kDotUncomputed;
    if (tally) {
      tally->Iterates = n;
      tally->Steps = steps;
      if (steps > tally->MaxSteps) return kDotInside;
    }
    const double dd = dr * dr + di * di;
    // Near 0 the dot is closer to the orbit's start than to Z(m): going on
    // from there keeps the difference small, so one reference serves all.
    if (zz < dd || (bla ? bla->PastTheEnd(m) : PastTheEnd(orbit, m))) {
      dr = zr;
      di = zi;
      m = 0;
    } else if (bla && (steps - 1) % kBlaMergeEvery == 0) {
      // The longest valid step that ends by the limit, if any.
      int level = 0, index = -1;
      for (int l = 1; l <= bla->MaxLevels && (1 << l) <= limit - n; ++l) {
        const int at = bla->Index(m, l);
        if (at < 0 || !(dd < bla->Radius2(m, l))) break;
        level = l;
        index = at;
      }
      if (level > 0) {
        const TBlaStep& s = bla->Steps[index];
        const double nr = (s.ARe * dr - s.AIm * di) + (s.BRe * dcRe - s.BIm * dcIm);
        di = (s.ARe * di + s.AIm * dr) + (s.BRe * dcIm + s.BIm * dcRe);
        dr = nr;
        m = bla->Wrap(m + (1 << level));
        n += 1 << level;
        continue;
      }
    }
    const double wr = (orbit.Re[m] + orbit.Re[m]) + dr;
    const double wi = (orbit.Im[m] + orbit.Im[m]) + di;
    const double nr = (wr * dr - wi * di) + dcRe;
    di = (wr * di + wi * dr) + dcIm;
    dr = nr;
    m = bla ? bla->Wrap(m + 1) : NextIterate(orbit, m);
    ++n;
  }
}

}  // namespace

TDot IteratePerturbed(const TReferenceOrbit& orbit, double dcRe, double dcIm, int limit,
                      const TBlaTable* bla, TStopFlag stop) {
  return Perturbed(orbit, dcRe, dcIm, limit, bla, nullptr, stop);
}

double MergedIteratesPerStep(const TCalcState& state) {
  // An 8 x 8 lattice over the picture, each dot for its first 4096 steps
  // at most: a few milliseconds, beside the tens that the table takes.
  constexpr int kSide = 8;
  constexpr int kMaxSteps = 4096;
  if (state.GridWidth <= 0 || state.GridHeight <= 0) return 0;
  long iterates = 0, steps = 0;
  for (int i = 0; i < kSide; ++i)
    for (int j = 0; j < kSide; ++j) {
      const int col = (2 * i + 1) * state.GridWidth / (2 * kSide);
      const int row = (2 * j + 1) * state.GridHeight / (2 * kSide);
      TStepTally tally{kMaxSteps};
      Perturbed(state.Reference, state.ColDc[col], state.RowDc(row), state.Limit, &state.Bla,
                &tally, nullptr);
      iterates += tally.Iterates;
      steps += tally.Steps;
    }
  return steps > 0 ? static_cast<double>(iterates) / static_cast<double>(steps) : 0;
}

namespace {

// A dot of a view with wide offsets passes through three stages, each where
// its arithmetic is exact and fast enough:
// - Wide: long double throughout, where the orbit is at or near 0 (the
//   start, a rebase) and the square of the difference counts;
// - Scaled: a difference below 2^-480 beside an orbit clear of 0, whose
//   square is far below its last bit: the linear step d' = 2 Z(m) d + dc in
//   doubles;
// - Double: a difference of 2^-480 or more, where the offset lies far below
//   its last bit and is left out.
// The first two carry the difference and the offset as mantissas times powers
// of two of their own, so a view goes as deep as those exponents reach, far
// below long double's smallest number; scaling by a power of two is exact, so
// wherever long double would do, they round as it would.
// Every stage hands the dot on where its tests are due; the next one makes
// them again and steps at least once, so no two stages pass a dot to and fro.
enum class TWideStage { Wide, Scaled, Double, Done };

// The difference is (Dr, Di) 2^Scale.
struct TWideDot {
  long double Dr = 0, Di = 0;
  long Scale = 0;
  int M = 0;
  int N = 1;
  TDot Count = 0;  // once Done
};

// The dot's offset is (Re, Im) 2^Exponent, the larger part in [1, 2) (or 0).
struct TWideOffset {
  long double Re, Im;
  long Exponent;
};

TWideOffset WideOffset(long double re, long double im, long exponent) {
  const long double size = std::max(std::fabs(re), std::fabs(im));
  if (size == 0) return {0, 0, exponent};
  const int shift = std::ilogb(size);
  return {std::ldexp(re, -shift), std::ldexp(im, -shift), exponent + shift};
}

// The binary exponent of the larger part of (r, i) 2^scale, which is not 0.
long SizeExponent(long double r, long double i, long scale) {
  return std::ilogb(std::max(std::fabs(r), std::fabs(i))) + scale;
}

// |d|^2 from which doubles carry the dot: its square stays a normal double,
// and offsets of views with wide offsets (at most 1e-295 for pictures 100000
// dots wide) lie some 2^-500 below it.
constexpr double kDoubleReach = 0x1p-960;
constexpr long kDoubleReachExponent = -480;
// |Z|^2 from which a difference below 2^-480 is less than 2^-80 of Z: its
// square, and its part in the escape and rebase tests, are lost below Z's last
// bit.
constexpr double kClearOfZero = 0x1p-800;

// Parts below 2^-6000 square to less than a long double holds, and the x87
// takes some hundred cycles for every such underflow: their squares count as
// 0 beside Z's, and the rebase test compares differences scaled.
long double SquareOf(long double x) {
  constexpr long double kSquareSafe = 0x1p-6000L;
  return std::fabs(x) < kSquareSafe ? 0 : x * x;
}

// The difference rescaled so that its larger part lies in [1, 2), or, while it
// is far below the offset, to the offset's scale.
void Normalise(long double& dr, long double& di, long& scale, long offsetExponent) {
  const long next =
      dr == 0 && di == 0 ? offsetExponent : std::max(SizeExponent(dr, di, scale), offsetExponent);
  dr = TimesPowerOfTwo(dr, scale - next);
  di = TimesPowerOfTwo(di, scale - next);
  scale = next;
}

// Whether |Z + d| < |d| for d = (dr, di) 2^scale, the rebase test: in units of
// 2^scale, unless Z is so much larger than d that it cannot be.
bool CloserToStart(long double zr, long double zi, long double dr, long double di, long scale) {
  if ((zr == 0 && zi == 0) || (dr == 0 && di == 0)) return false;
  if (SizeExponent(zr, zi, 0) > SizeExponent(dr, di, scale) + 1) return false;  // |Z| >= 2 |d|
  const long double sr = TimesPowerOfTwo(zr, -scale) + dr;
  const long double si = TimesPowerOfTwo(zi, -scale) + di;
  return sr * sr + si * si < dr * dr + di * di;
}

// d := Z + d, the rebase, in a scale that holds both.
void TakeWholeValue(long double zr, long double zi, long double& dr, long double& di, long& scale) {
  const long next = zr == 0 && zi == 0 ? scale : std::max(scale, SizeExponent(zr, zi, 0));
  dr = TimesPowerOfTwo(zr, -next) + TimesPowerOfTwo(dr, scale - next);
  di = TimesPowerOfTwo(zi, -next) + TimesPowerOfTwo(di, scale - next);
  scale = next;
}

TWideStage StepWide(const TReferenceOrbit& orbit, const TWideOffset& dc, int limit, TStopFlag stop,
                    TWideDot& dot) {
  long double dr = dot.Dr, di = dot.Di;
  long scale = dot.Scale;
  int m = dot.M, n = dot.N;
  std::size_t nearCircle = 0;  // where the orbit's roundings were last looked up
  TWideStage next = TWideStage::Done;
  for (;;) {
    Normalise(dr, di, scale, dc.Exponent);
    const long double zRe = orbit.Re[m], zIm = orbit.Im[m];
    // The difference itself: 0 where it lies below long double's reach, and
    // then lost beside Z (or, at Z = 0, beside the offset).
    const long double ddr = TimesPowerOfTwo(dr, scale);
    const long double ddi = TimesPowerOfTwo(di, scale);
    const long double zr = zRe + ddr;
    const long double zi = zIm + ddi;
    if (Escapes<long double>(SquareOf(zr) + SquareOf(zi), orbit, m, dr, di, nearCircle, scale)) {
      dot.Count = static_cast<TDot>(n);
      return TWideStage::Done;
    }
    if (n == limit) {
      dot.Count = kDotInside;
      return TWideStage::Done;
    }
    if (StopDue(n, stop)) {
      dot.Count = kDotUncomputed;
      return TWideStage::Done;
    }
    if (PastTheEnd(orbit, m) || CloserToStart(zRe, zIm, dr, di, scale)) {
      TakeWholeValue(zRe, zIm, dr, di, scale);
      m = 0;
    } else if ((dr != 0 || di != 0) && SizeExponent(dr, di, scale) >= kDoubleReachExponent) {
      next = TWideStage::Double;
      break;
    } else if (orbit.Re[m] * orbit.Re[m] + orbit.Im[m] * orbit.Im[m] >= kClearOfZero) {
      next = TWideStage::Scaled;
      break;
    }
    const long double wr = (zRe + zRe) + ddr;
    const long double wi = (zIm + zIm) + ddi;
    const long double nr = (wr * dr - wi * di) + TimesPowerOfTwo(dc.Re, dc.Exponent - scale);
    di = (wr * di + wi * dr) + TimesPowerOfTwo(dc.Im, dc.Exponent - scale);
    dr = nr;
    m = NextIterate(orbit, m);
    ++n;
  }
  dot = {dr, di, scale, m, n};
  return next;
}

TWideStage StepScaled(const TReferenceOrbit& orbit, const TWideOffset& dc, int limit,
                      TStopFlag stop, TWideDot& dot) {
  // The difference is w 2^scale, with w kept below 2^256: its exponent runs
  // far below a double's, its mantissa is a double's.
  constexpr double kRescaleAbove = 0x1p512;  // |w|^2
  constexpr double kRescale = 0x1p-256;
  constexpr double kLostBelow = 0x1p-512;  // |w|^2 that loses bits as it shrinks
  long scale = dot.Dr == 0 && dot.Di == 0
                   ? dc.Exponent
                   : std::max(SizeExponent(dot.Dr, dot.Di, dot.Scale), dc.Exponent);
  // |w|^2 at which the difference is within doubles' reach.
  const auto reachedAt = [&scale] {
    const long exponent = -960 - 2 * scale;
    return exponent > 1023 ? HUGE_VAL : std::ldexp(1.0, static_cast<int>(exponent));
  };
  double wr = static_cast<double>(TimesPowerOfTwo(dot.Dr, dot.Scale - scale));
  double wi = static_cast<double>(TimesPowerOfTwo(dot.Di, dot.Scale - scale));
  double fr = std::ldexp(static_cast<double>(dc.Re), static_cast<int>(dc.Exponent - scale));
  double fi = std::ldexp(static_cast<double>(dc.Im), static_cast<int>(dc.Exponent - scale));
  double reached = reachedAt();
  int m = dot.M, n = dot.N;
  std::size_t nearCircle = 0;  // where the orbit's roundings were last looked up
  TWideStage next = TWideStage::Wide;
  for (;;) {
    const double zr = orbit.Re[m], zi = orbit.Im[m];
    const double zz = zr * zr + zi * zi;
    if (Escapes<long double>(zz, orbit, m, wr, wi, nearCircle, scale)) {
      dot.Count = static_cast<TDot>(n);
      return TWideStage::Done;
    }
    if (n == limit) {
      dot.Count = kDotInside;
      return TWideStage::Done;
    }
    if (StopDue(n, stop)) {
      dot.Count = kDotUncomputed;
      return TWideStage::Done;
    }
    if (PastTheEnd(orbit, m) || zz < kClearOfZero) break;
    const double nr = ((zr + zr) * wr - (zi + zi) * wi) + fr;
    wi = ((zr + zr) * wi + (zi + zi) * wr) + fi;
    wr = nr;
    m = NextIterate(orbit, m);
    ++n;
    const double ww = wr * wr + wi * wi;
    if (ww >= reached) {
      next = TWideStage::Double;
      break;
    }
    if (ww > kRescaleAbove) {
      wr *= kRescale;
      wi *= kRescale;
      fr *= kRescale;
      fi *= kRescale;
      scale += 256;
      reached = reachedAt();
    } else if (ww < kLostBelow) {
      break;
    }
  }
  dot = {wr, wi, scale, m, n};
  return next;
}

TWideStage StepDouble(const TReferenceOrbit& orbit, int limit, TStopFlag stop, TWideDot& dot) {
  double r = static_cast<double>(TimesPowerOfTwo(dot.Dr, dot.Scale));
  double i = static_cast<double>(TimesPowerOfTwo(dot.Di, dot.Scale));
  int m = dot.M, n = dot.N;
  std::size_t nearCircle = 0;  // where the orbit's roundings were last looked up
  for (;;) {
    const double zr = orbit.Re[m] + r;
    const double zi = orbit.Im[m] + i;
    const double zz = zr * zr + zi * zi;
    if (Escapes<long double>(zz, orbit, m, r, i, nearCircle)) {
      dot.Count = static_cast<TDot>(n);
      return TWideStage::Done;
    }
    if (n == limit) {
      dot.Count = kDotInside;
      return TWideStage::Done;
    }
    if (StopDue(n, stop)) {
      dot.Count = kDotUncomputed;
      return TWideStage::Done;
    }
    if (zz < r * r + i * i || PastTheEnd(orbit, m)) {
      r = zr;
      i = zi;
      m = 0;
      if (zz < kDoubleReach) break;
    }
    const double wr = (orbit.Re[m] + orbit.Re[m]) + r;
    const double wi = (orbit.Im[m] + orbit.Im[m]) + i;
    const double nr = wr * r - wi * i;
    i = wr * i + wi * r;
    r = nr;
    m = NextIterate(orbit, m);
    ++n;
  }
  dot = {r, i, 0, m, n};
  return TWideStage::Wide;
}

}  // namespace

TDot IteratePerturbedWide(const TReferenceOrbit& orbit, long double dcRe, long double dcIm,
                          long dcExponent, int limit, TStopFlag stop) {
  const TWideOffset dc = WideOffset(dcRe, dcIm, dcExponent);
  TWideDot dot;
  TWideStage stage = TWideStage::Wide;
  while (stage != TWideStage::Done) {
    switch (stage) {
      case TWideStage::Wide:
        stage = StepWide(orbit, dc, limit, stop, dot);
        break;
      case TWideStage::Scaled:
        stage = StepScaled(orbit, dc, limit, stop, dot);
        break;
      case TWideStage::Double:
        stage = StepDouble(orbit, limit, stop, dot);
        break;
      case TWideStage::Done:
        break;
    }
  }
  return dot.Count;
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
        const TDot count =
            IteratePerturbed(*job.Orbit, job.DcRe[i], job.DcIm, job.Limit, job.Bla, job.Stop);
        job.Row.Store(job.Cols[i], count);
        if (job.Mirror) job.Mirror.Store(job.Cols[i], count);
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

namespace {

// The listed dots of a row of a view that needs wide offsets, one by one;
// stops between two dots when the command is stopped.
void CalcDotsWide(const TCalcState& state, TDotRow dots, TDotRow mirror, const int* cols, int count,
                  int row) {
  // Whole dots times the step's mantissa, with its exponent apart.
  const long double step = state.Step.Mantissa();
  const long double dcIm = state.PictureRow(row) * step;
  for (int i = 0; i < count; ++i) {
    if (state.StopRequested()) return;
    const long double dcRe = (cols[i] - state.GridWidth / 2) * step;
    const TDot dot = IteratePerturbedWide(state.Reference, dcRe, dcIm, state.Step.Exponent(),
                                          state.Limit, &state.StopFlag);
    dots.Store(cols[i], dot);
    if (mirror) mirror.Store(cols[i], dot);
  }
}

}  // namespace

void CalcRowDeepOn(TSimdUnit unit, const TCalcState& state, TDotRow dots, TDotRow mirror,
                   int stride, int row) {
  const int width = state.GridWidth;
  if (width <= 0) return;
  TDeepRowBuffers& buf = DeepRowBuffers();
  buf.Reserve(static_cast<std::size_t>((width - 1) / stride + 1));
  const int count = GatherUncomputedDouble(dots, width, stride, state.ColDc.data(), buf.Cols.data(),
                                           buf.DcRe.data());
  if (count == 0) return;
  if (NeedsWideOffsets(state.Step)) {
    CalcDotsWide(state, dots, mirror, buf.Cols.data(), count, row);
    return;
  }
  RunDeepLanes(unit, TDeepJob{&state.Reference, buf.DcRe.data(), state.RowDc(row), count,
                              state.Limit, dots, buf.Cols.data(), mirror, &state.StopFlag,
                              TinyAsZero(state.Step), state.UseBla ? &state.Bla : nullptr});
}

void CalcRowDeep(const TCalcState& state, TDotRow dots, TDotRow mirror, int stride, int row) {
  CalcRowDeepOn(ActiveSimdUnit(), state, dots, mirror, stride, row);
}

void CalcDotsDeep(const TCalcState& state, TDotRow dots, const int* cols, int count, int row) {
  if (NeedsWideOffsets(state.Step)) {
    CalcDotsWide(state, dots, {}, cols, count, row);
    return;
  }
  TDeepRowBuffers& buf = DeepRowBuffers();
  buf.Reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    buf.DcRe[i] = state.ColDc[cols[i]];
  RunDeepLanes(ActiveSimdUnit(), TDeepJob{&state.Reference,
                                          buf.DcRe.data(),
                                          state.RowDc(row),
                                          count,
                                          state.Limit,
                                          dots,
                                          cols,
                                          {},
                                          nullptr,
                                          TinyAsZero(state.Step),
                                          state.UseBla ? &state.Bla : nullptr});
}

}  // namespace vortexa
