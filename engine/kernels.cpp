#include "kernels.h"

#include <vector>

namespace vortexa {

TDot IterateFPU(long double cRe, long double cIm, long double zRe, long double zIm, int limit) {
  for (int n = 1; n <= limit; ++n) {
    const long double re2 = zRe * zRe;
    const long double im2 = zIm * zIm;
    if (re2 + im2 > 4.0f) return static_cast<TDot>(n);
    zIm = 2 * (zRe * zIm) + cIm;
    zRe = (re2 - im2) + cRe;
  }
  return kDotInside;
}

TDot IterateDot(const TCalcState& state, long double re, long double im) {
  const bool mandel = state.IsMandel;
  const long double cRe = mandel ? re : state.ParamRe;
  const long double cIm = mandel ? im : state.ParamIm;
  const long double zRe = mandel ? state.ParamRe : re;
  const long double zIm = mandel ? state.ParamIm : im;
  if (state.Formula) return state.Formula->Iterate(cRe, cIm, zRe, zIm, state.Limit);
  return IterateFPU(cRe, cIm, zRe, zIm, state.Limit);
}

namespace {

template <typename Real>
void IterateLanes(const Real* cRe, const Real* cIm, TDot* res, int count, int limit) {
  for (int lane = 0; lane < count; ++lane) {
    Real re = cRe[lane], im = cIm[lane];
    res[lane] = kDotInside;
    for (int n = 1; n <= limit; ++n) {
      const Real re2 = re * re;
      const Real im2 = im * im;
      if (!(re2 + im2 <= Real(4))) {
        res[lane] = static_cast<TDot>(n);
        break;
      }
      const Real reIm = re * im;
      re = (re2 - im2) + cRe[lane];
      im = (reIm + reIm) + cIm[lane];
    }
  }
}

template <typename Real>
void CalcRowLanes(const TCalcState& state, TDot* row, TDot* mirror, int stride, long double y) {
  std::vector<Real> re, im;
  std::vector<int> cols;
  for (int col = 0; col < state.GridWidth; col += stride) {
    if (LoadDot(row[col]) != kDotUncomputed) continue;
    cols.push_back(col);
    re.push_back(static_cast<Real>(state.ColRe[col]));
    im.push_back(static_cast<Real>(y));
  }
  std::vector<TDot> res(cols.size());
  IterateLanes<Real>(re.data(), im.data(), res.data(), static_cast<int>(cols.size()), state.Limit);
  for (std::size_t i = 0; i < cols.size(); ++i) {
    StoreDot(row[cols[i]], res[i]);
    if (mirror) StoreDot(mirror[cols[i]], res[i]);
  }
}

}  // namespace

void Iterate4(const float* cRe, const float* cIm, TDot* res, int count, int limit) {
  IterateLanes<float>(cRe, cIm, res, count, limit);
}

void Iterate2(const double* cRe, const double* cIm, TDot* res, int count, int limit) {
  IterateLanes<double>(cRe, cIm, res, count, limit);
}

void CalcRowFPU(const TCalcState& state, TDot* row, TDot* mirror, int stride, long double y) {
  for (int col = 0; col < state.GridWidth; col += stride) {
    if (LoadDot(row[col]) == kDotUncomputed)
      StoreDot(row[col], IterateDot(state, state.ColRe[col], y));
    if (mirror) StoreDot(mirror[col], LoadDot(row[col]));
  }
}

void CalcRowSSE(const TCalcState& state, TDot* row, TDot* mirror, int stride, long double y) {
  CalcRowLanes<float>(state, row, mirror, stride, y);
}

void CalcRowSSE2(const TCalcState& state, TDot* row, TDot* mirror, int stride, long double y) {
  CalcRowLanes<double>(state, row, mirror, stride, y);
}

int ProbeSimd() {
  return __builtin_cpu_supports("sse2") ? 2 : __builtin_cpu_supports("sse") ? 1 : 0;
}

const char* SimdUnitName() {
  return "scalar";
}

}  // namespace vortexa
