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

// Flushes a folder's names, or everything written to its file system. For
// the latter, `watching` is a descriptor on the folder opened before the
// writes to be flushed (syncfs reports only the errors that came after),
// or -1 when there is none. False with errno set.
enum class FolderFlush { kFolder, kFileSystem };
bool FlushFolder(const std::string& folder, FolderFlush flush = FolderFlush::kFolder,
                 int watching = -1);

}  // namespace host
