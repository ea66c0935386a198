// The process heap: zeroed, aligned allocation and the failures Windows
// reports.
#include <cstddef>
#include <cstdint>

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

TEST(Heap, HeapAllocFailsWithNotEnoughMemoryForImpossibleSize) {
  SetLastError(kUntouchedError);
  EXPECT_EQ(HeapAlloc(GetProcessHeap(), 0, SIZE_MAX - 4), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
}

TEST(Heap, HeapFreeOfNullSucceedsAndLeavesLastError) {
  SetLastError(kUntouchedError);
  EXPECT_TRUE(HeapFree(GetProcessHeap(), 0, nullptr));
  EXPECT_EQ(GetLastError(), kUntouchedError);
}

}  // namespace
