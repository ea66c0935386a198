// UTF-8 files in the file commands. A file that is valid UTF-8 and holds a
// non-ASCII character is searched, and replaced, through its code page 866
// view, so the module's single-byte searches find text typed in the
// module's own code page in it. A position found in the view maps back to
// the file through Utf8AsOem::OriginalOffset.
#pragma once

#include <cstddef>

#include "platform/utf8_as_oem.hpp"

class FileRewrite;

// Decodes a UTF-8 file into *view for a search; false for any other file,
// and for one too large to decode (TakeUtf8TooLarge then says so until
// asked).
bool ViewUtf8File(const char* data, size_t length, platform::Utf8AsOem* view);
bool TakeUtf8TooLarge();

// Before a replace scan: when the source is a UTF-8 file, decodes it into
// *view, points *data and *size at the view's text and has the rewrite
// write through it. False, with a message naming the file, when the file
// is too large to decode.
bool ReadUtf8Source(const char** data, size_t* size, platform::Utf8AsOem* view,
                    FileRewrite& rewrite);
