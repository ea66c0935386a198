// Running a content test over a file mapped read-only, in place.
#pragma once

#include <cstddef>

using ContentTest = bool (*)(const char* data, size_t length);

// Maps the whole file and runs the test on it. A file that cannot be
// opened or mapped, or that shrinks under the scan, shows the open-error box
// with its path and counts as not found.
bool SearchMappedFile(const char* path, ContentTest test);
