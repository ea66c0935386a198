// The lines that make a file match a search, for a host that asks to see
// them. Modes that test single lines give each line that matches; modes
// that test more than a line give the line where each match starts (for a
// window of lines, the line the match starts on; for the whole file, the
// line of each match start); a word list gives the lines that hold a word
// that decided the result (a required or an optional word, never an
// excluded one). Only a host that asks pays for this: the search itself
// never calls it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

struct MatchedLine {
  int64_t number;   // from 1
  size_t start;     // offsets into the data
  size_t text_end;  // where its line end starts
  int table;        // kOemTable, or the DecodeTables index the match was found through
};

// Whether a file the search finds has such lines: the search has a text,
// and a word list holds a word that is not excluded.
bool FoundFilesHaveLines();

using MatchedLineVisit = std::function<bool(const MatchedLine&)>;

// Calls visit for each such line of the data, for the search of FSearchAs
// with FText and TextPattern, in file order and each line once, until it
// returns false. Lines are cut as the search cuts them (CR, LF, CR LF).
void ForEachMatchedLine(const char* data, size_t length, const MatchedLineVisit& visit);
