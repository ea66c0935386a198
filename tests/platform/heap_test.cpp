// The process heap: zeroed allocation and growth, contents kept across
// reallocation, and the failures Windows reports.
#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

#include "platform/win32.hpp"

namespace {

constexpr DWORD kUntouchedError = 0xdeadbeef;

bool AllZero(const void* block, size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(block);
  for (size_t i = 0; i < size; ++i) {
    if (bytes[i]) return false;
  }
  return true;
}

TEST(Heap, HeapAllocWithZeroMemoryReturnsZeroedBlock) {
  void* block = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, 100);
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(AllZero(block, 100));
  EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % alignof(std::max_align_t), 0u);
  EXPECT_TRUE(HeapFree(GetProcessHeap(), 0, block));
}

TEST(Heap, HeapReAllocWithZeroMemoryZeroesExactlyTheGrownTail) {
  // Odd sizes: malloc rounds them up, and the rounding must not hide
  // bytes that were never zeroed.
  for (size_t first : {1u, 13u, 24u, 1000u}) {
    SCOPED_TRACE(first);
    auto* block = static_cast<unsigned char*>(HeapAlloc(GetProcessHeap(), 0, first));
    ASSERT_NE(block, nullptr);
    std::memset(block, 0xAB, first);
    const size_t grown = first * 3 + 7;
    block =
        static_cast<unsigned char*>(HeapReAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, block, grown));
    ASSERT_NE(block, nullptr);
    for (size_t i = 0; i < first; ++i) ASSERT_EQ(block[i], 0xAB) << i;
    EXPECT_TRUE(AllZero(block + first, grown - first));
    EXPECT_TRUE(HeapFree(GetProcessHeap(), 0, block));
  }
}

TEST(Heap, HeapReAllocShrinkThenGrowZeroesTheRegrownPart) {
  auto* block = static_cast<unsigned char*>(HeapAlloc(GetProcessHeap(), 0, 64));
  ASSERT_NE(block, nullptr);
  std::memset(block, 0xCD, 64);
  block = static_cast<unsigned char*>(HeapReAlloc(GetProcessHeap(), 0, block, 8));
  ASSERT_NE(block, nullptr);
  block = static_cast<unsigned char*>(HeapReAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, block, 64));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block[7], 0xCD);
  EXPECT_TRUE(AllZero(block + 8, 56));
  HeapFree(GetProcessHeap(), 0, block);
}

TEST(Heap, HeapAllocFailsWithNotEnoughMemoryForImpossibleSize) {
  SetLastError(kUntouchedError);
  EXPECT_EQ(HeapAlloc(GetProcessHeap(), 0, SIZE_MAX - 4), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
}

TEST(Heap, HeapReAllocFailureKeepsTheOldBlock) {
  auto* block = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, 4));
  ASSERT_NE(block, nullptr);
  std::memcpy(block, "abc", 4);
  SetLastError(kUntouchedError);
  EXPECT_EQ(HeapReAlloc(GetProcessHeap(), 0, block, SIZE_MAX - 4), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_STREQ(block, "abc");
  HeapFree(GetProcessHeap(), 0, block);
}

TEST(Heap, HeapReAllocOfNullFails) {
  SetLastError(kUntouchedError);
  EXPECT_EQ(HeapReAlloc(GetProcessHeap(), 0, nullptr, 8), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(Heap, HeapFreeOfNullSucceedsAndLeavesLastError) {
  SetLastError(kUntouchedError);
  EXPECT_TRUE(HeapFree(GetProcessHeap(), 0, nullptr));
  EXPECT_EQ(GetLastError(), kUntouchedError);
}

}  // namespace
