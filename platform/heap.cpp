// The process heap on malloc. Each block carries a header with its exact
// size, so HeapReAlloc with HEAP_ZERO_MEMORY zeroes precisely the bytes a
// block grew by (malloc's usable size may be larger than what was asked).
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "platform/win32.hpp"

namespace {

// The header keeps the caller's memory aligned as malloc aligns it.
struct alignas(std::max_align_t) BlockHeader {
  size_t size;
};

int process_heap_tag;  // its address is the process heap handle

bool IsProcessHeap(HANDLE heap) { return heap == &process_heap_tag; }

BlockHeader* HeaderOf(LPVOID block) { return static_cast<BlockHeader*>(block) - 1; }

bool FitsWithHeader(SIZE_T bytes) { return bytes <= SIZE_MAX - sizeof(BlockHeader); }

LPVOID Fail(DWORD error) {
  SetLastError(error);
  return nullptr;
}

}  // namespace

extern "C" HANDLE WINAPI GetProcessHeap(void) { return &process_heap_tag; }

extern "C" LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
  if (!IsProcessHeap(heap)) return Fail(ERROR_INVALID_HANDLE);
  if (!FitsWithHeader(bytes)) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  void* raw = (flags & HEAP_ZERO_MEMORY) ? std::calloc(1, sizeof(BlockHeader) + bytes)
                                         : std::malloc(sizeof(BlockHeader) + bytes);
  if (!raw) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  auto* header = static_cast<BlockHeader*>(raw);
  header->size = bytes;
  return header + 1;
}

// A null block is not a block: Windows fails here rather than allocating.
extern "C" LPVOID WINAPI HeapReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T bytes) {
  if (!IsProcessHeap(heap)) return Fail(ERROR_INVALID_HANDLE);
  if (!block) return Fail(ERROR_INVALID_PARAMETER);
  if (!FitsWithHeader(bytes)) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  const size_t old_size = HeaderOf(block)->size;
  auto* header =
      static_cast<BlockHeader*>(std::realloc(HeaderOf(block), sizeof(BlockHeader) + bytes));
  if (!header) return Fail(ERROR_NOT_ENOUGH_MEMORY);  // the old block stays valid
  header->size = bytes;
  if ((flags & HEAP_ZERO_MEMORY) && bytes > old_size) {
    std::memset(reinterpret_cast<char*>(header + 1) + old_size, 0, bytes - old_size);
  }
  return header + 1;
}

extern "C" BOOL WINAPI HeapFree(HANDLE heap, DWORD /*flags*/, LPVOID block) {
  if (!IsProcessHeap(heap)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (block) std::free(HeaderOf(block));
  return TRUE;
}
