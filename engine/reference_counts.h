// The count definitions of the kernel families written out plainly, for
// tests to check the engine against; nothing here is shared with the kernels.
#pragma once

#include "dot.h"

namespace vortexa::test_support {

// Extended family: the smallest n >= 1 for which z(n-1) escapes, testing the
// start value z0 first.
inline TDot ReferenceExtended(long double cRe, long double cIm, long double zRe = 0,
                              long double zIm = 0, int limit = 1) {
  for (int n = 1; n <= limit; ++n) {
    const long double re2 = zRe * zRe, im2 = zIm * zIm;
    if (re2 + im2 > 4) return static_cast<TDot>(n);
    const long double t = zRe * zIm;
    zRe = (re2 - im2) + cRe;
    zIm = (t + t) + cIm;
  }
  return kDotInside;
}

// Mandelbrot recurrence from z0 = 0.
inline TDot ReferenceExtended(long double cRe, long double cIm, int limit) {
  return ReferenceExtended(cRe, cIm, 0, 0, limit);
}

// Lane families in single or double precision: z1 = c is tested first; the
// smallest k >= 1 for which zk escapes, where NaN and infinity escape.
template <typename Real>
TDot ReferenceLane(Real cRe, Real cIm, int limit) {
  Real re = cRe, im = cIm;
  for (int k = 1; k <= limit; ++k) {
    const Real re2 = re * re, im2 = im * im;
    if (!(re2 + im2 <= Real(4))) return static_cast<TDot>(k);
    const Real t = re * im;
    re = (re2 - im2) + cRe;
    im = (t + t) + cIm;
  }
  return kDotInside;
}

}  // namespace vortexa::test_support
