// Decoding UTF-8 to code page 866 text with a sparse offset map. The map
// keeps the original offset of every 64th character only: a text offset is
// found from the checkpoint before it by stepping over at most 63 lead
// bytes, so the map costs an eighth of a byte per character. Nothing here
// is static but the tables built once, so threads may decode at once.
#include "platform/utf8_as_oem.hpp"

#include <unistd.h>

#include <bit>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "platform/internal.hpp"

using platform::internal::AppendUtf8;
using platform::internal::DecodeUtf8;
using platform::internal::OemPage;

namespace platform {
namespace {

// The high bit of each byte of a 64-bit word: set in a byte that is not ASCII.
constexpr uint64_t kHighBits = 0x8080808080808080u;

// Code point below U+10000 -> its 866 byte; 0 where 866 lacks it. Only
// non-ASCII characters are looked up, and 866 puts none of them below 0x80.
class OemByteOfChar {
 public:
  OemByteOfChar() : bytes_(new unsigned char[kSize]()) {
    for (int byte = 0x80; byte < 0x100; ++byte) {
      const auto code = static_cast<char32_t>(OemPage().ToWide(static_cast<unsigned char>(byte)));
      if (code < kSize && code >= 0x80) bytes_[code] = static_cast<unsigned char>(byte);
    }
  }
  char Lookup(char32_t code) const {
    const unsigned char byte = code < kSize ? bytes_[code] : 0;
    return byte ? static_cast<char>(byte) : kUtf8Placeholder;
  }

 private:
  static constexpr char32_t kSize = 0x10000;
  std::unique_ptr<unsigned char[]> bytes_;
};

const OemByteOfChar& OemBytes() {
  static const OemByteOfChar table;
  return table;
}

// The length of the well-formed sequence that starts with `lead`.
size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  return 4;
}

// The number of ASCII bytes `data` starts with, a word at a time.
size_t AsciiRunLength(const char* data, size_t length) {
  static_assert(std::endian::native == std::endian::little, "the first byte is the lowest");
  size_t at = 0;
  for (; at + sizeof(uint64_t) <= length; at += sizeof(uint64_t)) {
    uint64_t word;
    std::memcpy(&word, data + at, sizeof word);
    if (word & kHighBits) return at + static_cast<size_t>(std::countr_zero(word & kHighBits)) / 8;
  }
  while (at < length && static_cast<unsigned char>(data[at]) < 0x80) ++at;
  return at;
}

// Calls on_ascii(original_offset, length) for each run of ASCII bytes, which
// stand for themselves, and on_char(oem_byte, original_offset,
// original_length) for each other character; false at the first
// ill-formed sequence.
template <typename OnAscii, typename OnChar>
bool DecodeEach(std::string_view utf8, OnAscii on_ascii, OnChar on_char) {
  const OemByteOfChar& table = OemBytes();
  for (size_t at = 0; at < utf8.size();) {
    if (const size_t run = AsciiRunLength(utf8.data() + at, utf8.size() - at)) {
      on_ascii(at, run);
      at += run;
      continue;
    }
    const auto decoded = DecodeUtf8(utf8.substr(at));
    if (!decoded.valid) return false;
    on_char(table.Lookup(decoded.code), at, decoded.length);
    at += decoded.length;
  }
  return true;
}

bool IsWellFormed(std::string_view utf8) {
  return DecodeEach(utf8, [](size_t, size_t) {}, [](char, size_t, size_t) {});
}

// Half of what the kernel counts as available (free memory plus the cache
// it can drop); half of the free pages where it does not say.
size_t HalfAvailableMemory() {
  if (std::FILE* meminfo = std::fopen("/proc/meminfo", "re")) {
    char line[128];
    unsigned long long kib = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, meminfo))
      found = std::sscanf(line, "MemAvailable: %llu kB", &kib) == 1;
    std::fclose(meminfo);
    if (found) return static_cast<size_t>(kib / 2 * 1024);
  }
  const long pages = sysconf(_SC_AVPHYS_PAGES);
  const long page_size = sysconf(_SC_PAGESIZE);
  if (pages <= 0 || page_size <= 0) return 0;
  return static_cast<size_t>(pages) / 2 * static_cast<size_t>(page_size);
}

}  // namespace

