#include "session/formula_state.h"

#include <gtest/gtest.h>

#include "formula/evaluate.h"

namespace vortexa {
namespace {

// z := z^2 + c + shift, counted as the engine counts, written out plainly.
TDot ReferenceCount(long double cRe, long double cIm, long double shift, int limit) {
  long double re = 0, im = 0;
  for (int n = 1; n <= limit; ++n) {
    if (re * re + im * im > 4) return static_cast<TDot>(n);
    const long double nextRe = re * re - im * im + cRe + shift;
    im = re * im + im * re + cIm;
    re = nextRe;
  }
  return kDotInside;
}

TEST(FormulaPad, PositionsOfDotsAreRoundedAndKeptOnThePad) {
  const std::pair<int, int> cases[] = {{10, 0},    {11, 0}, {12, 1},  {160, 50},
                                       {310, 100}, {0, 0},  {-40, 0}, {400, 100}};
  for (const auto& [dot, position] : cases)
    EXPECT_EQ(PadPosition(dot), position) << dot;
}

TEST(FormulaPad, MarkerIsGrabbedWithinFiveDotsOfItsCentre) {
  EXPECT_TRUE(OnMarker(5, 0));
  EXPECT_TRUE(OnMarker(15, 0));
  EXPECT_FALSE(OnMarker(4, 0));
  EXPECT_FALSE(OnMarker(16, 0));
  EXPECT_TRUE(OnMarker(155, 50));
  EXPECT_FALSE(OnMarker(166, 50));
}

TEST(FormulaPad, ParameterSpansTheRangeAndTextsThatAreNoNumbersCountAsZero) {
  EXPECT_EQ(PadParameter("-1", "1", 50), 0.0L);
  EXPECT_EQ(PadParameter("-1", "1", 100), 1.0L);
  EXPECT_EQ(PadParameter("-1", "1", 0), -1.0L);
  EXPECT_EQ(PadParameter("-2", "2", 25), -1.0L);
  EXPECT_EQ(PadParameter("x", "1", 50), 0.5L);
  EXPECT_EQ(PadParameter("-1", "", 0), -1.0L);
}

class FormulaStateTest : public ::testing::Test {
 protected:
  TFormulaOutcome Apply(bool mandel, bool useRecurrence, std::string_view recurrence,
                        std::string_view initial) {
    return FState.Apply({mandel, useRecurrence, recurrence, initial});
  }
  TFormulaState FState;
};

TEST_F(FormulaStateTest, CheckedFormulaIsNotConvertedAgainUntilItChanges) {
  ASSERT_TRUE(Apply(true, true, "Z*Z+C", "0").Choice);
  // The edit's change was not announced: the checked program stays.
  TFormulaOutcome outcome = Apply(true, true, "Z*", "1/");
  ASSERT_TRUE(outcome.Choice);
  EXPECT_TRUE(outcome.Passed.empty());
  FState.MarkDirty();
  outcome = Apply(true, true, "Z*", "1/");
  ASSERT_TRUE(outcome.Problem);
  EXPECT_EQ(outcome.Problem->Field, TFormulaField::Recurrence);
}

TEST_F(FormulaStateTest, ParametersAreBoundIntoBothFormulas) {
  FState.SetParameters(0.25L, -0.5L);
  const TFormulaOutcome outcome = Apply(true, true, "Z*Z+C+a", "a+b*i");
  ASSERT_TRUE(outcome.Choice);
  EXPECT_EQ(outcome.Choice->Initial.Re, 0.25L);
  EXPECT_EQ(outcome.Choice->Initial.Im, -0.5L);
  for (const auto& [re, im] : {std::pair{-1.2L, 0.3L}, std::pair{0.1L, 0.1L}, {0.3L, -0.6L}})
    EXPECT_EQ(outcome.Choice->Recurrence->Iterate(re, im, 0, 0, 200, nullptr),
              ReferenceCount(re, im, 0.25L, 200));
}

// The engine may still run the first recurrence while the window rebuilds
// and rebinds its own programs for the next one.
TEST_F(FormulaStateTest, EngineKeepsItsOwnProgramWhileTheWindowRebuildsIts) {
  FState.SetParameters(0.25L, 0);
  const TFormulaOutcome first = Apply(true, true, "Z*Z+C+a", "0");
  ASSERT_TRUE(first.Choice);
  FState.SetParameters(1.5L, 0);
  FState.RecurrenceChanged();
  const TFormulaOutcome second = Apply(true, true, "Z*Z*Z+a*I", "0");
  ASSERT_TRUE(second.Choice);
  EXPECT_NE(first.Choice->Recurrence, second.Choice->Recurrence);
  for (const auto& [re, im] : {std::pair{-1.2L, 0.3L}, std::pair{0.1L, 0.1L}, {0.3L, -0.6L}})
    EXPECT_EQ(first.Choice->Recurrence->Iterate(re, im, 0, 0, 200, nullptr),
              ReferenceCount(re, im, 0.25L, 200));
}

TEST_F(FormulaStateTest, ArithmeticFaultInTheInitialValueThrowsBeforeAnyChoice) {
  EXPECT_THROW(Apply(true, false, "", "1/0"), EArithmeticError);
  FState.InitialChanged();
  EXPECT_THROW(Apply(true, false, "", "Ln(0)"), EArithmeticError);
}

}  // namespace
}  // namespace vortexa
