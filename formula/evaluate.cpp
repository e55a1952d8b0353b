#include "formula/evaluate.h"

#include <algorithm>
#include <numbers>
#include <string>

#include "formula/eval_stack.h"

namespace vortexa {

namespace {

void BindValue(TToken& token, long double a, long double b) {
  switch (token.Id) {
    case TTokenId::A:
      token.Value.Re = a;
      break;
    case TTokenId::B:
      token.Value.Re = b;
      break;
    case TTokenId::E:
      token.Value.Re = std::numbers::e_v<long double>;
      break;
    case TTokenId::Pi:
      token.Value.Re = std::numbers::pi_v<long double>;
      break;
    case TTokenId::I:
      token.Value.Im = 1;
      break;
    default:  // a number literal keeps its value
      break;
  }
  token.Kind = TTokenKind::Const;
}

// Most values pending at once, or 0 when the postfix program is malformed
// (an operation without its operands, or not exactly one value at the end).
int MeasureStackDepth(const TTokenList& program) {
  int depth = 0, deepest = 0;
  for (const auto& token : program) {
    switch (token->Kind) {
      case TTokenKind::Var:
      case TTokenKind::Const:
        deepest = std::max(deepest, ++depth);
        break;
      case TTokenKind::Op:
        if (depth < 2) return 0;
        --depth;
        break;
      case TTokenKind::Func:
        if (depth < 1) return 0;
        break;
      default:
        return 0;
    }
  }
  return depth == 1 ? deepest : 0;
}

}  // namespace

void BindParameters(TTokenList& program, long double a, long double b) {
  for (auto& token : program.FRecords) {
    if (token->Kind == TTokenKind::VConst || token->Kind == TTokenKind::Const)
      BindValue(*token, a, b);
    else if (token->Id == TTokenId::Minus)
      token->Kind = TTokenKind::Func;
  }
  program.FStackDepth = MeasureStackDepth(program);
  if (program.FStackDepth == 0) throw std::invalid_argument("the formula program is not valid");
}

void Evaluate(const TTokenList& program, const TComplex& z, const TComplex& c, TComplex& result) {
  if (program.StackDepth() == 0) throw std::logic_error("the formula program is not bound");
  TEvalStack stack(program.StackDepth());
  ClearArithmeticFaults();
  result = stack.Run(program, z, c);
  RaiseOnArithmeticFault();
}

}  // namespace vortexa