bool HasNonAscii(const char* data, size_t length) {
  constexpr size_t kBlock = 64;
  size_t at = 0;
  for (; at + kBlock <= length; at += kBlock) {
    uint64_t words[kBlock / 8];
    std::memcpy(words, data + at, kBlock);
    uint64_t any = 0;
    for (uint64_t word : words) any |= word;
    if (any & kHighBits) return true;
  }
  for (; at < length; ++at)
    if (static_cast<unsigned char>(data[at]) >= 0x80) return true;
  return false;
}

Utf8AsOem::Outcome Utf8AsOem::Decode(std::string_view original, size_t budget) {
  original_ = original;
  text_.clear();
  checkpoints_.clear();
  if (!HasNonAscii(original.data(), original.size())) return Outcome::kNotUtf8;
  // The text is never longer than the original.
  const size_t needed = original.size() + original.size() / kStride * sizeof(uint64_t);
  // Asking the kernel costs more than decoding a source file: only a view
  // that could strain memory is weighed against what is available.
  constexpr size_t kAlwaysAffordable = size_t{16} << 20;
  if (budget == kHalfAvailableMemory)
    budget = needed <= kAlwaysAffordable ? needed : HalfAvailableMemory();
  if (needed > budget) return IsWellFormed(original) ? Outcome::kTooLarge : Outcome::kNotUtf8;
  try {
    text_.reserve(original.size());
    checkpoints_.reserve(original.size() / kStride + 1);
    const bool valid = DecodeEach(
        original,
        [this](size_t at, size_t length) {
          // Character i of the run is original byte at + i.
          const size_t first = text_.size();
          const size_t first_checkpoint = (first + kStride - 1) / kStride * kStride;
          for (size_t i = first_checkpoint; i < first + length; i += kStride)
            checkpoints_.push_back(at + (i - first));
          text_.append(original_.data() + at, length);
        },
        [this](char oem, size_t at, size_t) {
          if (text_.size() % kStride == 0) checkpoints_.push_back(at);
          text_.push_back(oem);
        });
    if (valid) return Outcome::kDecoded;
  } catch (const std::bad_alloc&) {
    text_.clear();
    checkpoints_.clear();
    return IsWellFormed(original) ? Outcome::kTooLarge : Outcome::kNotUtf8;
  }
  text_.clear();
  checkpoints_.clear();
  return Outcome::kNotUtf8;
}

size_t Utf8AsOem::OriginalOffset(size_t at) const {
  if (at >= text_.size()) return original_.size();
  size_t offset = checkpoints_[at / kStride];
  for (size_t step = at % kStride; step > 0; --step)
    offset += SequenceLength(static_cast<unsigned char>(original_[offset]));
  return offset;
}

std::string_view Utf8AsOem::OriginalOf(size_t from, size_t to) const {
  const size_t start = OriginalOffset(from);
  return original_.substr(start, OriginalOffset(to) - start);
}

void AppendOemAsUtf8(std::string_view oem, std::string* utf8) {
  const auto& page = OemPage();
  for (char c : oem) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8->push_back(c);
    } else {
      AppendUtf8(static_cast<char32_t>(page.ToWide(byte)), utf8);
    }
  }
}

bool DecodeUtf8Line(std::string_view utf8, std::string* oem,
                    std::vector<std::string>* placeholders) {
  auto on_char = [&](char c, size_t at, size_t length) {
    oem->push_back(c);
    if (c == kUtf8Placeholder) placeholders->emplace_back(utf8.substr(at, length));
  };
  // An ASCII run may hold the placeholder byte itself, which stands for itself.
  auto on_ascii = [&](size_t at, size_t length) {
    for (size_t i = at; i < at + length; i++) on_char(utf8[i], i, 1);
  };
  return DecodeEach(utf8, on_ascii, on_char);
}

}  // namespace platform
