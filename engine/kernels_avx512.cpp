// The lane core on AVX-512: 16 single or 8 double lanes per vector, four
// vectors interleaved. Unlike the generic core, the lanes never leave the
// registers while the row runs: finished lanes are collected with compress and
// refilled with the next points with expand, both under the lanes' masks.
// Compiled with -mavx512f -mbmi2 (no FMA: the multiply and the add of each
// operation must round separately).
#include <immintrin.h>

#include <cstdint>

#include "kernels_lanes.h"

namespace vortexa {
namespace {

struct TSingle {
  using Real = float;
  using Cnt = std::int32_t;
  using V = __m512;
  using C = __m512i;
  using M = __mmask16;
  static constexpr int kWidth = 16;
  // Escaped lanes to wait for before refilling. Every refill round also
  // stores counts into the row, so rounds of a few more lanes pay off.
  static constexpr int kRefillBatch = 40;
  static V LoadN(const float* p, M m) { return _mm512_maskz_loadu_ps(m, p); }
  static void Store(float* p, V v) { _mm512_storeu_ps(p, v); }
  static C LoadCN(const Cnt* p, M m) { return _mm512_maskz_loadu_epi32(m, p); }
  static void StoreC(Cnt* p, C v) { _mm512_storeu_si512(p, v); }
  static V Set1(float x) { return _mm512_set1_ps(x); }
  static C Set1C(int x) { return _mm512_set1_epi32(x); }
  static C Iota() {
    return _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  }
  static C AddC(C a, C b) { return _mm512_add_epi32(a, b); }
  static V Mul(V a, V b) { return _mm512_mul_ps(a, b); }
  static V Add(V a, V b) { return _mm512_add_ps(a, b); }
  static V Sub(V a, V b) { return _mm512_sub_ps(a, b); }
  static M StillInside(M live, V s, V four) {
    return _mm512_mask_cmp_ps_mask(live, s, four, _CMP_LE_OQ);
  }
  static C CountLive(C cnt, M live, C one) { return _mm512_mask_add_epi32(cnt, live, cnt, one); }
  static M Over(M m, C cnt, C limit) { return _mm512_mask_cmpgt_epi32_mask(m, cnt, limit); }
  static C MaxC(C a, M m, C b) { return _mm512_mask_max_epi32(a, m, a, b); }
  static int ReduceMax(C a) { return _mm512_reduce_max_epi32(a); }
  static V Expand(V old, M m, V packed) { return _mm512_mask_expand_ps(old, m, packed); }
  static C ExpandC(C old, M m, C packed) { return _mm512_mask_expand_epi32(old, m, packed); }
  static V Compress(M m, V v) { return _mm512_maskz_compress_ps(m, v); }
  static C CompressC(M m, C v) { return _mm512_maskz_compress_epi32(m, v); }
  static C BroadcastFirst(C v) { return _mm512_broadcastd_epi32(_mm512_castsi512_si128(v)); }
  static C LoadIdx(const int* p, M m) { return _mm512_maskz_loadu_epi32(m, p); }
  static V Blend(V old, M m, V fresh) { return _mm512_mask_mov_ps(old, m, fresh); }
  static C BlendC(C old, M m, C fresh) { return _mm512_mask_mov_epi32(old, m, fresh); }
};

struct TDouble {
  using Real = double;
  using Cnt = std::int64_t;
  using V = __m512d;
  using C = __m512i;
  using M = __mmask8;
  static constexpr int kWidth = 8;
  static constexpr int kRefillBatch = 32;  // escaped lanes to wait for before refilling
  static V LoadN(const double* p, M m) { return _mm512_maskz_loadu_pd(m, p); }
  static void Store(double* p, V v) { _mm512_storeu_pd(p, v); }
  static C LoadCN(const Cnt* p, M m) { return _mm512_maskz_loadu_epi64(m, p); }
  static void StoreC(Cnt* p, C v) { _mm512_storeu_si512(p, v); }
  static V Set1(double x) { return _mm512_set1_pd(x); }
  static C Set1C(int x) { return _mm512_set1_epi64(x); }
  static C Iota() { return _mm512_setr_epi64(0, 1, 2, 3, 4, 5, 6, 7); }
  static C AddC(C a, C b) { return _mm512_add_epi64(a, b); }
  static V Mul(V a, V b) { return _mm512_mul_pd(a, b); }
  static V Add(V a, V b) { return _mm512_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm512_sub_pd(a, b); }
  static M StillInside(M live, V s, V four) {
    return _mm512_mask_cmp_pd_mask(live, s, four, _CMP_LE_OQ);
  }
  static C CountLive(C cnt, M live, C one) { return _mm512_mask_add_epi64(cnt, live, cnt, one); }
  static M Over(M m, C cnt, C limit) { return _mm512_mask_cmpgt_epi64_mask(m, cnt, limit); }
  static C MaxC(C a, M m, C b) { return _mm512_mask_max_epi64(a, m, a, b); }
  static int ReduceMax(C a) { return static_cast<int>(_mm512_reduce_max_epi64(a)); }
  static V Expand(V old, M m, V packed) { return _mm512_mask_expand_pd(old, m, packed); }
  static C ExpandC(C old, M m, C packed) { return _mm512_mask_expand_epi64(old, m, packed); }
  static V Compress(M m, V v) { return _mm512_maskz_compress_pd(m, v); }
  static C CompressC(M m, C v) { return _mm512_maskz_compress_epi64(m, v); }
  static C BroadcastFirst(C v) { return _mm512_broadcastq_epi64(_mm512_castsi512_si128(v)); }
  static C LoadIdx(const int* p, M m) {
    return _mm512_cvtepi32_epi64(_mm512_castsi512_si256(_mm512_maskz_loadu_epi32(m, p)));
  }
  static V Blend(V old, M m, V fresh) { return _mm512_mask_mov_pd(old, m, fresh); }
  static C BlendC(C old, M m, C fresh) { return _mm512_mask_mov_epi64(old, m, fresh); }
};

// Iterations between checks of the live lanes.
constexpr int kUnroll = 2;
constexpr int kMaxVectors = 4;

template <class T>
class TRegisterCore {
 public:
  using Real = typename T::Real;
  using Cnt = typename T::Cnt;
  using M = typename T::M;
  static constexpr int kWidth = T::kWidth;
  static constexpr unsigned kAll = (1u << kWidth) - 1;

