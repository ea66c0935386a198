// Tests of a file's contents in the six search modes of FSearchAs. Each
// takes the bytes of the whole file and answers found or not found.
#pragma once

#include <cstddef>
#include <string>

#include "module/base/setting_table.hpp"
#include "module/match/pattern.hpp"


// The test of FSearchAs with FText, TextPattern and the other settings, on
// the bytes and, for a UTF-8 file, on its code page 866 view too.
bool ContentMatches(const char* data, size_t length);
// Whether a pattern could not decide some part of the data ContentMatches
// last saw, within its limits (then its "no" is not a true answer); the
// next call says no until ContentMatches runs again.
bool TakeContentUndecided();

// Which view of the data a match was found in: the data as OEM text, or
// the data decoded through DecodeTables[n] (n >= 0).
inline constexpr int kOemTable = -1;
inline constexpr int kNoTable = -2;  // not found in any

// Plain text anywhere in the data: in OEM, then (with FAllCharTables) in
// each host code page; case folded unless FCaseSensitive.
bool PlainTest(const char* data, size_t length, const std::string& text);
// The same, saying where it was found first (OEM, then each table in order).
int PlainTableOf(const char* data, size_t length, const std::string& text);

// The pattern on the data, then (with FAllCharTables) on the data decoded
// from each host code page.
// options as RunPattern takes them; a match must end by end_limit (the
// data after it is only seen).
bool PatternTest(const SearchPattern& pattern, const char* data, size_t length, int options = 0,
                 size_t end_limit = static_cast<size_t>(-1));
// The same, saying where it matched first (OEM, then each table in order).
int PatternTableOf(const SearchPattern& pattern, const char* data, size_t length,
                   int options = 0, size_t end_limit = static_cast<size_t>(-1));

// Whether a UTF-8 file's code page 866 view may hold the plain text where
// its bytes do not. The view differs from the bytes only where they are not
// ASCII, which it turns into other bytes or placeholders: when none of those
// reads as a byte of the text, in any table the search uses, the text is
// found in the view exactly where it is found in the bytes.
bool Utf8ViewMayAddMatches(const std::string& text);

// Moves the first word of a word list out of the list. Words are separated
// by spaces and tabs, or quoted with ", ' or ` (no escapes).
std::string TakeWord(std::string& list);
