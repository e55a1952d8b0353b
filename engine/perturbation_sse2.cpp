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
  static V Min(V a, V b) { return _mm_min_pd(a, b); }
  // For x >= 1: the largest power of two up to x (its mantissa cleared).
  static V PowerOfTwoFloor(V x) {
    return _mm_and_pd(x, _mm_castsi128_pd(_mm_set1_epi64x(0x7FF0000000000000)));
  }
  // The kFields doubles at base + index of both lanes, field by field.
  template <int kFields>
  static void LoadRecords(const double* base, V index, V* fields) {
    const __m128i i = _mm_cvttpd_epi32(index);
    const double* low = base + _mm_cvtsi128_si32(i);
    const double* high = base + _mm_cvtsi128_si32(_mm_srli_si128(i, 4));
    for (int f = 0; f < kFields; f += 2) {
      const V a = _mm_load_pd(low + f);
      const V b = _mm_load_pd(high + f);
      fields[f] = _mm_unpacklo_pd(a, b);
      fields[f + 1] = _mm_unpackhi_pd(a, b);
    }
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
