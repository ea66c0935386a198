// A UTF-8 text seen as code page 866 text: one byte per character, so the
// module's single-byte searches and replaces run on it unchanged, and an
// offset map back to the original bytes, so that whatever is not replaced
// is written from them exactly. Both the module's file layer and the host's
// editor read UTF-8 files through this one decoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The byte that stands for a character code page 866 lacks. SUB is the
// control character meant for a character that cannot be represented; it is
// neither a letter, a digit nor a blank, so it matches "." and "\W" but no
// letter of a query.
constexpr char kUtf8Placeholder = '\x1A';

// True when some byte is not ASCII. Cheap enough to ask of every file.
bool HasNonAscii(const char* data, size_t length);

class Utf8AsOem {
 public:
  enum class Outcome {
    kNotUtf8,   // ASCII only, or not valid UTF-8: the bytes are the text
    kDecoded,
    kTooLarge,  // valid as far as seen, but the text and map would not fit the budget
  };

  // The budget that stands for half of the memory available (free or
  // reclaimable) when the decode starts; asked only of a file that is not
  // ASCII only.
  static constexpr size_t kHalfAvailableMemory = static_cast<size_t>(-1);

  Utf8AsOem() = default;
  Utf8AsOem(const Utf8AsOem&) = delete;
  Utf8AsOem& operator=(const Utf8AsOem&) = delete;

  // Decodes `original`, which must stay alive and unchanged while this
  // object is used. Invalid sequences, overlong forms, encoded surrogates
  // and a truncated last character make it kNotUtf8. A byte order mark is
  // a character like any other (a placeholder).
  Outcome Decode(std::string_view original, size_t budget = kHalfAvailableMemory);

  // One byte per character; placeholders for characters 866 lacks.
  const std::string& text() const { return text_; }
  std::string_view original() const { return original_; }
  // Where the character at text offset `at` starts in the original;
  // text().size() maps to original().size().
  size_t OriginalOffset(size_t at) const;
  // The original bytes of the text range [from, to).
  std::string_view OriginalOf(size_t from, size_t to) const;

 private:
  static constexpr size_t kStride = 64;  // characters between checkpoints

  std::string_view original_;
  std::string text_;
  std::vector<uint64_t> checkpoints_;  // original offset of character i * kStride
};

// Appends code page 866 text in UTF-8.
void AppendOemAsUtf8(std::string_view oem, std::string* utf8);

// For text kept a line at a time: decodes valid UTF-8 to 866 text, adding
// the original bytes of each placeholder to *placeholders in order. False
// when `utf8` is not valid UTF-8 (the outputs then hold a part).
bool DecodeUtf8Line(std::string_view utf8, std::string* oem,
                    std::vector<std::string>* placeholders);

}  // namespace platform
