// The deep family's streaming core, written once against a small table of
// double-precision vector operations (the "traits") and instantiated by each
// vector unit's own translation unit, compiled for that unit.
//
// Include only from a perturbation_<unit>.cpp file. Everything here has
// internal linkage and uses no standard-library function, so that no code
// compiled for a wider unit can be picked by the linker for a narrower one.
//
// Every lane follows one dot with the arithmetic of IteratePerturbed, in the
// same order, so its count equals the one-dot routine's whatever the width:
//   z = Z(m) + d; zz = zr*zr + zi*zi; escaped when zz > 4;
//   rebase (d := z, m := 0) when zz < dr*dr + di*di or m >= Last;
//   otherwise, with a table, where a run of merged steps may open the
//   lane goes on with the one-dot routine's own merged steps (TakeMergedSteps,
//   scalar: lanes seldom agree on a step's length, and a vector search of
//   the table costs more gathers than the steps save);
//   else w = (Z(m) + Z(m)) + d; d = ((wr*dr - wi*di) + dcr, (wr*di + wi*dr) + dci).
// The reference value of the next step is gathered before the rebase is
// decided (Z(1) replaces it after a rebase), which keeps the gather off the
// chain of dependent operations. When a lane finishes, the block returns, the
// lane's count is stored and the lane takes the next dot of the row.
#pragma once

#include <cstdint>

#include "bla_steps.h"
#include "perturbation.h"

namespace vortexa {
namespace {

// Rounds of iterations between two looks at the stop request.
constexpr int kDeepBlockSteps = 4096;

template <class T>
class TDeepCore {
 public:
  using V = typename T::V;
  using M = typename T::M;
  static constexpr int kWidth = T::kWidth;
  static constexpr int kMaxVectors = T::kVectors;
  static constexpr int kLanes = kWidth * kMaxVectors;
  static_assert(kLanes <= 64, "lane bits are kept in one 64-bit word");

  TDeepCore(const TDeepJob& job, const TBlaArrays* bla)
      : job_(job), re_(job.Orbit->Re.data()), im_(job.Orbit->Im.data()), bla_(bla) {}

  void Run() {
    for (int l = 0; l < kLanes; ++l)
      MakeEmpty(l);
    vectors_ = kMaxVectors;
    if (job_.Count < kLanes) vectors_ = (job_.Count + kWidth - 1) / kWidth;
    if (vectors_ == 0) return;
    Refill(FullBits(vectors_));
    while (occupied_ != 0) {
      if (StopRequested()) return;
      std::uint64_t done = 0;
      std::uint64_t escaped = 0;
      if (bla_)
        RunVectors<true>(done, escaped);
      else
        RunVectors<false>(done, escaped);
      Finish(done, escaped);
      if (next_ < job_.Count)
        Refill(done);
      else
        Pack();
    }
  }

 private:
  static std::uint64_t FullBits(int vectors) {
    const int lanes = vectors * kWidth;
    return lanes >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << lanes) - 1;
  }
  static constexpr unsigned kWidthBits = (1u << kWidth) - 1;

  bool StopRequested() const { return job_.Stop && __atomic_load_n(job_.Stop, __ATOMIC_RELAXED); }

  template <bool kBla>
  void RunVectors(std::uint64_t& done, std::uint64_t& escaped) {
    switch (vectors_) {
      case 1:
        RunBlock<1, kBla>(done, escaped);
        break;
      case 2:
        if constexpr (kMaxVectors >= 2) RunBlock<2, kBla>(done, escaped);
        break;
      case 3:
        if constexpr (kMaxVectors >= 3) RunBlock<3, kBla>(done, escaped);
        break;
      default:
        if constexpr (kMaxVectors >= 4) RunBlock<4, kBla>(done, escaped);
        break;
    }
  }

