// Arithmetic faults of a recurrence: overflow, division by zero or an invalid
// operation, found from the floating-point status flags (never by trapping).
#pragma once

#include <cfenv>
#include <stdexcept>
#include <string>

namespace vortexa {

inline constexpr int kArithmeticFaults = FE_OVERFLOW | FE_DIVBYZERO | FE_INVALID;

// Names the faults among raisedFlags, in English, for logs and the
// command line; windows name them from Flags() in their own language.
inline std::string ArithmeticFaultText(int raisedFlags) {
  std::string text = "arithmetic fault in the formula:";
  if (raisedFlags & FE_DIVBYZERO) text += " division by zero";
  if (raisedFlags & FE_OVERFLOW) text += " overflow";
  if (raisedFlags & FE_INVALID) text += " invalid operation";
  return text;
}

// Underflow and inexact results are not faults.
class EArithmeticError : public std::runtime_error {
 public:
  explicit EArithmeticError(int raisedFlags)
      : std::runtime_error(ArithmeticFaultText(raisedFlags)),
        FFlags(raisedFlags & kArithmeticFaults) {}
  int Flags() const { return FFlags; }

 private:
  int FFlags;
};

// The flags are sticky: clear them before a computation and test once after
// it, and every fault in between is caught.
inline void ClearArithmeticFaults() {
  std::feclearexcept(kArithmeticFaults);
}
inline void RaiseOnArithmeticFault() {
  if (const int raised = std::fetestexcept(kArithmeticFaults)) throw EArithmeticError(raised);
}

}  // namespace vortexa
