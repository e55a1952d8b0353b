// Complex arithmetic of the formula language in 80-bit extended precision.
// Every operation reads its operands completely before it writes the result,
// so the result may share storage with an operand.
#pragma once

#include <array>

#include "formula/token_list.h"

namespace vortexa {

void CAdd(TComplex& res, const TComplex& left, const TComplex& right);
void CSub(TComplex& res, const TComplex& left, const TComplex& right);
void CMul(TComplex& res, const TComplex& left, const TComplex& right);
// No special case for a zero divisor: it raises the division-by-zero or
// invalid-operation flag.
void CDiv(TComplex& res, const TComplex& left, const TComplex& right);
// Always through the logarithm, also for whole exponents; 0 to any power is 0.
void CPow(TComplex& res, const TComplex& left, const TComplex& right);

long double CAbs(const TComplex& arg);
// The principal logarithm, imaginary part in (-pi, pi].
void CLn(const TComplex& arg, TComplex& res);
void CExp(const TComplex& arg, TComplex& res);

// Minus, Abs, Ln or Exp of arg; any other id leaves res untouched.
void ApplyFunction(TTokenId id, const TComplex& arg, TComplex& res);

using TOperation = void (*)(TComplex& res, const TComplex& left, const TComplex& right);

// The two-operand operations by token id; the other ids have no entry.
inline constexpr std::array<TOperation, kTokenIdCount> OpTable = [] {
  std::array<TOperation, kTokenIdCount> table{};
  table[static_cast<int>(TTokenId::Add)] = CAdd;
  table[static_cast<int>(TTokenId::Sub)] = CSub;
  table[static_cast<int>(TTokenId::Mul)] = CMul;
  table[static_cast<int>(TTokenId::Div)] = CDiv;
  table[static_cast<int>(TTokenId::Pow)] = CPow;
  return table;
}();

}  // namespace vortexa
