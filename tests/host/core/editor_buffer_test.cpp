// The host's editor buffer on its own: lines and their breaks, saving byte
// for byte, and each EditorControl command the module uses.
#include "host/core/editor_buffer.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/host_fixture.hpp"

namespace {

using host::EditorBuffer;
using host::LineBreak;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

EditorGetString GetLine(EditorBuffer& buffer, int number) {
  EditorGetString get{};
  get.StringNumber = number;
  EXPECT_TRUE(buffer.Control(ECTL_GETSTRING, &get));
  return get;
}

std::string TextOf(const EditorGetString& get) {
  return std::string(get.StringText, static_cast<size_t>(get.StringLength));
}

void SetLine(EditorBuffer& buffer, int number, const std::string& text, const char* eol) {
  EditorSetString set{number, text.data(), eol, static_cast<int>(text.size())};
  EXPECT_TRUE(buffer.Control(ECTL_SETSTRING, &set));
}

void MoveTo(EditorBuffer& buffer, int line, int pos) {
  EditorSetPosition position{line, pos, -1, -1, -1, -1};
  EXPECT_TRUE(buffer.Control(ECTL_SETPOSITION, &position));
}

int SelectBlock(EditorBuffer& buffer, int type, int line, int pos, int width, int height) {
  EditorSelect select{type, line, pos, width, height};
  return buffer.Control(ECTL_SELECT, &select);
}

// --- Lines and breaks ---

TEST(EditorBuffer, KeepsEveryLinesOwnBreak) {
  const struct {
    std::string content;
    std::vector<std::string> texts;
    std::vector<std::string> eols;
  } cases[] = {
      {"", {""}, {""}},
      {"a", {"a"}, {""}},
      {"a\n", {"a", ""}, {"\n", ""}},
      {"a\r\nb\rc\nd", {"a", "b", "c", "d"}, {"\r\n", "\r", "\n", ""}},
      {"a\n\rb", {"a", "", "b"}, {"\n", "\r", ""}},
      {"\r\r\n\n", {"", "", "", ""}, {"\r", "\r\n", "\n", ""}},
      {std::string("x\0y\n", 4), {std::string("x\0y", 3), ""}, {"\n", ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.content));
    EditorBuffer buffer(c.content);
    ASSERT_EQ(buffer.line_count(), static_cast<int>(c.texts.size()));
    for (int i = 0; i < buffer.line_count(); i++) {
      EditorGetString line = GetLine(buffer, i);
      EXPECT_EQ(TextOf(line), c.texts[i]);
      EXPECT_STREQ(line.StringEOL, c.eols[i].c_str());
    }
    EXPECT_EQ(buffer.Content(), c.content);
  }
}

TEST(EditorBuffer, SavesByteForByteAndKeepsTheFileOnFailure) {
  testing_support::TempTree tree;
  std::string content = "one\r\ntwo\rthree\n" + std::string(1 << 20, '\0') + "\nlast";
  tree.Write("file.txt", content);
  std::string error;
  std::unique_ptr<EditorBuffer> buffer = EditorBuffer::Load(tree.Path("file.txt"), &error);
  ASSERT_TRUE(buffer) << error;
  SetLine(*buffer, 1, "TWO", nullptr);
  ASSERT_TRUE(buffer->Save(&error)) << error;
  EXPECT_EQ(ReadFile(tree.Path("file.txt")), "one\r\nTWO\rthree\n" + std::string(1 << 20, '\0') + "\nlast");
  EXPECT_FALSE(buffer->modified());

  // A folder that is gone: nothing saved, the buffer keeps its text.
  EditorBuffer orphan("text", tree.Path("gone/file.txt"));
  EXPECT_FALSE(orphan.Save(&error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(orphan.Content(), "text");
}

TEST(EditorBuffer, RefusesWhatIsNotARegularFile) {
  testing_support::TempTree tree;
  std::string error;
  EXPECT_FALSE(EditorBuffer::Load(tree.Path("missing"), &error));
  EXPECT_FALSE(EditorBuffer::Load(tree.root(), &error));
  ASSERT_EQ(mkfifo(tree.Path("fifo").c_str(), 0600), 0);
  EXPECT_FALSE(EditorBuffer::Load(tree.Path("fifo"), &error));  // and does not hang
  EXPECT_NE(error.find("regular"), std::string::npos);
}

// --- Editing ---

TEST(EditorBuffer, SetStringKeepsOrChangesTheBreak) {
  EditorBuffer buffer("a\r\nb\n");
  SetLine(buffer, 0, "A", nullptr);
  SetLine(buffer, -1, "B", "\n");  // the cursor's line, line 0
  EXPECT_EQ(buffer.Content(), "B\nb\n");
  EditorSetString odd{0, "x", "\n\r", 1};
  EXPECT_FALSE(buffer.Control(ECTL_SETSTRING, &odd));
  EditorSetString outside{5, "x", nullptr, 1};
  EXPECT_FALSE(buffer.Control(ECTL_SETSTRING, &outside));
  EXPECT_EQ(buffer.Content(), "B\nb\n");
}

TEST(EditorBuffer, OnlyTheLastLineMayLackABreak) {
  EditorBuffer buffer("a\r\nb\r\nc");
  SetLine(buffer, 0, "A", "");  // takes the file's first break instead
  EXPECT_EQ(buffer.Content(), "A\r\nb\r\nc");
  MoveTo(buffer, 2, 1);
  EXPECT_TRUE(buffer.Control(ECTL_INSERTSTRING, nullptr));
  EXPECT_EQ(buffer.Content(), "A\r\nb\r\nc\r\n");
  EditorBuffer plain("x");
  MoveTo(plain, 0, 1);
  plain.Control(ECTL_INSERTSTRING, nullptr);
  SetLine(plain, -1, "y", "");
  EXPECT_EQ(plain.Content(), "x\ny");
}

TEST(EditorBuffer, InsertStringSplitsAtTheCursor) {
  EditorBuffer buffer("abcd\r\nz\r\n");
  MoveTo(buffer, 0, 2);
  ASSERT_TRUE(buffer.Control(ECTL_INSERTSTRING, nullptr));
  EXPECT_EQ(buffer.Content(), "ab\r\ncd\r\nz\r\n");
  EXPECT_EQ(buffer.cur_line(), 1);
  EXPECT_EQ(buffer.cur_pos(), 0);
  MoveTo(buffer, 1, 40);  // beyond the end: an empty line after it
  buffer.Control(ECTL_INSERTSTRING, nullptr);
  EXPECT_EQ(buffer.Content(), "ab\r\ncd\r\n\r\nz\r\n");
}

TEST(EditorBuffer, DeleteStringKeepsOneLine) {
  EditorBuffer buffer("a\nb\nc");
  MoveTo(buffer, 2, 0);
  buffer.Control(ECTL_DELETESTRING, nullptr);
  EXPECT_EQ(buffer.Content(), "a\nb\n");
  EXPECT_EQ(buffer.cur_line(), 1);
  for (int i = 0; i < 3; i++) buffer.Control(ECTL_DELETESTRING, nullptr);
  EXPECT_EQ(buffer.line_count(), 1);
  EXPECT_EQ(buffer.Content(), "");
}

// --- Position and information ---

TEST(EditorBuffer, SetPositionLeavesMinusOneFieldsAlone) {
  EditorBuffer buffer("a\nb\nc\n");
  EditorSetPosition all{2, 7, -1, 1, 3, 1};
  ASSERT_TRUE(buffer.Control(ECTL_SETPOSITION, &all));
  EditorSetPosition only_line{0, -1, -1, -1, -1, -1};
  buffer.Control(ECTL_SETPOSITION, &only_line);
  EditorInfo info{};
  ASSERT_TRUE(buffer.Control(ECTL_GETINFO, &info));
  EXPECT_EQ(info.CurLine, 0);
  EXPECT_EQ(info.CurPos, 7);
  EXPECT_EQ(info.TopScreenLine, 1);
  EXPECT_EQ(info.LeftPos, 3);
  EXPECT_EQ(info.Overtype, 1);
  EXPECT_EQ(info.TotalLines, 4);
  EditorSetPosition far{100, -1, -1, 100, -1, -1};
  buffer.Control(ECTL_SETPOSITION, &far);
  EXPECT_EQ(buffer.cur_line(), 3);
  EXPECT_EQ(buffer.top_line(), 3);
}

TEST(EditorBuffer, TabsExpandToEightColumns) {
  EditorBuffer buffer("a\tb\t\tc\n");
  const int real_to_tab[][2] = {{0, 0}, {1, 1}, {2, 8}, {3, 9}, {4, 16}, {5, 24}, {6, 25}, {9, 28}};
  for (const auto& pair : real_to_tab) {
    EditorConvertPos pos{0, pair[0], -1};
    ASSERT_TRUE(buffer.Control(ECTL_REALTOTAB, &pos));
    EXPECT_EQ(pos.DestPos, pair[1]) << pair[0];
    EditorConvertPos back{-1, pair[1], -1};
    buffer.Control(ECTL_TABTOREAL, &back);
    EXPECT_EQ(back.DestPos, pair[0]) << pair[1];
  }
  EditorConvertPos inside_tab{0, 5, -1};
  buffer.Control(ECTL_TABTOREAL, &inside_tab);
  EXPECT_EQ(inside_tab.DestPos, 1);
}

// --- Blocks ---

TEST(EditorBuffer, StreamBlockSelectionPerLine) {
  EditorBuffer buffer("0123\n0123\n0123\n0123\n");
  ASSERT_TRUE(SelectBlock(buffer, BTYPE_STREAM, 0, 2, 1 - 2, 3));  // (0,2) to (2,1)
  const std::pair<int, int> expected[] = {{2, -1}, {0, -1}, {0, 1}, {-1, -1}};
  for (int line = 0; line < 4; line++) {
    EditorGetString get = GetLine(buffer, line);
    EXPECT_EQ((std::pair{get.SelStart, get.SelEnd}), expected[line]) << line;
  }
  EditorInfo info{};
  buffer.Control(ECTL_GETINFO, &info);
  EXPECT_EQ(info.BlockType, BTYPE_STREAM);
  EXPECT_EQ(info.BlockStartLine, 0);

  // Ending at the start of a line selects nothing there.
  SelectBlock(buffer, BTYPE_STREAM, 1, 1, -1, 2);
  EXPECT_EQ(GetLine(buffer, 1).SelEnd, -1);
  EXPECT_EQ(GetLine(buffer, 2).SelStart, -1);
  // An empty stream is no block.
  SelectBlock(buffer, BTYPE_STREAM, 1, 1, 0, 1);
  EXPECT_EQ(buffer.block().type, BTYPE_NONE);
}

TEST(EditorBuffer, ColumnBlockSelectsTheSameColumnsOnEveryLine) {
  EditorBuffer buffer("0123\n0\n0123\n");
  ASSERT_TRUE(SelectBlock(buffer, BTYPE_COLUMN, 0, 1, 2, 3));
  for (int line = 0; line < 3; line++) {
    EditorGetString get = GetLine(buffer, line);
    EXPECT_EQ((std::pair{get.SelStart, get.SelEnd}), (std::pair{1, 3})) << line;
  }
  EXPECT_EQ(GetLine(buffer, 3).SelStart, -1);
}

TEST(EditorBuffer, SelectRefusesBlocksOutsideTheText) {
  EditorBuffer buffer("a\nb\n");
  EXPECT_FALSE(SelectBlock(buffer, BTYPE_STREAM, 2, 0, 1, 2));
  EXPECT_FALSE(SelectBlock(buffer, BTYPE_STREAM, 0, 0, 1, 0));
  EXPECT_FALSE(SelectBlock(buffer, BTYPE_STREAM, -1, 0, 1, 1));
  EXPECT_FALSE(SelectBlock(buffer, BTYPE_COLUMN, 0, 0, -1, 1));
  EXPECT_EQ(buffer.block().type, BTYPE_NONE);
}

TEST(EditorBuffer, BlockFollowsDeletedAndInsertedLines) {
  EditorBuffer buffer("a\nb\nc\nd\n");
  buffer.SelectStream(2, 0, 3, 1);
  MoveTo(buffer, 0, 0);
  buffer.Control(ECTL_DELETESTRING, nullptr);
  EXPECT_EQ(buffer.block().start_line, 1);
  EXPECT_EQ(buffer.block().end_line, 2);
  buffer.Control(ECTL_INSERTSTRING, nullptr);
  EXPECT_EQ(buffer.block().start_line, 2);
  EXPECT_EQ(buffer.block().end_line, 3);
}

// --- Character tables ---

TEST(EditorBuffer, ConvertsThroughTheFilesTable) {
  EditorBuffer buffer("");
  char text[] = "\xD0\xD2\xC9\xD7\xC5\xD4";  // "привет" in KOI8-R
  EditorConvertText convert{text, 6};
  ASSERT_TRUE(buffer.Control(ECTL_EDITORTOOEM, &convert));
  EXPECT_STREQ(text, "\xD0\xD2\xC9\xD7\xC5\xD4");  // OEM by default: unchanged

  ASSERT_TRUE(buffer.SetCharTable(1));
  buffer.Control(ECTL_EDITORTOOEM, &convert);
  EXPECT_STREQ(text, "\xAF\xE0\xA8\xA2\xA5\xE2");
  buffer.Control(ECTL_OEMTOEDITOR, &convert);
  EXPECT_STREQ(text, "\xD0\xD2\xC9\xD7\xC5\xD4");
  EXPECT_FALSE(buffer.SetCharTable(7));
  EXPECT_EQ(buffer.char_table(), 1);
}

TEST(EditorBuffer, UnknownCommandsAndMissingRecordsFail) {
  EditorBuffer buffer("a");
  EXPECT_FALSE(buffer.Control(ECTL_INSERTTEXT, nullptr));
  EXPECT_FALSE(buffer.Control(ECTL_GETSTRING, nullptr));
  EXPECT_FALSE(buffer.Control(ECTL_GETINFO, nullptr));
  EditorGetString outside{};
  outside.StringNumber = 1;
  EXPECT_FALSE(buffer.Control(ECTL_GETSTRING, &outside));
}

}  // namespace
