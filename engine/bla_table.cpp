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

struct TStep {
  double ARe, AIm, BRe, BIm, R;
};

double Magnitude(double re, double im) {
  return std::sqrt(re * re + im * im);
}

// x then y.
TStep Merge(const TStep& x, const TStep& y, double maxOffset) {
  TStep s;
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

}  // namespace

TBlaTable::TBlaTable(const TReferenceOrbit& orbit, double maxOffset, double epsilon) {
  const int last = orbit.Last;
  // levels[l][j] carries m = 1 + j 2^l over 2^l iterates, ending by Last.
  std::vector<std::vector<TStep>> levels(1);
  levels[0].reserve(static_cast<std::size_t>(std::max(last - 1, 0)));
  for (int m = 1; m < last; ++m) {
    const double a = 2 * Magnitude(orbit.Re[m], orbit.Im[m]);
    levels[0].push_back({2 * orbit.Re[m], 2 * orbit.Im[m], 1, 0, epsilon * a});
  }
  while (levels.back().size() >= 2) {
    const std::vector<TStep>& below = levels.back();
    std::vector<TStep> merged(below.size() / 2);
    for (std::size_t j = 0; j < merged.size(); ++j)
      merged[j] = Merge(below[2 * j], below[2 * j + 1], maxOffset);
    levels.push_back(std::move(merged));
  }
  Last = last;
  MaxLevels = static_cast<int>(levels.size()) - 1;
  while (Span <= last)
    Span *= 2;
  Starts.resize(orbit.Re.size());
  for (std::size_t m = 0; m < Starts.size(); ++m) {
    Starts[m].Re = orbit.Re[m];
    Starts[m].Im = orbit.Im[m];
  }
  for (int g = 1; g <= kBlaLongGroups && BlaFirstLevel(g) <= MaxLevels; ++g)
    Longer[g - 1].resize(2 + (static_cast<std::size_t>(Span) >> BlaFirstLevel(g)));
  Steps.assign(static_cast<std::size_t>(Span), {0, 0, 0, 0});
  for (int l = 1; l <= MaxLevels; ++l)
    for (std::size_t j = 0; j < levels[l].size(); ++j) {
      const TStep& s = levels[l][j];
      const int m = 1 + static_cast<int>(j << l);
      const TBlaSlot at = BlaSlot(m, l);
      (at.Group == 0 ? Starts[m].Radius2 : Longer[at.Group - 1][at.Record].Radius2)[at.Slot] =
          s.R * s.R;
      Steps[Index(m, l)] = {s.ARe, s.AIm, s.BRe, s.BIm};
    }
}

TBlaArrays TBlaTable::Arrays() const {
  TBlaArrays arrays{Last, MaxLevels, static_cast<double>(Span), &Starts[0].Re, {}, Steps.data()};
  for (int g = 0; g < kBlaLongGroups; ++g)
    arrays.Longer[g] = Longer[g].empty() ? nullptr : Longer[g][0].Radius2;
  return arrays;
}

}  // namespace vortexa
