// The steps of replacing a file's content, shared by the one-at-a-time
// ReplaceFileA and the group commit: preparing a replacement (names
// resolved, what was read found, owner, mode and attributes taken over),
// flushing it, and the one moment it is committed over the file.
#pragma once

#include <sys/stat.h>

#include <string>

#include "platform/handles.hpp"
#include "platform/win32.hpp"

namespace platform::internal {

// A replacement ready to be flushed and committed over the file that was
// read. Its content is on no name the file's readers could see, unless the
// caller created it under one.
struct PreparedReplace {
  int content = -1;          // the replacement's descriptor (owned or borrowed)
  UniqueFd owned;            // owns `content` when its handle gave it up
  FileObject* borrowed_from = nullptr;  // the open scratch file lending `content`
  std::string named_as;      // the replacement's own name; empty when it has none
  bool remove_on_failure = false;  // a named scratch whose handle gave it up
  bool replaced_exists = false;
  std::string target;        // real path of the replaced file when it was read
  struct stat read_state {};  // the replaced file as it was read
  std::string backup;        // where the previous content stays; empty for none
};

// Resolves the three module paths and prepares the replacement as
// ReplaceFileA describes. With take_content an open scratch file's
// descriptor moves into `prepared` and its handle no longer deletes or
// commits anything. ERROR_SUCCESS or the code the call is to fail with.
DWORD PrepareReplace(const char* replaced, const char* replacement, const char* backup,
                     bool take_content, PreparedReplace* prepared);

// The folder that holds a POSIX path.
std::string FolderOf(const std::string& path);

// Committing a flushed replacement takes two steps, so that the group
// commit can announce a whole batch to the host's observer before making
// any of it. `folder` is open on FolderOf(prepared.target) in both. The
// folder itself is not flushed here.
//
// First: the file's name must still refer to what was read, unchanged, and
// the observer is told what is about to be replaced; `prepared` then
// expects the file as the observer left it. Nothing is changed on disk but
// what the observer keeps. ERROR_SUCCESS, or the code the commit fails with.
DWORD AnnounceRewrite(PreparedReplace* prepared, int folder);
// Then, once the observer is ready for the batch, the one moment the
// replacement takes the file's place: checked again, the previous content
// linked to the backup name when there is one, the replacement renamed
// over the file in one step and the host told. The file is untouched
// unless ERROR_SUCCESS comes back.
DWORD FinishRewrite(const PreparedReplace& prepared, int folder);
// Both steps for one replacement alone; in a dry run the rewrite is only
// recorded.
DWORD CommitRewrite(PreparedReplace* prepared, int folder);

// What is left of a replacement that was not committed: a named scratch
// file it owns is removed.
void DropReplacement(const PreparedReplace& prepared);

}  // namespace platform::internal
