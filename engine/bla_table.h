// Bilinear approximation of the deep family: while a dot's difference d from
// the reference is small beside Z(m), the square in d' = (2 Z(m) + d) d + dc
// is lost below the double's rounding, so the step is linear in d and dc:
// d' = A d + B dc with A = 2 Z(m), B = 1. Linear steps compose (A = Ay Ax,
// B = Ay Bx + By), so one table entry can carry a dot over 2, 4, 8, ...
// iterates at once while d stays inside the entry's radius.
#pragma once

#include <cstdint>
#include <vector>

#include "reference_orbit.h"

namespace vortexa {

// The environment variable that turns the approximation on, for comparisons.
inline constexpr const char* kBlaVariable = "VORTEXA_BLA";

// Whether VORTEXA_BLA turns the approximation on: "1" does; unset, empty or
// "0" leave it off.
// Throws std::invalid_argument naming the variable for anything else.
bool BlaFromEnvironment();

// One merged step: d' = A d + B dc (while |d|^2 is below its radius).
struct TBlaStep {
  double ARe, AIm, BRe, BIm;
};

// What a dot at orbit index m looks at: Z(m) and where its steps lie (whole
// numbers, so that a vector unit gathers them with Z(m) from one cache line).
// The step of 2^l iterates from m is Steps[First + l - 1], valid while
// |d|^2 < Radius2[First + l - 1], for l = 1 .. Levels; the radii never grow
// with l, so the valid steps are the first ones.
struct TBlaStart {
  double Re = 0, Im = 0;
  double First = 1, Levels = 0;
};
// Doubles per start: a vector unit gathers a field at its own + m * this.
inline constexpr int kBlaStartDoubles = sizeof(TBlaStart) / sizeof(double);
static_assert(sizeof(TBlaStart) == 4 * sizeof(double));
// Doubles per step, likewise.
inline constexpr int kBlaStepDoubles = sizeof(TBlaStep) / sizeof(double);

// The arrays of a table, for the cores.
struct TBlaArrays {
  int Last;
  int MaxLevels;  // the most levels of any start
  const TBlaStart* Starts;
  const double* Radius2;
  const TBlaStep* Steps;
};

// The relative size of the dropped square to the linear term that a single
// step allows: at the double's rounding, so that the approximation loses no
// more than the arithmetic it replaces.
inline constexpr double kBlaEpsilon = 0x1p-50;

// Merged steps along one reference orbit for one picture. Steps start at
// m >= 1 (from Z0 = 0 the square is the whole step) and end at the orbit's
// last iterate at the latest, where the dot goes on from Z0. The entries of
// a start m carry it over 2, 4, ... 2^Levels iterates, lying together from
// First.
class TBlaTable {
 public:
  TBlaTable() = default;
  // maxOffset: the largest |dc| of the picture's dots.
  TBlaTable(const TReferenceOrbit& orbit, double maxOffset, double epsilon = kBlaEpsilon);

  TBlaArrays Arrays() const {
    return {Last, MaxLevels, Starts.data(), Radius2.data(), Steps.data()};
  }

  int Last = 0;
  int MaxLevels = 0;
  // Iterates per step on a sample of the picture's dots, once measured
  // (MergedIteratesPerStep).
  double IteratesPerStep = 0;
  // One for every index of the orbit, spare included.
  std::vector<TBlaStart> Starts;
  // Index 0 is a spare that a start without steps points just past, so that
  // a vector unit may look at First - 1 whatever the start.
  std::vector<double> Radius2;
  std::vector<TBlaStep> Steps;
};

}  // namespace vortexa
