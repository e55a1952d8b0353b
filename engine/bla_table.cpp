#include "bla_table.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace vortexa {

bool BlaFromEnvironment() {
  const char* text = std::getenv(kBlaVariable);
  if (text == nullptr || *text == '\0' || std::string(text) == "1") return true;
  if (std::string(text) == "0") return false;
  throw std::invalid_argument(std::string(kBlaVariable) + " must be 0 or 1, not \"" + text + "\"");
}

namespace {

double Magnitude(double re, double im) {
  return std::sqrt(re * re + im * im);
}

}  // namespace

// x then y.
TBlaTable::TMergeStep TBlaTable::Merge(const TMergeStep& x, const TMergeStep& y, double maxOffset) {
  TMergeStep s;
  s.ARe = y.ARe * x.ARe - y.AIm * x.AIm;
  s.AIm = y.ARe * x.AIm + y.AIm * x.ARe;
  s.BRe = (y.ARe * x.BRe - y.AIm * x.BIm) + y.BRe;
  s.BIm = (y.ARe * x.BIm + y.AIm * x.BRe) + y.BIm;
  // d must stay inside x's radius, and x must leave it inside y's.
  const double ax = Magnitude(x.ARe, x.AIm);
  const double within = ax > 0 ? (y.R - Magnitude(x.BRe, x.BIm) * maxOffset) / ax : 0;
  s.R = std::min(x.R, std::max(0.0, within));
  return s;
}

TBlaTable::TBlaTable(const TReferenceOrbit& orbit, double maxOffset, double epsilon) {
  Build(orbit, maxOffset, epsilon);
}

void TBlaTable::Build(const TReferenceOrbit& orbit, double maxOffset, double epsilon) {
  Last = orbit.Last;
  Period = orbit.Period;
  MaxLevels = 0;
  IteratesPerStep = 0;
  // An orbit of a limit up to 65000 runs on where its doubles cycle; the
  // table ends where a whole period has repeated, as such orbits of longer
  // limits do.
  if (Period == 0) {
    TCycleSearch cycle;
    for (int n = 1; n <= orbit.Last && Period == 0; ++n)
      if ((Period = cycle.Step(orbit, n)) != 0) Last = n;
  }
  // Steps of 2^l iterates from m end by Last: m + 2^l <= Last.
  while (1 + (2 << MaxLevels) <= Last)
    ++MaxLevels;
  Starts.assign(static_cast<std::size_t>(Last) + 2, {});
  for (std::size_t m = 0; m <= static_cast<std::size_t>(Last); ++m) {
    Starts[m].Re = orbit.Re[m];
    Starts[m].Im = orbit.Im[m];
  }
  for (int g = 1; g <= kBlaLongGroups; ++g)
    if (BlaFirstLevel(g) <= MaxLevels)
      Longer[g - 1].assign(1 + Starts.size(), {});
    else
      Longer[g - 1].clear();
  Steps.assign(static_cast<std::size_t>(MaxLevels) * static_cast<std::size_t>(Last), {0, 0, 0, 0});
  // The steps of one length from every start, each merged from two of half
  // its length.
  FShorter.resize(static_cast<std::size_t>(std::max(Last, 1)));
  FLonger.resize(FShorter.size());
  for (int m = 1; m < Last; ++m) {
    const double a = 2 * Magnitude(orbit.Re[m], orbit.Im[m]);
    FShorter[m] = {2 * orbit.Re[m], 2 * orbit.Im[m], 1, 0, epsilon * a};
  }
  for (int l = 1; l <= MaxLevels; ++l) {
    const int half = 1 << (l - 1);
    for (int m = 1; m + 2 * half <= Last; ++m) {
      const TMergeStep s = Merge(FShorter[m], FShorter[m + half], maxOffset);
      FLonger[m] = s;
      const TBlaSlot at = BlaSlot(m, l);
      (at.Group == 0 ? Starts[m].Radius2 : Longer[at.Group - 1][at.Record].Radius2)[at.Slot] =
          s.R * s.R;
      Steps[Index(m, l)] = {s.ARe, s.AIm, s.BRe, s.BIm};
    }
    std::swap(FShorter, FLonger);
  }
}

TBlaArrays TBlaTable::Arrays() const {
  TBlaArrays arrays{Last, Period, MaxLevels, &Starts[0].Re, {}, Steps.data()};
  for (int g = 0; g < kBlaLongGroups; ++g)
    arrays.Longer[g] = Longer[g].empty() ? nullptr : Longer[g][0].Radius2;
  return arrays;
}

}  // namespace vortexa
