// Boyer-Moore-Horspool scans, forwards and backwards, comparing text bytes
// through an optional translation table. An untranslated forward scan is
// handed to memmem, which finds the same first occurrence faster.
#include "module/match/scan.hpp"

#include <cstring>

namespace {

// The identity mapping, so that both kinds of scan share one loop.
struct Identity {
  uint8_t operator()(uint8_t b) const { return b; }
};
struct Translate {
  const uint8_t* table;
  uint8_t operator()(uint8_t b) const { return table[b]; }
};

template <typename Map>
long long HorspoolForward(const uint8_t* text, size_t n, const uint8_t* needle, size_t m, Map map) {
  size_t skip[256];
  for (size_t& s : skip) s = m;
  for (size_t j = 0; j + 1 < m; j++) skip[needle[j]] = m - 1 - j;

  const uint8_t last = needle[m - 1];
  for (size_t i = m - 1; i < n; i += skip[map(text[i])]) {
    if (map(text[i]) != last) continue;
    const uint8_t* window = text + i + 1 - m;
    size_t k = m - 1;
    while (k > 0 && map(window[k - 1]) == needle[k - 1]) k--;
    if (k == 0) return static_cast<long long>(i + 1 - m);
  }
  return -1;
}

template <typename Map>
long long HorspoolBackward(const uint8_t* text, size_t n, const uint8_t* needle, size_t m, Map map) {
  size_t skip[256];
  for (size_t& s : skip) s = m;
  for (size_t j = m - 1; j >= 1; j--) skip[needle[j]] = j;

  const uint8_t first = needle[0];
  for (size_t t = n - m;; ) {
    if (map(text[t]) == first) {
      size_t k = 1;
      while (k < m && map(text[t + k]) == needle[k]) k++;
      if (k == m) return static_cast<long long>(t);
    }
    size_t step = skip[map(text[t])];
    if (step > t) return -1;
    t -= step;
  }
}

}  // namespace

long long FindForward(const char* text, size_t text_length, const char* needle,
                      size_t needle_length, const uint8_t* table) {
  if (text_length < needle_length) return -1;
  if (needle_length == 0) return 0;
  auto t = reinterpret_cast<const uint8_t*>(text);
  auto p = reinterpret_cast<const uint8_t*>(needle);
  if (table) return HorspoolForward(t, text_length, p, needle_length, Translate{table});
  const void* hit = memmem(text, text_length, needle, needle_length);
  return hit ? static_cast<const char*>(hit) - text : -1;
}

long long FindBackward(const char* text, size_t text_length, const char* needle,
                       size_t needle_length, const uint8_t* table) {
  if (text_length < needle_length) return -1;
  if (needle_length == 0) return static_cast<long long>(text_length);
  auto t = reinterpret_cast<const uint8_t*>(text);
  auto p = reinterpret_cast<const uint8_t*>(needle);
  if (table) return HorspoolBackward(t, text_length, p, needle_length, Translate{table});
  return HorspoolBackward(t, text_length, p, needle_length, Identity{});
}
