// The streaming lane core, written once against a small table of vector
// operations (the "traits") and instantiated by each vector unit's own
// translation unit, compiled for that unit.
//
// Include only from a kernels_<unit>.cpp file. Everything here has internal
// linkage and uses no standard-library function, so that no code compiled for a
// wider unit can be picked by the linker for a narrower one.
//
// Lane state lives in small arrays; RunBlock keeps it in registers while all
// lanes iterate, and returns when enough lanes have escaped, or when the oldest
// lane may have passed the limit. The caller then writes the finished lanes'
// counts, hands their lanes the next points, and, once no point is left,
// packs the remaining lanes into fewer vectors so that the tail of a job
// iterates as few vectors as possible.
//
// Arithmetic per lane and iteration, in the lane's precision and in this order:
//   r2 = re*re; i2 = im*im; test: still inside while r2 + i2 <= 4 (NaN escapes);
//   t = re*im; re = (r2 - i2) + cRe; im = (t + t) + cIm.
// A lane's count starts at 1 for z1 = c and grows by one with every test that
// finds it inside, so it stops at the index of the first escaping iterate. A
// lane that escaped keeps iterating (its values are ignored) until it is
// refilled; a count above the limit means "inside".
#pragma once

#include <cstdint>

#include "kernels_lanes.h"

namespace vortexa {
namespace {

// Tuning of the core.
struct TCoreTuning {
  // Iterations between two checks of the live lanes.
  static constexpr int kUnroll = 2;
  // Escaped lanes to wait for before refilling, per vector in flight.
  static constexpr int kRefillBatch = 2;
};

inline int CorePopcount(std::uint64_t bits) {
  return __builtin_popcountll(bits);
}
inline std::int64_t CoreMin(std::int64_t a, std::int64_t b) {
  return a < b ? a : b;
}

template <class T>
class TLaneCore {
 public:
  using Real = typename T::Real;
  using Cnt = typename T::Cnt;
  static constexpr int kWidth = T::kWidth;
  static constexpr int kMaxVectors = T::kVectors;
  static constexpr int kLanes = kWidth * kMaxVectors;
  static_assert(kLanes <= 64, "lane bits are kept in one 64-bit word");

  explicit TLaneCore(const TLaneJob<Real>& job) : job_(job) {}

  void Run() {
    const Real filler = Real(100);
    for (int l = 0; l < kLanes; ++l) {
      zre_[l] = cre_[l] = filler;
      zim_[l] = cim_[l] = Real(0);
      cnt_[l] = 1;
      point_[l] = -1;
      start_[l] = kNever;
    }
    vectors_ = kMaxVectors;
    if (job_.Count < kLanes) vectors_ = (job_.Count + kWidth - 1) / kWidth;
    Refill(FullBits(vectors_));
    while (occupied_ != 0) {
      if (StopRequested(job_)) return;
      const int liveCount = CorePopcount(live_);
      int stopLive = 0;
      if (next_ < job_.Count) {
        stopLive = liveCount - TCoreTuning::kRefillBatch * vectors_;
        if (stopLive < 0) stopLive = 0;
      } else {
        stopLive = (vectors_ - 1) * kWidth;
      }
      std::int64_t oldest = kNever;
      for (int l = 0; l < vectors_ * kWidth; ++l)
        oldest = CoreMin(oldest, start_[l]);
      // Steps after which the oldest live lane has been tested at the limit.
      const std::int64_t budget = oldest + job_.Limit - clock_;
      const std::int64_t blockBudget = budget < kMaxLaneBlockSteps ? budget : kMaxLaneBlockSteps;
      std::int64_t steps = 0;
      switch (vectors_) {
        case 1:
          steps = RunBlock<1>(stopLive, blockBudget);
          break;
        case 2:
          if constexpr (kMaxVectors >= 2) steps = RunBlock<2>(stopLive, blockBudget);
          break;
        case 3:
          if constexpr (kMaxVectors >= 3) steps = RunBlock<3>(stopLive, blockBudget);
          break;
        default:
          if constexpr (kMaxVectors >= 4) steps = RunBlock<4>(stopLive, blockBudget);
          break;
      }
      clock_ += steps;
      std::uint64_t done = occupied_ & ~live_;
      if (steps >= budget) done |= OverLimit();
      Finish(done);
      if (next_ < job_.Count) {
        Refill(done);
      } else {
        Pack();
      }
    }
  }

 private:
  static constexpr std::int64_t kNever = 0x7fffffffffffffffLL;

  static std::uint64_t FullBits(int vectors) {
    const int lanes = vectors * kWidth;
    return lanes >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << lanes) - 1;
  }

