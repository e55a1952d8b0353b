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
// "0" leave it off (on the lanes it does not pay yet: see docs/engine.md).
// Throws std::invalid_argument naming the variable for anything else.
bool BlaFromEnvironment();

// One merged step: d' = A d + B dc while |d|^2 < Radius2; together, so that a
// dot's look at a step loads one cache line.
struct TBlaEntry {
  double Radius2;
  double ARe, AIm, BRe, BIm;
};

// A run of merged steps opens only with a step of at least 2^this iterates:
// shorter runs save less than handing a vector lane over to them costs (the
// lanes do a few single steps to reach such a start instead).
inline constexpr int kBlaOpeningLevel = 4;

// What a dot at orbit index m looks at, together: Z(m), the radius squared
// of m's step of 2^kBlaOpeningLevel (0 when it has none), and where its
// steps lie.
struct TBlaStart {
  double Re = 0, Im = 0;
  double Opening = 0;
  std::int32_t First = 0, Levels = 0;
};
// Doubles per start: a vector unit gathers Opening at Opening + m * this.
inline constexpr int kBlaStartDoubles = sizeof(TBlaStart) / sizeof(double);
static_assert(sizeof(TBlaStart) == 4 * sizeof(double));

// The arrays of a table, for the cores.
struct TBlaArrays {
  int Last;
  const TBlaStart* Starts;
  const TBlaEntry* Entries;
};

// The relative size of the dropped square to the linear term that a single
// step allows: at the double's rounding, so that the approximation loses no
// more than the arithmetic it replaces.
inline constexpr double kBlaEpsilon = 0x1p-53;

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

  TBlaArrays Arrays() const { return {Last, Starts.data(), Entries.data()}; }

  int Last = 0;
  // One for every index of the orbit, spare included.
  std::vector<TBlaStart> Starts;
  std::vector<TBlaEntry> Entries;
};

}  // namespace vortexa
