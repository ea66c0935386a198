// Whole-file content copied, compared and flushed, for the undo journal's
// saved copies and the folders an undo changes. Reads use pread, so a
// caller's file offset is never moved.
#pragma once

#include <string>

namespace host {

// Copies all of `from` to a new file `to` (mode 0600, never an existing
// one), flushed to disk unless the caller flushes it later with others; on
// failure nothing is left at `to`, errno set.
enum class CopyFlush { kNow, kByCaller };
bool CopyToNewFile(int from, const std::string& to, CopyFlush flush = CopyFlush::kNow);

// Whether two open files hold the same bytes.
bool SameContent(int a, int b);

// Flushes a folder's names. False with errno set.
bool FlushFolder(const std::string& folder);

}  // namespace host
