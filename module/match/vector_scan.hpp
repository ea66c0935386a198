// The forward scan's vector pre-filter: whole blocks of 64 window positions
// at a time, each kept only where the text holds a byte of the rare pair's
// classes at both offsets, then compared exactly. Loads never reach past the
// text; what no whole block covers is left to the caller's scalar scan.
#pragma once

#include <cstddef>
#include <cstdint>

#include "module/match/rare_pair.hpp"

enum class VectorLevel { kNone, kSse2, kAvx2 };

// The widest level this processor runs, found once.
VectorLevel BestVectorLevel();

struct VectorScanResult {
  long long found = -1;  // first match, or -1 when none before `resume`
  size_t resume = 0;     // first window position not looked at
};

// The first window at which the translated text equals the needle, among the
// positions the blocks cover. Stops early, leaving the rest to the scalar
// scan, when too many candidates turn out false (a needle of common bytes).
// Level kNone looks at nothing.
VectorScanResult VectorFindForward(const uint8_t* text, size_t text_length, const uint8_t* needle,
                                   size_t needle_length, const uint8_t* table,
                                   const RarePair& pair, VectorLevel level);
