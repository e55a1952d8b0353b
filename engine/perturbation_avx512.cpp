// The deep core on AVX-512: eight double lanes per vector, lanes in mask
// registers. Compiled with -mavx512f (no FMA: the multiply and the add of
// each operation must round separately).
#include <immintrin.h>

#include "perturbation_core.h"

namespace vortexa {
namespace {

struct TAvx512Deep {
  using V = __m512d;
  using M = __mmask8;
  static constexpr int kWidth = 8;
  static constexpr int kVectors = 3;
  static V Load(const double* p) { return _mm512_load_pd(p); }
  static void Store(double* p, V v) { _mm512_store_pd(p, v); }
  static V Set1(double x) { return _mm512_set1_pd(x); }
  static V Add(V a, V b) { return _mm512_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm512_sub_pd(a, b); }
  static V Mul(V a, V b) { return _mm512_mul_pd(a, b); }
  static V Gather(const double* base, V index) {
    return _mm512_i32gather_pd(_mm512_cvttpd_epi32(index), base, 8);
  }
  static M Greater(V a, V b) { return _mm512_cmp_pd_mask(a, b, _CMP_GT_OQ); }
  static M GreaterEqual(V a, V b) { return _mm512_cmp_pd_mask(a, b, _CMP_GE_OQ); }
  static M Less(V a, V b) { return _mm512_cmp_pd_mask(a, b, _CMP_LT_OQ); }
  static M And(M a, M b) { return static_cast<M>(a & b); }
  static M Or(M a, M b) { return static_cast<M>(a | b); }
  static V Blend(M m, V ifSet, V ifClear) { return _mm512_mask_blend_pd(m, ifClear, ifSet); }
  static unsigned Bits(M m) { return m; }
  static M ToMask(unsigned bits) { return static_cast<M>(bits); }
};

}  // namespace

namespace deep_avx512 {
void Run(const TDeepJob& job, const TBlaArrays* bla) {
  TDeepCore<TAvx512Deep>(job, bla).Run();
}
}  // namespace deep_avx512

}  // namespace vortexa
