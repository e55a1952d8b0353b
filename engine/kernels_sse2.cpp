// The lane core on SSE2, which every x86-64 processor has: 4 single or 2 double
// lanes per vector, the live lanes as all-ones vector lanes.
#include <emmintrin.h>

#include "kernels_lanes_core.h"

namespace vortexa {
namespace {

struct TSse2Single {
  using Real = float;
  using Cnt = std::int32_t;
  using V = __m128;
  using C = __m128i;
  using M = __m128;
  static constexpr int kWidth = 4;
  static constexpr int kVectors = 2;
  static V Load(const float* p) { return _mm_load_ps(p); }
  static void Store(float* p, V v) { _mm_store_ps(p, v); }
  static C LoadC(const Cnt* p) { return _mm_load_si128(reinterpret_cast<const __m128i*>(p)); }
  static void StoreC(Cnt* p, C v) { _mm_store_si128(reinterpret_cast<__m128i*>(p), v); }
  static V Set1(float x) { return _mm_set1_ps(x); }
  static C Set1C(Cnt x) { return _mm_set1_epi32(x); }
  static M ToMask(unsigned bits) {
    const __m128i bit = _mm_setr_epi32(1, 2, 4, 8);
    const __m128i set = _mm_and_si128(_mm_set1_epi32(static_cast<int>(bits)), bit);
    return _mm_castsi128_ps(_mm_cmpeq_epi32(set, bit));
  }
  static unsigned Bits(M m) { return static_cast<unsigned>(_mm_movemask_ps(m)); }
  static V Mul(V a, V b) { return _mm_mul_ps(a, b); }
  static V Add(V a, V b) { return _mm_add_ps(a, b); }
  static V Sub(V a, V b) { return _mm_sub_ps(a, b); }
  // cmple is an ordered comparison: a NaN sum is not inside.
  static M StillInside(M live, V sum, V four) { return _mm_and_ps(live, _mm_cmple_ps(sum, four)); }
  static C CountLive(C cnt, M live, C) { return _mm_sub_epi32(cnt, _mm_castps_si128(live)); }
};

struct TSse2Double {
  using Real = double;
  using Cnt = std::int64_t;
  using V = __m128d;
  using C = __m128i;
  using M = __m128d;
  static constexpr int kWidth = 2;
  static constexpr int kVectors = 2;
  static V Load(const double* p) { return _mm_load_pd(p); }
  static void Store(double* p, V v) { _mm_store_pd(p, v); }
  static C LoadC(const Cnt* p) { return _mm_load_si128(reinterpret_cast<const __m128i*>(p)); }
  static void StoreC(Cnt* p, C v) { _mm_store_si128(reinterpret_cast<__m128i*>(p), v); }
  static V Set1(double x) { return _mm_set1_pd(x); }
  static C Set1C(Cnt x) { return _mm_set1_epi64x(x); }
  static M ToMask(unsigned bits) {
    return _mm_castsi128_pd(_mm_set_epi64x(-static_cast<long long>((bits >> 1) & 1),
                                           -static_cast<long long>(bits & 1)));
  }
  static unsigned Bits(M m) { return static_cast<unsigned>(_mm_movemask_pd(m)); }
  static V Mul(V a, V b) { return _mm_mul_pd(a, b); }
  static V Add(V a, V b) { return _mm_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm_sub_pd(a, b); }
  static M StillInside(M live, V sum, V four) { return _mm_and_pd(live, _mm_cmple_pd(sum, four)); }
  static C CountLive(C cnt, M live, C) { return _mm_sub_epi64(cnt, _mm_castpd_si128(live)); }
};

}  // namespace

namespace lanes_sse2 {
void Run(const TLaneJob<float>& job) {
  TLaneCore<TSse2Single>(job).Run();
}
void Run(const TLaneJob<double>& job) {
  TLaneCore<TSse2Double>(job).Run();
}
}  // namespace lanes_sse2

}  // namespace vortexa
