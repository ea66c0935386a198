// Replacing text inside files, one file at a time: the per-file callback of
// the file replace command's walk.
#pragma once

#include <cstddef>

#include "module/files/walk.hpp"

class FileRewrite;

// Rewrites the file when something in it is replaced (or declined, which
// still writes it anew) and hands it to the group commit; adds the files
// whose commits are done to the results.
void ReplaceFileCallback(WIN32_FIND_DATAA& entry, ResultList& results);

// Scans the bytes in the mode of FSearchAs and hands every match to the
// rewrite. True when the new content is complete and ready to commit.
bool ReplaceInBuffer(const char* data, size_t size, FileRewrite& rewrite);
