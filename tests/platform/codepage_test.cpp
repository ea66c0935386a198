// Code page conversions and OEM/ANSI translation, checked against the
// Windows contract: return value, last error and output buffer.
#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "platform/host_bridge.hpp"
#include "platform/win32.hpp"

namespace {

constexpr DWORD kUntouchedError = 0xdeadbeef;

// "Привет, Ёж!" in each encoding the platform knows.
const std::string kUtf8Greeting =
    "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, \xD0\x81\xD0\xB6!";
const std::wstring kWideGreeting = L"\u041F\u0440\u0438\u0432\u0435\u0442, \u0401\u0436!";

struct Encoding {
  UINT code_page;
  std::string greeting;
};

const Encoding kEncodings[] = {
    {866, "\x8F\xE0\xA8\xA2\xA5\xE2, \xF0\xA6!"},
    {CP_OEMCP, "\x8F\xE0\xA8\xA2\xA5\xE2, \xF0\xA6!"},
    {1251, "\xCF\xF0\xE8\xE2\xE5\xF2, \xA8\xE6!"},
    {CP_ACP, "\xCF\xF0\xE8\xE2\xE5\xF2, \xA8\xE6!"},
    {20866, "\xF0\xD2\xC9\xD7\xC5\xD4, \xB3\xD6!"},
    {28595, "\xBF\xE0\xD8\xD2\xD5\xE2, \xA1\xD6!"},
    {CP_UTF8, kUtf8Greeting},
};

std::wstring ToWide(UINT code_page, const std::string& text) {
  std::wstring wide(text.size() + 1, L'\0');
  int n = MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                              static_cast<int>(wide.size()));
  wide.resize(n);
  return wide;
}

std::string FromWide(UINT code_page, const std::wstring& wide) {
  std::string text(wide.size() * 4 + 1, '\0');
  int n = WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                              static_cast<int>(text.size()), nullptr, nullptr);
  text.resize(n);
  return text;
}

// ---------------------------------------------------------------------------
// Code page numbers
// ---------------------------------------------------------------------------

TEST(CodePage, AnsiIs1251) {
  EXPECT_EQ(GetACP(), 1251u);
}

// ---------------------------------------------------------------------------
// Round trips
// ---------------------------------------------------------------------------

TEST(CodePage, CyrillicDecodesToTheSameWideTextInEveryCodePage) {
  for (const auto& encoding : kEncodings) {
    SCOPED_TRACE(encoding.code_page);
    EXPECT_EQ(ToWide(encoding.code_page, encoding.greeting), kWideGreeting);
    EXPECT_EQ(FromWide(encoding.code_page, kWideGreeting), encoding.greeting);
  }
}

TEST(CodePage, EveryByteOfASingleByteCodePageRoundTrips) {
  for (UINT code_page : {866u, 1251u, 20866u, 28595u}) {
    SCOPED_TRACE(code_page);
    std::string all(256, '\0');
    for (int i = 0; i < 256; ++i) all[i] = static_cast<char>(i);
    std::wstring wide = ToWide(code_page, all);
    ASSERT_EQ(wide.size(), 256u);
    EXPECT_EQ(FromWide(code_page, wide), all);
  }
}

TEST(CodePage, OemTextRoundTripsThroughUtf8) {
  std::string all(256, '\0');
  for (int i = 0; i < 256; ++i) all[i] = static_cast<char>(i);
  EXPECT_EQ(platform::Utf8ToOem(platform::OemToUtf8(all)), all);
  EXPECT_EQ(platform::OemToUtf8("\x8F\xE0\xA8\xA2\xA5\xE2, \xF0\xA6!"), kUtf8Greeting);
}

TEST(CodePage, Utf8ToOemReplacesWhatOemCannotHoldWithQuestionMarks) {
  struct Row {
    std::string utf8;
    std::string oem;
  };
  const Row rows[] = {
      {"caf\xC3\xA9", "caf?"},             // é has no place in 866
      {"\xE6\x97\xA5\xE6\x9C\xAC", "??"},  // one mark per character, not per byte
      {"a\xFF!", "a?!"},                   // a byte that never starts UTF-8
      {"\xD0\x9F\xD1", "\x8F?"},           // sequence cut off at the end
      {"\xC0\xAF", "??"},                  // overlong "/" is not a slash
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.utf8);
    EXPECT_EQ(platform::Utf8ToOem(row.utf8), row.oem);
  }
}

// ---------------------------------------------------------------------------
// UTF-8 specifics
// ---------------------------------------------------------------------------

