// Bilinear approximation of the deep family: while a dot's difference d from
// the reference is small beside Z(m), the square in d' = (2 Z(m) + d) d + dc
// is lost below the double's rounding, so the step is linear in d and dc:
// d' = A d + B dc with A = 2 Z(m), B = 1. Linear steps compose (A = Ay Ax,
// B = Ay Bx + By), so one table entry can carry a dot over 2, 4, 8, ...
// iterates at once while d stays inside the entry's radius.
#pragma once

#include <vector>

#include "reference_orbit.h"

namespace vortexa {

// The environment variable that turns the approximation off, for comparisons.
inline constexpr const char* kBlaVariable = "VORTEXA_BLA";

// Whether VORTEXA_BLA leaves the approximation on: unset, empty or "1" do,
// "0" turns it off.
// Throws std::invalid_argument naming the variable for anything else.
bool BlaFromEnvironment();

// One merged step: d' = A d + B dc (while |d|^2 is below its radius); aligned
// for the vector units' loads.
struct alignas(32) TBlaStep {
  double ARe, AIm, BRe, BIm;
};

// What a vector unit loads whole for every lane, in records that never
// straddle a cache line. One start per orbit index m: Z(m) and the radii
// (|d|^2 below them) of the steps of 2 and 4 iterates from m; half a line,
// so that the table stays small enough for the caches. Then groups of the
// radii of eight longer steps each, again one per m: group g >= 1 holds the
// steps of 2^(8g - 5) to 2^(8g + 2) iterates. A radius is 0 where m has no
// such step.
struct alignas(32) TBlaStart {
  double Re = 0, Im = 0;
  double Radius2[2] = {};
};
struct alignas(64) TBlaRadii {
  double Radius2[8] = {};
};
inline constexpr int kBlaStartDoubles = sizeof(TBlaStart) / sizeof(double);
inline constexpr int kBlaRadiiDoubles = sizeof(TBlaRadii) / sizeof(double);
// The longest steps of a start record, and the groups after it: enough for
// any orbit an int can index.
inline constexpr int kBlaStartLevels = 2;
inline constexpr int kBlaLongGroups = 4;
// The level of the shortest steps of group g >= 1.
inline constexpr int BlaFirstLevel(int g) {
  return kBlaStartLevels + 1 + kBlaRadiiDoubles * (g - 1);
}

// Where the radius of the step of 2^level iterates from m lies: its group
// (0: the start records), slot and the record's index in the group (for
// g >= 1 one after m, 0 being all zeros for the lanes that look at none).
struct TBlaSlot {
  int Group, Slot, Record;
};
inline TBlaSlot BlaSlot(int m, int level) {
  if (level <= kBlaStartLevels) return {0, level - 1, m};
  const int group = 1 + (level - kBlaStartLevels - 1) / kBlaRadiiDoubles;
  return {group, level - BlaFirstLevel(group), 1 + m};
}

// Doubles per step: a vector unit loads a lane's step at index * this.
inline constexpr int kBlaStepDoubles = sizeof(TBlaStep) / sizeof(double);

// The arrays of a table, for the cores. Every start m >= 1 has steps of
// every length 2^l that ends by Last, at (l - 1) Last + m, so that a vector
// unit finds them from m and l alone. For every start the radii never grow
// with the step's length, so the valid steps are the shortest ones.
struct TBlaArrays {
  int Last, Period;  // as the table's
  int MaxLevels;     // the longest steps are of 2^MaxLevels iterates
  const double* Starts;
  const double* Longer[kBlaLongGroups];  // by group; null past the longest steps
  const TBlaStep* Steps;
};

// A dot may start a merged step only in every third round (a test and a
// step), counting from its first, and takes single steps in the rounds
// between. Where the orbit passes near 0 a dot needs a few single steps in a
// row, and in the vector units a round of single steps costs a fraction of
// one in which lanes search the table and load their merged steps.
inline constexpr int kBlaMergeEvery = 3;

// The relative size of the dropped square to the linear term that a single
// step allows: a few ulps, the most with which every exactness view still
// counts as the full iteration does (docs/engine.md).
inline constexpr double kBlaEpsilon = 0x1p-50;

// Merged steps along one reference orbit for one picture, up to the end of
// the cycle that the orbit settles on in its doubles, if it does: dots go on
// one period back from there, where the orbit holds the same values (the
// table stays small enough for the caches). Steps start at
// m >= 1 (from Z0 = 0 the square is the whole step) and end at the orbit's
// last iterate at the latest, where the dot goes on from Z0 (or, on a
// cycling orbit, one period back). Every start m has steps of 2, 4, ... 2^l
// iterates as far as they end by then: a dot that had to take single steps
// where the orbit passes near 0 goes on with long steps at once.
class TBlaTable {
 public:
  TBlaTable() = default;
  // maxOffset: the largest |dc| of the picture's dots.
  TBlaTable(const TReferenceOrbit& orbit, double maxOffset, double epsilon = kBlaEpsilon);
  // The same in place: the arrays keep their memory from one picture to the
  // next, which saves the page faults of tens of megabytes.
  void Build(const TReferenceOrbit& orbit, double maxOffset, double epsilon = kBlaEpsilon);

  TBlaArrays Arrays() const;
  // WrapIterate and PastTheEnd along the table's part of the orbit.
  int Wrap(int m) const { return WrapIterate(m, Last, Period); }
  bool PastTheEnd(int m) const { return vortexa::PastTheEnd(m, Last, Period); }
  // Where the step of 2^level iterates from m lies, or -1 if m has none.
  int Index(int m, int level) const {
    if (m < 1 || level < 1 || level > MaxLevels || m + (1 << level) > Last) return -1;
    return (level - 1) * Last + m;
  }
  // The radius (|d|^2 below it) of the step of 2^level iterates from m; 0 if
  // m has none.
  double Radius2(int m, int level) const {
    if (Index(m, level) < 0) return 0;
    const TBlaSlot at = BlaSlot(m, level);
    return at.Group == 0 ? Starts[m].Radius2[at.Slot]
                         : Longer[at.Group - 1][at.Record].Radius2[at.Slot];
  }

  // As the orbit's, or where the orbit has repeated a whole period.
  int Last = 0;
  int Period = 0;
  int MaxLevels = 0;
  // Iterates per step on a sample of the picture's dots, once measured
  // (MergedIteratesPerStep).
  double IteratesPerStep = 0;
  // One for every index up to Last and a spare.
  std::vector<TBlaStart> Starts;
  // The radii of longer steps by group, each with a first record of zeros.
  std::vector<TBlaRadii> Longer[kBlaLongGroups];
  // MaxLevels times Last of them, by length (see TBlaArrays).
  std::vector<TBlaStep> Steps;

 private:
  // A step with its radius (|d| below it), while the table is built.
  struct TMergeStep {
    double ARe, AIm, BRe, BIm, R;
  };
  static TMergeStep Merge(const TMergeStep& x, const TMergeStep& y, double maxOffset);
  // The steps of one length from every start, and of twice that length.
  std::vector<TMergeStep> FShorter, FLonger;
};

}  // namespace vortexa
