// Picks the rare-byte pair a vector scan filters on. Rarity comes from a
// fixed byte-frequency table measured on source code and English text, with
// the code page 866 letters set as common as a middling Latin letter; a
// position's cost is the summed frequency of every text byte that can stand
// there, so a caseless 'e' costs what 'e' and 'E' cost together.
#include "module/match/rare_pair.hpp"

#include <cmath>

namespace {

// Roughly 10.6 times the base-2 logarithm of a byte's frequency, offset so
// that the commonest byte (space) scores near 224 and unseen bytes 0.
constexpr uint8_t kByteScore[256] = {
    0,   0,   0,   0,   0,   0,   0,   0,   0,   163, 197, 0,   34,  0,   0,   0,    // 0x00
    0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,    // 0x10
    224, 121, 145, 177, 89,  101, 144, 139, 192, 192, 189, 132, 187, 161, 165, 175,  // 0x20
    180, 174, 165, 157, 147, 169, 146, 145, 149, 169, 161, 173, 156, 150, 156, 97,   // 0x30
    132, 186, 170, 188, 175, 195, 173, 172, 158, 188, 140, 166, 188, 175, 190, 190,  // 0x40
    186, 139, 187, 200, 190, 169, 160, 139, 176, 160, 135, 135, 149, 135, 100, 214,  // 0x50
    101, 196, 174, 198, 194, 211, 191, 178, 186, 202, 132, 187, 192, 182, 203, 199,  // 0x60
    193, 142, 198, 205, 206, 186, 171, 166, 174, 181, 149, 150, 134, 150, 89,  0,    // 0x70
    187, 187, 187, 187, 187, 187, 187, 187, 187, 187, 187, 187, 187, 187, 187, 187,  // 0x80
    187, 187, 187, 187, 187, 187, 187, 187, 187, 187, 187, 187, 187, 187, 187, 187,  // 0x90
    187, 187, 187, 187, 187, 187, 187, 187, 187, 187, 187, 187, 187, 187, 187, 187,  // 0xA0
    0,   0,   20,  0,   0,   0,   0,   0,   0,   0,   0,   0,   17,  0,   0,   0,    // 0xB0
    0,   0,   33,  10,  0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   32,   // 0xC0
    0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,    // 0xD0
    187, 187, 187, 187, 187, 187, 187, 187, 187, 187, 187, 187, 187, 187, 187, 187,  // 0xE0
    187, 187, 0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,    // 0xF0
};

// The frequencies behind kByteScore, worked out once.
const double* Frequencies() {
  static const auto table = [] {
    static double f[256];
    for (int b = 0; b < 256; b++) f[b] = std::exp2(kByteScore[b] / 10.625);
    return f;
  }();
  return table;
}

struct Position {
  ByteClass bytes;
  size_t members = 0;  // may exceed ByteClass::kMaxBytes
  double cost = 0;
};

// For every needle byte value, the text bytes that translate to it: one
// pass over the table, so the cost does not grow with the needle.
struct Preimages {
  Position of[256];

  explicit Preimages(const uint8_t* table) {
    const double* frequency = Frequencies();
    for (int b = 0; b < 256; b++) {
      const auto byte = static_cast<uint8_t>(b);
      Position& p = of[table ? table[byte] : byte];
      if (p.members < ByteClass::kMaxBytes) p.bytes.bytes[p.members] = byte;
      p.members++;
      p.cost += frequency[byte];
    }
    for (Position& p : of) {
      p.bytes.count = p.members < ByteClass::kMaxBytes ? p.members : ByteClass::kMaxBytes;
      for (size_t k = p.bytes.count; k < ByteClass::kMaxBytes; k++)
        p.bytes.bytes[k] = p.bytes.bytes[0];
    }
  }
};

bool Usable(const Position& p) { return p.members <= ByteClass::kMaxBytes; }

}  // namespace

RarePairResult ChooseRarePair(const uint8_t* needle, size_t needle_length, const uint8_t* table,
                              RarePair* pair) {
  // The two cheapest usable positions, the first strictly cheaper or earlier.
  bool have_first = false, have_second = false;
  double first_cost = 0, second_cost = 0;
  const Preimages preimages(table);
  for (size_t k = 0; k < needle_length; k++) {
    const Position& p = preimages.of[needle[k]];
    if (p.members == 0) return RarePairResult::kNoMatchPossible;
    if (!Usable(p)) continue;
    if (!have_first || p.cost < first_cost) {
      if (have_first) {
        pair->second_offset = pair->first_offset, pair->second = pair->first;
        second_cost = first_cost, have_second = true;
      }
      pair->first_offset = k, pair->first = p.bytes, first_cost = p.cost, have_first = true;
    } else if (!have_second || p.cost < second_cost) {
      pair->second_offset = k, pair->second = p.bytes, second_cost = p.cost, have_second = true;
    }
  }
  if (!have_first) return RarePairResult::kClassTooWide;
  if (!have_second) pair->second_offset = pair->first_offset, pair->second = pair->first;
  return RarePairResult::kFound;
}
