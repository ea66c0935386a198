// Reading a pattern's required literal from its text.
#include "module/match/required_literal.hpp"

#include <cstring>

namespace {

// Characters that end a literal run: every metacharacter outside a class,
// and the line ends, which a per-line subject never holds.
bool EndsLiteral(char c) { return std::strchr("\\^$.|?*+()[]{}\r\n", c) != nullptr; }

// A quantifier that lets the character before it appear zero times.
bool AllowsZero(char c) { return c == '?' || c == '*' || c == '{'; }

}  // namespace

std::string LiteralPrefix(const std::string& pattern_text, bool caseless) {
  if (pattern_text.find('|') != std::string::npos) return {};
  size_t start = !pattern_text.empty() && pattern_text[0] == '^' ? 1 : 0;
  size_t end = start;
  while (end < pattern_text.size() && !EndsLiteral(pattern_text[end])) {
    if (caseless && static_cast<unsigned char>(pattern_text[end]) >= 0x80) return {};
    end++;
  }
  if (end < pattern_text.size() && AllowsZero(pattern_text[end]) && end > start) end--;
  return pattern_text.substr(start, end - start);
}
