#include "formula/syntax.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "formula/parse.h"

namespace vortexa {
namespace {

const char* IdName(TTokenId id) {
  static const char* const names[] = {"Z",   "C",     "A",   "B",   "E",   "Pi",  "I",
                                      "Num", "OBr",   "CBr", "Add", "Sub", "Mul", "Div",
                                      "Pow", "Minus", "Abs", "Ln",  "Exp", "None"};
  return names[static_cast<int>(id)];
}

// The program as "Z 2 Pow", number literals by their value.
std::string ProgramText(const TTokenList& program) {
  std::string text;
  for (const auto& token : program) {
    if (!text.empty()) text += ' ';
    if (token->Id == TTokenId::Num) {
      char value[32];
      std::snprintf(value, sizeof value, "%Lg", token->Value.Re);
      text += value;
    } else {
      text += IdName(token->Id);
    }
  }
  return text;
}

struct TProgramCase {
  const char* Formula;
  const char* Program;
};

class SyntaxProgramTest : public testing::TestWithParam<TProgramCase> {};

TEST_P(SyntaxProgramTest, ConvertsToPostfix) {
  TSyntax syntax;
  TTokenList program;
  EXPECT_TRUE(syntax.Check(program, GetParam().Formula));
  EXPECT_EQ(syntax.ErrorMessage(), "");
  EXPECT_EQ(ProgramText(program), GetParam().Program);
}

INSTANTIATE_TEST_SUITE_P(
    Precedence, SyntaxProgramTest,
    testing::Values(TProgramCase{"Z*Z+C", "Z Z Mul C Add"}, TProgramCase{"z*z+c", "Z Z Mul C Add"},
                    TProgramCase{" Z * Z + C ", "Z Z Mul C Add"},
                    TProgramCase{"\tZ*Z\r\n+\x01"
                                 "C",
                                 "Z Z Mul C Add"},
                    TProgramCase{"-Z^2", "Z Minus 2 Pow"}, TProgramCase{"-(Z^2)", "Z 2 Pow Minus"},
                    TProgramCase{"2^3^2", "2 3 Pow 2 Pow"}, TProgramCase{"Z*-C", "Z C Minus Mul"},
                    TProgramCase{"Abs(Z-1)", "Z 1 Sub Abs"}, TProgramCase{"-Z", "Z Minus"},
                    TProgramCase{"Z--C", "Z C Minus Sub"}, TProgramCase{"--Z", "Z Minus Minus"},
                    TProgramCase{"Z-C-Z", "Z C Sub Z Sub"}, TProgramCase{"Z/C*Z", "Z C Div Z Mul"},
                    TProgramCase{"Z+C*Z^2", "Z C Z 2 Pow Mul Add"},
                    TProgramCase{"(Z+C)*Z", "Z C Add Z Mul"}, TProgramCase{"((Z))", "Z"},
                    TProgramCase{"Exp(Abs(Z))", "Z Abs Exp"}, TProgramCase{"2*E", "2 E Mul"}));

INSTANTIATE_TEST_SUITE_P(NamesIgnoreCase, SyntaxProgramTest,
                         testing::Values(TProgramCase{"pi*I+e+a+B", "Pi I Mul E Add A Add B Add"},
                                         TProgramCase{"PI+i+E+A+b", "Pi I Add E Add A Add B Add"},
                                         TProgramCase{"abs(z)+LN(c)+eXp(Z)",
                                                      "Z Abs C Ln Add Z Exp Add"}));

struct TNumberCase {
  const char* Formula;
  long double Value;
};

class SyntaxNumberTest : public testing::TestWithParam<TNumberCase> {};

TEST_P(SyntaxNumberTest, ConvertsLiteral) {
  TSyntax syntax;
  TTokenList program;
  ASSERT_TRUE(syntax.Check(program, GetParam().Formula)) << syntax.ErrorMessage();
  ASSERT_EQ(program.Count(), 1);
  EXPECT_EQ(program[0].Id, TTokenId::Num);
  EXPECT_EQ(program[0].Value.Re, GetParam().Value);
  EXPECT_EQ(program[0].Value.Im, 0);
}

INSTANTIATE_TEST_SUITE_P(Literals, SyntaxNumberTest,
                         testing::Values(TNumberCase{".5", 0.5L}, TNumberCase{"5.", 5},
                                         TNumberCase{".", 0}, TNumberCase{"2E1", 20},
                                         TNumberCase{"1e+2", 100}, TNumberCase{"25e-2", 0.25L},
                                         TNumberCase{"0.1", 0.1L}, TNumberCase{"007.250", 7.25L},
                                         TNumberCase{"1e-5000", 0}, TNumberCase{"1e4000", 1e4000L},
                                         TNumberCase{"1.18973149535723176502e+4932",
                                                     std::numeric_limits<long double>::max()}));

struct TErrorCase {
  std::string Formula;
  const char* Message;
  int Pos;
};

class SyntaxErrorTest : public testing::TestWithParam<TErrorCase> {};

TEST_P(SyntaxErrorTest, ReportsMessageAndPosition) {
  TSyntax syntax;
  TTokenList program;
  EXPECT_FALSE(syntax.Check(program, GetParam().Formula));
  EXPECT_EQ(syntax.ErrorMessage(), GetParam().Message);
  EXPECT_EQ(syntax.ErrorPos(), GetParam().Pos);
}

using namespace syntax_message;

INSTANTIATE_TEST_SUITE_P(
    Messages, SyntaxErrorTest,
    testing::Values(
        TErrorCase{"2Z", kMissingOperator, 1}, TErrorCase{"(Z)(C)", kMissingOperator, 3},
        TErrorCase{"Z Abs(Z)", kMissingOperator, 2}, TErrorCase{"Z(C)", kMissingOperator, 1},
        TErrorCase{"1e5000", kNumberOverflow, 0}, TErrorCase{"Z*1.2e99999", kNumberOverflow, 2},
        TErrorCase{"2E", kBadNumber, 0}, TErrorCase{"1e", kBadNumber, 0},
        TErrorCase{"1e+", kBadNumber, 0}, TErrorCase{"Z+.e-", kBadNumber, 2},
        TErrorCase{"(Z+)", kCloseAfterOperator, 3}, TErrorCase{"Abs(-)", kCloseAfterOperator, 5},
        TErrorCase{"()", kEmptyBrackets, 1}, TErrorCase{"Abs()", kEmptyBrackets, 4},
        TErrorCase{"Z)", kTooManyClose, 1}, TErrorCase{"(Z))", kTooManyClose, 3},
        TErrorCase{"+Z", kMisplacedOperator, 0}, TErrorCase{"(*Z)", kMisplacedOperator, 1},
        TErrorCase{"Z-+C", kRepeatedOperator, 2}, TErrorCase{"Z*^C", kRepeatedOperator, 2},
        TErrorCase{"Abs Z", kMissingFunctionBracket, 4},
        TErrorCase{"Abs", kMissingFunctionBracket, 0}, TErrorCase{"Z#C", kUnusableChar, 1},
        TErrorCase{"\xEF\xBC\xBA", kUnusableChar, 0}, TErrorCase{"Z+\x80", kUnusableChar, 2},
        TErrorCase{std::string("Z+C\0", 4), kUnusableChar, 3}, TErrorCase{"ZZ", kUnknownName, 0},
        TErrorCase{"sin(Z)", kUnknownName, 0}, TErrorCase{"Z+zc", kUnknownName, 2},
        TErrorCase{"", kUnfinished, 0}, TErrorCase{" \t ", kUnfinished, 0},
        TErrorCase{"Z+", kUnfinished, 1}, TErrorCase{"Abs(", kUnfinished, 3},
        TErrorCase{"(Z", kTooFewClose, 1}, TErrorCase{"Abs(Z", kTooFewClose, 4},
        TErrorCase{"((Z)", kTooFewClose, 3}));

TEST(SyntaxTest, EachCheckStartsClean) {
  TSyntax syntax;
  TTokenList program;
  EXPECT_FALSE(syntax.Check(program, "(Z+C*"));
  EXPECT_TRUE(syntax.Check(program, "C"));
  EXPECT_EQ(syntax.ErrorMessage(), "");
  EXPECT_EQ(ProgramText(program), "C");
}

struct TTokenCase {
  std::string Text;
  TTokenKind Kind;
  TTokenId Id;
  int Pos;
};

TEST(ParseTest, SplitsTextIntoTokens) {
  TParse parse;
  parse.SetText("  Abs(z)#@ 1.5e+3x#.5");
  const TTokenCase expected[] = {
      {"Abs", TTokenKind::Func, TTokenId::Abs, 2},
      {"(", TTokenKind::Deli, TTokenId::OBr, 5},
      {"z", TTokenKind::Var, TTokenId::Z, 6},
      {")", TTokenKind::Deli, TTokenId::CBr, 7},
      {"#@", TTokenKind::ErrorChar, TTokenId::None, 8},
      {"1.5e+3", TTokenKind::Const, TTokenId::Num, 11},
      {"x", TTokenKind::ErrorIdent, TTokenId::None, 17},
      {"#", TTokenKind::ErrorChar, TTokenId::None, 18},
      {".5", TTokenKind::Const, TTokenId::Num, 19},
  };
  TTokenKind prevKind = TTokenKind::Start;
  for (const TTokenCase& token : expected) {
    parse.NextToken();
    EXPECT_EQ(parse.Token(), token.Text);
    EXPECT_EQ(parse.Kind(), token.Kind) << token.Text;
    EXPECT_EQ(parse.Id(), token.Id) << token.Text;
    EXPECT_EQ(parse.TokenPos(), token.Pos) << token.Text;
    EXPECT_EQ(parse.PrevKind(), prevKind) << token.Text;
    prevKind = token.Kind;
  }
  parse.NextToken();
  EXPECT_EQ(parse.Token(), "");
  EXPECT_EQ(parse.Kind(), TTokenKind::Const);
  EXPECT_EQ(parse.TokenPos(), 19);
}

}  // namespace
}  // namespace vortexa
