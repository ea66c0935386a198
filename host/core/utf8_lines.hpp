// The editor's lines of a UTF-8 file. They hold code page 866 text, one
// byte per character, so the module's column arithmetic holds; a character
// code page 866 lacks is a placeholder byte whose own UTF-8 bytes the line
// keeps aside, in order, to write it back unchanged.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "host/core/editor_buffer.hpp"

namespace host {

// Whether content is valid UTF-8 holding a non-ASCII character: what the
// editor opens as UTF-8.
bool IsUtf8File(std::string_view content);

// Turns lines of file bytes into lines of 866 text with their placeholders;
// a leading byte order mark is taken off and reported in *bom. False, with
// the lines unchanged, when they are not valid UTF-8.
bool DecodeUtf8Lines(std::vector<EditorLine>* lines, bool* bom);
// The file bytes of one decoded line, without its break. A placeholder
// whose bytes are unknown is written as U+FFFD.
std::string EncodeUtf8Line(const EditorLine& line);

// The placeholders of `old` that `text`, its new content, still holds: those
// in the unchanged start and end, and those of the changed middle when it
// holds as many as before (in order). When the middle holds another number,
// the old middle's placeholders join the end of `moved` and the new
// middle's are the newest there, in order: a replace that splits a line
// sets the first piece before the last one gets the rest, so what one edit
// drops the next one brings back. Only a placeholder nothing can account for is written as U+FFFD.
// Where the change could lie anywhere in a run of equal bytes, it is taken
// to be at `edit_at` (the cursor), so that a character typed or deleted
// between two placeholders keeps each where it was.
std::vector<std::string> KeptPlaceholders(const EditorLine& old, std::string_view text,
                                          std::deque<std::string>& moved,
                                          size_t edit_at = std::string_view::npos);

// The placeholders of the text before `at`, and after it, when a line is split.
std::vector<std::string> PlaceholdersBefore(const EditorLine& line, size_t at);
std::vector<std::string> PlaceholdersFrom(const EditorLine& line, size_t at);

}  // namespace host
