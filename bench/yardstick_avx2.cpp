// AVX2 yardstick, for processors without AVX-512: two vectors interleaved,
// every lane counts for itself, finished lanes refilled in batches.
#include <immintrin.h>

#include "yardstick.h"

namespace vortexa::bench {
namespace {

struct TPs {
  using Real = float;
  using Cnt = std::int32_t;
  using V = __m256;
  using C = __m256i;
  static constexpr int kWidth = 8;
  static V Load(const float* p) { return _mm256_load_ps(p); }
  static void Store(float* p, V v) { _mm256_store_ps(p, v); }
  static C LoadC(const Cnt* p) { return _mm256_load_si256(reinterpret_cast<const C*>(p)); }
  static void StoreC(Cnt* p, C v) { _mm256_store_si256(reinterpret_cast<C*>(p), v); }
  static V Set1(float x) { return _mm256_set1_ps(x); }
  static V Mul(V a, V b) { return _mm256_mul_ps(a, b); }
  static V Add(V a, V b) { return _mm256_add_ps(a, b); }
  static V Sub(V a, V b) { return _mm256_sub_ps(a, b); }
  static V Inside(V s, V four) { return _mm256_cmp_ps(s, four, _CMP_LE_OQ); }
  static V And(V a, V b) { return _mm256_and_ps(a, b); }
  static C Count(C cnt, V live) { return _mm256_sub_epi32(cnt, _mm256_castps_si256(live)); }
  static unsigned Bits(V m) { return static_cast<unsigned>(_mm256_movemask_ps(m)); }
  static V FromC(C c) { return _mm256_castsi256_ps(c); }
};

struct TPd {
  using Real = double;
  using Cnt = std::int64_t;
  using V = __m256d;
  using C = __m256i;
  static constexpr int kWidth = 4;
  static V Load(const double* p) { return _mm256_load_pd(p); }
  static void Store(double* p, V v) { _mm256_store_pd(p, v); }
  static C LoadC(const Cnt* p) { return _mm256_load_si256(reinterpret_cast<const C*>(p)); }
  static void StoreC(Cnt* p, C v) { _mm256_store_si256(reinterpret_cast<C*>(p), v); }
  static V Set1(double x) { return _mm256_set1_pd(x); }
  static V Mul(V a, V b) { return _mm256_mul_pd(a, b); }
  static V Add(V a, V b) { return _mm256_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm256_sub_pd(a, b); }
  static V Inside(V s, V four) { return _mm256_cmp_pd(s, four, _CMP_LE_OQ); }
  static V And(V a, V b) { return _mm256_and_pd(a, b); }
  static C Count(C cnt, V live) { return _mm256_sub_epi64(cnt, _mm256_castpd_si256(live)); }
  static unsigned Bits(V m) { return static_cast<unsigned>(_mm256_movemask_pd(m)); }
  static V FromC(C c) { return _mm256_castsi256_pd(c); }
};

template <class T>
std::int64_t Run(const typename T::Real* re, const typename T::Real* im, int count, int limit) {
  using Real = typename T::Real;
  constexpr int kVectors = 2, kWidth = T::kWidth, kLanes = kVectors * kWidth, kBatch = 2;
  alignas(32) Real zr[kLanes], zi[kLanes], cr[kLanes], ci[kLanes];
  alignas(32) typename T::Cnt cnt[kLanes], on[kLanes];
  bool occ[kLanes] = {};
  int next = 0;
  std::int64_t sum = 0;
  const auto refill = [&](int l) {
    occ[l] = next < count;
    cr[l] = zr[l] = occ[l] ? re[next] : Real(100);
    ci[l] = zi[l] = occ[l] ? im[next] : Real(0);
    cnt[l] = 1;
    if (occ[l]) ++next;
  };
  for (int l = 0; l < kLanes; ++l)
    refill(l);
  for (;;) {
    int liveCount = 0, maxCount = 0;
    for (int l = 0; l < kLanes; ++l) {
      on[l] = occ[l] ? -1 : 0;  // all ones = live
      if (occ[l]) {
        ++liveCount;
        if (cnt[l] > maxCount) maxCount = static_cast<int>(cnt[l]);
      }
    }
    if (liveCount == 0) break;
    const int stop = next < count ? liveCount - kBatch : 0;
    const int budget = limit + 1 - maxCount;
    typename T::V vzr[kVectors], vzi[kVectors], vcr[kVectors], vci[kVectors], live[kVectors];
    typename T::C vcnt[kVectors];
    for (int v = 0; v < kVectors; ++v) {
      vzr[v] = T::Load(zr + v * kWidth);
      vzi[v] = T::Load(zi + v * kWidth);
      vcr[v] = T::Load(cr + v * kWidth);
      vci[v] = T::Load(ci + v * kWidth);
      vcnt[v] = T::LoadC(cnt + v * kWidth);
      live[v] = T::FromC(T::LoadC(on + v * kWidth));
    }
    const typename T::V four = T::Set1(4);
    int steps = 0;
    do {
      for (int v = 0; v < kVectors; ++v) {
        const typename T::V r2 = T::Mul(vzr[v], vzr[v]);
        const typename T::V i2 = T::Mul(vzi[v], vzi[v]);
        live[v] = T::And(live[v], T::Inside(T::Add(r2, i2), four));
        vcnt[v] = T::Count(vcnt[v], live[v]);
        const typename T::V t = T::Mul(vzr[v], vzi[v]);
        vzr[v] = T::Add(T::Sub(r2, i2), vcr[v]);
        vzi[v] = T::Add(T::Add(t, t), vci[v]);
      }
      ++steps;
      liveCount = 0;
      for (int v = 0; v < kVectors; ++v)
        liveCount += __builtin_popcount(T::Bits(live[v]));
    } while (liveCount > stop && steps < budget);
    unsigned liveBits = 0;
    for (int v = 0; v < kVectors; ++v) {
      T::Store(zr + v * kWidth, vzr[v]);
      T::Store(zi + v * kWidth, vzi[v]);
      T::StoreC(cnt + v * kWidth, vcnt[v]);
      liveBits |= T::Bits(live[v]) << (v * kWidth);
    }
    for (int l = 0; l < kLanes; ++l) {
      if (!occ[l] || ((liveBits >> l & 1) && cnt[l] <= limit)) continue;
      sum += cnt[l] > limit ? limit : cnt[l];
      refill(l);
    }
  }
  return sum;
}

}  // namespace

std::int64_t YardstickAvx2(const float* re, const float* im, int count, int limit) {
  return Run<TPs>(re, im, count, limit);
}
std::int64_t YardstickAvx2(const double* re, const double* im, int count, int limit) {
  return Run<TPd>(re, im, count, limit);
}

}  // namespace vortexa::bench
