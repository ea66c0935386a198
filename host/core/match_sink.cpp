// Reading the module's match report records and converting a reported line
// from its character table to UTF-8.
#include "host/core/match_sink.hpp"

#include <algorithm>
#include <vector>

#include "host/core/char_tables.hpp"
#include "sdk/plugin.hpp"

namespace host {

namespace {

constexpr UINT kOemCodePage = 866;
// Single-byte text converts byte by byte, so it may be cut anywhere.
constexpr size_t kChunk = 1 << 20;

// Appends single-byte text of the code page as UTF-8; false when the code
// page is not one the platform converts.
bool AppendUtf8(UINT code_page, std::string_view text, std::string* utf8) {
  std::vector<WCHAR> wide(std::min(text.size(), kChunk));
  std::vector<char> bytes;
  for (size_t at = 0; at < text.size(); at += kChunk) {
    const int size = static_cast<int>(std::min(kChunk, text.size() - at));
    if (MultiByteToWideChar(code_page, 0, text.data() + at, size, wide.data(), size) != size)
      return false;
    const int needed = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    bytes.resize(static_cast<size_t>(needed));
    if (needed <= 0 || WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, bytes.data(), needed,
                                           nullptr, nullptr) != needed)
      return false;
    utf8->append(bytes.data(), bytes.size());
  }
  return true;
}

}  // namespace

int HandleMatchReport(MatchSink* sink, void* param) {
  auto* report = static_cast<MatchReport*>(param);
  if (!sink || !report || report->StructSize < static_cast<int>(sizeof(MatchReport)) ||
      !report->FileName)
    return FALSE;
  switch (report->Kind) {
    case MRK_FILE:
      report->WantLines = sink->FoundFile(report->FileName, report->LinesAvailable != 0);
      return TRUE;
    case MRK_LINE:
      if (!report->LineText && report->LineLength) return FALSE;
      return sink->MatchedLine(report->FileName, report->LineNumber,
                               LineToUtf8({report->LineText, report->LineLength},
                                          report->CharTable))
                 ? TRUE
                 : FALSE;
    case MRK_LINESEND:
      sink->LinesEnd(report->FileName);
      return TRUE;
    default:
      return FALSE;
  }
}

std::string LineToUtf8(std::string_view text, int char_table) {
  const UINT code_page = char_table < 0 ? kOemCodePage : CharTableCodePage(char_table);
  std::string utf8;
  if (code_page == 0 || !AppendUtf8(code_page, text, &utf8))
    return std::string(text);  // left as stored; the printer escapes what is not UTF-8
  return utf8;
}

}  // namespace host
