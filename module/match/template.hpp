// Replacement templates: the text that takes the place of one match, built
// from literals, escapes, group references, three counters supplied by the
// caller, and letter-case conversion.
#pragma once

#include <string>
#include <vector>

// The counters a template can refer to as $L, $N and $R (with an offset,
// ${L1}, ${N-2}). What they count is the caller's business: the editor
// passes line numbers and the replacement count, the rename the file index
// and the renames already made on the file.
struct ReplaceCounters {
  int L;
  int N;
  int R;
};

// Expands a template against a match. groups is the match's offset vector
// (pair i at 2i, 2i+1; -1 for a group that did not take part) with
// pair_count pairs, or nullptr and 0 after a plain-text search. line_break
// is what "\n" produces. counters may be null (then counter references
// produce nothing). The result may hold zero bytes; use its size. When
// origins is given, it receives for each byte of the result the subject
// offset it was copied from, or -1 for a byte the template made.
std::string ExpandTemplate(const char* subject, const int* groups, int pair_count,
                           const char* template_text, const char* line_break,
                           const ReplaceCounters* counters, std::vector<int>* origins = nullptr);
