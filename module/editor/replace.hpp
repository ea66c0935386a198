// The editor replace: drives the search engine over a range, offers each
// match (or, after All, replaces it without asking), expands ERReplace for
// it, and writes the result back, turning line breaks in the result into
// editor lines. Optionally deletes lines a replacement emptied and lines in
// which nothing matched.
#pragma once

#include <string>

#include "module/editor/search_engine.hpp"

// State of the last replace command, kept so that replace-again continues.
extern int ReplaceCount;       // replacements written since the replace dialog was accepted
extern int ReplaceBaseLine;    // the line from which the $N counter counts
// Where the cursor goes when the command ends: the end of the last match
// offered or replaced.
extern int LastReplaceLine;
extern int LastReplaceColumn;

enum ReplaceAnswer { kAnswerReplaced = 0, kAnswerSkipped = 1, kAnswerCancelled = 2 };

// The replace command with the current settings, in a run of its own;
// true when it ended through All or Cancel, false after the closing
// message.
bool EditorReplace();

// The two replace loops; true when the user cancelled.
bool ReplaceRangeJoined(EditorSearchRange range);
bool ReplaceRangeByLine(EditorSearchRange range, bool columns_on_every_line);

// Offers one match (highlighted, with the question) unless the command is
// unattended, and writes the replacement when it is to be made; the match's
// end then moves behind the written text.
ReplaceAnswer ConfirmReplace(EditorSearchRange& match, const std::string& matched,
                             const std::string& replacement);

// Writes an OEM replacement over a match; afterwards the match's end is
// the position just behind the inserted text.
void WriteReplacement(EditorSearchRange& match, const std::string& replacement);
