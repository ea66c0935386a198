// SSE2 and AVX2 candidate filters for the forward scan, chosen at run time,
// and the block loop they share with the exact comparison.
#include "module/match/vector_scan.hpp"

#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

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

// The block loop. Always inlined into each level's entry, so that the
// level's filter is inlined too and keeps its class bytes in registers.
template <typename Filter>
[[gnu::always_inline]] inline VectorScanResult ScanBlocks(const uint8_t* text, size_t text_length,
                                                          const uint8_t* needle,
                                                          size_t needle_length,
                                                          const uint8_t* table,
                                                          const RarePair& pair,
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

#if defined(__x86_64__)

// Bit j of a filter's mask is set when window position j of the block may
// match: the text holds a byte of the first class at the first offset and
// one of the second class at the second. Each class is tested against
// kWidth of its bytes (unused slots repeat the first byte), so a class of
// one byte, the most common, costs one comparison.
template <size_t kWidth>
struct Sse2Filter {
  __m128i first[kWidth];
  __m128i second[kWidth];

  explicit Sse2Filter(const RarePair& pair) {
    for (size_t k = 0; k < kWidth; k++) {
      first[k] = _mm_set1_epi8(static_cast<char>(pair.first.bytes[k]));
      second[k] = _mm_set1_epi8(static_cast<char>(pair.second.bytes[k]));
    }
  }
  static __m128i InClass(__m128i text, const __m128i* bytes) {
    __m128i hit = _mm_cmpeq_epi8(text, bytes[0]);
    for (size_t k = 1; k < kWidth; k++) hit = _mm_or_si128(hit, _mm_cmpeq_epi8(text, bytes[k]));
    return hit;
  }
  uint64_t Candidates(const uint8_t* at_first, const uint8_t* at_second) const {
    uint64_t mask = 0;
    for (size_t j = 0; j < kBlock; j += 16) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at_first + j));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at_second + j));
      const __m128i both = _mm_and_si128(InClass(a, first), InClass(b, second));
      mask |= static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(both))) << j;
    }
    return mask;
  }
};

#pragma GCC push_options
#pragma GCC target("avx2")

template <size_t kWidth>
struct Avx2Filter {
  __m256i first[kWidth];
  __m256i second[kWidth];

  explicit Avx2Filter(const RarePair& pair) {
    for (size_t k = 0; k < kWidth; k++) {
      first[k] = _mm256_set1_epi8(static_cast<char>(pair.first.bytes[k]));
      second[k] = _mm256_set1_epi8(static_cast<char>(pair.second.bytes[k]));
    }
  }
  static __m256i InClass(__m256i text, const __m256i* bytes) {
    __m256i hit = _mm256_cmpeq_epi8(text, bytes[0]);
    for (size_t k = 1; k < kWidth; k++)
      hit = _mm256_or_si256(hit, _mm256_cmpeq_epi8(text, bytes[k]));
    return hit;
  }
  uint64_t Candidates(const uint8_t* at_first, const uint8_t* at_second) const {
    uint64_t mask = 0;
    for (size_t j = 0; j < kBlock; j += 32) {
      const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at_first + j));
      const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at_second + j));
      const __m256i both = _mm256_and_si256(InClass(a, first), InClass(b, second));
      mask |= static_cast<uint64_t>(static_cast<uint32_t>(_mm256_movemask_epi8(both))) << j;
    }
    return mask;
  }
};

template <size_t kWidth>
VectorScanResult ScanAvx2(const uint8_t* text, size_t text_length, const uint8_t* needle,
                          size_t needle_length, const uint8_t* table, const RarePair& pair) {
  return ScanBlocks(text, text_length, needle, needle_length, table, pair,
                    Avx2Filter<kWidth>(pair));
}

#pragma GCC pop_options

template <size_t kWidth>
VectorScanResult ScanSse2(const uint8_t* text, size_t text_length, const uint8_t* needle,
                          size_t needle_length, const uint8_t* table, const RarePair& pair) {
  return ScanBlocks(text, text_length, needle, needle_length, table, pair,
                    Sse2Filter<kWidth>(pair));
}

// The fewest class bytes a filter must test: 1, 2 or all 4.
size_t FilterWidth(const RarePair& pair) {
  const size_t widest = pair.first.count > pair.second.count ? pair.first.count : pair.second.count;
  return widest <= 1 ? 1 : widest == 2 ? 2 : ByteClass::kMaxBytes;
}

#endif

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
  using Scan = VectorScanResult (*)(const uint8_t*, size_t, const uint8_t*, size_t,
                                    const uint8_t*, const RarePair&);
  static constexpr Scan kAvx2[] = {ScanAvx2<1>, ScanAvx2<2>, ScanAvx2<4>};
  static constexpr Scan kSse2[] = {ScanSse2<1>, ScanSse2<2>, ScanSse2<4>};
  const size_t width = FilterWidth(pair);
  const size_t slot = width == 1 ? 0 : width == 2 ? 1 : 2;
  if (level == VectorLevel::kAvx2)
    return kAvx2[slot](text, text_length, needle, needle_length, table, pair);
  if (level == VectorLevel::kSse2)
    return kSse2[slot](text, text_length, needle, needle_length, table, pair);
#endif
  (void)level;
  (void)pair;
  return {-1, 0};
}
