#include "view_input.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vortexa {
namespace {

// A coordinate as a text reads it: the decimal value, not its long double.
TDeepReal Decimal(const char* text) {
  return *TDeepReal::FromDecimal(text);
}

TEST(ViewInputTest, FieldsBecomeTheViewWithFallbacks) {
  struct TCase {
    const char* x;
    const char* y;
    const char* range;
    const char* limit;
    TViewState expected;
  };
  const TCase cases[] = {
      {"0", "0", "2", "1000", {0, 0, 2, 1000}},
      {"abc", "-0.75", "", " 250", {0, -0.75L, 2, 250}},
      {"1E-3", "+0.1", "1.5e-10", "65001", {Decimal("1E-3"), Decimal("0.1"), 1.5e-10L, 65001}},
      {"0", "0", "2", "100000001", {0, 0, 2, 100'000'000}},
      {"", "", "x", "0", {0, 0, 2, 1}},
      {"0", "0", "2", "-5", {0, 0, 2, 1}},
      {"0", "0", "2", "abc", {0, 0, 2, 4000}},
      {"0", "0", "2", "99999999999", {0, 0, 2, 4000}},
      {"2E", "1e+", "inf", "", {0, 0, 2, 4000}},
      // Ranges beyond long double's reach, down to the deepest.
      {"0", "0", "1e-6000", "10", {0, 0, TDeepReal::FromDecimal("1e-6000", 64)->ToFloatExp(), 10}},
      {"0", "0", "1e-10001", "10", {0, 0, DeepestRange(), 10}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.x) + "|" + c.y + "|" + c.range + "|" + c.limit);
    EXPECT_EQ(FieldsToView(c.x, c.y, c.range, c.limit), c.expected);
  }
}

// Short decimals have no exact binary value: they are read with the bits
// their range needs, not at 128 bits (7e-41 off for "-0.1").
TEST(ViewInputTest, ShortCoordinatesAreReadAtTheBitsOfTheRange) {
  const TViewState view = FieldsToView("-0.1", "0.1", "1e-300", "100");
  const TDeepReal tenth = *TDeepReal::FromDecimal("0.1", 4096);
  EXPECT_LT(std::fabs(view.CenterX - -tenth), 1e-306L);
  EXPECT_LT(std::fabs(view.CenterY - tenth), 1e-306L);
}

TEST(ViewInputTest, RangesNoViewCanHaveAreRefused) {
  for (const char* range : {"0", "-0", "0e5", " 0.0 ", "-1", "-1e-300"})
    EXPECT_TRUE(RangeFieldRefused(range)) << range;
  // Texts that are no number fall back to the home range instead.
  for (const char* range : {"2", "1e-300", "abc", "", "inf"})
    EXPECT_FALSE(RangeFieldRefused(range)) << range;
}

TEST(ViewInputTest, CoordinateFieldsKeepEveryDigit) {
  const char* x = " -1.768778833000000000000000000000000000001 ";  // 40 digits, blanks around
  const TViewState view = FieldsToView(x, "1e-45", "1e-36", "100");
  const auto exact = [](const char* text) { return *TDeepReal::FromDecimal(text, 4096); };
  EXPECT_LT(std::fabs(view.CenterX - exact("-1.768778833000000000000000000000000000001")), 1e-60L);
  EXPECT_NE(view.CenterX, TDeepReal(view.CenterX.ToLongDouble()));
  EXPECT_LT(std::fabs(view.CenterY - exact("1e-45")), 1e-90L);
  EXPECT_EQ(FieldToCoordinate("1e99999", 2), 0) << "out of long double's range: the fallback";
}

// A move keeps every bit of the centre and of the offset, however deep.
TEST(ViewInputTest, MovedCoordinateIsExact) {
  const TDeepReal centre = Decimal("0.3");
  const long double step = 1e-300L;
  const TDeepReal moved = MovedCoordinate(centre, 12345 * step, step);
  EXPECT_EQ(moved - centre, 12345 * step);
  EXPECT_EQ(MovedCoordinate(moved, -12345 * step, step), centre);
}

// Below long double's reach, too: a move of a few dots of 1e-6000.
TEST(ViewInputTest, MovedCoordinateIsExactBeyondLongDouble) {
  const TFloatExp step = TDeepReal::FromDecimal("1e-6000", 64)->ToFloatExp();
  const TDeepReal centre = MovedCoordinate(Decimal("0.3"), 0, step);
  const TDeepReal moved = MovedCoordinate(centre, step * 12345, step);
  EXPECT_EQ(WideDifference(moved, centre), step * 12345);
  EXPECT_EQ(MovedCoordinate(moved, step * -12345, step), centre);
}

TEST(ViewInputTest, KeyFiltersPassOnlyNumberCharacters) {
  for (char32_t code : {U'0', U'9', U'+', U'-', U'.', U'E', U'e', char32_t{8}, char32_t{3},
                        char32_t{22}, char32_t{24}, char32_t{26}})
    EXPECT_TRUE(CoordinateCharAccepted(code)) << int(code);
  for (char32_t code :
       {U'a', U'f', U'g', U'x', U' ', U',', char32_t{13}, char32_t{1}, char32_t{0x3000}, U'０'})
    EXPECT_FALSE(CoordinateCharAccepted(code)) << int(code);

  for (char32_t code :
       {U'0', U'5', U'9', char32_t{8}, char32_t{3}, char32_t{22}, char32_t{24}, char32_t{26}})
    EXPECT_TRUE(LimitCharAccepted(code)) << int(code);
  for (char32_t code : {U'-', U'+', U'.', U'e', U'E', char32_t{13}, U' '})
    EXPECT_FALSE(LimitCharAccepted(code)) << int(code);
}

TEST(ViewInputTest, ElapsedTimeRoundsToTenthsAndDropsHours) {
  struct TCase {
    double ms;
    const char* text;
  };
  const TCase cases[] = {
      {0, "00:00.0"},    {49, "00:00.0"},    {50, "00:00.1"},     {3500, "00:03.5"},
      {3449, "00:03.4"}, {59960, "01:00.0"}, {754321, "12:34.3"}, {3600000 + 61000, "01:01.0"},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(FormatElapsed(c.ms), c.text) << c.ms;
}

}  // namespace
}  // namespace vortexa
