// The deep core on AVX2: four double lanes per vector, the live lanes as
// all-ones vector lanes. Compiled with -mavx2 (no FMA: the multiply and the
// add of each operation must round separately).
#include <immintrin.h>

#include "perturbation_core.h"

namespace vortexa {
namespace {

struct TAvx2Deep {
  using V = __m256d;
  using M = __m256d;
  static constexpr int kWidth = 4;
  static constexpr int kVectors = 4;
  static V Load(const double* p) { return _mm256_load_pd(p); }
  static void Store(double* p, V v) { _mm256_store_pd(p, v); }
  static V Set1(double x) { return _mm256_set1_pd(x); }
  static V Add(V a, V b) { return _mm256_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm256_sub_pd(a, b); }
  static V Mul(V a, V b) { return _mm256_mul_pd(a, b); }
  // The masked form with a defined source: the plain one starts from an
  // undefined register, which GCC's uninitialised-use check reports.
  static V Gather(const double* base, V index) {
    const V all = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
    return _mm256_mask_i32gather_pd(_mm256_setzero_pd(), base, _mm256_cvttpd_epi32(index), all, 8);
  }
  static V Min(V a, V b) { return _mm256_min_pd(a, b); }
  // For x >= 1: the largest power of two up to x (its mantissa cleared).
  static V PowerOfTwoFloor(V x) {
    return _mm256_and_pd(x, _mm256_castsi256_pd(_mm256_set1_epi64x(0x7FF0000000000000)));
  }
  // The kFields (8 or 4) doubles at base + index of every lane, field by
  // field: a load of every lane's record, four fields at a time, and 4 x 4
  // transposes.
  template <int kFields>
  static void LoadRecords(const double* base, V index, V* fields) {
    static_assert(kFields == 8 || kFields == 4, "records of eight or four doubles");
    alignas(16) int at[kWidth];
    _mm_store_si128(reinterpret_cast<__m128i*>(at), _mm256_cvttpd_epi32(index));
    for (int quarter = 0; quarter < kFields; quarter += 4) {
      V r[kWidth];
      for (int k = 0; k < kWidth; ++k)
        r[k] = _mm256_load_pd(base + at[k] + quarter);
      const V even01 = _mm256_unpacklo_pd(r[0], r[1]);
      const V odd01 = _mm256_unpackhi_pd(r[0], r[1]);
      const V even23 = _mm256_unpacklo_pd(r[2], r[3]);
      const V odd23 = _mm256_unpackhi_pd(r[2], r[3]);
      V* f = fields + quarter;
      f[0] = _mm256_permute2f128_pd(even01, even23, 0x20);
      f[1] = _mm256_permute2f128_pd(odd01, odd23, 0x20);
      f[2] = _mm256_permute2f128_pd(even01, even23, 0x31);
      f[3] = _mm256_permute2f128_pd(odd01, odd23, 0x31);
    }
  }
  static M Greater(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_GT_OQ); }
  static M GreaterEqual(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_GE_OQ); }
  static M Less(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
  static M And(M a, M b) { return _mm256_and_pd(a, b); }
  static M Or(M a, M b) { return _mm256_or_pd(a, b); }
  static V Blend(M m, V ifSet, V ifClear) { return _mm256_blendv_pd(ifClear, ifSet, m); }
  static unsigned Bits(M m) { return static_cast<unsigned>(_mm256_movemask_pd(m)); }
  static M ToMask(unsigned bits) {
    const __m256i bit = _mm256_setr_epi64x(1, 2, 4, 8);
    const __m256i set = _mm256_and_si256(_mm256_set1_epi64x(bits), bit);
    return _mm256_castsi256_pd(_mm256_cmpeq_epi64(set, bit));
  }
};

}  // namespace

namespace deep_avx2 {
void Run(const TDeepJob& job, const TBlaArrays* bla) {
  TDeepCore<TAvx2Deep>(job, bla).Run();
}
}  // namespace deep_avx2

}  // namespace vortexa
