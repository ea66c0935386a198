// SSE2 and AVX2 candidate filters for the forward scan, chosen at run time,
// and the block loop they share with the exact comparison.
#include "module/match/vector_scan.hpp"

#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

constexpr size_t kBlock = 64;  // window positions per candidate mask

// The class bytes, each repeated across a 32-byte row, ready to load.
struct Splats {
  alignas(32) uint8_t first[ByteClass::kMaxBytes][32];
  alignas(32) uint8_t second[ByteClass::kMaxBytes][32];

  explicit Splats(const RarePair& pair) {
    for (size_t k = 0; k < ByteClass::kMaxBytes; k++) {
      memset(first[k], pair.first.bytes[k], sizeof first[k]);
      memset(second[k], pair.second.bytes[k], sizeof second[k]);
    }
  }
};

#if defined(__x86_64__)

__m128i InClassSse2(__m128i text, const uint8_t (*row)[32]) {
  __m128i hit = _mm_setzero_si128();
  for (size_t k = 0; k < ByteClass::kMaxBytes; k++)
    hit = _mm_or_si128(hit, _mm_cmpeq_epi8(text, _mm_load_si128(reinterpret_cast<const __m128i*>(row[k]))));
  return hit;
}

// Bit j set when window position j of the block may match.
uint64_t CandidatesSse2(const uint8_t* at_first, const uint8_t* at_second, const Splats& s) {
  uint64_t mask = 0;
  for (size_t j = 0; j < kBlock; j += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at_first + j));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at_second + j));
    const __m128i both = _mm_and_si128(InClassSse2(a, s.first), InClassSse2(b, s.second));
    mask |= static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(both))) << j;
  }
  return mask;
}

__attribute__((target("avx2"))) __m256i InClassAvx2(__m256i text, const uint8_t (*row)[32]) {
  __m256i hit = _mm256_setzero_si256();
  for (size_t k = 0; k < ByteClass::kMaxBytes; k++)
    hit = _mm256_or_si256(hit, _mm256_cmpeq_epi8(text, _mm256_load_si256(reinterpret_cast<const __m256i*>(row[k]))));
  return hit;
}

__attribute__((target("avx2"))) uint64_t CandidatesAvx2(const uint8_t* at_first,
                                                        const uint8_t* at_second, const Splats& s) {
  uint64_t mask = 0;
  for (size_t j = 0; j < kBlock; j += 32) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at_first + j));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at_second + j));
    const __m256i both = _mm256_and_si256(InClassAvx2(a, s.first), InClassAvx2(b, s.second));
    mask |= static_cast<uint64_t>(static_cast<uint32_t>(_mm256_movemask_epi8(both))) << j;
  }
  return mask;
}

#endif

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

template <typename Candidates>
VectorScanResult ScanBlocks(const uint8_t* text, size_t text_length, const uint8_t* needle,
                            size_t needle_length, const uint8_t* table, const RarePair& pair,
                            Candidates candidates) {
  const Splats splats(pair);
  const size_t windows = text_length - needle_length + 1;
  size_t false_candidates = 0;
  size_t position = 0;
  for (; position + kBlock <= windows; position += kBlock) {
    if (TooManyFalseCandidates(false_candidates, position)) break;
    uint64_t mask = candidates(text + position + pair.first_offset,
                               text + position + pair.second_offset, splats);
    for (; mask != 0; mask &= mask - 1) {
      const size_t at = position + static_cast<size_t>(__builtin_ctzll(mask));
      if (WindowMatches(text + at, needle, needle_length, table))
        return {static_cast<long long>(at), at};
      false_candidates++;
    }
  }
  return {-1, position};
}

}  // namespace

VectorLevel BestVectorLevel() {
#if defined(__x86_64__)
  static const VectorLevel best =
      __builtin_cpu_supports("avx2") ? VectorLevel::kAvx2 : VectorLevel::kSse2;
  return best;
#else
  return VectorLevel::kNone;
#endif
}

VectorScanResult VectorFindForward(const uint8_t* text, size_t text_length, const uint8_t* needle,
                                   size_t needle_length, const uint8_t* table,
                                   const RarePair& pair, VectorLevel level) {
  if (text_length < needle_length) return {-1, 0};
#if defined(__x86_64__)
  if (level == VectorLevel::kAvx2)
    return ScanBlocks(text, text_length, needle, needle_length, table, pair, CandidatesAvx2);
  if (level == VectorLevel::kSse2)
    return ScanBlocks(text, text_length, needle, needle_length, table, pair, CandidatesSse2);
#endif
  (void)level;
  (void)pair;
  return {-1, 0};
}
