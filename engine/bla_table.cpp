#include "bla_table.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace vortexa {

bool BlaFromEnvironment() {
  const char* text = std::getenv(kNoBlaVariable);
  if (text == nullptr || *text == '\0' || std::string(text) == "0") return true;
  if (std::string(text) == "1") return false;
  throw std::invalid_argument(std::string(kNoBlaVariable) + " must be 0 or 1, not \"" + text +
                              "\"");
}

namespace {

struct TStep {
  double ARe, AIm, BRe, BIm, R;
};

// x then y.
TStep Merge(const TStep& x, const TStep& y, double maxOffset) {
  TStep s;
  s.ARe = y.ARe * x.ARe - y.AIm * x.AIm;
  s.AIm = y.ARe * x.AIm + y.AIm * x.ARe;
  s.BRe = (y.ARe * x.BRe - y.AIm * x.BIm) + y.BRe;
  s.BIm = (y.ARe * x.BIm + y.AIm * x.BRe) + y.BIm;
  // d must stay inside x's radius, and x must leave it inside y's.
  const double ax = std::hypot(x.ARe, x.AIm);
  const double within = ax > 0 ? (y.R - std::hypot(x.BRe, x.BIm) * maxOffset) / ax : 0;
  s.R = std::min(x.R, std::max(0.0, within));
  return s;
}

}  // namespace

TBlaTable::TBlaTable(const TReferenceOrbit& orbit, double maxOffset) {
  const int last = orbit.Last;
  // levels[l][j] carries m = 1 + j 2^l over 2^l iterates, ending by Last.
  std::vector<std::vector<TStep>> levels(1);
  for (int m = 1; m < last; ++m) {
    const double a = 2 * std::hypot(orbit.Re[m], orbit.Im[m]);
    levels[0].push_back({2 * orbit.Re[m], 2 * orbit.Im[m], 1, 0, kBlaEpsilon * a});
  }
  while (levels.back().size() >= 2) {
    const std::vector<TStep>& below = levels.back();
    std::vector<TStep> merged(below.size() / 2);
    for (std::size_t j = 0; j < merged.size(); ++j)
      merged[j] = Merge(below[2 * j], below[2 * j + 1], maxOffset);
    levels.push_back(std::move(merged));
  }
  const std::size_t size = orbit.Re.size();
  First.assign(size, 0);
  Levels.assign(size, 0);
  Shortest.assign(size, 0);
  for (int m = 1; m < last; ++m) {
    First[m] = static_cast<double>(Radius2.size());
    int count = 0;
    for (std::size_t l = 1; l < levels.size(); ++l) {
      const std::size_t span = std::size_t{1} << l;
      if ((m - 1) % span != 0 || (m - 1) / span >= levels[l].size()) break;
      const TStep& s = levels[l][(m - 1) / span];
      if (l == 1) Shortest[m] = s.R * s.R;
      Radius2.push_back(s.R * s.R);
      ARe.push_back(s.ARe);
      AIm.push_back(s.AIm);
      BRe.push_back(s.BRe);
      BIm.push_back(s.BIm);
      ++count;
    }
    Levels[m] = count;
  }
  // Gathers of lanes that take no step read entry 0.
  if (Radius2.empty()) {
    Radius2.push_back(0);
    ARe.push_back(0);
    AIm.push_back(0);
    BRe.push_back(0);
    BIm.push_back(0);
  }
}

}  // namespace vortexa
