// Decoding and encoding the editor's UTF-8 lines, and keeping each
// placeholder's bytes through the edits the buffer sees: a whole new line
// text, a split, a join.
#include "host/core/utf8_lines.hpp"

#include <algorithm>

#include "platform/utf8_as_oem.hpp"

namespace host {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kReplacementChar = "\xEF\xBF\xBD";
// Placeholders waiting to be put back: a bound against a long session of
// deletions, far above what one replace moves.
constexpr size_t kMovedPlaceholdersKept = 4096;

size_t CountPlaceholders(std::string_view text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), platform::kUtf8Placeholder));
}

// Placeholders [from, from + count) of a line, as far as it has them.
std::vector<std::string> Slice(const std::vector<std::string>& all, size_t from, size_t count) {
  from = std::min(from, all.size());
  count = std::min(count, all.size() - from);
  return {all.begin() + static_cast<std::ptrdiff_t>(from),
          all.begin() + static_cast<std::ptrdiff_t>(from + count)};
}

}  // namespace

bool IsUtf8File(std::string_view content) {
  std::string oem;
  std::vector<std::string> placeholders;
  return platform::HasNonAscii(content.data(), content.size()) &&
         platform::DecodeUtf8Line(content, &oem, &placeholders);
}

bool DecodeUtf8Lines(std::vector<EditorLine>* lines, bool* bom) {
  std::vector<EditorLine> decoded;
  decoded.reserve(lines->size());
  for (const EditorLine& line : *lines) {
    EditorLine oem_line{"", line.eol, {}};
    std::string_view text = line.text;
    if (decoded.empty() && text.starts_with(kByteOrderMark))
      text.remove_prefix(kByteOrderMark.size());
    if (!platform::DecodeUtf8Line(text, &oem_line.text, &oem_line.placeholders)) return false;
    decoded.push_back(std::move(oem_line));
  }
  *bom = !lines->empty() && (*lines)[0].text.starts_with(kByteOrderMark);
  *lines = std::move(decoded);
  return true;
}

std::string EncodeUtf8Line(const EditorLine& line) {
  std::string utf8;
  utf8.reserve(line.text.size() * 2);
  size_t next = 0;
  for (char c : line.text) {
    if (c != platform::kUtf8Placeholder) {
      platform::AppendOemAsUtf8(std::string_view(&c, 1), &utf8);
      continue;
    }
    utf8 += next < line.placeholders.size() ? std::string_view(line.placeholders[next])
                                            : kReplacementChar;
    next++;
  }
  return utf8;
}

std::vector<std::string> KeptPlaceholders(const EditorLine& old, std::string_view text,
                                          std::deque<std::string>& moved, size_t edit_at) {
  const std::string_view before = old.text;
  const size_t shorter = std::min(before.size(), text.size());
  size_t common_start = 0;
  while (common_start < shorter && before[common_start] == text[common_start]) common_start++;
  size_t common_end = 0;
  while (common_end < shorter &&
         before[before.size() - 1 - common_end] == text[text.size() - 1 - common_end])
    common_end++;
  // Where the start and end overlap, the change could lie anywhere in a run
  // of equal bytes: the cursor decides.
  const size_t earliest = shorter - common_end;
  const size_t prefix =
      earliest <= common_start ? std::clamp(edit_at, earliest, common_start) : common_start;
  const size_t suffix = std::min(common_end, shorter - prefix);
  const size_t head = CountPlaceholders(before.substr(0, prefix));
  const size_t old_middle =
      CountPlaceholders(before.substr(prefix, before.size() - prefix - suffix));
  const size_t new_middle = CountPlaceholders(text.substr(prefix, text.size() - prefix - suffix));
  const size_t tail = CountPlaceholders(before.substr(before.size() - suffix));

  std::vector<std::string> kept = Slice(old.placeholders, 0, head);
  if (new_middle == old_middle) {
    for (std::string& bytes : Slice(old.placeholders, head, old_middle))
      kept.push_back(std::move(bytes));
  } else {
    for (std::string& bytes : Slice(old.placeholders, head, old_middle))
      moved.push_back(std::move(bytes));
    // The newest ones first: what this command moved, not what an earlier
    // edit dropped for good.
    const size_t known = std::min(new_middle, moved.size());
    for (auto at = moved.end() - static_cast<std::ptrdiff_t>(known); at != moved.end(); ++at)
      kept.push_back(std::move(*at));
    moved.erase(moved.end() - static_cast<std::ptrdiff_t>(known), moved.end());
    kept.insert(kept.end(), new_middle - known, std::string(kReplacementChar));
    while (moved.size() > kMovedPlaceholdersKept) moved.pop_front();
  }
  for (std::string& bytes : Slice(old.placeholders, head + old_middle, tail))
    kept.push_back(std::move(bytes));
  return kept;
}

std::vector<std::string> PlaceholdersBefore(const EditorLine& line, size_t at) {
  return Slice(line.placeholders, 0, CountPlaceholders(std::string_view(line.text).substr(0, at)));
}

std::vector<std::string> PlaceholdersFrom(const EditorLine& line, size_t at) {
  const size_t before = CountPlaceholders(std::string_view(line.text).substr(0, at));
  return Slice(line.placeholders, before, line.placeholders.size());
}

}  // namespace host
