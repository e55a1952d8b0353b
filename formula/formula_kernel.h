// The custom-recurrence kernel: iterates a bound formula program in place of
// z^2 + c in the extended-precision family.
#pragma once

#include "engine/recurrence.h"
#include "formula/token_list.h"

namespace vortexa {

// Same arguments, escape test, count and results as IterateFPU, with
// Z := program(Z, C) as the step. Throws EArithmeticError at the first
// arithmetic fault and std::logic_error for a program that is not bound.
TDot IterateFormula(const TTokenList& program, long double cRe, long double cIm, long double zRe,
                    long double zIm, int limit, TStopFlag stop = nullptr);

// Whether a token keeps a program's step commuting with complex conjugation:
// the variables, real constants, + - * /, the unary minus, Abs and Exp do, in
// the extended arithmetic exactly as in theory. I does not, and neither do Ln
// and ^: their principal branch maps the negative real axis off it
// (Ln(-1) = i pi, (-1)^0.5 = i).
bool KeepsConjugation(const TToken& token);
// True when every token of the program keeps it.
bool IsConjugationSymmetric(const TTokenList& program);

// Lets the engine run a bound program. It refers to the program, which must
// outlive it and must not be rebuilt or rebound while a computation runs.
class TFormulaRecurrence : public TRecurrence {
 public:
  explicit TFormulaRecurrence(const TTokenList& program) : FProgram(program) {}
  TDot Iterate(long double cRe, long double cIm, long double zRe, long double zIm, int limit,
               TStopFlag stop) const override {
    return IterateFormula(FProgram, cRe, cIm, zRe, zIm, limit, stop);
  }
  bool IsConjugationSymmetric() const override { return vortexa::IsConjugationSymmetric(FProgram); }

 private:
  const TTokenList& FProgram;
};

}  // namespace vortexa
