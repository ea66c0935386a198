// The vector pre-filter's block loop, written once for any instruction
// set. Each instruction set's source file includes this and is compiled for
// that set alone; everything here has internal linkage, so no copy built
// for one set can stand in for another's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "module/match/rare_pair.hpp"
#include "module/match/vector_scan.hpp"

namespace {

constexpr size_t kBlock = 64;  // window positions per candidate mask

bool WindowMatches(const uint8_t* window, const uint8_t* needle, size_t length,
                   const uint8_t* table) {
  if (!table) return memcmp(window, needle, length) == 0;
  for (size_t k = 0; k < length; k++)
    if (table[window[k]] != needle[k]) return false;
  return true;
}

// Allowed false candidates: a few to start with, then one per 32 bytes
// scanned. Beyond that the filter costs more than it saves.
bool TooManyFalseCandidates(size_t false_candidates, size_t position) {
  return false_candidates > 16 + position / 32;
}

// The block loop, with the filter of one instruction set.
template <typename Filter>
VectorScanResult ScanBlocks(const uint8_t* text, size_t text_length, const uint8_t* needle,
                            size_t needle_length, const uint8_t* table, const RarePair& pair,
                            const Filter& filter) {
  const size_t windows = text_length - needle_length + 1;
  size_t false_candidates = 0;
  size_t position = 0;
  for (; position + kBlock <= windows; position += kBlock) {
    if (TooManyFalseCandidates(false_candidates, position)) break;
    uint64_t mask =
        filter.Candidates(text + position + pair.first_offset, text + position + pair.second_offset);
    for (; mask != 0; mask &= mask - 1) {
      const size_t at = position + static_cast<size_t>(__builtin_ctzll(mask));
      if (WindowMatches(text + at, needle, needle_length, table))
        return {static_cast<long long>(at), at};
      false_candidates++;
    }
  }
  return {-1, position};
}

// Bit j of the filter's mask is set when window position j of the block
// may match: the text holds a byte of the first class at the first offset
// and one of the second class at the second. Each class is tested against
// kWidth of its bytes (unused slots repeat the first byte), so a class of
// one byte, the most common, costs one comparison.
template <typename Isa, size_t kWidth>
struct Filter {
  using Vector = typename Isa::Vector;
  Vector first[kWidth];
  Vector second[kWidth];

  explicit Filter(const RarePair& pair) {
    for (size_t k = 0; k < kWidth; k++) {
      first[k] = Isa::Splat(pair.first.bytes[k]);
      second[k] = Isa::Splat(pair.second.bytes[k]);
    }
  }
  uint64_t Candidates(const uint8_t* at_first, const uint8_t* at_second) const {
    uint64_t mask = 0;
    for (size_t j = 0; j < kBlock; j += Isa::kLanes) {
      const Vector a = Isa::Load(at_first + j);
      const Vector b = Isa::Load(at_second + j);
      Vector in_first = Isa::Equal(a, first[0]);
      Vector in_second = Isa::Equal(b, second[0]);
      for (size_t k = 1; k < kWidth; k++) {
        in_first = Isa::Or(in_first, Isa::Equal(a, first[k]));
        in_second = Isa::Or(in_second, Isa::Equal(b, second[k]));
      }
      mask |= Isa::Bits(Isa::And(in_first, in_second)) << j;
    }
    return mask;
  }
};

// The fewest class bytes a filter must test: 1, 2 or all 4.
size_t FilterWidth(const RarePair& pair) {
  const size_t widest = pair.first.count > pair.second.count ? pair.first.count : pair.second.count;
  return widest <= 1 ? 1 : widest == 2 ? 2 : ByteClass::kMaxBytes;
}

// The scan with the narrowest filter the pair's classes allow. Isa is a
// set of vector operations: Vector, kLanes, Splat, Load, Equal, Or, And and
// Bits (one bit per byte lane).
template <typename Isa>
VectorScanResult ScanWith(const uint8_t* text, size_t text_length, const uint8_t* needle,
                          size_t needle_length, const uint8_t* table, const RarePair& pair) {
  switch (FilterWidth(pair)) {
    case 1:
      return ScanBlocks(text, text_length, needle, needle_length, table, pair, Filter<Isa, 1>(pair));
    case 2:
      return ScanBlocks(text, text_length, needle, needle_length, table, pair, Filter<Isa, 2>(pair));
    default:
      return ScanBlocks(text, text_length, needle, needle_length, table, pair,
                        Filter<Isa, ByteClass::kMaxBytes>(pair));
  }
}

}  // namespace

// The AVX2 scan, from the one source file compiled for AVX2. Call it only
// where the processor has AVX2.
VectorScanResult ScanAvx2(const uint8_t* text, size_t text_length, const uint8_t* needle,
                          size_t needle_length, const uint8_t* table, const RarePair& pair);
