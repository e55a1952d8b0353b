// The lane core on AVX-512: 16 single or 8 double lanes per vector, the live
// lanes in mask registers. Compiled with -mavx512f (no FMA: the multiply and
// the add of each operation must round separately).
#include <immintrin.h>

#include "kernels_lanes_core.h"

namespace vortexa {
namespace {

struct TAvx512Single {
  using Real = float;
  using Cnt = std::int32_t;
  using V = __m512;
  using C = __m512i;
  using M = __mmask16;
  static constexpr int kWidth = 16;
  static constexpr int kVectors = 4;
  static V Load(const float* p) { return _mm512_load_ps(p); }
  static void Store(float* p, V v) { _mm512_store_ps(p, v); }
  static C LoadC(const Cnt* p) { return _mm512_load_si512(p); }
  static void StoreC(Cnt* p, C v) { _mm512_store_si512(p, v); }
  static V Set1(float x) { return _mm512_set1_ps(x); }
  static C Set1C(Cnt x) { return _mm512_set1_epi32(x); }
  static M ToMask(unsigned bits) { return static_cast<M>(bits); }
  static unsigned Bits(M m) { return m; }
  static V Mul(V a, V b) { return _mm512_mul_ps(a, b); }
  static V Add(V a, V b) { return _mm512_add_ps(a, b); }
  static V Sub(V a, V b) { return _mm512_sub_ps(a, b); }
  static M StillInside(M live, V sum, V four) {
    return _mm512_mask_cmp_ps_mask(live, sum, four, _CMP_LE_OQ);
  }
  static C CountLive(C cnt, M live, C one) { return _mm512_mask_add_epi32(cnt, live, cnt, one); }
};

struct TAvx512Double {
  using Real = double;
  using Cnt = std::int64_t;
  using V = __m512d;
  using C = __m512i;
  using M = __mmask8;
  static constexpr int kWidth = 8;
  static constexpr int kVectors = 4;
  static V Load(const double* p) { return _mm512_load_pd(p); }
  static void Store(double* p, V v) { _mm512_store_pd(p, v); }
  static C LoadC(const Cnt* p) { return _mm512_load_si512(p); }
  static void StoreC(Cnt* p, C v) { _mm512_store_si512(p, v); }
  static V Set1(double x) { return _mm512_set1_pd(x); }
  static C Set1C(Cnt x) { return _mm512_set1_epi64(x); }
  static M ToMask(unsigned bits) { return static_cast<M>(bits); }
  static unsigned Bits(M m) { return m; }
  static V Mul(V a, V b) { return _mm512_mul_pd(a, b); }
  static V Add(V a, V b) { return _mm512_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm512_sub_pd(a, b); }
  static M StillInside(M live, V sum, V four) {
    return _mm512_mask_cmp_pd_mask(live, sum, four, _CMP_LE_OQ);
  }
  static C CountLive(C cnt, M live, C one) { return _mm512_mask_add_epi64(cnt, live, cnt, one); }
};

}  // namespace

namespace lanes_avx512 {
void Run(const TLaneJob<float>& job) {
  TLaneCore<TAvx512Single>(job).Run();
}
void Run(const TLaneJob<double>& job) {
  TLaneCore<TAvx512Double>(job).Run();
}
}  // namespace lanes_avx512

}  // namespace vortexa
