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

// One merged step: d' = A d + B dc (while |d|^2 is below its radius).
struct TBlaStep {
  double ARe, AIm, BRe, BIm;
};

// What a dot at orbit index m looks at first.
struct TBlaStart {
  double Re = 0, Im = 0;  // Z(m)
};
// Doubles per start: a vector unit gathers a field at its own + m * this.
inline constexpr int kBlaStartDoubles = sizeof(TBlaStart) / sizeof(double);
// Doubles per step, likewise.
inline constexpr int kBlaStepDoubles = sizeof(TBlaStep) / sizeof(double);

// The arrays of a table, for the cores. Steps lie by length: those of 2^l
// iterates (l >= 1) from m = 1 + j 2^l at Span - 2 Span 2^-l + (m - 1) 2^-l,
// Span the smallest power of two above Last, so that a vector unit finds
// them from m and l alone; a step's radius is Radius2 (|d|^2 below it), 0
// where it would end past Last. For every start the radii never grow with
// the step's length, so the valid steps are the shortest ones.
struct TBlaArrays {
  int Last;
  int MaxLevels;  // the longest steps are of 2^MaxLevels iterates
  double Span;
  const TBlaStart* Starts;
  const double* Radius2;
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

  TBlaArrays Arrays() const {
    return {Last,          MaxLevels,      static_cast<double>(Span),
            Starts.data(), Radius2.data(), Steps.data()};
  }
  // Where the step of 2^level iterates from m lies, or -1 if m has none.
  int Index(int m, int level) const {
    if (m < 1 || level < 1 || level > MaxLevels || ((m - 1) & ((1 << level) - 1)) != 0) return -1;
    return Span - (Span >> (level - 1)) + ((m - 1) >> level);
  }

  int Last = 0;
  int MaxLevels = 0;
  int Span = 1;
  // Iterates per step on a sample of the picture's dots, once measured
  // (MergedIteratesPerStep).
  double IteratesPerStep = 0;
  // One for every index of the orbit, spare included.
  std::vector<TBlaStart> Starts;
  // Span of each, by length (see TBlaArrays).
  std::vector<double> Radius2;
  std::vector<TBlaStep> Steps;
};

}  // namespace vortexa
