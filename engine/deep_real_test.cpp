#include "deep_real.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace vortexa {
namespace {

TEST(DeepRealText, KeepsEveryDigitOfALongCentre) {
  const std::string digits = "7436438870371587047521918359425923";  // 34 digits
  const auto x = TDeepReal::FromDecimal("-0." + digits);
  ASSERT_TRUE(x);
  const TDeepDigits back = x->ToDigits(34);
  EXPECT_TRUE(back.Negative);
  EXPECT_EQ(back.Digits, digits);
  EXPECT_EQ(back.Exponent, -1);
  // Rounded to fewer digits: ...7521|918 -> ...7522.
  EXPECT_EQ(x->ToDigits(22).Digits, "7436438870371587047522");
}

TEST(DeepRealText, ReadsWhatTheLongDoubleReaderReads) {
  for (const char* text :
       {"1.5", "-2E-3", "+7", ".5", "5.", "1e+5", "0", "-0.0", "0E5", "0.123456789012345678"}) {
    const auto x = TDeepReal::FromDecimal(text);
    ASSERT_TRUE(x) << text;
    EXPECT_EQ(x->ToLongDouble(), std::strtold(text, nullptr)) << text;
  }
}

TEST(DeepRealText, RefusesWhatIsNotADecimalReal) {
  for (const char* text :
       {"", " 1", "1 ", ".", "-", "inf", "nan", "-INF", "0x1p3", "1e", "1.5e+", "--1", "+-1",
        "1.2.3", "1e5.5", "1E99999999999999999999", "1E-99999999999999999999"}) {
    EXPECT_FALSE(TDeepReal::FromDecimal(text)) << text;
  }
}

TEST(DeepRealText, ExponentOfTheFirstDigit) {
  EXPECT_EQ(TDeepReal::FromDecimal("123.4")->ToDigits(18).Exponent, 2);
  EXPECT_EQ(TDeepReal::FromDecimal("0.00012")->ToDigits(18).Exponent, -4);
  EXPECT_EQ(TDeepReal::FromDecimal("1E-300")->ToDigits(18).Exponent, -300);
  // 9.99996 at five digits rounds up to 10.000: the exponent moves.
  const TDeepDigits up = TDeepReal::FromDecimal("9.99996")->ToDigits(5);
  EXPECT_EQ(up.Digits, "1");
  EXPECT_EQ(up.Exponent, 1);
  EXPECT_EQ(TDeepReal().ToDigits(18).Digits, "0");
}

TEST(DeepRealArithmetic, SmallOffsetsSurviveOnlyWithEnoughBits) {
  const TDeepReal one(1.0L);
  TDeepReal shallow = one;
  shallow += 1e-60L;
  EXPECT_EQ(shallow - one, 0.0L);  // 128 bits hold 1 + 1e-60 only as 1

  TDeepReal deep = one.WithAtLeastBits(BitsForStep(1e-60L));
  deep += 1e-60L;
  EXPECT_EQ(deep - one, 1e-60L);
  deep -= 1e-60L;
  EXPECT_EQ(deep, one);
}

TEST(DeepRealArithmetic, CopiesAndMovesKeepValueAndBits) {
  TDeepReal a = TDeepReal::FromDecimal("0.1", 512).value();
  TDeepReal b = a;
  EXPECT_EQ(b.Bits(), 512);
  EXPECT_EQ(b, a);
  TDeepReal c = std::move(b);
  EXPECT_EQ(c, a);
  b = TDeepReal(2.0L);  // a moved-from value takes a new one
  EXPECT_EQ(b.ToLongDouble(), 2.0L);
  EXPECT_TRUE(-a < a);
  EXPECT_EQ(a.WithAtLeastBits(64).Bits(), 512);  // never rounds away
}

TEST(DeepRealPrecision, BitsAndDigitsFollowTheDotSize) {
  // A home view's dot: the defaults.
  EXPECT_EQ(BitsForStep(2.0L / 1024), kDeepMinBits);
  EXPECT_EQ(DigitsForStep(2.0L / 1024, 18), 18);
  // A dot of 1e-33: 110 bits of step, whole words; digits to 1e-37.
  EXPECT_EQ(BitsForStep(1e-33L), 192);
  EXPECT_EQ(DigitsForStep(1e-33L, 18), 37);
  // 1e-303 still resolves a thousandth of a dot.
  EXPECT_GE(BitsForStep(1e-303L), 1007 + 10);
  EXPECT_EQ(DigitsForStep(1e-303L, 18), 307);
}

}  // namespace
}  // namespace vortexa
