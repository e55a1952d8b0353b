#include "engine/page_buffer.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace vortexa {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t RoundUp(std::size_t value, std::size_t unit) {
  return (value + unit - 1) / unit * unit;
}

void* Map(std::size_t bytes) {
  void* pages = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (pages == MAP_FAILED) throw std::bad_alloc();
  return pages;
}

}  // namespace

TMapping MapPages(std::size_t bytes, TPages pages) {
  // Below half a huge page, small pages waste less than a huge one saves.
  if (pages == TPages::Small || bytes < kHugePage / 2) return {Map(bytes), bytes};
  const std::size_t mapped = RoundUp(bytes, kHugePage);
  // Over-map by one huge page, then give back the ends around an aligned span.
  auto* raw = static_cast<std::uint8_t*>(Map(mapped + kHugePage));
  const auto address = reinterpret_cast<std::uintptr_t>(raw);
  auto* aligned = raw + (RoundUp(address, kHugePage) - address);
  if (aligned != raw) munmap(raw, aligned - raw);
  munmap(aligned + mapped, raw + kHugePage - aligned);
  // Only a hint: where the system offers no transparent huge pages (EINVAL)
  // the buffer simply keeps its 4 KiB pages.
  madvise(aligned, mapped, MADV_HUGEPAGE);
  return {aligned, mapped};
}

void UnmapPages(const TMapping& mapping) {
  munmap(mapping.Pages, mapping.Bytes);
}

}  // namespace vortexa