  // Iterates the first NV vectors until a lane escapes, or one has been
  // tested at the limit, or kDeepBlockSteps rounds have passed; reports the
  // finished lanes and which of them escaped. Every lane's count grows by one
  // per round, and by what its merged steps skip beyond that (extra_), so
  // the rounds left to the lane nearest its limit bound the block. Finished
  // lanes keep the state of their last test.
  template <int NV, bool kBla>
  void RunBlock(std::uint64_t& doneBits, std::uint64_t& escapedBits) {
    V dr[NV], di[NV], zre[NV], zim[NV], m[NV];
    M occupied[NV];
    double oldest = 0;
    for (int v = 0; v < NV; ++v) {
      dr[v] = T::Load(dr_ + v * kWidth);
      di[v] = T::Load(di_ + v * kWidth);
      zre[v] = T::Load(zre_ + v * kWidth);
      zim[v] = T::Load(zim_ + v * kWidth);
      m[v] = T::Load(m_ + v * kWidth);
      occupied[v] = T::ToMask(static_cast<unsigned>(occupied_ >> (v * kWidth)) & kWidthBits);
    }
    for (std::uint64_t rest = occupied_; rest != 0; rest &= rest - 1) {
      const int l = __builtin_ctzll(rest);
      if (n_[l] > oldest) oldest = n_[l];
      extra_[l] = 0;
    }
    // Rounds until the oldest lane makes its test at the limit.
    const int budget = job_.Limit - static_cast<int>(oldest);
    int steps = budget < kDeepBlockSteps ? budget : kDeepBlockSteps;
    const V four = T::Set1(4.0);
    const V last = T::Set1(static_cast<double>(job_.Orbit->Last));
    const V one = T::Set1(1.0);
    const V firstRe = T::Set1(re_[1]);
    const V firstIm = T::Set1(im_[1]);
    const V startDoubles = T::Set1(kBlaStartDoubles);
    int step = 0;
    for (;; ++step) {
      V zr[NV], zi[NV], zz[NV];
      M escaped[NV];
      unsigned anyEscaped = 0;
      for (int v = 0; v < NV; ++v) {
        zr[v] = T::Add(zre[v], dr[v]);
        zi[v] = T::Add(zim[v], di[v]);
        zz[v] = T::Add(T::Mul(zr[v], zr[v]), T::Mul(zi[v], zi[v]));
        escaped[v] = T::And(T::Greater(zz[v], four), occupied[v]);
        anyEscaped |= T::Bits(escaped[v]);
      }
      if (anyEscaped != 0) {
        for (int v = 0; v < NV; ++v)
          escapedBits |= std::uint64_t{T::Bits(escaped[v])} << (v * kWidth);
        break;
      }
      if (step == steps) break;
      for (int v = 0; v < NV; ++v) {
        const V next = T::Add(m[v], one);
        const V nextRe = T::Gather(re_, next);
        const V nextIm = T::Gather(im_, next);
        const V dcr = T::Load(dcr_ + v * kWidth);
        const V dci = T::Load(dci_ + v * kWidth);
        const V dd = T::Add(T::Mul(dr[v], dr[v]), T::Mul(di[v], di[v]));
        const M rebase = T::Or(T::Less(zz[v], dd), T::GreaterEqual(m[v], last));
        // Lanes that keep their reference where a run of merged steps may
        // open (m's opening radius is 0 where it has none) go on with the
        // one-dot routine's merged steps instead of this single step.
        unsigned bits = 0;
        alignas(64) double before[3][kWidth];
        if constexpr (kBla) {
          const V opening = T::Gather(&bla_->Starts[0].Opening, T::Mul(m[v], startDoubles));
          bits = T::Bits(
              T::And(T::And(T::GreaterEqual(zz[v], dd), occupied[v]), T::Less(dd, opening)));
          if (bits != 0) {
            T::Store(before[0], dr[v]);
            T::Store(before[1], di[v]);
            T::Store(before[2], m[v]);
          }
        }
        // After a rebase Z(0) = 0, so w = (0 + 0) + z = z.
        const V r = T::Blend(rebase, zr[v], dr[v]);
        const V i = T::Blend(rebase, zi[v], di[v]);
        const V wr = T::Blend(rebase, zr[v], T::Add(T::Add(zre[v], zre[v]), dr[v]));
        const V wi = T::Blend(rebase, zi[v], T::Add(T::Add(zim[v], zim[v]), di[v]));
        dr[v] = T::Add(T::Sub(T::Mul(wr, r), T::Mul(wi, i)), dcr);
        di[v] = T::Add(T::Add(T::Mul(wr, i), T::Mul(wi, r)), dci);
        m[v] = T::Blend(rebase, one, next);
        zre[v] = T::Blend(rebase, firstRe, nextRe);
        zim[v] = T::Blend(rebase, firstIm, nextIm);
        if constexpr (kBla) {
          if (bits == 0) continue;
          alignas(64) double after[5][kWidth];
          T::Store(after[0], dr[v]);
          T::Store(after[1], di[v]);
          T::Store(after[2], m[v]);
          T::Store(after[3], zre[v]);
          T::Store(after[4], zim[v]);
          for (unsigned rest = bits; rest != 0; rest &= rest - 1) {
            const int l = __builtin_ctz(rest);
            const int g = v * kWidth + l;
            const int count = static_cast<int>(n_[g]) + step + extra_[g];
            TBlaDot dot{before[0][l], before[1][l], static_cast<int>(before[2][l]), count};
            if (!TakeMergedSteps(*bla_, job_.Limit, dcr_[g], dci_[g], dot)) continue;
            after[0][l] = dot.Dr;
            after[1][l] = dot.Di;
            after[2][l] = dot.M;
            after[3][l] = bla_->Starts[dot.M].Re;
            after[4][l] = bla_->Starts[dot.M].Im;
            // The round counts one iterate; the lane's next test comes at dot.N.
            extra_[g] += dot.N - count - 1;
            const int left = job_.Limit - static_cast<int>(n_[g]) - extra_[g];
            if (left < steps) steps = left;
          }
          dr[v] = T::Load(after[0]);
          di[v] = T::Load(after[1]);
          m[v] = T::Load(after[2]);
          zre[v] = T::Load(after[3]);
          zim[v] = T::Load(after[4]);
        }
      }
    }
    // Lanes tested at the limit without escaping are finished as well.
    doneBits = escapedBits;
    for (std::uint64_t rest = occupied_; rest != 0; rest &= rest - 1) {
      const int l = __builtin_ctzll(rest);
      n_[l] += step + extra_[l];
      if (n_[l] >= job_.Limit) doneBits |= std::uint64_t{1} << l;
    }
    for (int v = 0; v < NV; ++v) {
      T::Store(dr_ + v * kWidth, dr[v]);
      T::Store(di_ + v * kWidth, di[v]);
      T::Store(zre_ + v * kWidth, zre[v]);
      T::Store(zim_ + v * kWidth, zim[v]);
      T::Store(m_ + v * kWidth, m[v]);
    }
  }

