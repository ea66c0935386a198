// The two needle positions a vector scan tests first: those whose bytes are
// rarest in ordinary text, counting for each position every text byte the
// translation table maps onto the needle byte there.
#pragma once

#include <cstddef>
#include <cstdint>

// The text bytes that can stand at one needle position: all bytes the table
// maps onto the needle byte (the needle byte alone without a table). Unused
// slots repeat the first byte, so testing all of them is always right.
struct ByteClass {
  static constexpr size_t kMaxBytes = 4;
  uint8_t bytes[kMaxBytes] = {};
  size_t count = 0;
};

struct RarePair {
  size_t first_offset = 0;
  size_t second_offset = 0;  // equals first_offset for a one-byte needle
  ByteClass first;
  ByteClass second;
};

enum class RarePairResult {
  kFound,
  kNoMatchPossible,  // some needle byte is the image of no text byte
  kClassTooWide,     // too many text bytes map onto the rarest needle bytes
};

RarePairResult ChooseRarePair(const uint8_t* needle, size_t needle_length, const uint8_t* table,
                              RarePair* pair);
