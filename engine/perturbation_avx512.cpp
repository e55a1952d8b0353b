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
  // The zero-masked forms with every lane set: GCC 12 writes the plain ones
  // of some shuffles from an undefined register and then reports its own use
  // of it.
  static constexpr __mmask8 kAll = 0xFF;
  static constexpr long long kExponentBits = 0x7FF0000000000000;
  static V Load(const double* p) { return _mm512_load_pd(p); }
  static void Store(double* p, V v) { _mm512_store_pd(p, v); }
  static V Set1(double x) { return _mm512_set1_pd(x); }
  static V Add(V a, V b) { return _mm512_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm512_sub_pd(a, b); }
  static V Mul(V a, V b) { return _mm512_mul_pd(a, b); }
  static V Gather(const double* base, V index) {
    return _mm512_i32gather_pd(_mm512_cvttpd_epi32(index), base, 8);
  }
  static V Min(V a, V b) { return _mm512_min_pd(a, b); }
  // For x >= 1: the largest power of two up to x (its mantissa cleared).
  static V PowerOfTwoFloor(V x) {
    return _mm512_castsi512_pd(
        _mm512_and_epi64(_mm512_castpd_si512(x), _mm512_set1_epi64(kExponentBits)));
  }
  // Two halves in one vector.
  static V Join(__m256d low, __m256d high) {
    return _mm512_maskz_insertf64x4(
        kAll, _mm512_maskz_insertf64x4(kAll, _mm512_setzero_pd(), low, 0), high, 1);
  }
  // The kFields (8 or 4) doubles at base + index of every lane, field by
  // field: a load of every lane's record and a transpose, where a gather of
  // each field would touch every lane's line again.
  template <int kFields>
  static void LoadRecords(const double* base, V index, V* fields) {
    static_assert(kFields == 8 || kFields == 4, "records of eight or four doubles");
    alignas(32) int at[kWidth];
    _mm256_store_si256(reinterpret_cast<__m256i*>(at), _mm512_maskz_cvttpd_epi32(kAll, index));
    // Lanes k and k + 1 (eight fields) or k, k + 1, k + 4 and k + 5 (four).
    V pairs[kWidth];
    if constexpr (kFields == 8) {
      for (int k = 0; k < kWidth; k += 2) {
        const V a = _mm512_load_pd(base + at[k]);
        const V b = _mm512_load_pd(base + at[k + 1]);
        pairs[k] = _mm512_maskz_unpacklo_pd(kAll, a, b);
        pairs[k + 1] = _mm512_maskz_unpackhi_pd(kAll, a, b);
      }
    } else {
      for (int k = 0; k < 4; k += 2) {
        const V a = Join(_mm256_load_pd(base + at[k]), _mm256_load_pd(base + at[k + 4]));
        const V b = Join(_mm256_load_pd(base + at[k + 1]), _mm256_load_pd(base + at[k + 5]));
        pairs[k] = _mm512_maskz_unpacklo_pd(kAll, a, b);
        pairs[k + 1] = _mm512_maskz_unpackhi_pd(kAll, a, b);
      }
    }
    // Even, odd fields of lanes 0 and 1 with those of lanes 2 and 3 (and
    // the like): fields f and f + 4 (eight) or f and f + 2 (four).
    const __m512i low = _mm512_setr_epi64(0, 1, 8, 9, 4, 5, 12, 13);
    const __m512i high = _mm512_setr_epi64(2, 3, 10, 11, 6, 7, 14, 15);
    if constexpr (kFields == 4) {
      fields[0] = _mm512_permutex2var_pd(pairs[0], low, pairs[2]);
      fields[1] = _mm512_permutex2var_pd(pairs[1], low, pairs[3]);
      fields[2] = _mm512_permutex2var_pd(pairs[0], high, pairs[2]);
      fields[3] = _mm512_permutex2var_pd(pairs[1], high, pairs[3]);
      return;
    }
    V quads[kWidth];
    for (int k = 0; k < kWidth; k += 4) {
      quads[k] = _mm512_permutex2var_pd(pairs[k], low, pairs[k + 2]);
      quads[k + 1] = _mm512_permutex2var_pd(pairs[k + 1], low, pairs[k + 3]);
      quads[k + 2] = _mm512_permutex2var_pd(pairs[k], high, pairs[k + 2]);
      quads[k + 3] = _mm512_permutex2var_pd(pairs[k + 1], high, pairs[k + 3]);
    }
    for (int f = 0; f < 4; ++f) {
      fields[f] = _mm512_maskz_shuffle_f64x2(kAll, quads[f], quads[4 + f], 0x44);
      fields[f + 4] = _mm512_maskz_shuffle_f64x2(kAll, quads[f], quads[4 + f], 0xEE);
    }
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
