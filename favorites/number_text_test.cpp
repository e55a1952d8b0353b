#include "number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace vortexa {
namespace {

struct TFormatCase {
  long double Value;
  int Digits;
  const char* Text;
};

TEST(NumberText, GeneralFormat) {
  const TFormatCase cases[] = {
      {0.0001L, 5, "0.0001"},
      {0.00001L, 5, "1E-5"},
      {123456, 5, "1.2346E5"},
      {2, 5, "2"},
      {0, 5, "0"},
      {-0.0L, 5, "0"},
      {12345, 5, "12345"},
      {99999.9L, 5, "1E5"},  // the rounded value decides the notation
      {123.456L, 5, "123.46"},
      {0.00012345678L, 5, "0.00012346"},
      {1.5e-13L, 5, "1.5E-13"},
      {-2.5e-7L, 5, "-2.5E-7"},
      {0.01L, 5, "0.01"},
      {-0.75L, 18, "-0.75"},
      {0.1L, 18, "0.1"},
      {-1.7433380976879299L, 18, "-1.7433380976879299"},
      {1e20L, 18, "1E20"},
      {123456789012345678.0L, 18, "123456789012345678"},
      {1234567890123456789.0L, 18, "1.23456789012345679E18"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatGeneral(c.Value, c.Digits), c.Text) << c.Text;
  }
}

TEST(NumberText, ParseExtendedTakesWholeDecimalTextsOnly) {
  const std::pair<const char*, long double> good[] = {
      {"1.5", 1.5L}, {"+7", 7}, {"-2E-3", -2e-3L}, {"1e5", 1e5L}, {"5.", 5}, {"0.1", 0.1L},
  };
  for (const auto& [text, value] : good)
    EXPECT_EQ(ParseExtended(text), value) << text;
  for (const char* text :
       {"", "abc", "inf", "nan", "1e", "1e+", " 1", "1 ", "1,5", "+-1", "0x10"}) {
    EXPECT_FALSE(ParseExtended(text)) << text;
  }
}

TEST(NumberText, ParseInt32) {
  EXPECT_EQ(ParseInt32("120"), 120);
  EXPECT_EQ(ParseInt32("-2"), -2);
  EXPECT_EQ(ParseInt32("+5"), 5);
  EXPECT_EQ(ParseInt32("2147483647"), 2147483647);
  for (const char* text : {"", "x", "1.5", "2147483648", "+-1", " 1", "1e3"}) {
    EXPECT_FALSE(ParseInt32(text)) << text;
  }
}

// 2000 extended values from 2^-40 to 2^11 in magnitude, each with bits far
// below a double's mantissa.
std::vector<long double> SpreadExtendedValues(unsigned seed) {
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> mantissa(-2.0, 2.0);
  std::uniform_int_distribution<int> exponent(-40, 10);
  std::vector<long double> values;
  for (int i = 0; i < 2000; ++i) {
    values.push_back(std::ldexp(static_cast<long double>(mantissa(random)), exponent(random)) +
                     std::ldexp(static_cast<long double>(mantissa(random)), -60));
  }
  return values;
}

// Eighteen digits do not hold all of the 64-bit mantissa, so a round trip
// must land within half a unit of the 18th digit and then format the same.
TEST(NumberText, EighteenDigitRoundTripOfExtendedValues) {
  for (const long double value : SpreadExtendedValues(12345)) {
    const std::string text = FormatGeneral(value, kCoordinateDigits);
    const auto back = ParseExtended(text);
    ASSERT_TRUE(back) << text;
    EXPECT_LE(std::fabs(*back - value), std::fabs(value) * 6e-18L) << text;
    EXPECT_EQ(FormatGeneral(*back, kCoordinateDigits), text);
  }
}

// Both overloads share one layout: a deep value holding a long double's
// value is written exactly as the long double is.
TEST(NumberText, DeepValuesTakeTheLongDoubleLayout) {
  const TFormatCase cases[] = {
      {0.0001L, 5, "0.0001"},
      {0.00001L, 5, "1E-5"},
      {99999.9L, 5, "1E5"},
      {-2.5e-7L, 5, "-2.5E-7"},
      {-0.0L, 5, "0"},
      {-1.7433380976879299L, 18, "-1.7433380976879299"},
      {123456789012345678.0L, 18, "123456789012345678"},
      {1234567890123456789.0L, 18, "1.23456789012345679E18"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatGeneral(TDeepReal(c.Value), c.Digits), c.Text) << c.Text;
  for (const long double value : SpreadExtendedValues(54321)) {
    ASSERT_EQ(FormatGeneral(TDeepReal(value), kCoordinateDigits),
              FormatGeneral(value, kCoordinateDigits));
  }
}

TEST(NumberText, DeepTextsKeepEveryDigit) {
  const std::pair<const char*, const char*> cases[] = {
      // 40 significant digits, fixed and scientific.
      {"-1.768778833000000000000000000000000000001", "-1.768778833000000000000000000000000000001"},
      {"0.00012345678901234567890123456789012345678",
       "0.00012345678901234567890123456789012345678"},
      {"+1.234567890123456789012345678901234567891e-40",
       "1.234567890123456789012345678901234567891E-40"},
      {"12.5000000000000000000000000000000000000000000", "12.5"},
  };
  for (const auto& [text, written] : cases) {
    const std::optional<TDeepReal> value = ParseDeep(text);
    ASSERT_TRUE(value) << text;
    EXPECT_EQ(FormatGeneral(*value, 40), written);
  }
  // Rounded to nearest at the digits asked for.
  EXPECT_EQ(FormatGeneral(*ParseDeep("0.123456789012345678901234567896"), 29),
            "0.1234567890123456789012345679");
}

TEST(NumberText, ParseDeepTakesWhatParseExtendedTakes) {
  for (const char* text : {"1.5", "+7", "-2E-3", "1e5", "5.", ".5", "1e-4900"}) {
    ASSERT_TRUE(ParseDeep(text)) << text;
    EXPECT_EQ(ParseDeep(text)->ToLongDouble(), *ParseExtended(text)) << text;
  }
  for (const char* text :
       {"", "abc", "inf", "nan", "1e", "1e+", " 1", "1 ", "1,5", "+-1", "0x10", "1e5000"}) {
    EXPECT_FALSE(ParseDeep(text)) << text;
  }
}

// A ten-thousandth of the range, and never fewer than 18 digits: ranges down
// to 1e-13 keep today's texts.
TEST(NumberText, CoordinateDigitsFollowTheRange) {
  const std::pair<long double, int> cases[] = {
      {2, 18},      {1e-10L, 18}, {1.2346e-13L, 18}, {1e-13L, 18},  {1e-14L, 19},
      {1e-30L, 35}, {3e-31L, 36}, {1e-300L, 305},    {-1e-30L, 35}, {0, 18},
  };
  for (const auto& [range, digits] : cases)
    EXPECT_EQ(CoordinateDigits(range), digits) << static_cast<double>(range);
  // Every power of ten as a text gives it: 1E-k resolved to 1E-(k+4).
  for (int k = 14; k <= 10000; ++k) {
    const std::string text = "1E-" + std::to_string(k);
    ASSERT_EQ(CoordinateDigits(*ParseWideExponent(text)), k + 5) << text;
  }
}

// Ranges too small for a long double keep 64 bits and come back as written;
// those within its reach read and write as the long double does.
TEST(NumberText, TinyRangesKeepTheirExponent) {
  for (const char* text : {"1E-5000", "2.5E-9999", "-3.25E-6000", "1.2345E-4940"}) {
    const std::optional<TFloatExp> value = ParseWideExponent(text);
    ASSERT_TRUE(value) << text;
    EXPECT_EQ(FormatGeneral(*value, kRangeDigits), text);
  }
  for (const char* text : {"1.5", "-2E-3", "1e-4900", "0"})
    EXPECT_EQ(*ParseWideExponent(text), *ParseExtended(text)) << text;
  for (const char* text : {"1e5000", "inf", "nan", "1e-", "1e-5000x", "", "1e-999999999999"})
    EXPECT_FALSE(ParseWideExponent(text)) << text;
  EXPECT_EQ(ParseDeep("-1E-6000")->ToFloatExp(), *ParseWideExponent("-1E-6000"));
}

}  // namespace
}  // namespace vortexa
