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
//   z = Z(m) + d; zz = zr*zr + zi*zi; escaped when zz > 4, or when zz is 4
//   exactly and the difference lies on the outer side of the circle;
//   rebase (d := z, m := 0) when zz < dr*dr + di*di or m >= Last (a cycling
//   orbit instead goes on one period back: see WrapIterate);
//   w = (Z(m) + Z(m)) + d; d = ((wr*dr - wi*di) + dcr, (wr*di + wi*dr) + dci).
// The reference value of the next step is gathered before the rebase is
// decided (Z(1) replaces it after a rebase), which keeps the gather off the
// chain of dependent operations. When a lane finishes, the block returns, the
// lane's count is stored and the lane takes the next dot of the row.
//
// With a table of merged steps, in every kBlaMergeEvery-th round every lane
// takes the longest valid one that ends by the limit, or else a single step,
// as the one-dot routine does: each lane loads the record of its m (Z(m) and
// the radii of the steps of 2 and 4 iterates, half a cache line) whole and
// the line of the radii of the steps of 8 to 1024 iterates, both in the round
// before, and the lanes whose steps of 1024 are valid the records of the
// longer ones; the radii never grow with the step's length, so the valid
// steps are the shortest. Then one linear step d = A d + B dc for every
// lane, with A = w and B = 1 for a single step (1 * dcr - 0 * dci is dcr),
// so that no lane waits for another's kind of step. Each lane then keeps its
// own count. The rounds between are single steps for all lanes, as without
// the table; all lanes' dots are in the same round of that cycle, so a lane
// that finishes waits for the next merged round before it takes a new dot.
#pragma once

#include <cstdint>

