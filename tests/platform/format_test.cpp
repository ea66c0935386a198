// wsprintfA: conversions, flags, width and precision as Windows formats
// them, and the 1024-byte limit it never crosses.
#include <climits>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "platform/win32.hpp"

namespace {

struct Row {
  const char* format;
  std::string expected;
  std::string actual;
};

std::string Format(const char* format, ...) {
  char buffer[1024];
  va_list args;
  va_start(args, format);
  const int length = wvsprintfA(buffer, format, args);
  va_end(args);
  EXPECT_EQ(length, static_cast<int>(std::strlen(buffer)));
  return buffer;
}

// ---------------------------------------------------------------------------
// Conversions
// ---------------------------------------------------------------------------

TEST(Format, ConversionsMatchWindows) {
  const Row rows[] = {
      {"%d", "42", Format("%d", 42)},
      {"%d negative", "-42", Format("%d", -42)},
      {"%i", "-2147483648", Format("%i", INT_MIN)},
      {"%u", "4294967295", Format("%u", UINT_MAX)},
      {"%x", "deadbeef", Format("%x", 0xDEADBEEFu)},
      {"%X", "DEADBEEF", Format("%X", 0xDEADBEEFu)},
      {"%c", "\xC0", Format("%c", '\xC0')},
      {"%s", "\x8F\xE0\xA8", Format("%s", "\x8F\xE0\xA8")},
      {"%s null", "(null)", Format("%s", static_cast<const char*>(nullptr))},
      {"%%", "100%", Format("%d%%", 100)},
      {"%ld", "-7", Format("%ld", -7L)},
      {"%lu", "4000000000", Format("%lu", 4000000000UL)},
      {"%lu cut to 32 bits", "1", Format("%lu", 0x100000001UL)},
      {"%hd", "-1", Format("%hd", 0xFFFF)},
      {"mixed", "a=1, b=two, c=3", Format("a=%d, b=%s, c=%c", 1, "two", '3')},
      {"unknown type", "q", Format("%q")},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.format);
    EXPECT_EQ(row.actual, row.expected);
  }
}

// ---------------------------------------------------------------------------
// Flags, width and precision
// ---------------------------------------------------------------------------

TEST(Format, FlagsWidthAndPrecisionMatchWindows) {
  const Row rows[] = {
      {"%5d", "   42", Format("%5d", 42)},
      {"%-5d|", "42   |", Format("%-5d|", 42)},
      {"%05d", "00042", Format("%05d", 42)},
      {"%05d negative", "-0042", Format("%05d", -42)},
      {"%-05d|", "42   |", Format("%-05d|", 42)},
      {"%.3d", "007", Format("%.3d", 7)},
      {"%.3d negative", "-007", Format("%.3d", -7)},
      {"%6.3d", "   007", Format("%6.3d", 7)},
      {"%.20u", "00000000000000000042", Format("%.20u", 42u)},
      {"%08X", "0000BEEF", Format("%08X", 0xBEEFu)},
      {"%.2s", "ab", Format("%.2s", "abcdef")},
      {"%6.2s", "    ab", Format("%6.2s", "abcdef")},
      {"%-4s|", "ab  |", Format("%-4s|", "ab")},
      {"%1d wider value", "12345", Format("%1d", 12345)},
      {"%3c", "  x", Format("%3c", 'x')},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.format);
    EXPECT_EQ(row.actual, row.expected);
  }
}

// ---------------------------------------------------------------------------
// The buffer limit
// ---------------------------------------------------------------------------

TEST(Format, OutputStopsAt1023CharactersAndIsTerminated) {
  const std::string long_text(2000, 'a');
  char buffer[1100];
  std::memset(buffer, '#', sizeof(buffer));
  EXPECT_EQ(wsprintfA(buffer, "%s%d", long_text.c_str(), 5), 1023);
  EXPECT_EQ(std::string(buffer), std::string(1023, 'a'));
  EXPECT_EQ(buffer[1024], '#');
}

TEST(Format, HugeWidthIsCutAtTheLimit) {
  char buffer[1100];
  std::memset(buffer, '#', sizeof(buffer));
  EXPECT_EQ(wsprintfA(buffer, "%99999999999999999999d", 1), 1023);
  EXPECT_EQ(buffer[1023], '\0');
  EXPECT_EQ(buffer[1024], '#');
}

TEST(Format, ReturnsLengthWritten) {
  char buffer[1024];
  EXPECT_EQ(wsprintfA(buffer, "%d items", 12), 8);
  EXPECT_STREQ(buffer, "12 items");
}

}  // namespace