  // Iterates the first V vectors until at most stopLive lanes are live or the
  // budget of steps is used; returns the steps made (a multiple of kUnroll).
  template <int V>
  std::int64_t RunBlock(int stopLive, std::int64_t budget) {
    typename T::V zre[V], zim[V], cre[V], cim[V];
    typename T::C cnt[V];
    typename T::M live[V];
    for (int v = 0; v < V; ++v) {
      zre[v] = T::Load(zre_ + v * kWidth);
      zim[v] = T::Load(zim_ + v * kWidth);
      cre[v] = T::Load(cre_ + v * kWidth);
      cim[v] = T::Load(cim_ + v * kWidth);
      cnt[v] = T::LoadC(cnt_ + v * kWidth);
      live[v] = T::ToMask(static_cast<unsigned>(live_ >> (v * kWidth)) & kWidthBits);
    }
    const typename T::V four = T::Set1(Real(4));
    const typename T::C one = T::Set1C(1);
    std::int64_t steps = 0;
    int liveCount = 0;
    do {
      for (int u = 0; u < TCoreTuning::kUnroll; ++u) {
        for (int v = 0; v < V; ++v) {
          const typename T::V r2 = T::Mul(zre[v], zre[v]);
          const typename T::V i2 = T::Mul(zim[v], zim[v]);
          live[v] = T::StillInside(live[v], T::Add(r2, i2), four);
          cnt[v] = T::CountLive(cnt[v], live[v], one);
          const typename T::V t = T::Mul(zre[v], zim[v]);
          zre[v] = T::Add(T::Sub(r2, i2), cre[v]);
          zim[v] = T::Add(T::Add(t, t), cim[v]);
        }
      }
      steps += TCoreTuning::kUnroll;
      liveCount = 0;
      for (int v = 0; v < V; ++v)
        liveCount += CorePopcount(T::Bits(live[v]));
    } while (liveCount > stopLive && steps < budget);
    std::uint64_t bits = 0;
    for (int v = 0; v < V; ++v) {
      T::Store(zre_ + v * kWidth, zre[v]);
      T::Store(zim_ + v * kWidth, zim[v]);
      T::StoreC(cnt_ + v * kWidth, cnt[v]);
      bits |= static_cast<std::uint64_t>(T::Bits(live[v])) << (v * kWidth);
    }
    live_ = bits;
    return steps;
  }

  // Live lanes whose count has passed the limit.
  std::uint64_t OverLimit() const {
    std::uint64_t bits = 0;
    for (std::uint64_t rest = live_; rest != 0; rest &= rest - 1) {
      const int l = __builtin_ctzll(rest);
      if (cnt_[l] > job_.Limit) bits |= std::uint64_t{1} << l;
    }
    return bits;
  }

  // Writes the counts of the given lanes and empties them.
  void Finish(std::uint64_t lanes) {
    for (std::uint64_t rest = lanes; rest != 0; rest &= rest - 1) {
      const int l = __builtin_ctzll(rest);
      const Cnt n = cnt_[l];
      StoreCount(job_, point_[l], n > job_.Limit ? kDotInside : static_cast<TDot>(n));
      MakeEmpty(l);
    }
    occupied_ &= ~lanes;
    live_ &= ~lanes;
  }

  void MakeEmpty(int l) {
    zre_[l] = cre_[l] = Real(100);
    zim_[l] = cim_[l] = Real(0);
    point_[l] = -1;
    start_[l] = kNever;
  }

  // Hands the next points to the given empty lanes, lowest lane first.
  void Refill(std::uint64_t lanes) {
    for (std::uint64_t rest = lanes; rest != 0 && next_ < job_.Count; rest &= rest - 1) {
      const int l = __builtin_ctzll(rest);
      const int p = next_++;
      zre_[l] = cre_[l] = job_.CRe[p];
      zim_[l] = cim_[l] = job_.CIm[job_.SharedCIm ? 0 : p];
      cnt_[l] = 1;
      point_[l] = p;
      start_[l] = clock_;
      occupied_ |= std::uint64_t{1} << l;
      live_ |= std::uint64_t{1} << l;
    }
  }

  // Moves the occupied lanes to the front and drops the vectors left empty.
  void Pack() {
    const int count = CorePopcount(occupied_);
    const int needed = (count + kWidth - 1) / kWidth;
    if (needed >= vectors_) return;
    int to = 0;
    for (std::uint64_t rest = occupied_; rest != 0; rest &= rest - 1) {
      const int from = __builtin_ctzll(rest);
      if (from != to) {
        zre_[to] = zre_[from];
        zim_[to] = zim_[from];
        cre_[to] = cre_[from];
        cim_[to] = cim_[from];
        cnt_[to] = cnt_[from];
        point_[to] = point_[from];
        start_[to] = start_[from];
        MakeEmpty(from);
      }
      ++to;
    }
    // Every occupied lane is live here: finished lanes were emptied just before.
    occupied_ = live_ = to == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << to) - 1;
    vectors_ = needed;
  }

  static constexpr unsigned kWidthBits = kWidth >= 32 ? ~0u : (1u << kWidth) - 1;

  const TLaneJob<Real>& job_;
  alignas(64) Real zre_[kLanes];
  alignas(64) Real zim_[kLanes];
  alignas(64) Real cre_[kLanes];
  alignas(64) Real cim_[kLanes];
  alignas(64) Cnt cnt_[kLanes];
  int point_[kLanes];
  std::int64_t start_[kLanes];
  std::uint64_t occupied_ = 0;
  std::uint64_t live_ = 0;
  std::int64_t clock_ = 0;
  int next_ = 0;
  int vectors_ = 1;
};

}  // namespace
}  // namespace vortexa
