#include "formula/formula_kernel.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <string>
#include <vector>

#include "engine/calc_grid.h"
#include "engine/kernels.h"
#include "formula/evaluate.h"
#include "formula/syntax.h"

namespace vortexa {
namespace {

TTokenList BoundProgram(const std::string& formula) {
  TSyntax syntax;
  TTokenList program;
  EXPECT_TRUE(syntax.Check(program, formula)) << formula << ": " << syntax.ErrorMessage();
  BindParameters(program, 0, 0);
  return program;
}

// Points of [-2, 1] x [-1.25, 1.25], where every count from 1 to the limit occurs.
std::vector<TComplex> SamplePoints() {
  std::vector<TComplex> points;
  for (int row = 0; row < 40; ++row)
    for (int col = 0; col < 60; ++col)
      points.push_back({-2 + col * 0.05L, -1.25L + row * 0.0625L});
  return points;
}

constexpr int kLimit = 300;

class FormulaKernelTest : public testing::TestWithParam<const char*> {};

// Adding zeros or bracketing changes no bit of z^2 + c.
TEST_P(FormulaKernelTest, SquarePlusCCountsLikeTheBuiltInKernel) {
  const TTokenList program = BoundProgram(GetParam());
  for (const TComplex& p : SamplePoints()) {
    ASSERT_EQ(IterateFormula(program, p.Re, p.Im, 0, 0, kLimit),
              IterateFPU(p.Re, p.Im, 0, 0, kLimit))
        << p.Re << "," << p.Im;
    ASSERT_EQ(IterateFormula(program, -0.75L, 0.1L, p.Re, p.Im, kLimit),
              IterateFPU(-0.75L, 0.1L, p.Re, p.Im, kLimit))
        << p.Re << "," << p.Im;
  }
}

std::string RightLeaningZeros(int depth) {
  std::string formula = "Z*Z+";
  for (int level = 0; level < depth; ++level)
    formula += "(0+";
  return formula + "C" + std::string(depth, ')');
}

INSTANTIATE_TEST_SUITE_P(Programs, FormulaKernelTest,
                         testing::Values("Z*Z+C", "z*z+(c)", "(Z*Z)+C+0*Z", "Z*Z+(0+(0+(0+C)))"));

TEST(FormulaKernelDeepTest, TwoHundredPendingValuesCountLikeTheBuiltInKernel) {
  const TTokenList program = BoundProgram(RightLeaningZeros(200));
  ASSERT_GT(program.StackDepth(), 200);
  for (const TComplex& p : SamplePoints())
    ASSERT_EQ(IterateFormula(program, p.Re, p.Im, 0, 0, 50), IterateFPU(p.Re, p.Im, 0, 0, 50));
}

TEST(FormulaKernelEdgeTest, CountsFromTheStartingValue) {
  const TTokenList program = BoundProgram("Z*Z+C");
  EXPECT_EQ(IterateFormula(program, 0, 0, 2.5L, 0, kLimit), 1);  // already outside
  EXPECT_EQ(IterateFormula(program, 0, 0, 0, 2, kLimit), 2);     // modulus 2 is inside
  EXPECT_EQ(IterateFormula(program, 0, 0, 0, 0, kLimit), kDotInside);
  EXPECT_EQ(IterateFormula(program, 0, 0, 0, 0, 1), kDotInside);
  EXPECT_EQ(IterateFormula(BoundProgram("Z^3+C"), 1, 0, 0, 0, kLimit), 4);  // 0, 1, 2, 9
  // A raised stop is looked at every 65536 iterations, never within 65000.
  const bool stop = true;
  EXPECT_EQ(IterateFormula(program, 0, 0, 0, 0, kMaxNarrowLimit, &stop), kDotInside);
  EXPECT_EQ(IterateFormula(program, 0, 0, 0, 0, kMaxLimit, &stop), kDotUncomputed);
}

TEST(FormulaKernelEdgeTest, ArithmeticFaultsLeaveTheKernel) {
  EXPECT_THROW(IterateFormula(BoundProgram("1/Z"), 0, 0, 0, 0, kLimit), EArithmeticError);
  EXPECT_THROW(IterateFormula(BoundProgram("Ln(Z)+C"), 0, 0, 0, 0, kLimit), EArithmeticError);
  EXPECT_THROW(IterateFormula(BoundProgram("Z*1e4000"), 0, 0, 1, 0, kLimit), EArithmeticError);
  // A fault in an earlier dot does not follow the next one.
  EXPECT_EQ(IterateFormula(BoundProgram("Z*Z+C"), 0, 0, 0, 0, kLimit), kDotInside);
  EXPECT_THROW(IterateFormula(TTokenList{}, 0, 0, 0, 0, kLimit), std::logic_error);
}

TEST(FormulaKernelEdgeTest, StaleFaultFlagsDoNotFailADot) {
  const TTokenList program = BoundProgram("Z*Z+C");
  for (const int flag : {FE_DIVBYZERO, FE_OVERFLOW, FE_INVALID}) {
    std::feraiseexcept(flag);
    EXPECT_EQ(IterateFormula(program, 0.25L, 0, 0, 0, kLimit), kDotInside) << "flag " << flag;
  }
}

// Whether a step commutes with conjugation, found by evaluating it: exactly
// conjugate results for conjugate Z and C at every sample, the negative real
// axis (both signs of zero) included.
bool EvaluatesConjugateEverywhere(const TTokenList& program) {
  const TComplex samples[] = {{0.3L, 0.7L}, {-1.2L, 0.4L}, {-1, 0},     {-0.5L, 0},
                              {2, 0},       {0.1L, -1.9L}, {-3, 1e-9L}, {1e-3L, 2}};
  for (const TComplex& z : samples)
    for (const TComplex& c : samples) {
      TComplex value{}, mirrored{};
      Evaluate(program, z, c, value);
      Evaluate(program, {z.Re, -z.Im}, {c.Re, -c.Im}, mirrored);
      if (mirrored.Re != value.Re || mirrored.Im != -value.Im) return false;
    }
  return true;
}

// One program per class of token; the ones decided symmetric must be so.
TEST(FormulaSymmetryTest, EachClassOfTokenIsDecidedByWhatItComputes) {
  const std::pair<const char*, bool> cases[] = {
      {"Z", true},        {"C", true},        {"Z*E+Pi+2.5+A*B", true},
      {"Z+C-Z*C", true},  {"Z/(C+3)", true},  {"-Z+C", true},
      {"Abs(Z)+C", true}, {"Exp(Z)*C", true}, {"Z*Z+C+0.2*I", false},
      {"Z+I*0", false},   {"Ln(Z)+C", false}, {"Z^2+C", false},
      {"Z^0.5", false},
  };
  for (const auto& [formula, symmetric] : cases) {
    TSyntax syntax;
    TTokenList program;
    ASSERT_TRUE(syntax.Check(program, formula)) << formula;
    BindParameters(program, 1.5L, -0.25L);
    EXPECT_EQ(IsConjugationSymmetric(program), symmetric) << formula;
    EXPECT_EQ(TFormulaRecurrence(program).IsConjugationSymmetric(), symmetric) << formula;
    if (symmetric) {
      EXPECT_TRUE(EvaluatesConjugateEverywhere(program)) << formula;
    }
  }
  // The tokens that break it do break it somewhere.
  for (const char* formula : {"Z+I", "Ln(Z)+C", "Z^2+C", "Z^0.5"})
    EXPECT_FALSE(EvaluatesConjugateEverywhere(BoundProgram(formula))) << formula;
}

// A 64 x 64 picture of range 2 has a dot size of 1/16, so dots hit exact values.
struct TGridRun {
  TCalcGrid Grid;
  explicit TGridRun(bool isMandel, const TRecurrence* formula, long double paramRe = 0,
                    long double paramIm = 0, int options = 0) {
    Grid.SetSize(64, 64);
    Grid.SetView(0, 0, kLimit, 2);
    Grid.SetOptions(options);
    Grid.SetFormula(isMandel, formula, paramRe, paramIm);
    Grid.Start(ccDraw);
    Grid.WaitIdle();
  }
  long double Re(int col) const { return (col - 32) / 16.0L; }
  long double Im(int row) const { return (row - 32) / 16.0L; }
};

TEST(FormulaGridTest, SquarePlusCDrawsTheBuiltInPicture) {
  const TTokenList program = BoundProgram("Z*Z+C");
  const TFormulaRecurrence recurrence(program);
  TGridRun plain(true, nullptr, 0, 0, kOptNoSimd);
  TGridRun custom(true, &recurrence);
  EXPECT_EQ(custom.Grid.GetKernel(), kKernelExtended);
  for (int row = 0; row < 64; ++row)
    for (int col = 0; col < 64; ++col)
      ASSERT_EQ(custom.Grid.GetDot(row, col), plain.Grid.GetDot(row, col)) << row << "," << col;
}

// The Julia set of c = 0 is the unit disk.
TEST(FormulaGridTest, JuliaModeOfZeroFillsTheUnitDisk) {
  const TTokenList program = BoundProgram("Z*Z+C");
  const TFormulaRecurrence recurrence(program);
  TGridRun julia(false, &recurrence, 0, 0);
  for (int row = 0; row < 64; ++row) {
    for (int col = 0; col < 64; ++col) {
      const long double modulus = std::hypot(julia.Re(col), julia.Im(row));
      const TDot dot = julia.Grid.GetDot(row, col);
      if (modulus < 0.99L) {
        EXPECT_GE(dot, kInsideThreshold) << row << "," << col;
      } else if (modulus > 1.01L) {
        EXPECT_LT(dot, kInsideThreshold) << row << "," << col;
        EXPECT_NE(dot, kDotUncomputed) << row << "," << col;
      }
    }
  }
}

// With I the picture is not symmetric, so it is not mirrored; without, the
// mirrored picture is the computed one.
TEST(FormulaGridTest, MirrorsOnlySymmetricPrograms) {
  for (const auto& [formula, axisRow] : {std::pair{"Z*Z+C+0.2*I", -1}, std::pair{"Z*Z+C", 32}}) {
    const TTokenList program = BoundProgram(formula);
    const TFormulaRecurrence recurrence(program);
    TGridRun mirrored(true, &recurrence, 0, 0, kOptNoPrediction);
    TGridRun computed(true, &recurrence, 0, 0, kOptNoPrediction | kOptNoMirror);
    EXPECT_EQ(mirrored.Grid.AxisRow(), axisRow) << formula;
    for (int row = 0; row < 64; ++row)
      for (int col = 0; col < 64; ++col)
        ASSERT_EQ(mirrored.Grid.GetDot(row, col), computed.Grid.GetDot(row, col))
            << formula << " " << row << "," << col;
  }
}

TEST(FormulaGridTest, AFaultEndsOnlyTheWorkerThatMetIt) {
  // 0/(C-0.5) adds nothing, except at the one dot where C is 0.5.
  const TTokenList program = BoundProgram("Z*Z+C+0/(C-0.5)");
  const TFormulaRecurrence recurrence(program);
  TGridRun faulty(true, &recurrence);
  const int faultRow = 32, faultCol = 40;
  EXPECT_EQ(faulty.Grid.GetDot(faultRow, faultCol), kDotUncomputed);
  // Row 32 from column 40 on, less column 48, which the first pass computed.
  const TCalcFault fault = faulty.Grid.LastFault();
  EXPECT_TRUE(fault.Failed);
  EXPECT_EQ(fault.Error, "arithmetic fault in the formula: invalid operation");
  EXPECT_EQ(fault.UncomputedDots, 64 - faultCol - 1);
  for (int col = 0; col < faultCol; ++col)
    EXPECT_NE(faulty.Grid.GetDot(faultRow, col), kDotUncomputed) << col;
  for (int row = 0; row < 64; ++row) {
    if (row == faultRow) continue;
    for (int col = 0; col < 64; ++col)
      ASSERT_NE(faulty.Grid.GetDot(row, col), kDotUncomputed) << row << "," << col;
  }
  // The grid takes the next command as usual.
  const TTokenList square = BoundProgram("Z*Z+C");
  const TFormulaRecurrence healthy(square);
  faulty.Grid.SetFormula(true, &healthy, 0, 0);
  faulty.Grid.Start(ccDraw);
  faulty.Grid.WaitIdle();
  EXPECT_NE(faulty.Grid.GetDot(faultRow, faultCol), kDotUncomputed);
}

}  // namespace
}  // namespace vortexa
