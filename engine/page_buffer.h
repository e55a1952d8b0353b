// Large buffers straight from the system: zero-filled without being touched,
// and on transparent huge pages where the system offers them, so that a
// picture-sized buffer costs a few page faults instead of one per 4 KiB.
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

namespace vortexa {

// Fresh zero-filled memory of at least `bytes` (> 0), page-aligned; buffers of
// a huge page or more are aligned to huge pages and advised to use them.
// Throws std::bad_alloc.
void* MapPages(std::size_t bytes);
// Returns memory from MapPages with the same byte count.
void UnmapPages(void* pages, std::size_t bytes);

// A fixed-size array on its own pages; its elements start as zero bytes and
// no page is touched before the first access.
template <typename T>
class TPageBuffer {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

 public:
  TPageBuffer() = default;
  explicit TPageBuffer(std::size_t size)
      : FData(size == 0 ? nullptr : static_cast<T*>(MapPages(size * sizeof(T)))), FSize(size) {}
  ~TPageBuffer() {
    if (FData) UnmapPages(FData, FSize * sizeof(T));
  }
  TPageBuffer(TPageBuffer&& other) noexcept
      : FData(std::exchange(other.FData, nullptr)), FSize(std::exchange(other.FSize, 0)) {}
  TPageBuffer& operator=(TPageBuffer&& other) noexcept {
    std::swap(FData, other.FData);
    std::swap(FSize, other.FSize);
    return *this;
  }

  T* data() { return FData; }
  const T* data() const { return FData; }
  std::size_t size() const { return FSize; }
  bool empty() const { return FSize == 0; }
  T& operator[](std::size_t i) { return FData[i]; }
  const T& operator[](std::size_t i) const { return FData[i]; }
  T* begin() { return FData; }
  T* end() { return FData + FSize; }
  const T* begin() const { return FData; }
  const T* end() const { return FData + FSize; }

 private:
  T* FData = nullptr;
  std::size_t FSize = 0;
};

}  // namespace vortexa