TEST(CodePage, MultiByteToWideCharReplacesIllFormedUtf8PerMaximalSubpart) {
  struct Row {
    std::string utf8;
    std::wstring wide;
  };
  const Row rows[] = {
      {"\xE2\x82"
       "A",
       L"\uFFFDA"},
      {"\xC0\xAF", L"\uFFFD\uFFFD"},
      {"\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
      {"\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
      {"\xF0\x9F\x98\x80", std::wstring(1, static_cast<wchar_t>(0x1F600))},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.utf8);
    EXPECT_EQ(ToWide(CP_UTF8, row.utf8), row.wide);
  }
}

TEST(CodePage, MultiByteToWideCharFailsWithNoUnicodeTranslationWhenAskedToRefuseInvalidUtf8) {
  wchar_t out[8] = {L'x'};
  SetLastError(kUntouchedError);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xFF", 2, out, 8), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
  EXPECT_EQ(out[0], L'x');
}

TEST(CodePage, WideCharToMultiByteEncodesLoneSurrogateAsReplacementChar) {
  EXPECT_EQ(FromWide(CP_UTF8, std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
}

TEST(CodePage, WideCharToMultiByteRefusesDefaultCharForUtf8) {
  BOOL used = FALSE;
  SetLastError(kUntouchedError);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"a", 1, nullptr, 0, nullptr, &used), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

// ---------------------------------------------------------------------------
// Unmappable characters
// ---------------------------------------------------------------------------

TEST(CodePage, WideCharToMultiByteUsesDefaultCharAndReportsIt) {
  char out[8] = {};
  BOOL used = FALSE;
  EXPECT_EQ(WideCharToMultiByte(866, 0, L"a\u00E9b", 3, out, 8, nullptr, &used), 3);
  EXPECT_EQ(std::string(out, 3), "a?b");
  EXPECT_TRUE(used);

  EXPECT_EQ(WideCharToMultiByte(1251, 0, L"a\u4E00", 2, out, 8, "*", &used), 2);
  EXPECT_EQ(std::string(out, 2), "a*");
  EXPECT_TRUE(used);

  used = TRUE;
  EXPECT_EQ(WideCharToMultiByte(1251, 0, L"ab", 2, out, 8, nullptr, &used), 2);
  EXPECT_FALSE(used);
}

// ---------------------------------------------------------------------------
// Buffer sizes
// ---------------------------------------------------------------------------

TEST(CodePage, MultiByteToWideCharReportsNeededSizeForZeroBuffer) {
  SetLastError(kUntouchedError);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, kUtf8Greeting.c_str(), -1, nullptr, 0),
            static_cast<int>(kWideGreeting.size()) + 1);
  EXPECT_EQ(GetLastError(), kUntouchedError);
}

TEST(CodePage, MultiByteToWideCharFillsBuffersOfNeededSizeOrMore) {
  const int needed = static_cast<int>(kWideGreeting.size()) + 1;  // with the terminator
  for (int size : {needed + 1, needed}) {
    SCOPED_TRACE(size);
    wchar_t out[32];
    std::fill(std::begin(out), std::end(out), L'#');
    SetLastError(kUntouchedError);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, kUtf8Greeting.c_str(), -1, out, size), needed);
    EXPECT_EQ(GetLastError(), kUntouchedError);
    EXPECT_EQ(std::wstring(out), kWideGreeting);
    EXPECT_EQ(out[needed], L'#');
  }
}

TEST(CodePage, MultiByteToWideCharFailsWithInsufficientBufferOneShort) {
  const int needed = static_cast<int>(kWideGreeting.size()) + 1;
  wchar_t out[32];
  std::fill(std::begin(out), std::end(out), L'#');
  SetLastError(kUntouchedError);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, kUtf8Greeting.c_str(), -1, out, needed - 1), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(out[0], L'#');
}

TEST(CodePage, WideCharToMultiByteReportsNeededSizeForZeroBuffer) {
  SetLastError(kUntouchedError);
  EXPECT_EQ(
      WideCharToMultiByte(CP_UTF8, 0, kWideGreeting.c_str(), -1, nullptr, 0, nullptr, nullptr),
      static_cast<int>(kUtf8Greeting.size()) + 1);
  EXPECT_EQ(GetLastError(), kUntouchedError);
}

