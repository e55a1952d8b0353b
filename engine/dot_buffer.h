// The grid's dots on their own pages, narrow or wide (see dot.h).
#pragma once

#include <cstddef>
#include <span>

#include "dot.h"
#include "page_buffer.h"

namespace vortexa {

class TDotBuffer {
 public:
  TDotBuffer() = default;
  // Zero dots (uncomputed), no page touched. Throws std::bad_alloc.
  TDotBuffer(std::size_t size, bool wide, TPages pages = TPages::Huge) : FWide(wide) {
    if (wide)
      FWideDots = TPageBuffer<TDot32>(size, pages);
    else
      FNarrowDots = TPageBuffer<TDot16>(size, pages);
  }

  bool Wide() const { return FWide; }
  std::size_t size() const { return FWide ? FWideDots.size() : FNarrowDots.size(); }
  bool empty() const { return size() == 0; }
  std::size_t Bytes() const { return size() * (FWide ? sizeof(TDot32) : sizeof(TDot16)); }

  // The dots from `index` on.
  TDotRow At(std::size_t index) {
    if (FWide) return FWideDots.data() + index;
    return FNarrowDots.data() + index;
  }
  TDotRowView At(std::size_t index) const {
    if (FWide) return FWideDots.data() + index;
    return FNarrowDots.data() + index;
  }
  TDot Load(std::size_t index) const { return At(index).Load(0); }
  void Store(std::size_t index, TDot value) { At(index).Store(0, value); }

  // The dots as they stand, read atomically (workers may be writing them).
  TDotBuffer Copy() const {
    TDotBuffer copy(size(), FWide, TPages::Small);
    if (FWide)
      CopyDots(FWideDots, copy.FWideDots);
    else
      CopyDots(FNarrowDots, copy.FNarrowDots);
    return copy;
  }

  // Hands every dot as one typed span to f.
  template <typename F>
  decltype(auto) Visit(F&& f) {
    if (FWide) return f(std::span<TDot32>(FWideDots.data(), FWideDots.size()));
    return f(std::span<TDot16>(FNarrowDots.data(), FNarrowDots.size()));
  }
  template <typename F>
  decltype(auto) Visit(F&& f) const {
    if (FWide) return f(std::span<const TDot32>(FWideDots.data(), FWideDots.size()));
    return f(std::span<const TDot16>(FNarrowDots.data(), FNarrowDots.size()));
  }

 private:
  template <StoredDot T>
  static void CopyDots(const TPageBuffer<T>& from, TPageBuffer<T>& to) {
    for (std::size_t i = 0; i < from.size(); ++i)
      to[i] = StoredForm<T>(LoadDot(from[i]));
  }

  bool FWide = false;
  TPageBuffer<TDot16> FNarrowDots;
  TPageBuffer<TDot32> FWideDots;
};

}  // namespace vortexa
