// The vector pre-filter for processors with AVX2. This file alone is
// compiled with AVX2 enabled, so nothing else may call into it on a
// processor without it.
#if defined(__x86_64__)
#include <immintrin.h>

#include "module/match/vector_filter.hpp"

namespace {

struct Avx2 {
  using Vector = __m256i;
  static constexpr size_t kLanes = 32;
  static Vector Splat(uint8_t byte) { return _mm256_set1_epi8(static_cast<char>(byte)); }
  static Vector Load(const uint8_t* at) {
    return _mm256_loadu_si256(reinterpret_cast<const Vector*>(at));
  }
  static Vector Equal(Vector a, Vector b) { return _mm256_cmpeq_epi8(a, b); }
  static Vector Or(Vector a, Vector b) { return _mm256_or_si256(a, b); }
  static Vector And(Vector a, Vector b) { return _mm256_and_si256(a, b); }
  static uint64_t Bits(Vector v) { return static_cast<uint32_t>(_mm256_movemask_epi8(v)); }
};

}  // namespace

VectorScanResult ScanAvx2(const uint8_t* text, size_t text_length, const uint8_t* needle,
                          size_t needle_length, const uint8_t* table, const RarePair& pair) {
  return ScanWith<Avx2>(text, text_length, needle, needle_length, table, pair);
}
#endif