#include "bla_table.h"
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
      const bool cycle = (bla_ ? bla_->Period : job_.Orbit->Period) != 0;
      if (bla_)
        cycle ? RunVectors<true, true>(done, escaped) : RunVectors<true, false>(done, escaped);
      else
        cycle ? RunVectors<false, true>(done, escaped) : RunVectors<false, false>(done, escaped);
      Finish(done, escaped);
      // With merged steps all dots keep the same phase: the empty lanes wait
      // for the next merged round, unless no lane holds a dot.
      if (next_ < job_.Count) {
        if (occupied_ == 0) phase_ = 0;
        if (!bla_ || phase_ == 0) Refill(FullBits(vectors_) & ~occupied_);
      } else {
        Pack();
      }
    }
  }

 private:
  static std::uint64_t FullBits(int vectors) {
    const int lanes = vectors * kWidth;
    return lanes >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << lanes) - 1;
  }
  static constexpr unsigned kWidthBits = (1u << kWidth) - 1;

  bool StopRequested() const { return job_.Stop && __atomic_load_n(job_.Stop, __ATOMIC_RELAXED); }

  template <bool kBla, bool kCycle>
  void RunVectors(std::uint64_t& done, std::uint64_t& escaped) {
    switch (vectors_) {
      case 1:
        RunBlockOf<1, kBla, kCycle>(done, escaped);
        break;
      case 2:
        if constexpr (kMaxVectors >= 2) RunBlockOf<2, kBla, kCycle>(done, escaped);
        break;
      case 3:
        if constexpr (kMaxVectors >= 3) RunBlockOf<3, kBla, kCycle>(done, escaped);
        break;
      default:
        if constexpr (kMaxVectors >= 4) RunBlockOf<4, kBla, kCycle>(done, escaped);
        break;
    }
  }

  template <int NV, bool kBla, bool kCycle>
  void RunBlockOf(std::uint64_t& done, std::uint64_t& escaped) {
    if constexpr (kBla)
      RunMergedBlock<NV, kCycle>(done, escaped);
    else
      RunBlock<NV, kCycle>(done, escaped);
  }

  // Where lanes arriving at iterates m go on: past the end of a cycling orbit
  // one period back, as WrapIterate; so m stays below Last.
  template <bool kCycle>
  static V Wrapped(V m, V last, V period) {
    if constexpr (kCycle)
      return T::Blend(T::GreaterEqual(m, last), T::Sub(m, period), m);
    else
      return m;
  }

  // Iterates the first NV vectors until a lane escapes, or one has been
  // tested at the limit, or kDeepBlockSteps rounds have passed; reports the
  // finished lanes and which of them escaped. Every lane's count grows by one
  // per round, so the rounds left to the lane nearest its limit bound the
  // block. Finished lanes keep the state of their last test.
  template <int NV, bool kCycle>
  void RunBlock(std::uint64_t& doneBits, std::uint64_t& escapedBits) {
    V dr[NV], di[NV], zre[NV], zim[NV], m[NV];
    M occupied[NV];
    Load<NV>(dr, di, zre, zim, m, occupied);
    double oldest = 0;
    for (std::uint64_t rest = occupied_; rest != 0; rest &= rest - 1) {
      const int l = __builtin_ctzll(rest);
      if (n_[l] > oldest) oldest = n_[l];
    }
    // Rounds until the oldest lane makes its test at the limit.
    const int budget = job_.Limit - static_cast<int>(oldest);
    const int steps = budget < kDeepBlockSteps ? budget : kDeepBlockSteps;
    const V last = T::Set1(static_cast<double>(job_.Orbit->Last));
    const V period = T::Set1(static_cast<double>(job_.Orbit->Period));
    const V one = T::Set1(1.0);
    const V firstRe = T::Set1(re_[1]);
    const V firstIm = T::Set1(im_[1]);
    int step = 0;
    for (;; ++step) {
      V zr[NV], zi[NV], zz[NV];
      M escaped[NV];
      const unsigned anyEscaped = TestLanes<NV>(zre, zim, dr, di, occupied, zr, zi, zz, escaped);
      if (anyEscaped != 0 && SettleTies<NV>(escaped, zz, m, dr, di)) {
        for (int v = 0; v < NV; ++v)
          escapedBits |= std::uint64_t{T::Bits(escaped[v])} << (v * kWidth);
        break;
      }
      if (step == steps) break;
      for (int v = 0; v < NV; ++v) {
        const V next = Wrapped<kCycle>(T::Add(m[v], one), last, period);
        const V nextRe = T::Gather(re_, next);
        const V nextIm = T::Gather(im_, next);
        const V dcr = T::Load(dcr_ + v * kWidth);
        const V dci = T::Load(dci_ + v * kWidth);
        const V dd = T::Add(T::Mul(dr[v], dr[v]), T::Mul(di[v], di[v]));
        const M rebase = T::Or(T::Less(zz[v], dd), T::GreaterEqual(m[v], last));
        SingleStep(SingleFactors(rebase, zr[v], zi[v], zre[v], zim[v], dr[v], di[v]), dcr, dci,
                   dr[v], di[v]);
        m[v] = T::Blend(rebase, one, next);
        zre[v] = T::Blend(rebase, firstRe, nextRe);
        zim[v] = T::Blend(rebase, firstIm, nextIm);
      }
    }
    // Lanes tested at the limit without escaping are finished as well.
    doneBits = escapedBits;
    for (std::uint64_t rest = occupied_; rest != 0; rest &= rest - 1) {
      const int l = __builtin_ctzll(rest);
      n_[l] += step;
      if (n_[l] >= job_.Limit) doneBits |= std::uint64_t{1} << l;
    }
    Save<NV>(dr, di, zre, zim, m);
  }

  // As RunBlock, with merged steps: every kBlaMergeEvery-th round (phase_ 0)
  // each lane takes the longest valid step of the table that ends by the
  // limit, or else a single one; the rounds between are single steps for
  // every lane, which cost a fraction of a merged round. Each lane counts its
  // own iterates. Ends when a lane escapes or is tested at the limit, after
  // kDeepBlockSteps rounds, or where empty lanes wait for dots at phase 0.
  template <int NV, bool kCycle>
  void RunMergedBlock(std::uint64_t& doneBits, std::uint64_t& escapedBits) {
    V dr[NV], di[NV], zre[NV], zim[NV], m[NV], n[NV];
    M occupied[NV];
    Load<NV>(dr, di, zre, zim, m, occupied);
    const TBlaArrays& t = *bla_;
    const V last = T::Set1(static_cast<double>(t.Last));
    const V limit = T::Set1(static_cast<double>(job_.Limit));
    const bool refillDue = occupied_ != FullBits(vectors_) && next_ < job_.Count;
    for (int v = 0; v < NV; ++v)
      n[v] = T::Load(n_ + v * kWidth);
    // Each lane's start record and radii of steps of 8 to 1024 iterates, for
    // its m, loaded in the round before a merged one.
    V record[NV][kBlaStartDoubles];
    V longer[NV][kBlaRadiiDoubles] = {};  // unread where the table has no such steps
    LoadStarts<NV>(t, m, record, longer, zre, zim);
    for (int round = 0;; ++round) {
      // In stages, each for all vectors: the loads of one stage do not wait
      // for each other, only for the stage before.
      V zr[NV], zi[NV], zz[NV];
      M escaped[NV];
      const unsigned anyEscaped = TestLanes<NV>(zre, zim, dr, di, occupied, zr, zi, zz, escaped);
      unsigned anyAtLimit = 0;
      for (int v = 0; v < NV; ++v)
        anyAtLimit |= T::Bits(T::And(T::GreaterEqual(n[v], limit), occupied[v]));
      if (anyEscaped != 0 && SettleTies<NV>(escaped, zz, m, dr, di)) {
        for (int v = 0; v < NV; ++v)
          escapedBits |= std::uint64_t{T::Bits(escaped[v])} << (v * kWidth);
        break;
      }
      if (anyAtLimit != 0 || round == kDeepBlockSteps || (refillDue && phase_ == 0 && round > 0))
        break;
      V dd[NV];
      M rebase[NV];
      for (int v = 0; v < NV; ++v) {
        dd[v] = T::Add(T::Mul(dr[v], dr[v]), T::Mul(di[v], di[v]));
        rebase[v] = T::Or(T::Less(zz[v], dd[v]), T::GreaterEqual(m[v], last));
      }
      TLanes<NV> lanes{zr, zi, zre, zim, dr, di, m, n, record, longer, dd, rebase};
      const int phase = phase_;
      phase_ = phase + 1 == kBlaMergeEvery ? 0 : phase + 1;
      if (phase == 0)
        MergedRound<NV, kCycle>(t, lanes);
      else
        SingleRound<NV, kCycle>(t, lanes);
    }
    doneBits = escapedBits;
    for (int v = 0; v < NV; ++v)
      T::Store(n_ + v * kWidth, n[v]);
    for (std::uint64_t rest = occupied_; rest != 0; rest &= rest - 1) {
      const int l = __builtin_ctzll(rest);
      if (n_[l] >= job_.Limit) doneBits |= std::uint64_t{1} << l;
    }
    Save<NV>(dr, di, zre, zim, m);
  }

  // The vectors' state in a round of RunMergedBlock, after the escape test:
  // z, Z(m), d, the orbit's index m, the count n, the start records, |d|^2
  // and where to rebase.
  template <int NV>
  struct TLanes {
    V *Zr, *Zi, *Zre, *Zim, *Dr, *Di, *Index, *Count;
    V (*Record)[kBlaStartDoubles];
    V (*Longer)[kBlaRadiiDoubles];
    const V* Dd;
    const M* Rebase;
  };

  // The lanes' start records and radii of steps of 8 to 1024 iterates at m
  // (nearly every vector has a lane that looks at them), and Z(m) from them.
  template <int NV>
  [[gnu::always_inline]] static void LoadStarts(const TBlaArrays& t, const V* m,
                                                V (*record)[kBlaStartDoubles],
                                                V (*longer)[kBlaRadiiDoubles], V* zre, V* zim) {
    for (int v = 0; v < NV; ++v) {
      T::template LoadRecords<kBlaStartDoubles>(t.Starts, T::Mul(m[v], T::Set1(kBlaStartDoubles)),
                                                record[v]);
      if (t.Longer[0])
        T::template LoadRecords<kBlaRadiiDoubles>(
            t.Longer[0], T::Mul(T::Add(m[v], T::Set1(1.0)), T::Set1(kBlaRadiiDoubles)), longer[v]);
      zre[v] = record[v][0];
      zim[v] = record[v][1];
    }
  }

  // Z(m) for the lanes' new m, and before a merged round (phase_, already
  // the next round's, is 0) their starts: loaded before the coefficients of
  // this round are used, so that the loads from memory overlap.
  template <int NV>
  [[gnu::always_inline]] void LoadNext(const TBlaArrays& t, TLanes<NV>& x) const {
    if (phase_ == 0) {
      LoadStarts<NV>(t, x.Index, x.Record, x.Longer, x.Zre, x.Zim);
    } else {
      for (int v = 0; v < NV; ++v) {
        x.Zre[v] = T::Gather(re_, x.Index[v]);
        x.Zim[v] = T::Gather(im_, x.Index[v]);
      }
    }
  }

  // Every lane takes its longest valid step, or else a single one.
  template <int NV, bool kCycle>
  [[gnu::always_inline]] void MergedRound(const TBlaArrays& t, TLanes<NV>& x) {
    const V last = T::Set1(static_cast<double>(t.Last));
    const V period = T::Set1(static_cast<double>(t.Period));
    const V limit = T::Set1(static_cast<double>(job_.Limit));
    const V zero = T::Set1(0.0);
    const V one = T::Set1(1.0);
    const V two = T::Set1(2.0);
    const V nowhere = T::Set1(__builtin_inf());
    const V stepDoubles = T::Set1(kBlaStepDoubles);
    TSearch search[NV];
    for (int v = 0; v < NV; ++v) {
      TSearch& s = search[v];
      // No merged step after a rebase: from Z(0) the square is the step.
      s.Dd = T::Blend(x.Rebase[v], nowhere, x.Dd[v]);
      s.Span = one;
      s.Base = zero;
      for (int l = 1; l <= kBlaStartLevels; ++l)
        Take(t, l, T::Less(s.Dd, x.Record[v][1 + l]), s);
      if (t.Longer[0]) {
        for (int slot = 0; slot < kBlaRadiiDoubles; ++slot)
          Take(t, BlaFirstLevel(1) + slot, T::Less(s.Dd, x.Longer[v][slot]), s);
        ExtendLong<2>(t, x.Index[v], s);
      }
      // The valid steps are the shortest ones, and so are those that end by
      // the limit: seldom shortened, for dots near it.
      const V room = T::Sub(limit, x.Count[v]);
      if (T::Bits(T::Less(room, s.Span)) != 0) {
        s.Span = T::Min(s.Span, T::PowerOfTwoFloor(room));
        s.Base = zero;
        for (int l = 1; l <= t.MaxLevels; ++l)
          Take(t, l, T::GreaterEqual(s.Span, T::Set1(static_cast<double>(1 << l))), s);
      }
      // A single step reads the first (any) entry.
      s.At = T::Mul(T::Blend(T::GreaterEqual(s.Span, two), T::Add(s.Base, x.Index[v]), zero),
                    stepDoubles);
    }
    TFactors f[NV];
    for (int v = 0; v < NV; ++v)
      f[v] = SingleFactors(x.Rebase[v], x.Zr[v], x.Zi[v], x.Zre[v], x.Zim[v], x.Dr[v], x.Di[v]);
    for (int v = 0; v < NV; ++v) {
      x.Index[v] = Wrapped<kCycle>(T::Add(T::Blend(x.Rebase[v], zero, x.Index[v]), search[v].Span),
                                   last, period);
      x.Count[v] = T::Add(x.Count[v], search[v].Span);
    }
    LoadNext<NV>(t, x);
    for (int v = 0; v < NV; ++v) {
      const TSearch& s = search[v];
      const V dcr = T::Load(dcr_ + v * kWidth);
      const V dci = T::Load(dci_ + v * kWidth);
      const M merged = T::GreaterEqual(s.Span, two);
      V step[kBlaStepDoubles];
      T::template LoadRecords<kBlaStepDoubles>(&t.Steps[0].ARe, s.At, step);
      const V ar = T::Blend(merged, step[0], f[v].Wr);
      const V ai = T::Blend(merged, step[1], f[v].Wi);
      const V br = T::Blend(merged, step[2], one);
      const V bi = T::Blend(merged, step[3], zero);
      x.Dr[v] = T::Add(T::Sub(T::Mul(ar, f[v].R), T::Mul(ai, f[v].I)),
                       T::Sub(T::Mul(br, dcr), T::Mul(bi, dci)));
      x.Di[v] = T::Add(T::Add(T::Mul(ar, f[v].I), T::Mul(ai, f[v].R)),
                       T::Add(T::Mul(br, dci), T::Mul(bi, dcr)));
    }
  }

  // Every lane takes a single step, with the arithmetic of RunBlock.
  template <int NV, bool kCycle>
  [[gnu::always_inline]] void SingleRound(const TBlaArrays& t, TLanes<NV>& x) {
    const V last = T::Set1(static_cast<double>(t.Last));
    const V period = T::Set1(static_cast<double>(t.Period));
    const V one = T::Set1(1.0);
    TFactors f[NV];
    for (int v = 0; v < NV; ++v)
      f[v] = SingleFactors(x.Rebase[v], x.Zr[v], x.Zi[v], x.Zre[v], x.Zim[v], x.Dr[v], x.Di[v]);
    for (int v = 0; v < NV; ++v) {
      x.Index[v] =
          T::Blend(x.Rebase[v], one, Wrapped<kCycle>(T::Add(x.Index[v], one), last, period));
      x.Count[v] = T::Add(x.Count[v], one);
    }
    LoadNext<NV>(t, x);
    for (int v = 0; v < NV; ++v) {
      const V dcr = T::Load(dcr_ + v * kWidth);
      const V dci = T::Load(dci_ + v * kWidth);
      SingleStep(f[v], dcr, dci, x.Dr[v], x.Di[v]);
    }
  }

  // The factors of a single step d' = w r + dc from z, Z(m) and d: after a
  // rebase Z(0) = 0, so w = (0 + 0) + z = z and r = z.
  struct TFactors {
    V R, I, Wr, Wi;
  };
  [[gnu::always_inline]] static TFactors SingleFactors(M rebase, V zr, V zi, V zre, V zim, V dr,
                                                       V di) {
    return {T::Blend(rebase, zr, dr), T::Blend(rebase, zi, di),
            T::Blend(rebase, zr, T::Add(T::Add(zre, zre), dr)),
            T::Blend(rebase, zi, T::Add(T::Add(zim, zim), di))};
  }
  [[gnu::always_inline]] static void SingleStep(const TFactors& f, V dcr, V dci, V& dr, V& di) {
    const V nr = T::Add(T::Sub(T::Mul(f.Wr, f.R), T::Mul(f.Wi, f.I)), dcr);
    di = T::Add(T::Add(T::Mul(f.Wr, f.I), T::Mul(f.Wi, f.R)), dci);
    dr = nr;
  }

  // One lane's search for its longest valid step: |d|^2 (infinite after a
  // rebase), the longest valid step's length (1: none), where the steps of
  // that length begin in the table and, at the end, where its coefficients
  // lie.
  struct TSearch {
    V Dd, Span, Base, At;
  };

  // The step of 2^level iterates for the lanes where `valid`.
  [[gnu::always_inline]] static void Take(const TBlaArrays& t, int level, M valid, TSearch& s) {
    s.Span = T::Blend(valid, T::Set1(static_cast<double>(std::int64_t{1} << level)), s.Span);
    s.Base = T::Blend(valid, T::Set1(static_cast<double>(level - 1) * t.Last), s.Base);
  }

  // Goes on with the steps of group g and after for the lanes whose search
  // came to the group's first length; the others read the group's first
  // record, which has no step. The radii never grow with the step's length
  // and are 0 where m has no step, so the valid steps of a lane are the
  // shortest ones.
  template <int g>
  static void ExtendLong(const TBlaArrays& t, V m, TSearch& s) {
    if constexpr (g <= kBlaLongGroups) {
      constexpr int kFirst = BlaFirstLevel(g);
      if (kFirst > t.MaxLevels) return;
      const M longer = T::GreaterEqual(s.Span, T::Set1(static_cast<double>(1 << (kFirst - 1))));
      if (T::Bits(longer) == 0) return;
      const V record = T::Blend(longer, T::Add(m, T::Set1(1.0)), T::Set1(0.0));
      V radii[kBlaRadiiDoubles];
      T::template LoadRecords<kBlaRadiiDoubles>(t.Longer[g - 1],
                                                T::Mul(record, T::Set1(kBlaRadiiDoubles)), radii);
      for (int slot = 0; slot < kBlaRadiiDoubles; ++slot)
        Take(t, kFirst + slot, T::Less(s.Dd, radii[slot]), s);
      ExtendLong<g + 1>(t, m, s);
    }
  }

  // Every lane's z = Z(m) + d and |z|^2; the occupied lanes whose |z|^2
  // comes to 4 or more, or near it, go to `escaped` (SettleTies has the last
  // word on those near 4). Returns their bits, all vectors together.
  template <int NV>
  static unsigned TestLanes(const V* zre, const V* zim, const V* dr, const V* di, const M* occupied,
                            V* zr, V* zi, V* zz, M* escaped) {
    const V four = T::Set1(4 - kNearCircle);
    unsigned any = 0;
    for (int v = 0; v < NV; ++v) {
      zr[v] = T::Add(zre[v], dr[v]);
      zi[v] = T::Add(zim[v], di[v]);
      zz[v] = T::Add(T::Mul(zr[v], zr[v]), T::Mul(zi[v], zi[v]));
      escaped[v] = T::And(T::GreaterEqual(zz[v], four), occupied[v]);
      any |= T::Bits(escaped[v]);
    }
    return any;
  }

  // The lanes whose |z|^2 came to 4 or near it keep their escape only where
  // it is one: near 4 the orbit's exact excess over 4 decides, as in the
  // one-dot routine (at the tip of the needle Z is 2 for ever, and only the
  // difference tells the dots outside from those inside; beside it the
  // rounding of Z is as large as the difference). Seldom called, so per lane.
  // True when a lane escapes.
  template <int NV>
  bool SettleTies(M* escaped, const V* zz, const V* m, const V* dr, const V* di) const {
    unsigned any = 0;
    for (int v = 0; v < NV; ++v) {
      alignas(64) double a[4][kWidth];
      T::Store(a[0], zz[v]);
      T::Store(a[1], m[v]);
      T::Store(a[2], dr[v]);
      T::Store(a[3], di[v]);
      unsigned bits = T::Bits(escaped[v]);
      for (unsigned rest = bits; rest != 0; rest &= rest - 1) {
        const int l = __builtin_ctz(rest);
        if (a[0][l] > 4 + kNearCircle) continue;
        std::size_t hint = 0;
        if (!EscapesNearCircle(*job_.Orbit, static_cast<int>(a[1][l]), a[2][l], a[3][l], 0, hint))
          bits &= ~(1u << l);
      }
      escaped[v] = T::ToMask(bits);
      any |= bits;
    }
    return any != 0;
  }

  template <int NV>
  void Load(V* dr, V* di, V* zre, V* zim, V* m, M* occupied) const {
    for (int v = 0; v < NV; ++v) {
      dr[v] = T::Load(dr_ + v * kWidth);
      di[v] = T::Load(di_ + v * kWidth);
      zre[v] = T::Load(zre_ + v * kWidth);
      zim[v] = T::Load(zim_ + v * kWidth);
      m[v] = T::Load(m_ + v * kWidth);
      occupied[v] = T::ToMask(static_cast<unsigned>(occupied_ >> (v * kWidth)) & kWidthBits);
    }
  }

  template <int NV>
  void Save(const V* dr, const V* di, const V* zre, const V* zim, const V* m) {
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
  int point_[kLanes];
  std::uint64_t occupied_ = 0;
  int next_ = 0;
  int vectors_ = 1;
  // The round of the lanes' dots, all alike, in the cycle of merged steps:
  // new dots start at 0.
  int phase_ = 0;
};

}  // namespace
}  // namespace vortexa
