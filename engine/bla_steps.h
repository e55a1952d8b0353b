// The merged steps of one dot, shared by the one-dot routine and the vector
// units' cores (which hand a lane over to it whenever a merged step is
// valid): internal linkage and no standard-library function, so that each
// unit's translation unit compiles its own copy for its own instructions.
#pragma once

#include "bla_table.h"

namespace vortexa {
namespace {

// A dot between two tests: its difference from Z(M), and the count it gets
// if z escapes at the next test.
struct TBlaDot {
  double Dr, Di;
  int M, N;
};

// From a dot that has been tested (not escaped, below the limit, kept on its
// reference), takes the longest valid merged step that ends by the limit if
// it opens a run (kBlaOpeningLevel), and then again after the same tests as
// the one-dot routine makes, as long as each finds one. Whether it took any.
inline bool TakeMergedSteps(const TBlaArrays& t, int limit, double dcr, double dci, TBlaDot& dot) {
  bool took = false;
  for (;;) {
    if (took) {
      const double zr = t.Starts[dot.M].Re + dot.Dr;
      const double zi = t.Starts[dot.M].Im + dot.Di;
      const double zz = zr * zr + zi * zi;
      if (zz > 4 || dot.N == limit) return true;
      if (zz < dot.Dr * dot.Dr + dot.Di * dot.Di || dot.M >= t.Last) return true;
    }
    const double dd = dot.Dr * dot.Dr + dot.Di * dot.Di;
    const TBlaStart& start = t.Starts[dot.M];
    const int first = start.First;
    const int levels = start.Levels;
    const int room = limit - dot.N;
    int level = 0;
    while (level < levels && (2 << level) <= room && dd < t.Entries[first + level].Radius2)
      ++level;
    if (level == 0 || (!took && level < kBlaOpeningLevel)) return took;
    const TBlaEntry& e = t.Entries[first + level - 1];
    const double ar = e.ARe, ai = e.AIm, br = e.BRe, bi = e.BIm;
    const double nr = (ar * dot.Dr - ai * dot.Di) + (br * dcr - bi * dci);
    dot.Di = (ar * dot.Di + ai * dot.Dr) + (br * dci + bi * dcr);
    dot.Dr = nr;
    dot.M += 1 << level;
    dot.N += 1 << level;
    took = true;
  }
}

}  // namespace
}  // namespace vortexa
