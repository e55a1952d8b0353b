// Binding and evaluating a postfix formula program.
#pragma once

#include "engine/arithmetic_fault.h"
#include "formula/token_list.h"

namespace vortexa {

// Stores the constants and the real parameters a and b into a checked
// program and readies it for evaluation; may be repeated with other a and b.
// Throws std::invalid_argument for a program that did not pass the check.
void BindParameters(TTokenList& program, long double a, long double b);

// Runs a bound program for the given Z and C. Throws EArithmeticError on an
// arithmetic fault and std::logic_error for a program that is not bound.
void Evaluate(const TTokenList& program, const TComplex& z, const TComplex& c, TComplex& result);

}  // namespace vortexa
