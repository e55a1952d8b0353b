// AVX-512 yardstick: four vectors interleaved to cover the latency of the
// multiply-add chain; every lane counts for itself, and finished lanes are
// refilled in registers (expand) with the next points, in batches, so that the
// loop never waits for the slowest lane of a group.
#include <immintrin.h>

#include "yardstick.h"

namespace vortexa::bench {
namespace {

struct TPs {
  using Real = float;
  using V = __m512;
  using C = __m512i;
  using M = __mmask16;
  static constexpr int kWidth = 16;
  static V LoadN(const float* p, M m) { return _mm512_maskz_loadu_ps(m, p); }
  static V Set1(float x) { return _mm512_set1_ps(x); }
  static C Set1C(int x) { return _mm512_set1_epi32(x); }
  static V Mul(V a, V b) { return _mm512_mul_ps(a, b); }
  static V Add(V a, V b) { return _mm512_add_ps(a, b); }
  static V Sub(V a, V b) { return _mm512_sub_ps(a, b); }
  static M StillInside(M live, V s, V four) {
    return _mm512_mask_cmp_ps_mask(live, s, four, _CMP_LE_OQ);
  }
  static C CountLive(C cnt, M live, C one) { return _mm512_mask_add_epi32(cnt, live, cnt, one); }
  static M Over(M occ, C cnt, C limit) { return _mm512_mask_cmpgt_epi32_mask(occ, cnt, limit); }
  static std::int64_t SumCapped(M m, C cnt, C limit) {
    return _mm512_mask_reduce_add_epi32(m, _mm512_min_epi32(cnt, limit));
  }
  static int MaxCount(M m, C cnt) { return _mm512_mask_reduce_max_epi32(m, cnt); }
  static V Expand(V old, M m, V packed) { return _mm512_mask_expand_ps(old, m, packed); }
  static V Blend(V old, M m, V fresh) { return _mm512_mask_mov_ps(old, m, fresh); }
  static C BlendC(C old, M m, C fresh) { return _mm512_mask_mov_epi32(old, m, fresh); }
};

struct TPd {
  using Real = double;
  using V = __m512d;
  using C = __m512i;
  using M = __mmask8;
  static constexpr int kWidth = 8;
  static V LoadN(const double* p, M m) { return _mm512_maskz_loadu_pd(m, p); }
  static V Set1(double x) { return _mm512_set1_pd(x); }
  static C Set1C(int x) { return _mm512_set1_epi64(x); }
  static V Mul(V a, V b) { return _mm512_mul_pd(a, b); }
  static V Add(V a, V b) { return _mm512_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm512_sub_pd(a, b); }
  static M StillInside(M live, V s, V four) {
    return _mm512_mask_cmp_pd_mask(live, s, four, _CMP_LE_OQ);
  }
  static C CountLive(C cnt, M live, C one) { return _mm512_mask_add_epi64(cnt, live, cnt, one); }
  static M Over(M occ, C cnt, C limit) { return _mm512_mask_cmpgt_epi64_mask(occ, cnt, limit); }
  static std::int64_t SumCapped(M m, C cnt, C limit) {
    return _mm512_mask_reduce_add_epi64(m, _mm512_min_epi64(cnt, limit));
  }
  static int MaxCount(M m, C cnt) { return static_cast<int>(_mm512_mask_reduce_max_epi64(m, cnt)); }
  static V Expand(V old, M m, V packed) { return _mm512_mask_expand_pd(old, m, packed); }
  static V Blend(V old, M m, V fresh) { return _mm512_mask_mov_pd(old, m, fresh); }
  static C BlendC(C old, M m, C fresh) { return _mm512_mask_mov_epi64(old, m, fresh); }
};

template <class T>
std::int64_t Run(const typename T::Real* re, const typename T::Real* im, int count, int limit) {
  constexpr int kVectors = 4, kWidth = T::kWidth, kUnroll = 2, kBatch = 32;
  using M = typename T::M;
  typename T::V zr[kVectors], zi[kVectors], cr[kVectors], ci[kVectors];
  typename T::C cnt[kVectors];
  M live[kVectors], occ[kVectors];
  const typename T::V four = T::Set1(4);
  const typename T::C one = T::Set1C(1), lim = T::Set1C(limit);
  int next = 0;
  for (int v = 0; v < kVectors; ++v) {
    const int take = count - next < kWidth ? count - next : kWidth;
    const M m = static_cast<M>((1u << take) - 1);
    cr[v] = zr[v] = T::LoadN(re + next, m);
    ci[v] = zi[v] = T::LoadN(im + next, m);
    cnt[v] = one;
    live[v] = occ[v] = m;
    next += take;
  }
  std::int64_t sum = 0;
  for (;;) {
    int liveCount = 0, maxCount = 0;
    for (int v = 0; v < kVectors; ++v) {
      liveCount += __builtin_popcount(live[v]);
      if (live[v]) {
        const int m = T::MaxCount(live[v], cnt[v]);
        if (m > maxCount) maxCount = m;
      }
    }
    if (liveCount == 0) break;
    const int stop = next < count ? liveCount - kBatch : 0;
    const int budget = limit + 1 - maxCount;
    int steps = 0;
    do {
      for (int u = 0; u < kUnroll; ++u) {
        for (int v = 0; v < kVectors; ++v) {
          const typename T::V r2 = T::Mul(zr[v], zr[v]);
          const typename T::V i2 = T::Mul(zi[v], zi[v]);
          live[v] = T::StillInside(live[v], T::Add(r2, i2), four);
          cnt[v] = T::CountLive(cnt[v], live[v], one);
          const typename T::V t = T::Mul(zr[v], zi[v]);
          zr[v] = T::Add(T::Sub(r2, i2), cr[v]);
          zi[v] = T::Add(T::Add(t, t), ci[v]);
        }
      }
      steps += kUnroll;
      liveCount = 0;
      for (int v = 0; v < kVectors; ++v)
        liveCount += __builtin_popcount(live[v]);
    } while (liveCount > stop && steps < budget);
    for (int v = 0; v < kVectors; ++v) {
      const M done = static_cast<M>(occ[v] & (~live[v] | T::Over(occ[v], cnt[v], lim)));
      if (!done) continue;
      sum += T::SumCapped(done, cnt[v], lim);
      int take = __builtin_popcount(done);
      if (take > count - next) take = count - next;
      const unsigned firstTake = (1u << take) - 1;
      const M fill = static_cast<M>(_pdep_u32(firstTake, done));
      const M packed = static_cast<M>(firstTake);
      cr[v] = T::Expand(cr[v], fill, T::LoadN(re + next, packed));
      ci[v] = T::Expand(ci[v], fill, T::LoadN(im + next, packed));
      zr[v] = T::Blend(zr[v], fill, cr[v]);
      zi[v] = T::Blend(zi[v], fill, ci[v]);
      cnt[v] = T::BlendC(cnt[v], fill, one);
      live[v] = static_cast<M>((live[v] & ~done) | fill);
      occ[v] = static_cast<M>((occ[v] & ~done) | fill);
      next += take;
    }
  }
  return sum;
}

}  // namespace

std::int64_t YardstickAvx512(const float* re, const float* im, int count, int limit) {
  return Run<TPs>(re, im, count, limit);
}
std::int64_t YardstickAvx512(const double* re, const double* im, int count, int limit) {
  return Run<TPd>(re, im, count, limit);
}

}  // namespace vortexa::bench
