#include "bla_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdlib>
#include <stdexcept>

#include "perturbation.h"

namespace vortexa {
namespace {

using TComplex = std::complex<double>;

TComplex A(const TBlaStep& e) {
  return {e.ARe, e.AIm};
}
TComplex B(const TBlaStep& e) {
  return {e.BRe, e.BIm};
}

// The longest step from m that ends by the orbit's last iterate; 0 if none.
int Longest(const TBlaTable& table, int m) {
  int level = 0;
  while (table.Index(m, level + 1) >= 0 && m + (2 << level) <= table.Last)
    ++level;
  return level;
}

// c = i/2: Z1 = i/2, Z2 = -1/4 + i/2, Z3 = -3/16 + i/4, Z4 = -7/256 + 13i/32.
TEST(BlaTable, MergedStepsComposeTheSingleSteps) {
  const TReferenceOrbit orbit = *ComputeReferenceOrbit(0.0L, 0.5L, 10, 128);
  ASSERT_EQ(orbit.Last, 9);
  const TBlaTable table(orbit, 0);
  // By hand: over Z1, Z2 the step is d -> 2Z2 (2Z1 d + dc) + dc.
  EXPECT_EQ(A(table.Steps[table.Index(1, 1)]), TComplex(-1, -0.5));
  EXPECT_EQ(B(table.Steps[table.Index(1, 1)]), TComplex(0.5, 1));
  // Every entry against the single linear steps it stands for, applied one
  // by one; every start m >= 1 has steps of 2^l, none valid past the last
  // iterate.
  int entries = 0;
  for (int m = 0; m < static_cast<int>(table.Starts.size()); ++m) {
    int expectedLevels = 0;
    while (m >= 1 && m + (2 << expectedLevels) <= 9)
      ++expectedLevels;
    EXPECT_EQ(Longest(table, m), expectedLevels) << "m " << m;
    for (int l = 1; l <= table.MaxLevels; ++l) {
      const int index = table.Index(m, l);
      if (index < 0) continue;
      if (l > expectedLevels) {
        EXPECT_EQ(table.Radius2(m, l), 0) << "m " << m << " level " << l;
        continue;
      }
      TComplex a = 1, b = 0;
      for (int k = m; k < m + (1 << l); ++k) {
        const TComplex twoZ = 2.0 * TComplex(orbit.Re[k], orbit.Im[k]);
        a = twoZ * a;
        b = twoZ * b + 1.0;
      }
      const TBlaStep& e = table.Steps[index];
      EXPECT_LT(std::abs(A(e) - a), 1e-14 * std::abs(a)) << "m " << m << " level " << l;
      EXPECT_LT(std::abs(B(e) - b), 1e-14 * std::abs(b)) << "m " << m << " level " << l;
      ++entries;
    }
  }
  EXPECT_EQ(entries, 7 + 5 + 1);
}

// With epsilon 1 the radius of a single step at m is |2 Z(m)|; a merged one
// keeps d inside the first step's radius and the first step's result inside
// the second's, for every offset up to the largest.
TEST(BlaTable, RadiiShrinkWithTheLargestOffset) {
  const TReferenceOrbit orbit = *ComputeReferenceOrbit(0.0L, 0.5L, 10, 128);
  const double r2 = std::sqrt(1.25);  // |2 Z2|; |2 Z1| = 1, |A| = |B| = 1
  const struct { double MaxOffset, Radius; } cases[] = {{0, 1}, {0.5, r2 - 0.5}, {r2, 0}, {2, 0}};
  for (const auto& c : cases) {
    const TBlaTable table(orbit, c.MaxOffset, 1.0);
    EXPECT_NEAR(table.Radius2(1, 1), c.Radius * c.Radius, 1e-15) << c.MaxOffset;
  }
}

// Inside its radius a merged step lands where the full iteration does, to
// the double's precision: at the edge of every longest step of a deep orbit,
// with the largest offset, in long double.
TEST(BlaTable, StepsInsideTheirRadiusFollowTheFullIteration) {
  const TDeepReal cx = *TDeepReal::FromDecimal("-0.743643887037158704752191506114774");
  const TDeepReal cy = *TDeepReal::FromDecimal("0.131825904205311970493132056385139");
  const TReferenceOrbit orbit = *ComputeReferenceOrbit(cx, cy, 3000, 256);
  const double maxOffset = 1e-20;
  const TBlaTable table(orbit, maxOffset);
  int checked = 0;
  for (int m = 1; m < orbit.Last; ++m) {
    const int level = Longest(table, m);
    if (level == 0) continue;
    const int top = table.Index(m, level);
    const TBlaStep& e = table.Steps[top];
    if (table.Radius2(m, level) == 0) continue;
    const std::complex<long double> d0 =
        std::polar<long double>(std::sqrt(table.Radius2(m, level)) * 0.99L, m);
    const std::complex<long double> dc = std::polar<long double>(maxOffset, 2 * m);
    std::complex<long double> d = d0;
    for (int k = m; k < m + (1 << level); ++k)
      d = (2.0L * std::complex<long double>(orbit.Re[k], orbit.Im[k]) + d) * d + dc;
    const TComplex merged = A(e) * TComplex(d0) + B(e) * TComplex(dc);
    EXPECT_LT(std::abs(std::complex<long double>(merged) - d), 1e-13L * std::abs(d))
        << "m " << m << " level " << level;
    ++checked;
  }
  EXPECT_GT(checked, 100);
}

// The vector units search a start's steps by their radii, which never grow
// with the step's length: the valid steps are always the shortest ones.
TEST(BlaTable, RadiiNeverGrowWithTheStepsLength) {
  const TDeepReal cx = *TDeepReal::FromDecimal("-0.743643887037158704752191506114774");
  const TDeepReal cy = *TDeepReal::FromDecimal("0.131825904205311970493132056385139");
  const TReferenceOrbit orbit = *ComputeReferenceOrbit(cx, cy, 5000, 256);
  const TBlaTable table(orbit, 1e-20);
  int pairs = 0;
  for (int m = 1; m < table.Last; ++m)
    for (int l = 2; table.Index(m, l) >= 0; ++l, ++pairs)
      ASSERT_LE(table.Radius2(m, l), table.Radius2(m, l - 1)) << "m " << m << " level " << l;
  EXPECT_GT(pairs, 1000);
}

// A table ends where the orbit has repeated a whole period in its doubles,
// as the orbits of limits above 65000 are cut, and dots go on one period
// back; an orbit that never cycles keeps its whole length.
TEST(BlaTable, EndsWhereTheOrbitsDoublesCycle) {
  const struct { long double X, Y; } centres[] = {{0, 1}, {-1, 0}, {0.25L, 0.5L}};
  for (const auto& c : centres) {
    const TReferenceOrbit orbit = *ComputeReferenceOrbit(c.X, c.Y, 1000, 128);
    const TReferenceOrbit cut = *ComputeReferenceOrbit(c.X, c.Y, 100000, 128);
    const TBlaTable table(orbit, 1e-10);
    EXPECT_EQ(table.Last, cut.Period != 0 ? cut.Last : orbit.Last) << c.X << " " << c.Y;
    EXPECT_EQ(table.Period, cut.Period) << c.X << " " << c.Y;
    EXPECT_EQ(table.Wrap(table.Last), table.Last - table.Period);
  }
}

// A table rebuilt in place over a longer one keeps nothing of it: every
// radius and step is the new orbit's, or 0 where it has none.
TEST(BlaTable, RebuiltInPlaceEqualsANewOne) {
  const TDeepReal cx = *TDeepReal::FromDecimal("-0.743643887037158704752191506114774");
  const TDeepReal cy = *TDeepReal::FromDecimal("0.131825904205311970493132056385139");
  const TReferenceOrbit longer = *ComputeReferenceOrbit(cx, cy, 3000, 256);
  const TReferenceOrbit shorter = *ComputeReferenceOrbit(-0.75L, 0.1L, 500, 128);
  TBlaTable table(longer, 1e-20);
  table.Build(shorter, 1e-3);
  const TBlaTable fresh(shorter, 1e-3);
  ASSERT_EQ(table.Last, fresh.Last);
  ASSERT_EQ(table.MaxLevels, fresh.MaxLevels);
  for (int m = 0; m <= fresh.Last; ++m)
    for (int l = 1; l <= fresh.MaxLevels; ++l) {
      ASSERT_EQ(table.Radius2(m, l), fresh.Radius2(m, l)) << "m " << m << " level " << l;
      const int at = fresh.Index(m, l);
      if (at < 0) continue;
      EXPECT_EQ(A(table.Steps[at]), A(fresh.Steps[at])) << "m " << m << " level " << l;
      EXPECT_EQ(B(table.Steps[at]), B(fresh.Steps[at])) << "m " << m << " level " << l;
    }
  const TBlaArrays arrays = table.Arrays();
  for (int g = 0; g < kBlaLongGroups; ++g)
    EXPECT_EQ(arrays.Longer[g] == nullptr, fresh.Arrays().Longer[g] == nullptr) << g;
  // The records the vector units read whole, unused slots included.
  for (int m = 0; m <= fresh.Last; ++m)
    for (int slot = 0; slot < kBlaStartLevels; ++slot)
      EXPECT_EQ(table.Starts[m].Radius2[slot], fresh.Starts[m].Radius2[slot]) << m;
  for (int g = 0; g < kBlaLongGroups; ++g)
    for (std::size_t r = 0; r < fresh.Longer[g].size(); ++r)
      for (int slot = 0; slot < kBlaRadiiDoubles; ++slot)
        EXPECT_EQ(table.Longer[g][r].Radius2[slot], fresh.Longer[g][r].Radius2[slot]) << r;
}

TEST(BlaTable, EnvironmentTurnsItOffWithZeroAndRefusesOtherValues) {
  const struct {
    const char* Value;
    bool On;
  } accepted[] = {{"", true}, {"0", false}, {"1", true}};
  for (const auto& c : accepted) {
    setenv(kBlaVariable, c.Value, 1);
    EXPECT_EQ(BlaFromEnvironment(), c.On) << c.Value;
  }
  for (const char* bad : {"yes", "2", " 1", "1 "}) {
    setenv(kBlaVariable, bad, 1);
    EXPECT_THROW(BlaFromEnvironment(), std::invalid_argument) << bad;
  }
  unsetenv(kBlaVariable);
  EXPECT_TRUE(BlaFromEnvironment());
}

}  // namespace
}  // namespace vortexa
