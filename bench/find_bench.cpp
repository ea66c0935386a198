// Plain-text scan speed on a 64 MiB buffer whose only occurrence of the
// needle is at its very end: FindForward without a table (exact case),
// FindForward with the OEM upper-case table (case ignored), and memmem as
// the yardstick. Bytes processed are reported, so the output reads in GB/s.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "module/match/case_table.hpp"
#include "module/match/scan.hpp"

namespace {

constexpr size_t kBufferSize = 64u << 20;

struct Corpus {
  std::string text;     // lower-case words; the needle in lower case at the end
  std::string needle;   // lower case
  std::string upper;    // the needle mapped through OemUpperTable
};

std::string RandomWord(std::mt19937& random, size_t length) {
  std::string s;
  for (size_t i = 0; i < length; i++) s += static_cast<char>('a' + random() % 26);
  return s;
}

// Removes every occurrence of the needle, then puts one at the end.
Corpus MakeCorpus(size_t needle_length) {
  std::mt19937 random(static_cast<unsigned>(needle_length));
  Corpus c;
  c.needle = RandomWord(random, needle_length);
  c.text.reserve(kBufferSize);
  while (c.text.size() < kBufferSize - needle_length) {
    c.text += RandomWord(random, 2 + random() % 8);
    c.text += ' ';
  }
  c.text.resize(kBufferSize - needle_length);
  for (size_t at = c.text.find(c.needle); at != std::string::npos; at = c.text.find(c.needle, at))
    c.text[at] = ' ';
  c.text += c.needle;
  BuildOemUpperTable();
  for (char ch : c.needle) c.upper += static_cast<char>(OemUpperTable[static_cast<uint8_t>(ch)]);
  return c;
}

const Corpus& CorpusFor(size_t needle_length) {
  static Corpus corpora[3] = {MakeCorpus(3), MakeCorpus(8), MakeCorpus(24)};
  return corpora[needle_length == 3 ? 0 : needle_length == 8 ? 1 : 2];
}

void Report(benchmark::State& state, long long found, const Corpus& c) {
  if (found != static_cast<long long>(c.text.size() - c.needle.size()))
    state.SkipWithError("needle not found at the end");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(c.text.size()));
}

void BM_FindForward(benchmark::State& state) {
  const Corpus& c = CorpusFor(state.range(0));
  long long found = -1;
  for (auto _ : state) {
    found = FindForward(c.text.data(), c.text.size(), c.needle.data(), c.needle.size(), nullptr);
    benchmark::DoNotOptimize(found);
  }
  Report(state, found, c);
}

void BM_FindForwardUpperTable(benchmark::State& state) {
  const Corpus& c = CorpusFor(state.range(0));
  long long found = -1;
  for (auto _ : state) {
    found = FindForward(c.text.data(), c.text.size(), c.upper.data(), c.upper.size(),
                        OemUpperTable);
    benchmark::DoNotOptimize(found);
  }
  Report(state, found, c);
}

void BM_Memmem(benchmark::State& state) {
  const Corpus& c = CorpusFor(state.range(0));
  long long found = -1;
  for (auto _ : state) {
    const void* hit = memmem(c.text.data(), c.text.size(), c.needle.data(), c.needle.size());
    found = hit ? static_cast<const char*>(hit) - c.text.data() : -1;
    benchmark::DoNotOptimize(found);
  }
  Report(state, found, c);
}

// A caseless upper-case identifier in real text, read from the file named
// by FIND_BENCH_TEXT (such as register headers, where upper-case letters
// and '_' abound), to the end: the needle is not in it.
void BM_CaselessIdentifierInFile(benchmark::State& state) {
  const char* path = std::getenv("FIND_BENCH_TEXT");
  std::ifstream in(path ? path : "", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string needle = "SLEEP_ON_TIMEOUT";
  BuildOemUpperTable();
  if (text.empty() || text.find(needle) != std::string::npos) {
    state.SkipWithError("set FIND_BENCH_TEXT to a file without SLEEP_ON_TIMEOUT");
    return;
  }
  for (auto _ : state) {
    long long found =
        FindForward(text.data(), text.size(), needle.data(), needle.size(), OemUpperTable);
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}

}  // namespace

BENCHMARK(BM_CaselessIdentifierInFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindForward)->Arg(3)->Arg(8)->Arg(24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindForwardUpperTable)->Arg(3)->Arg(8)->Arg(24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memmem)->Arg(3)->Arg(8)->Arg(24)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
