// The reference orbit of the deep family: the iterates of the view centre,
// computed with as many bits as the view needs and kept in double precision,
// in which the dots' small differences from it are iterated.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "float_exp.h"

namespace vortexa {

// What the doubles of Z(M) lack of the exact orbit: near the escape circle
// that rounding may be as large as a dot's difference, and put the dot on the
// wrong side of the circle.
struct TNearCircle {
  int M;
  TFloatExp ErrorRe, ErrorIm;
  bool Exact() const { return ErrorRe.Mantissa() == 0 && ErrorIm.Mantissa() == 0; }
};

struct TReferenceOrbit {
  // Z0 = 0, Z1 = C, ... up to and including the first iterate that escapes
  // (|Z|^2 > 4) or Z(limit - 1), whichever comes first; one spare Z = 0 after
  // it, so a lane that steps past the end never reads outside.
  std::vector<double> Re;
  std::vector<double> Im;
  // Index of the last iterate: a dot that reaches it continues from Z0,
  // unless the orbit has settled on a cycle.
  int Last = 0;
  // Non-zero when the orbit has settled on a cycle of this many iterates: in
  // doubles the last Period + 1 iterates repeat those Period before them, so
  // the orbit goes on past Last as it went on past Last - Period. Only orbits
  // of limits above 65000 are cut short so.
  int Period = 0;
  // The iterates whose |Z|^2 in doubles lies within kNearCircleKept of 4, in
  // order, with their rounding (beside the needle's tip Z stays near 2 for
  // ever, and the dots there differ from it by less than its last bit).
  std::vector<TNearCircle> NearCircle;

  // The rounding of Z(m) where kept, else none. `hint` keeps the index of the
  // last one asked for: a dot asks for one iterate after another.
  const TNearCircle* RoundingAt(int m, std::size_t& hint) const {
    for (std::size_t at : {hint, hint + 1})
      if (at < NearCircle.size() && NearCircle[at].M == m) return &NearCircle[hint = at];
    const auto kept = std::lower_bound(NearCircle.begin(), NearCircle.end(), m,
                                       [](const TNearCircle& e, int at) { return e.M < at; });
    hint = static_cast<std::size_t>(kept - NearCircle.begin());
    return kept != NearCircle.end() && kept->M == m ? &*kept : nullptr;
  }
  // Per iterate: whether Z(m) is exactly 2, -2, 2i or -2i, the only doubles
  // on the escape circle, and the exact orbit too (at the needle's tip it is 2
  // for ever, and this is asked at every iterate).
  std::vector<bool> ExactlyOnCircle;
  bool IsExactlyOnCircle(int m) const {
    const auto at = static_cast<std::size_t>(m);
    return at < ExactlyOnCircle.size() && ExactlyOnCircle[at];
  }
};

inline constexpr double kNearCircleKept = 0x1p-30;

// Brent's search for the cycle an orbit settles on, in its doubles: the
// iterate at each power of two is kept, and a later iterate equal to it names
// a period, taken once a whole period of iterates has repeated.
class TCycleSearch {
 public:
  // After iterate n has been added: the period found, or 0.
  int Step(const TReferenceOrbit& orbit, int n) {
    if (FPeriod != 0) {
      if (!SameAt(orbit, n, n - FPeriod)) {
        FPeriod = 0;
      } else if (++FMatched > FPeriod) {
        return FPeriod;
      }
    }
    if (FPeriod == 0 && SameAt(orbit, n, FSaved)) {
      FPeriod = n - FSaved;
      FMatched = 1;
    }
    if (n == FNextSave) {
      FSaved = n;
      FNextSave = 2 * n;
    }
    return 0;
  }

 private:
  static bool SameAt(const TReferenceOrbit& orbit, int a, int b) {
    return orbit.Re[a] == orbit.Re[b] && orbit.Im[a] == orbit.Im[b];
  }

  int FSaved = 1;
  int FNextSave = 2;
  int FPeriod = 0;
  int FMatched = 0;
};

// Where a dot arriving at iterate m goes on: from the end (last) of an orbit
// cycling with a period one period back, where the orbit holds the same
// values.
inline int WrapIterate(int m, int last, int period) {
  return period != 0 && m >= last ? m - period : m;
}
inline int WrapIterate(const TReferenceOrbit& orbit, int m) {
  return WrapIterate(m, orbit.Last, orbit.Period);
}
inline int NextIterate(const TReferenceOrbit& orbit, int m) {
  return WrapIterate(orbit, m + 1);
}
// Whether a dot at iterate m has run off the orbit and goes on from Z0.
inline bool PastTheEnd(int m, int last, int period) {
  return period == 0 && m >= last;
}
inline bool PastTheEnd(const TReferenceOrbit& orbit, int m) {
  return PastTheEnd(m, orbit.Last, orbit.Period);
}

}  // namespace vortexa