  // Stores the counts of the finished lanes and empties them.
  void Finish(std::uint64_t done, std::uint64_t escaped) {
    for (std::uint64_t rest = done; rest != 0; rest &= rest - 1) {
      const int l = __builtin_ctzll(rest);
      const TDot count = (escaped >> l) & 1 ? static_cast<TDot>(n_[l]) : kDotInside;
      const int col = job_.Cols[point_[l]];
      StoreDotInCore(job_.Row, col, count);
      if (job_.Mirror.Data()) StoreDotInCore(job_.Mirror, col, count);
      MakeEmpty(l);
    }
    occupied_ &= ~done;
  }

  // An empty lane iterates the centre itself, harmlessly, and finishes never.
  void MakeEmpty(int l) {
    dr_[l] = di_[l] = dcr_[l] = dci_[l] = zre_[l] = zim_[l] = m_[l] = 0;
    n_[l] = 1;
    point_[l] = -1;
  }

  // Hands the next dots to the given empty lanes, lowest lane first.
  void Refill(std::uint64_t lanes) {
    for (std::uint64_t rest = lanes; rest != 0 && next_ < job_.Count; rest &= rest - 1) {
      const int l = __builtin_ctzll(rest);
      const int p = next_++;
      MakeEmpty(l);
      dcr_[l] = job_.DcRe[p];
      dci_[l] = job_.DcIm;
      point_[l] = p;
      occupied_ |= std::uint64_t{1} << l;
    }
  }

  // Once no dot is left to hand out: moves the occupied lanes to the front
  // and drops the vectors left empty.
  void Pack() {
    const int count = __builtin_popcountll(occupied_);
    const int needed = (count + kWidth - 1) / kWidth;
    if (needed >= vectors_) return;
    int to = 0;
    for (std::uint64_t rest = occupied_; rest != 0; rest &= rest - 1) {
      const int from = __builtin_ctzll(rest);
      if (from != to) {
        dr_[to] = dr_[from];
        di_[to] = di_[from];
        dcr_[to] = dcr_[from];
        dci_[to] = dci_[from];
        zre_[to] = zre_[from];
        zim_[to] = zim_[from];
        m_[to] = m_[from];
        n_[to] = n_[from];
        point_[to] = point_[from];
        MakeEmpty(from);
      }
      ++to;
    }
    occupied_ = to == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << to) - 1;
    vectors_ = needed;
  }

  const TDeepJob& job_;
  const double* re_;
  const double* im_;
  const TBlaArrays* bla_;  // merged steps, if any
  alignas(64) double dr_[kLanes];
  alignas(64) double di_[kLanes];
  alignas(64) double dcr_[kLanes];
  alignas(64) double dci_[kLanes];
  alignas(64) double zre_[kLanes];  // Z(m)
  alignas(64) double zim_[kLanes];
  alignas(64) double m_[kLanes];  // index into the orbit, whole numbers
  alignas(64) double n_[kLanes];  // the count if the lane's z escapes now
  int extra_[kLanes];             // iterates skipped by merged steps in this block
  int point_[kLanes];
  std::uint64_t occupied_ = 0;
  int next_ = 0;
  int vectors_ = 1;
};

}  // namespace
}  // namespace vortexa
