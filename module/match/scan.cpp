// Boyer-Moore-Horspool scans, forwards and backwards, comparing text bytes
// through an optional translation table. A forward scan over more than a
// few dozen bytes first runs the vector pre-filter on the needle's rarest
// byte pair; whatever it leaves (the tail, or all of a needle of common
// bytes) goes to memmem without a table, which finds the same first
// occurrence, and to Horspool with one.
#include "module/match/scan.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "module/match/rare_pair.hpp"
#include "module/match/vector_scan.hpp"

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

namespace {

long long ScalarFindForward(const uint8_t* text, size_t n, const uint8_t* needle, size_t m,
                            const uint8_t* table) {
  if (n < m) return -1;
  if (table) return HorspoolForward(text, n, needle, m, Translate{table});
  const void* hit = memmem(text, n, needle, m);
  return hit ? static_cast<const uint8_t*>(hit) - text : -1;
}

// A search looks for the same few needles in file after file (one per
// word, or one per character table): their pairs are chosen once per
// thread, not once per file. A table is compared by content, as its
// storage may be reused for another table.
RarePairResult ChooseRarePairOnce(const uint8_t* needle, size_t needle_length,
                                  const uint8_t* table, RarePair* pair) {
  struct Chosen {
    std::string needle;
    std::array<uint8_t, 256> table{};
    bool has_table = false;
    RarePairResult result = RarePairResult::kClassTooWide;
    RarePair pair;
    bool valid = false;
  };
  constexpr size_t kRemembered = 8;
  thread_local std::array<Chosen, kRemembered> chosen;
  thread_local size_t next = 0;  // the slot a new needle takes
  const std::string_view wanted(reinterpret_cast<const char*>(needle), needle_length);
  const auto same = [&](const Chosen& c) {
    const bool same_table = table == nullptr
                                ? !c.has_table
                                : c.has_table && std::memcmp(c.table.data(), table, 256) == 0;
    return c.valid && same_table && c.needle == wanted;
  };
  auto found = std::find_if(chosen.begin(), chosen.end(), same);
  if (found == chosen.end()) {
    found = chosen.begin() + static_cast<std::ptrdiff_t>(next++ % kRemembered);
    found->result = ChooseRarePair(needle, needle_length, table, &found->pair);
    found->needle.assign(wanted);
    found->has_table = table != nullptr;
    if (table) std::memcpy(found->table.data(), table, 256);
    found->valid = true;
  }
  *pair = found->pair;
  return found->result;
}

}  // namespace

std::string MappedNeedle(std::string needle, const uint8_t* table) {
  if (table)
    for (char& c : needle) c = static_cast<char>(table[static_cast<uint8_t>(c)]);
  return needle;
}

long long FindForward(const char* text, size_t text_length, const char* needle,
                      size_t needle_length, const uint8_t* table) {
  return FindForwardAtLevel(text, text_length, needle, needle_length, table, BestVectorLevel());
}

long long FindForwardAtLevel(const char* text, size_t text_length, const char* needle,
                             size_t needle_length, const uint8_t* table, VectorLevel level) {
  if (text_length < needle_length) return -1;
  if (needle_length == 0) return 0;
  auto t = reinterpret_cast<const uint8_t*>(text);
  auto p = reinterpret_cast<const uint8_t*>(needle);
  size_t resume = 0;
  RarePair pair;
  // Too short a text repays neither the pair's choice nor a block.
  constexpr size_t kVectorMinimumText = 128;
  if (level != VectorLevel::kNone && text_length >= kVectorMinimumText) {
    switch (ChooseRarePairOnce(p, needle_length, table, &pair)) {
      case RarePairResult::kNoMatchPossible:
        return -1;
      case RarePairResult::kClassTooWide:
        break;
      case RarePairResult::kFound: {
        const VectorScanResult scanned =
            VectorFindForward(t, text_length, p, needle_length, table, pair, level);
        if (scanned.found >= 0) return scanned.found;
        resume = scanned.resume;
      }
    }
  }
  const long long rest =
      ScalarFindForward(t + resume, text_length - resume, p, needle_length, table);
  return rest < 0 ? -1 : static_cast<long long>(resume) + rest;
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
