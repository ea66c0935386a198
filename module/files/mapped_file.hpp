// Running a content test over a file mapped read-only, in place.
#pragma once

#include <cstddef>

using ContentTest = bool (*)(const char* data, size_t length);

enum class MappedScan {
  kNotFound,
  kFound,
  kUnreadable,  // could not be opened or mapped, or shrank under the scan
};

// Maps the whole file and runs the test on it; an empty file is not found
// without a test. Shows nothing and calls no host service, so any thread
// may call it; the caller reports an unreadable file.
MappedScan ScanMappedFile(const char* path, ContentTest test);
