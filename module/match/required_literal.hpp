// The text every match of a pattern must hold, found before the pattern
// runs: a literal the pattern starts with (after a "^"), else the one code
// unit the library knows every match starts with, or holds last. A search
// skips the text without it instead of running the matcher there.
#pragma once

#include <string>

struct RequiredLiteral {
  std::string bytes;  // empty: nothing known to be required
  bool caseless = false;  // letters match either case (ASCII letters only)
};

// The literal start of a pattern text: the characters after an optional
// "^" up to the first one with a meaning of its own, less the last when a
// quantifier that allows zero follows it. Empty when the pattern has an
// alternative anywhere ("|"), or when a caseless pattern's literal holds a
// byte beyond ASCII, whose case pairs belong to the pattern's tables.
std::string LiteralPrefix(const std::string& pattern_text, bool caseless);
