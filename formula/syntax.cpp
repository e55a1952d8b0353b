#include "formula/syntax.h"

#include <locale.h>

#include <cmath>
#include <cstdlib>

namespace vortexa {

namespace {

using enum TTokenKind;
using enum TTokenId;

// Smaller binds tighter; only the operators have one.
int Priority(TTokenId id) {
  switch (id) {
    case Minus:
      return 0;
    case Pow:
      return 1;
    case Mul:
    case Div:
      return 2;
    default:
      return 3;  // Add, Sub
  }
}

// The C locale, so that a decimal point is a point whatever the user's locale.
locale_t CLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", nullptr);
  return locale;
}

bool HasDigit(std::string_view text) {
  return text.find_first_of("0123456789") != std::string_view::npos;
}

// The tokenizer guarantees digits [. digits] [E [sign] digits]; only an
// exponent without digits is malformed. A mantissa without digits is 0.
long double ConvertLiteral(const std::string& literal) {
  const std::size_t exponent = literal.find_first_of("Ee");
  if (exponent != std::string::npos && !HasDigit(std::string_view(literal).substr(exponent)))
    throw ESyntaxError(syntax_message::kBadNumber);
  if (!HasDigit(std::string_view(literal).substr(0, exponent))) return 0;
  const long double value = strtold_l(literal.c_str(), nullptr, CLocale());
  // A range error towards zero leaves a denormal or 0, which is acceptable.
  if (std::isinf(value)) throw ESyntaxError(syntax_message::kNumberOverflow);
  return value;
}

}  // namespace

bool TSyntax::Check(TTokenList& program, std::string_view text) {
  FErrorMessage.clear();
  program.Clear();
  try {
    Convert(program, text);
  } catch (const ESyntaxError& error) {
    FErrorMessage = error.what();
  }
  return FErrorMessage.empty();
}

void TSyntax::Fail(const char* message) const {
  throw ESyntaxError(message);
}

bool TSyntax::OperandExpected() const {
  return FParse.PrevKind() == Op || FParse.PrevKind() == Start || FParse.PrevId() == OBr;
}

std::unique_ptr<TToken> TSyntax::NewToken() const {
  auto token = std::make_unique<TToken>();
  token->Kind = FParse.Kind();
  token->Id = FParse.Id();
  return token;
}

void TSyntax::Convert(TTokenList& program, std::string_view text) {
  FStack.Clear();
  FParse.SetText(text);
  FParse.NextToken();
  while (!FParse.Token().empty()) {
    switch (FParse.Kind()) {
      case Var:
      case VConst:
      case Const:
        HandleOperand(program);
        break;
      case Deli:
        if (FParse.Id() == OBr)
          HandleOpenBracket();
        else
          HandleCloseBracket(program);
        break;
      case Op:
        HandleOperator(program);
        break;
      case Func:
        HandleFunction();
        break;
      case ErrorChar:
        Fail(syntax_message::kUnusableChar);
      default:  // ErrorIdent
        Fail(syntax_message::kUnknownName);
    }
  }
  Finish(program);
}

void TSyntax::HandleOperand(TTokenList& program) {
  if (!OperandExpected()) Fail(syntax_message::kMissingOperator);
  auto token = NewToken();
  if (token->Id == Num) token->Value.Re = ConvertLiteral(FParse.Token());
  program.Push(std::move(token));
  FParse.NextToken();
}

void TSyntax::HandleOpenBracket() {
  const TTokenKind prev = FParse.PrevKind();
  if (prev != Op && prev != Func && prev != Start && FParse.PrevId() != OBr)
    Fail(syntax_message::kMissingOperator);
  FStack.Push(NewToken());
  FParse.NextToken();
}

void TSyntax::HandleCloseBracket(TTokenList& program) {
  if (FParse.PrevKind() == Op || FParse.PrevKind() == Func)
    Fail(syntax_message::kCloseAfterOperator);
  if (FParse.PrevId() == OBr) Fail(syntax_message::kEmptyBrackets);
  while (FStack.Top() && FStack.Top()->Id != OBr && FStack.Top()->Kind != Func)
    program.Push(FStack.Pop());
  if (!FStack.Top()) Fail(syntax_message::kTooManyClose);
  auto opener = FStack.Pop();
  if (opener->Kind == Func) program.Push(std::move(opener));
  FParse.NextToken();
}

void TSyntax::HandleOperator(TTokenList& program) {
  auto token = NewToken();
  if (token->Id == Sub && OperandExpected()) token->Id = Minus;
  const bool unary = token->Id == Minus;
  if ((FParse.PrevKind() == Start || FParse.PrevId() == OBr) && !unary)
    Fail(syntax_message::kMisplacedOperator);
  if (FParse.PrevKind() == Op && !unary) Fail(syntax_message::kRepeatedOperator);
  // The unary minus is right-associative and binds tightest, so it never pops.
  if (!unary) {
    const int priority = Priority(token->Id);
    while (FStack.Top() && FStack.Top()->Kind == Op && Priority(FStack.Top()->Id) <= priority)
      program.Push(FStack.Pop());
  }
  FStack.Push(std::move(token));
  FParse.NextToken();
}

void TSyntax::HandleFunction() {
  if (!OperandExpected()) Fail(syntax_message::kMissingOperator);
  FStack.Push(NewToken());
  FParse.NextToken();
  // The function record stands for its opening bracket on the stack.
  if (FParse.Id() != OBr) Fail(syntax_message::kMissingFunctionBracket);
  FParse.NextToken();
}

void TSyntax::Finish(TTokenList& program) {
  const TTokenKind prev = FParse.PrevKind();
  if (prev == Op || prev == Func || prev == Start || FParse.PrevId() == OBr)
    Fail(syntax_message::kUnfinished);
  while (FStack.Top()) {
    if (FStack.Top()->Id == OBr || FStack.Top()->Kind == Func) Fail(syntax_message::kTooFewClose);
    program.Push(FStack.Pop());
  }
}

}  // namespace vortexa
