#include "formula/complex_ops.h"

#include <cmath>

namespace vortexa {

namespace {

// The principal argument, in (-pi, pi]. Adding +0 turns a negative zero
// imaginary part (as in -1, which is Minus applied to 1) into +0, so that the
// negative real axis gives pi and not -pi.
long double Argument(const TComplex& arg) {
  return std::atan2(arg.Im + 0.0L, arg.Re);
}

}  // namespace

void CAdd(TComplex& res, const TComplex& left, const TComplex& right) {
  const long double re = left.Re + right.Re;
  const long double im = left.Im + right.Im;
  res = {re, im};
}

void CSub(TComplex& res, const TComplex& left, const TComplex& right) {
  const long double re = left.Re - right.Re;
  const long double im = left.Im - right.Im;
  res = {re, im};
}

void CMul(TComplex& res, const TComplex& left, const TComplex& right) {
  const long double re = left.Re * right.Re - left.Im * right.Im;
  const long double im = left.Re * right.Im + left.Im * right.Re;
  res = {re, im};
}

void CDiv(TComplex& res, const TComplex& left, const TComplex& right) {
  const long double norm = right.Re * right.Re + right.Im * right.Im;
  const long double re = (left.Re * right.Re + left.Im * right.Im) / norm;
  const long double im = (left.Im * right.Re - left.Re * right.Im) / norm;
  res = {re, im};
}

void CPow(TComplex& res, const TComplex& left, const TComplex& right) {
  const long double r = CAbs(left);
  if (r == 0) {
    res = {0, 0};
    return;
  }
  const long double logR = std::log(r);
  const long double theta = Argument(left);
  const long double m = std::exp(right.Re * logR - right.Im * theta);
  const long double phi = right.Re * theta + right.Im * logR;
  res = {m * std::cos(phi), m * std::sin(phi)};
}

long double CAbs(const TComplex& arg) {
  return std::sqrt(arg.Re * arg.Re + arg.Im * arg.Im);
}

void CLn(const TComplex& arg, TComplex& res) {
  const long double re = std::log(CAbs(arg));
  const long double im = Argument(arg);
  res = {re, im};
}

void CExp(const TComplex& arg, TComplex& res) {
  const long double m = std::exp(arg.Re);
  res = {m * std::cos(arg.Im), m * std::sin(arg.Im)};
}

void ApplyFunction(TTokenId id, const TComplex& arg, TComplex& res) {
  switch (id) {
    case TTokenId::Minus:
      res = {-arg.Re, -arg.Im};
      break;
    case TTokenId::Abs:
      res = {CAbs(arg), 0};
      break;
    case TTokenId::Ln:
      CLn(arg, res);
      break;
    case TTokenId::Exp:
      CExp(arg, res);
      break;
    default:
      break;
  }
}

}  // namespace vortexa
