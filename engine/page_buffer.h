// Large buffers straight from the system: zero-filled without being touched,
// and on transparent huge pages where the system offers them, so that a
// picture-sized buffer costs a few page faults instead of one per 4 KiB.
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

namespace vortexa {

// Huge pages pay where a buffer is filled anyway; a buffer of which only a
// part is written (room for a result of unknown size) keeps small pages.
enum class TPages { Small, Huge };

struct TMapping {
  void* Pages = nullptr;
  std::size_t Bytes = 0;  // as mapped
};

// Fresh zero-filled memory of at least `bytes` (> 0), page-aligned. With Huge,
// a buffer of half a huge page or more is aligned to huge pages, rounded up to
// whole ones and advised to use them. Throws std::bad_alloc.
TMapping MapPages(std::size_t bytes, TPages pages);
void UnmapPages(const TMapping& mapping);

// A fixed-size array on its own pages; its elements start as zero bytes and
// no page is touched before the first access.
template <typename T>
class TPageBuffer {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

 public:
  TPageBuffer() = default;
  explicit TPageBuffer(std::size_t size, TPages pages = TPages::Huge)
      : FMapping(size == 0 ? TMapping{} : MapPages(size * sizeof(T), pages)), FSize(size) {}
  ~TPageBuffer() {
    if (FMapping.Pages) UnmapPages(FMapping);
  }
  TPageBuffer(TPageBuffer&& other) noexcept
      : FMapping(std::exchange(other.FMapping, {})), FSize(std::exchange(other.FSize, 0)) {}
  TPageBuffer& operator=(TPageBuffer&& other) noexcept {
    std::swap(FMapping, other.FMapping);
    std::swap(FSize, other.FSize);
    return *this;
  }

  T* data() { return static_cast<T*>(FMapping.Pages); }
  const T* data() const { return static_cast<const T*>(FMapping.Pages); }
  std::size_t size() const { return FSize; }
  bool empty() const { return FSize == 0; }
  T& operator[](std::size_t i) { return data()[i]; }
  const T& operator[](std::size_t i) const { return data()[i]; }
  T* begin() { return data(); }
  T* end() { return data() + FSize; }
  const T* begin() const { return data(); }
  const T* end() const { return data() + FSize; }

 private:
  TMapping FMapping;
  std::size_t FSize = 0;
};

}  // namespace vortexa
