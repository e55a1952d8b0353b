#include "engine/page_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

namespace vortexa {
namespace {

constexpr std::uintptr_t kSmallPage = 4096;
constexpr std::uintptr_t kHugePage = 2 << 20;

std::uintptr_t Address(const void* p) {
  return reinterpret_cast<std::uintptr_t>(p);
}

TEST(PageBufferTest, SmallAndLargeBuffersStartZeroAndHoldEveryElement) {
  // A 1920 × 1080 grid spans a part of its last huge page; 1001 bytes stay below a page.
  for (std::size_t size : {std::size_t{1001}, std::size_t{1920} * 1080}) {
    TPageBuffer<std::uint16_t> buffer(size);
    ASSERT_EQ(buffer.size(), size);
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](std::uint16_t v) { return v == 0; }));
    for (std::size_t i = 0; i < size; ++i)
      buffer[i] = static_cast<std::uint16_t>(i * 7);
    for (std::size_t i = 0; i < size; i += 4099)
      EXPECT_EQ(buffer[i], static_cast<std::uint16_t>(i * 7));
    EXPECT_EQ(buffer[size - 1], static_cast<std::uint16_t>((size - 1) * 7));
    EXPECT_EQ(Address(buffer.data()) % kSmallPage, 0u);
  }
}

TEST(PageBufferTest, BuffersOfHalfAHugePageOrMoreAreAlignedToHugePagesUnlessSmallOnesAreAsked) {
  for (std::size_t bytes : {kHugePage / 2, kHugePage, 3 * kHugePage + 5}) {
    TPageBuffer<std::uint8_t> buffer(bytes);
    EXPECT_EQ(Address(buffer.data()) % kHugePage, 0u) << bytes;
    buffer[bytes - 1] = 1;
    TPageBuffer<std::uint8_t> small(bytes, TPages::Small);
    small[bytes - 1] = 1;
    EXPECT_EQ(small[0], 0);
  }
}

TEST(PageBufferTest, MovingHandsOverThePagesAndEmptyBuffersOwnNone) {
  TPageBuffer<int> empty;
  EXPECT_TRUE(empty.empty());
  EXPECT_EQ(empty.data(), nullptr);
  EXPECT_EQ(TPageBuffer<int>(0).data(), nullptr);

  TPageBuffer<int> first(100);
  first[99] = 42;
  const int* pages = first.data();
  TPageBuffer<int> second(std::move(first));
  EXPECT_EQ(second.data(), pages);
  EXPECT_EQ(second[99], 42);
  EXPECT_TRUE(first.empty());
  second = TPageBuffer<int>(10);
  EXPECT_EQ(second.size(), 10u);
  EXPECT_EQ(second[9], 0);
}

}  // namespace
}  // namespace vortexa
