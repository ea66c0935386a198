// Cutting a byte run into lines. A line end is CR, LF, or the pair CR LF
// (one line end); LF CR is two line ends with an empty line between them.
// The text after the last line end is a line only when it is not empty.
#pragma once

#include <cstddef>

struct Line {
  size_t start;
  size_t text_end;  // where the line end starts
  size_t end;       // after the line end
};

// The length of the line end at data[i], 0 when there is none.
inline size_t LineEndAt(const char* data, size_t length, size_t i) {
  if (data[i] == '\n') return 1;
  if (data[i] != '\r') return 0;
  return i + 1 < length && data[i + 1] == '\n' ? 2 : 1;
}

// Where the line that holds data[from] ends, its line end included.
inline size_t NextLineStart(const char* data, size_t length, size_t from) {
  for (size_t i = from; i < length; i++)
    if (size_t eol = LineEndAt(data, length, i)) return i + eol;
  return length;
}

// The line that holds data[at], which is no line end.
inline Line LineAround(const char* data, size_t length, size_t at) {
  size_t start = at;
  while (start > 0 && data[start - 1] != '\n' && data[start - 1] != '\r') start--;
  size_t text_end = at;
  while (text_end < length && data[text_end] != '\n' && data[text_end] != '\r') text_end++;
  const size_t eol = text_end < length ? LineEndAt(data, length, text_end) : 0;
  return Line{start, text_end, text_end + eol};
}

// Calls visit(line) for each line in order; stops early and returns true
// when visit returns true.
template <typename Visit>
bool ForEachLine(const char* data, size_t length, Visit visit) {
  size_t start = 0;
  for (size_t i = 0; i < length; i++) {
    size_t eol = LineEndAt(data, length, i);
    if (eol == 0) continue;
    if (visit(Line{start, i, i + eol})) return true;
    i += eol - 1;
    start = i + 1;
  }
  return start < length && visit(Line{start, length, length});
}
