// The lane core on AVX2: 8 single or 4 double lanes per vector, the live lanes
// as all-ones vector lanes. Compiled with -mavx2 (no FMA: the multiply and the
// add of each operation must round separately).
#include <immintrin.h>

#include "kernels_lanes_core.h"

namespace vortexa {
namespace {

struct TAvx2Single {
  using Real = float;
  using Cnt = std::int32_t;
  using V = __m256;
  using C = __m256i;
  using M = __m256;
  static constexpr int kWidth = 8;
  static constexpr int kVectors = 2;
  static V Load(const float* p) { return _mm256_load_ps(p); }
  static void Store(float* p, V v) { _mm256_store_ps(p, v); }
  static C LoadC(const Cnt* p) { return _mm256_load_si256(reinterpret_cast<const __m256i*>(p)); }
  static void StoreC(Cnt* p, C v) { _mm256_store_si256(reinterpret_cast<__m256i*>(p), v); }
  static V Set1(float x) { return _mm256_set1_ps(x); }
  static C Set1C(Cnt x) { return _mm256_set1_epi32(x); }
  static M ToMask(unsigned bits) {
    const __m256i bit = _mm256_setr_epi32(1, 2, 4, 8, 16, 32, 64, 128);
    const __m256i set = _mm256_and_si256(_mm256_set1_epi32(static_cast<int>(bits)), bit);
    return _mm256_castsi256_ps(_mm256_cmpeq_epi32(set, bit));
  }
  static unsigned Bits(M m) { return static_cast<unsigned>(_mm256_movemask_ps(m)); }
  static V Mul(V a, V b) { return _mm256_mul_ps(a, b); }
  static V Add(V a, V b) { return _mm256_add_ps(a, b); }
  static V Sub(V a, V b) { return _mm256_sub_ps(a, b); }
  static M StillInside(M live, V sum, V four) {
    return _mm256_and_ps(live, _mm256_cmp_ps(sum, four, _CMP_LE_OQ));
  }
  // A live lane is all ones, that is -1: subtracting it counts one.
  static C CountLive(C cnt, M live, C) { return _mm256_sub_epi32(cnt, _mm256_castps_si256(live)); }
};

struct TAvx2Double {
  using Real = double;
  using Cnt = std::int64_t;
  using V = __m256d;
  using C = __m256i;
  using M = __m256d;
  static constexpr int kWidth = 4;
  static constexpr int kVectors = 2;
  static V Load(const double* p) { return _mm256_load_pd(p); }
  static void Store(double* p, V v) { _mm256_store_pd(p, v); }
  static C LoadC(const Cnt* p) { return _mm256_load_si256(reinterpret_cast<const __m256i*>(p)); }
  static void StoreC(Cnt* p, C v) { _mm256_store_si256(reinterpret_cast<__m256i*>(p), v); }
  static V Set1(double x) { return _mm256_set1_pd(x); }
  static C Set1C(Cnt x) { return _mm256_set1_epi64x(x); }
  static M ToMask(unsigned bits) {
    const __m256i bit = _mm256_setr_epi64x(1, 2, 4, 8);
    const __m256i set = _mm256_and_si256(_mm256_set1_epi64x(bits), bit);
    return _mm256_castsi256_pd(_mm256_cmpeq_epi64(set, bit));
  }
  static unsigned Bits(M m) { return static_cast<unsigned>(_mm256_movemask_pd(m)); }
  static V Mul(V a, V b) { return _mm256_mul_pd(a, b); }
  static V Add(V a, V b) { return _mm256_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm256_sub_pd(a, b); }
  static M StillInside(M live, V sum, V four) {
    return _mm256_and_pd(live, _mm256_cmp_pd(sum, four, _CMP_LE_OQ));
  }
  static C CountLive(C cnt, M live, C) { return _mm256_sub_epi64(cnt, _mm256_castpd_si256(live)); }
};

}  // namespace

namespace lanes_avx2 {
void Run(const TLaneJob<float>& job) {
  TLaneCore<TAvx2Single>(job).Run();
}
void Run(const TLaneJob<double>& job) {
  TLaneCore<TAvx2Double>(job).Run();
}
}  // namespace lanes_avx2

}  // namespace vortexa
