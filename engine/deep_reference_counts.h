// The extended family's count definition iterated plainly with MPFR, at a
// dot given as an exact decimal centre plus whole dots: what the deep family
// must reproduce. Slow (a few microseconds per iteration); tests sample.
#pragma once

#include <mpfr.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "dot.h"
#include "float_exp.h"

namespace vortexa::test_support {

class TMpfrValue {
 public:
  explicit TMpfrValue(int bits) { mpfr_init2(FValue, bits); }
  ~TMpfrValue() { mpfr_clear(FValue); }
  TMpfrValue(const TMpfrValue&) = delete;
  TMpfrValue& operator=(const TMpfrValue&) = delete;
  mpfr_ptr operator*() { return FValue; }

 private:
  mpfr_t FValue;
};

// Bits for a reference at dot size `step`: the step's binary exponent, 96 bits
// beyond it for the iteration's growth of rounding errors, and never fewer
// than 160.
inline int ReferenceBits(const TFloatExp& step) {
  return std::max(160, static_cast<int>(-step.Exponent()) + 96);
}

// The smallest n >= 1 for which z(n-1) escapes (|z|^2 > 4) from z0 = 0 at
// c = (centerX + dx * step * scale, centerY + dy * step * scale), every
// operation in MPFR at `bits`; kDotInside when none of z0 .. z(limit-1) does.
inline TDot ReferenceDeep(const std::string& centerX, const std::string& centerY,
                          const TFloatExp& step, long dx, long dy, int limit, int bits,
                          double scale = 1) {
  TMpfrValue cRe(bits), cIm(bits), offset(bits), zRe(bits), zIm(bits), re2(bits), im2(bits),
      t(bits), norm(bits);
  mpfr_set_str(*cRe, centerX.c_str(), 10, MPFR_RNDN);
  mpfr_set_str(*cIm, centerY.c_str(), 10, MPFR_RNDN);
  // A whole number times a 64-bit step is exact in these bits.
  const auto setStep = [&] {
    mpfr_set_ld(*offset, step.Mantissa(), MPFR_RNDN);
    mpfr_mul_2si(*offset, *offset, step.Exponent(), MPFR_RNDN);
  };
  setStep();
  mpfr_mul_si(*offset, *offset, dx, MPFR_RNDN);
  mpfr_mul_d(*offset, *offset, scale, MPFR_RNDN);
  mpfr_add(*cRe, *cRe, *offset, MPFR_RNDN);
  setStep();
  mpfr_mul_si(*offset, *offset, dy, MPFR_RNDN);
  mpfr_mul_d(*offset, *offset, scale, MPFR_RNDN);
  mpfr_add(*cIm, *cIm, *offset, MPFR_RNDN);
  mpfr_set_zero(*zRe, 1);
  mpfr_set_zero(*zIm, 1);
  for (int n = 1; n <= limit; ++n) {
    mpfr_sqr(*re2, *zRe, MPFR_RNDN);
    mpfr_sqr(*im2, *zIm, MPFR_RNDN);
    mpfr_add(*norm, *re2, *im2, MPFR_RNDN);
    if (mpfr_cmp_ui(*norm, 4) > 0) return static_cast<TDot>(n);
    mpfr_mul(*t, *zRe, *zIm, MPFR_RNDN);
    mpfr_sub(*zRe, *re2, *im2, MPFR_RNDN);
    mpfr_add(*zRe, *zRe, *cRe, MPFR_RNDN);
    mpfr_mul_2ui(*zIm, *t, 1, MPFR_RNDN);
    mpfr_add(*zIm, *zIm, *cIm, MPFR_RNDN);
  }
  return kDotInside;
}

}  // namespace vortexa::test_support