TEST(CodePage, WideCharToMultiByteProbesAroundTheNeededSize) {
  const int needed = static_cast<int>(kUtf8Greeting.size()) + 1;
  for (int size : {needed + 1, needed, needed - 1}) {
    SCOPED_TRACE(size);
    char out[64];
    std::memset(out, '#', sizeof(out));
    SetLastError(kUntouchedError);
    const int result =
        WideCharToMultiByte(CP_UTF8, 0, kWideGreeting.c_str(), -1, out, size, nullptr, nullptr);
    if (size >= needed) {
      EXPECT_EQ(result, needed);
      EXPECT_EQ(GetLastError(), kUntouchedError);
      EXPECT_EQ(std::string(out), kUtf8Greeting);
      EXPECT_EQ(out[needed], '#');
    } else {
      EXPECT_EQ(result, 0);
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
      EXPECT_EQ(out[0], '#');
    }
  }
}

TEST(CodePage, ExplicitLengthConvertsWithoutTerminator) {
  wchar_t out[4] = {L'#', L'#', L'#', L'#'};
  EXPECT_EQ(MultiByteToWideChar(1251, 0, "\xC0\xE1", 2, out, 4), 2);
  EXPECT_EQ(out[0], L'\u0410');
  EXPECT_EQ(out[1], L'\u0431');
  EXPECT_EQ(out[2], L'#');
}

// ---------------------------------------------------------------------------
// Invalid arguments
// ---------------------------------------------------------------------------

TEST(CodePage, ConversionsFailWithInvalidParameterOrFlags) {
  wchar_t wide[4] = {L'#'};
  char text[4] = {'#'};
  struct Row {
    const char* what;
    std::function<int()> call;
    DWORD error;
  };
  const Row rows[] = {
      {"unknown code page", [&] { return MultiByteToWideChar(1252, 0, "a", 1, wide, 4); },
       ERROR_INVALID_PARAMETER},
      {"empty input", [&] { return MultiByteToWideChar(866, 0, "a", 0, wide, 4); },
       ERROR_INVALID_PARAMETER},
      {"null input", [&] { return MultiByteToWideChar(866, 0, nullptr, 1, wide, 4); },
       ERROR_INVALID_PARAMETER},
      {"null output", [&] { return MultiByteToWideChar(866, 0, "a", 1, nullptr, 4); },
       ERROR_INVALID_PARAMETER},
      {"unknown flag", [&] { return MultiByteToWideChar(866, 0x100, "a", 1, wide, 4); },
       ERROR_INVALID_FLAGS},
      {"unknown code page out",
       [&] { return WideCharToMultiByte(437, 0, L"a", 1, text, 4, nullptr, nullptr); },
       ERROR_INVALID_PARAMETER},
      {"negative size",
       [&] { return WideCharToMultiByte(866, 0, L"a", 1, text, -1, nullptr, nullptr); },
       ERROR_INVALID_PARAMETER},
      {"flags with UTF-8",
       [&] {
         return WideCharToMultiByte(CP_UTF8, WC_NO_BEST_FIT_CHARS, L"a", 1, text, 4, nullptr,
                                    nullptr);
       },
       ERROR_INVALID_FLAGS},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    SetLastError(kUntouchedError);
    EXPECT_EQ(row.call(), 0);
    EXPECT_EQ(GetLastError(), row.error);
  }
  EXPECT_EQ(wide[0], L'#');
  EXPECT_EQ(text[0], '#');
}

// ---------------------------------------------------------------------------
// OEM and ANSI
// ---------------------------------------------------------------------------

TEST(CodePage, OemToCharBuffATranslatesCyrillicAndMarksBoxDrawing) {
  const char oem[] = "\x8F\xE0\xA8\xA2\xA5\xE2\xB3\xFC";  // "Привет│№"
  char ansi[sizeof(oem)] = {};
  ASSERT_TRUE(OemToCharBuffA(oem, ansi, 8));
  EXPECT_EQ(std::string(ansi, 8), "\xCF\xF0\xE8\xE2\xE5\xF2?\xB9");
}

TEST(CodePage, CharToOemBuffATranslatesOnlyTheGivenLength) {
  char text[] = "\xA8\xB8\x80zz";  // "Ёё" then Ђ, which 866 lacks
  ASSERT_TRUE(CharToOemBuffA(text, text, 3));
  EXPECT_EQ(std::string(text), "\xF0\xF1?zz");
}

TEST(CodePage, OemToCharBuffAFailsOnNullBuffer) {
  SetLastError(kUntouchedError);
  EXPECT_FALSE(OemToCharBuffA(nullptr, nullptr, 1));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
