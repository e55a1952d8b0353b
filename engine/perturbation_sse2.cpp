// The deep core on SSE2, which every x86-64 processor has: two double lanes
// per vector; the gather is two scalar loads.
#include <emmintrin.h>

#include "perturbation_core.h"

namespace vortexa {
namespace {

struct TSse2Deep {
  using V = __m128d;
  using M = __m128d;
  static constexpr int kWidth = 2;
  static constexpr int kVectors = 4;
  static V Load(const double* p) { return _mm_load_pd(p); }
  static void Store(double* p, V v) { _mm_store_pd(p, v); }
  static V Set1(double x) { return _mm_set1_pd(x); }
  static V Add(V a, V b) { return _mm_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm_sub_pd(a, b); }
  static V Mul(V a, V b) { return _mm_mul_pd(a, b); }
  static V Gather(const double* base, V index) {
    const __m128i i = _mm_cvttpd_epi32(index);
    const int low = _mm_cvtsi128_si32(i);
    const int high = _mm_cvtsi128_si32(_mm_srli_si128(i, 4));
    return _mm_set_pd(base[high], base[low]);
  }
  // Ordered comparisons: a NaN compares false.
  static M Greater(V a, V b) { return _mm_cmpgt_pd(a, b); }
  static M GreaterEqual(V a, V b) { return _mm_cmpge_pd(a, b); }
  static M Less(V a, V b) { return _mm_cmplt_pd(a, b); }
  static M And(M a, M b) { return _mm_and_pd(a, b); }
  static M Or(M a, M b) { return _mm_or_pd(a, b); }
  static V Blend(M m, V ifSet, V ifClear) {
    return _mm_or_pd(_mm_and_pd(m, ifSet), _mm_andnot_pd(m, ifClear));
  }
  static unsigned Bits(M m) { return static_cast<unsigned>(_mm_movemask_pd(m)); }
  static M ToMask(unsigned bits) {
    return _mm_castsi128_pd(_mm_set_epi64x(-static_cast<long long>((bits >> 1) & 1),
                                           -static_cast<long long>(bits & 1)));
  }
};

}  // namespace

namespace deep_sse2 {
void Run(const TDeepJob& job, const TBlaArrays* bla) {
  TDeepCore<TSse2Deep>(job, bla).Run();
}
}  // namespace deep_sse2

}  // namespace vortexa
