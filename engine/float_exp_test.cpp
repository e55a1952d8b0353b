#include "float_exp.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vortexa {
namespace {

// Values far beyond long double's exponent, built from their parts.
TFloatExp Tiny(long double mantissa) {
  return TFloatExp::FromParts(mantissa, -40000);
}

TEST(FloatExp, OrdersAcrossExponentsSignsAndZero) {
  struct TCase {
    TFloatExp Smaller, Larger;
  };
  const TCase cases[] = {
      {0, Tiny(0.5L)},   // a tiny positive is above 0
      {Tiny(-0.5L), 0},  // a tiny negative below it
      {Tiny(0.75L), Tiny(0.5L).Scaled(1)},
      {Tiny(-0.5L).Scaled(1), Tiny(-0.75L)},  // negatives: the larger magnitude is smaller
      {Tiny(0.9L), 1e-4000L},
      {-1e-4000L, Tiny(-0.9L)},
      {2, INFINITY},
  };
  for (const TCase& c : cases) {
    EXPECT_LT(c.Smaller, c.Larger) << c.Smaller.Log2() << " " << c.Larger.Log2();
    EXPECT_GT(c.Larger, c.Smaller);
    EXPECT_NE(c.Smaller, c.Larger);
  }
  EXPECT_FALSE(TFloatExp(NAN) == TFloatExp(NAN));
  EXPECT_FALSE(TFloatExp(NAN) < 1);
}

// Within long double's reach every operation is the long double's, rounding
// included; beyond it only the exponent runs on.
TEST(FloatExp, ArithmeticIsLongDoublesOnTheMantissas) {
  const long double a = 1.1L, b = 3.3L;
  EXPECT_EQ((TFloatExp(a) * b).ToLongDouble(), a * b);
  EXPECT_EQ((TFloatExp(a) / b).ToLongDouble(), a / b);
  EXPECT_EQ((Tiny(0.5L) * Tiny(0.5L)).Exponent(), -80001);
  EXPECT_EQ((Tiny(0.5L) / Tiny(0.5L)).ToLongDouble(), 1);
  EXPECT_EQ(Tiny(0.5L).ToLongDouble(), 0);
  EXPECT_EQ(TFloatExp::FromParts(3, -2).ToLongDouble(), 0.75L);  // normalised on the way
  EXPECT_EQ(TFloatExp::FromParts(3, -2).Mantissa(), 0.75L);
  EXPECT_NEAR(static_cast<double>(TFloatExp::Exp2(-50000.25L).Log2()), -50000.25, 1e-12);
  EXPECT_EQ(Tiny(0.5L).Log2(), -40001);
  EXPECT_EQ((-Tiny(0.5L)).Abs(), Tiny(0.5L));
}

}  // namespace
}  // namespace vortexa
