// Binding and evaluating a postfix formula program.
#pragma once

#include <cfenv>
#include <stdexcept>

#include "formula/token_list.h"

namespace vortexa {

// An arithmetic fault of a formula: overflow, division by zero or an invalid
// operation. Underflow and inexact results are not faults.
class EArithmeticError : public std::runtime_error {
 public:
  explicit EArithmeticError(int raisedFlags);
};

inline constexpr int kArithmeticFaults = FE_OVERFLOW | FE_DIVBYZERO | FE_INVALID;

// The flags are sticky: clear them before a computation and test once after
// it, and every fault in between is caught.
inline void ClearArithmeticFaults() {
  std::feclearexcept(kArithmeticFaults);
}
inline void RaiseOnArithmeticFault() {
  if (const int raised = std::fetestexcept(kArithmeticFaults)) throw EArithmeticError(raised);
}

// Stores the constants and the real parameters a and b into a checked
// program and readies it for evaluation; may be repeated with other a and b.
// Throws std::invalid_argument for a program that did not pass the check.
void BindParameters(TTokenList& program, long double a, long double b);

// Runs a bound program for the given Z and C. Throws EArithmeticError on an
// arithmetic fault and std::logic_error for a program that is not bound.
void Evaluate(const TTokenList& program, const TComplex& z, const TComplex& c, TComplex& result);

}  // namespace vortexa
