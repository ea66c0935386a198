// The forward scan's vector pre-filter: the instruction set chosen at run
// time, SSE2 built here, AVX2 in its own source file.
#include "module/match/vector_scan.hpp"

#if defined(__x86_64__)
#include <immintrin.h>

#include "module/match/vector_filter.hpp"

namespace {

// SSE2, which every x86-64 processor has.
struct Sse2 {
  using Vector = __m128i;
  static constexpr size_t kLanes = 16;
  static Vector Splat(uint8_t byte) { return _mm_set1_epi8(static_cast<char>(byte)); }
  static Vector Load(const uint8_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const Vector*>(at));
  }
  static Vector Equal(Vector a, Vector b) { return _mm_cmpeq_epi8(a, b); }
  static Vector Or(Vector a, Vector b) { return _mm_or_si128(a, b); }
  static Vector And(Vector a, Vector b) { return _mm_and_si128(a, b); }
  static uint64_t Bits(Vector v) { return static_cast<uint16_t>(_mm_movemask_epi8(v)); }
};

}  // namespace
#endif

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
    return ScanAvx2(text, text_length, needle, needle_length, table, pair);
  if (level == VectorLevel::kSse2)
    return ScanWith<Sse2>(text, text_length, needle, needle_length, table, pair);
#endif
  (void)level;
  (void)pair;
  return {-1, 0};
}
