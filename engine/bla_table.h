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

// Records of eight doubles, one cache line each, which a vector unit loads
// whole for every lane. Group 0 has one per orbit index m: Z(m), then the
// radii (|d|^2 below them) of the steps of 2 to 64 iterates from m. Group
// g >= 1 has one per start aligned to 2^(8g - 1) iterates, with the radii of
// its steps of 2^(8g - 1) to 2^(8g + 6). So slot s of group g belongs to the
// steps of 2^(8g + s - 1) iterates. A radius is 0 where m has no such step.
inline constexpr int kBlaRecordDoubles = 8;
struct alignas(64) TBlaRecord {
  double Slot[kBlaRecordDoubles] = {};
};
// The groups of longer steps: enough for any orbit an int can index.
inline constexpr int kBlaLongGroups = 3;

// Where a step's record lies: its group, slot and the record's index in the
// group (group 0: m; else one after the start's number, 0 being all zeros
// for the lanes that look at none).
struct TBlaSlot {
  int Group, Slot, Record;
};
inline TBlaSlot BlaSlot(int m, int level) {
  const int group = (level + 1) / kBlaRecordDoubles;
  const int slot = (level + 1) % kBlaRecordDoubles;
  return {group, slot, group == 0 ? m : 1 + ((m - 1) >> (kBlaRecordDoubles * group - 1))};
}

// Doubles per step: a vector unit loads a lane's step at index * this.
inline constexpr int kBlaStepDoubles = sizeof(TBlaStep) / sizeof(double);

// The arrays of a table, for the cores. Steps lie by length: those of 2^l
// iterates (l >= 1) from m = 1 + j 2^l at Span - 2 Span 2^-l + (m - 1) 2^-l,
// Span the smallest power of two above Last, so that a vector unit finds
// them from m and l alone. For every start the radii never grow with the
// step's length, so the valid steps are the shortest ones.
struct TBlaArrays {
  int Last;
  int MaxLevels;  // the longest steps are of 2^MaxLevels iterates
  double Span;
  const double* Records[1 + kBlaLongGroups];  // by group; null past the longest steps
  const TBlaStep* Steps;
};

// The relative size of the dropped square to the linear term that a single
// step allows: a few ulps, the most with which every exactness view still
// counts as the full iteration does (docs/engine.md).
inline constexpr double kBlaEpsilon = 0x1p-50;

// Merged steps along one reference orbit for one picture. Steps start at
// m >= 1 (from Z0 = 0 the square is the whole step) and end at the orbit's
// last iterate at the latest, where the dot goes on from Z0 (or, on a
// cycling orbit, one period back). A start m
// has steps of 2, 4, ... 2^l iterates as long as 2^l divides m - 1.
class TBlaTable {
 public:
  TBlaTable() = default;
  // maxOffset: the largest |dc| of the picture's dots.
  TBlaTable(const TReferenceOrbit& orbit, double maxOffset, double epsilon = kBlaEpsilon);

  TBlaArrays Arrays() const;
  // Where the step of 2^level iterates from m lies, or -1 if m has none.
  int Index(int m, int level) const {
    if (m < 1 || level < 1 || level > MaxLevels || ((m - 1) & ((1 << level) - 1)) != 0) return -1;
    return Span - (Span >> (level - 1)) + ((m - 1) >> level);
  }
  // The radius (|d|^2 below it) of the step of 2^level iterates from m; 0 if
  // m has none.
  double Radius2(int m, int level) const {
    if (Index(m, level) < 0) return 0;
    const TBlaSlot at = BlaSlot(m, level);
    return Records[at.Group][at.Record].Slot[at.Slot];
  }

  int Last = 0;
  int MaxLevels = 0;
  int Span = 1;
  // Iterates per step on a sample of the picture's dots, once measured
  // (MergedIteratesPerStep).
  double IteratesPerStep = 0;
  // By group (TBlaRecord); group 0 has one for every index of the orbit,
  // spare included.
  std::vector<TBlaRecord> Records[1 + kBlaLongGroups];
  // Span of them, by length (see TBlaArrays).
  std::vector<TBlaStep> Steps;
};

}  // namespace vortexa
