#include "formula/formula_kernel.h"

#include <algorithm>

#include "formula/eval_stack.h"
#include "formula/evaluate.h"

namespace vortexa {

TDot IterateFormula(const TTokenList& program, long double cRe, long double cIm, long double zRe,
                    long double zIm, int limit, TStopFlag stop) {
  if (program.StackDepth() == 0) throw std::logic_error("the formula program is not bound");
  // Two stacks taking turns: Z refers to the previous result where it lies,
  // in the other stack, so it is never copied and never overwritten too soon.
  TEvalStack stacks[2] = {TEvalStack(program.StackDepth()), TEvalStack(program.StackDepth())};
  const TComplex start{zRe, zIm};
  const TComplex c{cRe, cIm};
  const TComplex* z = &start;
  ClearArithmeticFaults();
  // A fault turns Z into infinity or NaN, which escapes or never does; either
  // way the sticky flags are tested before any count leaves the kernel.
  for (int n = 1; n <= limit; ++n) {
    if (StopDue(n, stop)) return kDotUncomputed;
    const long double re2 = z->Re * z->Re;
    const long double im2 = z->Im * z->Im;
    if (re2 + im2 > 4.0f) {
      RaiseOnArithmeticFault();
      return static_cast<TDot>(n);
    }
    z = &stacks[n & 1].Run(program, *z, c);
  }
  RaiseOnArithmeticFault();
  return kDotInside;
}

bool KeepsConjugation(const TToken& token) {
  switch (token.Id) {
    case TTokenId::Z:
    case TTokenId::C:
    case TTokenId::Add:
    case TTokenId::Sub:
    case TTokenId::Mul:
    case TTokenId::Div:
    case TTokenId::Minus:
    case TTokenId::Abs:
    case TTokenId::Exp:
      return true;
    case TTokenId::A:
    case TTokenId::B:
    case TTokenId::E:
    case TTokenId::Pi:
    case TTokenId::Num:
      return token.Value.Im == 0;
    default:  // I, Ln, ^, and what no bound program holds
      return false;
  }
}

bool IsConjugationSymmetric(const TTokenList& program) {
  return std::all_of(program.begin(), program.end(),
                     [](const auto& token) { return KeepsConjugation(*token); });
}

}  // namespace vortexa
