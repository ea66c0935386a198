// Owners for the Windows handles the file commands open: a file or mapping
// handle, and a mapped view.
#pragma once

#include "platform/win32.hpp"

class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE h) : h_(h) {}
  ~ScopedHandle() {
    if (valid()) CloseHandle(h_);
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  HANDLE get() const { return h_; }
  // File calls fail with INVALID_HANDLE_VALUE, mapping calls with null.
  bool valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

class MappedView {
 public:
  explicit MappedView(const void* base) : base_(base) {}
  ~MappedView() {
    if (base_) UnmapViewOfFile(base_);
  }
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;
  const char* data() const { return static_cast<const char*>(base_); }

 private:
  const void* base_;
};
