// The process heap on malloc: one handle, blocks the C runtime owns.
#include <cstdint>
#include <cstdlib>

#include "platform/win32.hpp"

namespace {

int process_heap_tag;  // its address is the process heap handle

bool IsProcessHeap(HANDLE heap) { return heap == &process_heap_tag; }

LPVOID Fail(DWORD error) {
  SetLastError(error);
  return nullptr;
}

}  // namespace

extern "C" HANDLE WINAPI GetProcessHeap(void) { return &process_heap_tag; }

extern "C" LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
  if (!IsProcessHeap(heap)) return Fail(ERROR_INVALID_HANDLE);
  // No object can be larger than half the address space; asking the C
  // runtime for one would only fail later, or abort under a sanitizer.
  if (bytes > PTRDIFF_MAX) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  void* block = (flags & HEAP_ZERO_MEMORY) ? std::calloc(1, bytes) : std::malloc(bytes);
  return block ? block : Fail(ERROR_NOT_ENOUGH_MEMORY);
}

extern "C" BOOL WINAPI HeapFree(HANDLE heap, DWORD /*flags*/, LPVOID block) {
  if (!IsProcessHeap(heap)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::free(block);
  return TRUE;
}