  explicit TRegisterCore(const TLaneJob<Real>& job) : job_(job) {}

  void Run() {
    int vectors = (job_.Count + kWidth - 1) / kWidth;
    if (vectors > kMaxVectors) vectors = kMaxVectors;
    // Lanes handed over between the phases, packed to the front; none at first.
    while (vectors > 0) {
      switch (vectors) {
        case 4:
          vectors = Phase<4>();
          break;
        case 3:
          vectors = Phase<3>();
          break;
        case 2:
          vectors = Phase<2>();
          break;
        default:
          vectors = Phase<1>();
          break;
      }
    }
  }

 private:
  // Runs with V vectors until every point is done (returns 0), or until no
  // point is left to hand out and the lanes still running fit into fewer
  // vectors (packs them into the hand-over arrays and returns that number).
  template <int V>
  int Phase() {
    typename T::V zr[V], zi[V], cr[V], ci[V];
    typename T::C cnt[V], idx[V];
    M live[V];
    for (int v = 0; v < V; ++v) {
      const int lanes = handed_ - v * kWidth;
      const M m = static_cast<M>(lanes >= kWidth ? kAll : lanes > 0 ? (1u << lanes) - 1 : 0);
      zr[v] = T::LoadN(hzr_ + v * kWidth, m);
      zi[v] = T::LoadN(hzi_ + v * kWidth, m);
      cr[v] = T::LoadN(hcr_ + v * kWidth, m);
      ci[v] = T::LoadN(hci_ + v * kWidth, m);
      cnt[v] = T::LoadCN(hcnt_ + v * kWidth, m);
      idx[v] = T::LoadCN(hidx_ + v * kWidth, m);
      live[v] = m;
    }
    const typename T::V four = T::Set1(4);
    const typename T::C one = T::Set1C(1), limit = T::Set1C(job_.Limit);
    const typename T::C inside = T::Set1C(kDotInside);
    for (;;) {
      // Finish the lanes that escaped or passed the limit; refill free lanes.
      int liveCount = 0;
      for (int v = 0; v < V; ++v) {
        // A lane may escape after passing the limit (the steps go in pairs):
        // it is inside all the same.
        const M over = T::Over(occupied_[v], cnt[v], limit);
        const M done = static_cast<M>(~live[v] | over);
        const M finished = static_cast<M>(done & occupied_[v]);
        if (finished) Store(finished, idx[v], T::BlendC(cnt[v], over, inside));
        live[v] = static_cast<M>(live[v] & ~done);
        occupied_[v] = live[v];
        const M free = static_cast<M>(~live[v] & kAll);
        int take = job_.Count - next_;
        if (free && take > 0) {
          const int freeCount = __builtin_popcount(free);
          if (take > freeCount) take = freeCount;
          const unsigned first = (1u << take) - 1;
          const M fill = static_cast<M>(_pdep_u32(first, free));
          const M packed = static_cast<M>(first);
          cr[v] = T::Expand(cr[v], fill, T::LoadN(job_.CRe + next_, packed));
          ci[v] = job_.SharedCIm ? T::Blend(ci[v], fill, T::Set1(job_.CIm[0]))
                                 : T::Expand(ci[v], fill, T::LoadN(job_.CIm + next_, packed));
          idx[v] = T::ExpandC(idx[v], fill,
                              job_.Cols ? T::LoadIdx(job_.Cols + next_, packed)
                                        : T::AddC(T::Iota(), T::Set1C(next_)));
          zr[v] = T::Blend(zr[v], fill, cr[v]);
          zi[v] = T::Blend(zi[v], fill, ci[v]);
          cnt[v] = T::BlendC(cnt[v], fill, one);
          live[v] = static_cast<M>(live[v] | fill);
          occupied_[v] = live[v];
          next_ += take;
        }
        liveCount += __builtin_popcount(live[v]);
      }
      if (liveCount == 0 || StopRequested(job_)) return 0;
      const bool supply = next_ < job_.Count;
      if (!supply && V > 1 && liveCount <= (V - 1) * kWidth) {
        HandOver<V>(zr, zi, cr, ci, cnt, idx, live);
        return (liveCount + kWidth - 1) / kWidth;
      }
      int stop = supply ? liveCount - T::kRefillBatch : (V - 1) * kWidth;
      if (stop < 0) stop = 0;
      // Steps after which the oldest live lane has been tested at the limit.
      typename T::C most = T::Set1C(0);
      for (int v = 0; v < V; ++v)
        most = T::MaxC(most, live[v], cnt[v]);
      const int toLimit = job_.Limit + 1 - T::ReduceMax(most);
      const int budget = toLimit < kMaxLaneBlockSteps ? toLimit : kMaxLaneBlockSteps;
      int steps = 0;
      do {
        for (int u = 0; u < kUnroll; ++u) {
          for (int v = 0; v < V; ++v) {
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
        for (int v = 0; v < V; ++v)
          liveCount += __builtin_popcount(live[v]);
      } while (liveCount > stop && steps < budget);
    }
  }

  // Stores the counts of the finished lanes. Fixed runs of stores cost less
  // than a loop whose length the processor cannot predict: the stores beyond
  // the finished lanes repeat the first finished lane's store, or, without
  // Cols, go to the spare result behind the last point. Into the grid, the
  // second half of the lanes is stored only when more than half finished.
  void Store(M finished, typename T::C idx, typename T::C count) {
    alignas(64) Cnt at[kWidth], value[kWidth];
    const typename T::C packedIdx = T::CompressC(finished, idx);
    const typename T::C packedCount = T::CompressC(finished, count);
    const M tail = static_cast<M>(~((1u << __builtin_popcount(finished)) - 1) & kAll);
    if (job_.Cols) {
      T::StoreC(at, T::BlendC(packedIdx, tail, T::BroadcastFirst(packedIdx)));
      T::StoreC(value, T::BlendC(packedCount, tail, T::BroadcastFirst(packedCount)));
      const auto storeLanes = [&](int first, int last) {
        for (int i = first; i < last; ++i)
          StoreDotInCore(job_.Res, at[i], static_cast<TDot>(value[i]));
        if (!job_.Mirror.Data()) return;
        for (int i = first; i < last; ++i)
          StoreDotInCore(job_.Mirror, at[i], static_cast<TDot>(value[i]));
      };
      storeLanes(0, kWidth / 2);
      if (__builtin_popcount(finished) > kWidth / 2) storeLanes(kWidth / 2, kWidth);
    } else {
      T::StoreC(at, T::BlendC(packedIdx, tail, T::Set1C(job_.Count)));
      T::StoreC(value, packedCount);
      for (int i = 0; i < kWidth; ++i)
        StoreDotInCore(job_.Res, at[i], static_cast<TDot>(value[i]));
    }
  }

  // Packs the live lanes of all vectors to the front of the hand-over arrays.
  template <int V>
  void HandOver(const typename T::V* zr, const typename T::V* zi, const typename T::V* cr,
                const typename T::V* ci, const typename T::C* cnt, const typename T::C* idx,
                const M* live) {
    int at = 0;
    for (int v = 0; v < V; ++v) {
      T::Store(hzr_ + at, T::Compress(live[v], zr[v]));
      T::Store(hzi_ + at, T::Compress(live[v], zi[v]));
      T::Store(hcr_ + at, T::Compress(live[v], cr[v]));
      T::Store(hci_ + at, T::Compress(live[v], ci[v]));
      T::StoreC(hcnt_ + at, T::CompressC(live[v], cnt[v]));
      T::StoreC(hidx_ + at, T::CompressC(live[v], idx[v]));
      at += __builtin_popcount(live[v]);
    }
    handed_ = at;
    for (int v = 0; v < kMaxVectors; ++v) {
      const int lanes = at - v * kWidth;
      occupied_[v] = static_cast<M>(lanes >= kWidth ? kAll : lanes > 0 ? (1u << lanes) - 1 : 0);
    }
  }

  static constexpr int kLanes = kWidth * kMaxVectors;
  const TLaneJob<Real>& job_;
  int next_ = 0;
  int handed_ = 0;
  M occupied_[kMaxVectors] = {};
  // Room for a full vector stored behind the last packed lane. Only the first
  // handed_ entries are ever read (masked loads), so the arrays are left
  // uninitialised: clearing them for every row's job showed in frame profiles.
  alignas(64) Real hzr_[kLanes + kWidth];
  alignas(64) Real hzi_[kLanes + kWidth];
  alignas(64) Real hcr_[kLanes + kWidth];
  alignas(64) Real hci_[kLanes + kWidth];
  alignas(64) Cnt hcnt_[kLanes + kWidth];
  alignas(64) Cnt hidx_[kLanes + kWidth];
};

}  // namespace

namespace lanes_avx512 {
void Run(const TLaneJob<float>& job) {
  TRegisterCore<TSingle>(job).Run();
}
void Run(const TLaneJob<double>& job) {
  TRegisterCore<TDouble>(job).Run();
}
}  // namespace lanes_avx512

}  // namespace vortexa
