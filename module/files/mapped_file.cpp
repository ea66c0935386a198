// Mapped-file scans. Sizes are 64-bit: a file of 4 GiB and more is mapped
// and searched whole. The scan runs under the platform's fault guard, which
// guards each thread's scans on their own, so a file truncated by another
// program is an unreadable file, not a crash.
#include "module/files/mapped_file.hpp"

#include "module/files/scoped_handles.hpp"
#include "platform/fault_guard.hpp"

namespace {

struct GuardedScan {
  ContentTest test;
  const char* data;
  size_t length;
  bool found;
};

void RunScan(void* context) {
  auto* scan = static_cast<GuardedScan*>(context);
  scan->found = scan->test(scan->data, scan->length);
}

}  // namespace

MappedScan ScanMappedFile(const char* path, ContentTest test) {
  ScopedHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file.valid() || !GetFileSizeEx(file.get(), &size)) return MappedScan::kUnreadable;
  // An empty file holds no text, and Windows maps no empty file.
  if (size.QuadPart == 0) return MappedScan::kNotFound;
  ScopedHandle mapping(file.valid() ? CreateFileMappingA(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr)
                              : nullptr);
  MappedView view(mapping.valid() ? MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0) : nullptr);
  if (!view.data()) return MappedScan::kUnreadable;
  GuardedScan scan{test, view.data(), static_cast<size_t>(size.QuadPart), false};
  if (!platform::CallWithFaultGuard(RunScan, &scan)) return MappedScan::kUnreadable;
  return scan.found ? MappedScan::kFound : MappedScan::kNotFound;
}
