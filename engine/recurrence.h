// A user-defined recurrence that replaces z^2 + c in the extended-precision kernels.
#pragma once

#include "dot.h"
#include "stop_flag.h"

namespace vortexa {

class TRecurrence {
 public:
  virtual ~TRecurrence() = default;

  // Same contract as IterateFPU: the smallest n >= 1 for which z(n-1) escapes
  // (|z|^2 > 4), kDotInside when none of z0 .. z(limit-1) does, or
  // kDotUncomputed when `stop` was raised first (looked at every
  // kStopLookInterval iterations). An arithmetic fault (overflow, division by
  // zero, invalid operation) throws EArithmeticError, which ends the worker
  // that met it.
  virtual TDot Iterate(long double cRe, long double cIm, long double zRe, long double zIm,
                       int limit, TStopFlag stop) const = 0;

  // True when one step commutes exactly with complex conjugation,
  // f(conj z, conj c) = conj f(z, c), in the arithmetic it uses; with a real
  // parameter its picture is then symmetric about the real axis and may be
  // mirrored. A recurrence that cannot tell is never mirrored.
  virtual bool IsConjugationSymmetric() const { return false; }
};

}  // namespace vortexa
