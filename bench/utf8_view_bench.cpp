// What the UTF-8 view costs, beside the caseless scan it feeds, on 64 MiB
// buffers: the non-ASCII check an ASCII-only file pays, and the whole
// decode a Cyrillic UTF-8 file pays. Bytes processed are reported, so the
// output reads in GB/s.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "module/match/case_table.hpp"
#include "module/match/scan.hpp"
#include "platform/utf8_as_oem.hpp"

namespace {

constexpr size_t kBufferSize = 64u << 20;

// Random words of the given letters (each one UTF-8 character) and blanks.
std::string MakeText(const std::vector<std::string>& letters) {
  std::mt19937 random(21);
  std::string text;
  text.reserve(kBufferSize + 64);
  while (text.size() < kBufferSize) {
    for (int n = 2 + static_cast<int>(random() % 8); n > 0; n--)
      text += letters[random() % letters.size()];
    text += random() % 12 ? ' ' : '\n';
  }
  return text;
}

const std::string& AsciiText() {
  static const std::string text = MakeText({"a", "e", "k", "o", "r", "s", "t", "x"});
  return text;
}

const std::string& CyrillicText() {
  static const std::string text = MakeText({"а", "е", "к", "о", "р", "с", "т", "ж"});
  return text;
}

void Processed(benchmark::State& state, const std::string& text) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}

void BM_NonAsciiCheckOnAscii(benchmark::State& state) {
  const std::string& text = AsciiText();
  for (auto _ : state) benchmark::DoNotOptimize(platform::HasNonAscii(text.data(), text.size()));
  Processed(state, text);
}

void BM_CaselessScanOnAscii(benchmark::State& state) {
  const std::string& text = AsciiText();
  BuildOemUpperTable();
  const std::string needle = "ZYXQUOKKA";
  for (auto _ : state)
    benchmark::DoNotOptimize(
        FindForward(text.data(), text.size(), needle.data(), needle.size(), OemUpperTable));
  Processed(state, text);
}

void BM_DecodeCyrillic(benchmark::State& state) {
  const std::string& text = CyrillicText();
  for (auto _ : state) {
    platform::Utf8AsOem view;
    if (view.Decode(text) != platform::Utf8AsOem::Outcome::kDecoded)
      state.SkipWithError("not decoded");
    benchmark::DoNotOptimize(view.text().data());
  }
  Processed(state, text);
}

}  // namespace

BENCHMARK(BM_NonAsciiCheckOnAscii)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CaselessScanOnAscii)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeCyrillic)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
