#include "formula/evaluate.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <numbers>
#include <string>

#include "formula/complex_ops.h"
#include "formula/syntax.h"

namespace vortexa {
namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;
constexpr long double kE = std::numbers::e_v<long double>;

TTokenList BoundProgram(const std::string& formula, long double a = 0, long double b = 0) {
  TSyntax syntax;
  TTokenList program;
  EXPECT_TRUE(syntax.Check(program, formula)) << formula << ": " << syntax.ErrorMessage();
  BindParameters(program, a, b);
  return program;
}

TComplex EvaluateFormula(const std::string& formula, TComplex z, TComplex c) {
  TComplex result{-7, -7};
  Evaluate(BoundProgram(formula), z, c, result);
  return result;
}

struct TValueCase {
  const char* Formula;
  TComplex Z, C;
  TComplex Expected;
  long double Tolerance;  // 0: exact
};

class EvaluateValueTest : public testing::TestWithParam<TValueCase> {};

TEST_P(EvaluateValueTest, GivesTheValue) {
  const TValueCase& test = GetParam();
  const TComplex result = EvaluateFormula(test.Formula, test.Z, test.C);
  if (test.Tolerance == 0) {
    EXPECT_EQ(result.Re, test.Expected.Re);
    EXPECT_EQ(result.Im, test.Expected.Im);
  } else {
    EXPECT_NEAR(result.Re, test.Expected.Re, test.Tolerance);
    EXPECT_NEAR(result.Im, test.Expected.Im, test.Tolerance);
  }
}

constexpr long double kUlps = 4 * LDBL_EPSILON;

INSTANTIATE_TEST_SUITE_P(
    Operations, EvaluateValueTest,
    testing::Values(
        TValueCase{"Z*Z+C", {1, 2}, {0.5L, 0}, {-2.5L, 4}, 0},
        TValueCase{"Z-C", {1, 2}, {0.5L, 4}, {0.5L, -2}, 0},
        TValueCase{"Z/C", {1, 2}, {3, 4}, {11 / 25.0L, 2 / 25.0L}, kUlps},
        TValueCase{"I*I", {}, {}, {-1, 0}, 0}, TValueCase{"E", {}, {}, {kE, 0}, 0},
        TValueCase{"Pi", {}, {}, {kPi, 0}, 0}, TValueCase{"0^0", {}, {}, {0, 0}, 0},
        TValueCase{"0^(1+I)", {}, {}, {0, 0}, 0}, TValueCase{"Z^C", {0, 0}, {-2, 1}, {0, 0}, 0},
        TValueCase{"2^0.5", {}, {}, {std::sqrt(2.0L), 0}, kUlps},
        TValueCase{"(-1)^0.5", {}, {}, {0, 1}, kUlps},
        TValueCase{"2^3^2", {}, {}, {64, 0}, 64 * kUlps}, TValueCase{"Ln(-1)", {}, {}, {0, kPi}, 0},
        TValueCase{"Ln(Z)", {-1, -0.0L}, {}, {0, kPi}, 0},
        TValueCase{"Ln(Z)", {-1, -1e-4000L}, {}, {0, -kPi}, kUlps},
        TValueCase{"Ln(E)", {}, {}, {1, 0}, kUlps}, TValueCase{"Abs(3+4*I)", {}, {}, {5, 0}, 0},
        TValueCase{"Exp(Pi*I)", {}, {}, {-1, 0}, kUlps}, TValueCase{"Exp(0)", {}, {}, {1, 0}, 0},
        TValueCase{"-Z^2", {0, 1}, {}, {-1, 0}, kUlps},
        TValueCase{"-(Z^2)", {0, 1}, {}, {1, 0}, kUlps},
        TValueCase{"Exp(-100000)", {}, {}, {0, 0}, 0},
        TValueCase{"1e-4000*1e-4000", {}, {}, {0, 0}, 0}));

// Right-leaning chains keep one value pending per level.
std::string NestedSum(int depth) {
  std::string formula;
  for (int level = 0; level < depth; ++level)
    formula += "1+(";
  formula += "Z";
  formula += std::string(depth, ')');
  return formula;
}

TEST(EvaluateTest, SizesTheStackFromTheProgram) {
  const TTokenList deep = BoundProgram(NestedSum(200));
  EXPECT_EQ(deep.StackDepth(), 201);
  TComplex result{};
  Evaluate(deep, {0.5L, 1}, {}, result);
  EXPECT_EQ(result.Re, 200.5L);
  EXPECT_EQ(result.Im, 1);

  const TTokenList bracketed = BoundProgram(std::string(200, '(') + "Z" + std::string(200, ')'));
  EXPECT_EQ(bracketed.StackDepth(), 1);
}

TEST(EvaluateTest, RebindingGivesTheNewParameters) {
  TTokenList program = BoundProgram("A+B*I+1.5", 2, 3);
  TComplex result{};
  Evaluate(program, {}, {}, result);
  EXPECT_EQ(result.Re, 3.5L);
  EXPECT_EQ(result.Im, 3);
  BindParameters(program, -5, 0.25L);
  Evaluate(program, {}, {}, result);
  EXPECT_EQ(result.Re, -3.5L);
  EXPECT_EQ(result.Im, 0.25L);
}

TEST(EvaluateTest, OperationsMayWriteOverTheirLeftOperand) {
  TComplex w{1, 2};
  CMul(w, w, {3, 4});
  EXPECT_EQ(w.Re, -5);
  EXPECT_EQ(w.Im, 10);
  TComplex v{0, 1};
  CPow(v, v, {2, 0});
  EXPECT_NEAR(v.Re, -1, kUlps);
  EXPECT_NEAR(v.Im, 0, kUlps);
  TComplex u{-1, 0};
  ApplyFunction(TTokenId::Ln, u, u);
  EXPECT_EQ(u.Re, 0);
  EXPECT_EQ(u.Im, kPi);
}

struct TFaultCase {
  const char* Formula;
  TComplex Z, C;
};

class EvaluateFaultTest : public testing::TestWithParam<TFaultCase> {};

TEST_P(EvaluateFaultTest, RaisesArithmeticError) {
  const TFaultCase& test = GetParam();
  EXPECT_THROW(EvaluateFormula(test.Formula, test.Z, test.C), EArithmeticError);
}

INSTANTIATE_TEST_SUITE_P(Faults, EvaluateFaultTest,
                         testing::Values(TFaultCase{"1/0", {}, {}}, TFaultCase{"0/0", {}, {}},
                                         TFaultCase{"Z/C", {1, 1}, {0, 0}},
                                         TFaultCase{"Ln(0)", {}, {}}, TFaultCase{"Ln(Z)", {}, {}},
                                         TFaultCase{"Exp(100000)", {}, {}},
                                         TFaultCase{"Z*Z", {1e4000L, 0}, {}},
                                         TFaultCase{"Abs(Z)", {0, 1e3000L}, {}},
                                         TFaultCase{"Z^C", {10, 0}, {1e5, 0}}));

TEST(EvaluateTest, FaultFlagsSeeExtendedArithmetic) {
  volatile long double big = LDBL_MAX;
  std::feclearexcept(FE_ALL_EXCEPT);
  volatile long double product = big * big;
  (void)product;
  EXPECT_NE(std::fetestexcept(FE_OVERFLOW), 0);
  EXPECT_THROW(RaiseOnArithmeticFault(), EArithmeticError);
  ClearArithmeticFaults();
  EXPECT_NO_THROW(RaiseOnArithmeticFault());
}

// Flags left set by arithmetic before the evaluation are not its fault.
TEST(EvaluateTest, StaleFaultFlagsDoNotFailAnEvaluation) {
  const TTokenList program = BoundProgram("Z*Z+C");
  for (const int flag : {FE_DIVBYZERO, FE_OVERFLOW, FE_INVALID}) {
    std::feraiseexcept(flag);
    TComplex result{};
    EXPECT_NO_THROW(Evaluate(program, {0.5L, 0.5L}, {0.25L, 0}, result)) << "flag " << flag;
    EXPECT_EQ(result.Re, 0.25L);
    EXPECT_EQ(result.Im, 0.5L);
  }
}

TEST(EvaluateTest, RefusesProgramsThatAreNotReady) {
  TComplex result{};
  EXPECT_THROW(Evaluate(TTokenList{}, {}, {}, result), std::logic_error);

  TSyntax syntax;
  TTokenList fragment;
  ASSERT_FALSE(syntax.Check(fragment, "Z+C*("));
  EXPECT_THROW(BindParameters(fragment, 0, 0), std::invalid_argument);
  EXPECT_THROW(Evaluate(fragment, {}, {}, result), std::logic_error);
}

}  // namespace
}  // namespace vortexa
