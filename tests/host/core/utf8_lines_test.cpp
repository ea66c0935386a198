// The editor on a UTF-8 file: random keyboard edits against a model that
// keeps each character's own bytes, the module's line replaces through
// ECTL_SETSTRING, and the switch of tables.
#include "host/core/utf8_lines.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "host/app/editor_keys.hpp"
#include "host/ui/terminal/oem_text.hpp"

namespace {

using host::EditorBuffer;
using host::tui::EditorKeys;
using host::tui::Key;
using host::tui::KeyCode;

constexpr const char* kBom = "\xEF\xBB\xBF";

// A UTF-8 text as lines of characters, each character its bytes.
using ModelLine = std::vector<std::string>;

std::string ModelContent(const std::vector<ModelLine>& lines, bool bom) {
  std::string content = bom ? kBom : "";
  for (size_t i = 0; i < lines.size(); i++) {
    for (const std::string& c : lines[i]) content += c;
    if (i + 1 < lines.size()) content += "\n";
  }
  return content;
}

// Characters 866 holds and lacks; runs of lacking ones side by side are
// where a placeholder could land on the wrong bytes.
const char* const kFileChars[] = {"a", " ", "ж", "Ё", "中", "😀", "é", "中", "😀"};
const struct {
  wchar_t typed;
  const char* utf8;
} kTypedChars[] = {{L'x', "x"}, {L'ж', "ж"}, {L'Я', "Я"}, {L' ', " "}};

TEST(Utf8Lines, KeyboardEditsKeepEveryUntouchedCharactersBytes) {
  std::mt19937 random(21);
  for (int round = 0; round < 40; round++) {
    SCOPED_TRACE(round);
    const bool bom = round % 2 == 0;
    std::vector<ModelLine> model(1 + random() % 4);
    for (ModelLine& line : model)
      for (int n = static_cast<int>(random() % 8); n > 0; n--)
        line.push_back(kFileChars[random() % std::size(kFileChars)]);
    model[0].push_back("中");  // never ASCII only

    EditorBuffer buffer(ModelContent(model, bom));
    ASSERT_TRUE(buffer.SetCharTable(EditorBuffer::kUtf8Table));
    EditorKeys keys(buffer);
    for (int step = 0; step < 60; step++) {
      const int line = static_cast<int>(random() % model.size());
      const int pos = static_cast<int>(random() % (model[line].size() + 1));
      buffer.SetCursor(line, pos);
      ModelLine& text = model[line];
      switch (random() % 4) {
        case 0: {
          const auto& typed = kTypedChars[random() % std::size(kTypedChars)];
          keys.Handle(Key::Char(typed.typed));
          text.insert(text.begin() + pos, typed.utf8);
          break;
        }
        case 1:
          keys.Handle(Key::Of(KeyCode::kBackspace));
          if (pos > 0) {
            text.erase(text.begin() + pos - 1);
          } else if (line > 0) {
            model[line - 1].insert(model[line - 1].end(), text.begin(), text.end());
            model.erase(model.begin() + line);
          }
          break;
        case 2:
          keys.Handle(Key::Of(KeyCode::kDelete));
          if (pos < static_cast<int>(text.size())) {
            text.erase(text.begin() + pos);
          } else if (line + 1 < static_cast<int>(model.size())) {
            text.insert(text.end(), model[line + 1].begin(), model[line + 1].end());
            model.erase(model.begin() + line + 1);
          }
          break;
        default: {
          keys.Handle(Key::Of(KeyCode::kEnter));
          ModelLine tail(text.begin() + pos, text.end());
          text.resize(static_cast<size_t>(pos));
          model.insert(model.begin() + line + 1, tail);
        }
      }
      ASSERT_EQ(buffer.Content(), ModelContent(model, bom)) << "step " << step;
    }
  }
}

// --- The module's edits ---

void SetLine(EditorBuffer& buffer, int number, const std::string& oem) {
  EditorSetString set{number, oem.data(), nullptr, static_cast<int>(oem.size())};
  ASSERT_TRUE(buffer.Control(ECTL_SETSTRING, &set));
}

TEST(Utf8Lines, ModuleReplacesKeepPlaceholdersOutsideTheChange) {
  const struct {
    const char* what;
    std::string before;
    std::string oem_after;  // the line as the module sets it, in 866
    std::string after;
  } rows[] = {
      {"a word between placeholders", "中 мир 😀", "\x1A \xAC\xA8\xE0\xAE\xA2 \x1A", "中 миров 😀"},
      {"a placeholder moved inside the change", "中мир😀", "\x1A\x1A\xAC\xA8\xE0", "中😀мир"},
      {"a placeholder dropped by the change", "中 мир😀 é", "\x1A \xAC\xA8\xE0 \x1A", "中 мир é"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EditorBuffer buffer(row.before + "\nnext");
    ASSERT_TRUE(buffer.SetCharTable(EditorBuffer::kUtf8Table));
    buffer.SetCursor(1, 0);
    SetLine(buffer, 0, row.oem_after);
    EXPECT_EQ(buffer.Content(), row.after + "\nnext");
  }
}

TEST(Utf8Lines, ReplaceAcrossLinesKeepsTheLowerLinesEnd) {
  // What the module does for a match from line 0 into line 1: delete the
  // lower line, then set the upper one to its start, the replacement and
  // the lower one's end.
  EditorBuffer buffer("中 один\nдва 😀é\n");
  ASSERT_TRUE(buffer.SetCharTable(EditorBuffer::kUtf8Table));
  buffer.SetCursor(1, 0);
  ASSERT_TRUE(buffer.Control(ECTL_DELETESTRING, nullptr));
  EditorSetPosition position{0, 2, -1, -1, -1, -1};
  ASSERT_TRUE(buffer.Control(ECTL_SETPOSITION, &position));
  SetLine(buffer, 0, std::string("\x1A X ") + "\x1A\x1A");
  EXPECT_EQ(buffer.Content(), "中 X 😀é\n");
}

TEST(Utf8Lines, ReplacementWithALineBreakKeepsThePlaceholdersItMoves) {
  // What the module does for "мир" -> "X<LF>Y": set the line to its head and
  // the first piece, split it after that, then set the new line to the last
  // piece and the tail, which held placeholders of its own.
  EditorBuffer buffer("中 мир 😀é\nnext 😀");
  ASSERT_TRUE(buffer.SetCharTable(EditorBuffer::kUtf8Table));
  SetLine(buffer, 1, "next ");  // a placeholder an earlier edit dropped for good
  buffer.SetCursor(0, 2);
  SetLine(buffer, 0, "\x1A X");
  buffer.SetCursor(0, 3);
  ASSERT_TRUE(buffer.Control(ECTL_INSERTSTRING, nullptr));
  SetLine(buffer, 1, "Y \x1A\x1A");
  EXPECT_EQ(buffer.Content(), "中 X\nY 😀é\nnext ");
}

// --- Tables ---

TEST(Utf8Lines, SwitchingTablesGivesTheSameBytesBackAndRefusesWhatIsNotUtf8) {
  const std::string content = std::string(kBom) + "ж中\r\n😀\n";
  EditorBuffer buffer(content);
  ASSERT_TRUE(buffer.SetCharTable(EditorBuffer::kUtf8Table));
  EXPECT_EQ(buffer.lines()[0].text, "\xA6\x1A");  // the mark is off the lines
  EXPECT_EQ(buffer.Content(), content);
  ASSERT_TRUE(buffer.SetCharTable(0));
  EXPECT_EQ(buffer.lines()[0].text, std::string(kBom) + "ж中");
  EXPECT_EQ(buffer.Content(), content);

  EditorBuffer single_byte("\xA6\xA8\xA7\xAD\xEC\n");
  EXPECT_FALSE(single_byte.SetCharTable(EditorBuffer::kUtf8Table));
  EXPECT_EQ(single_byte.char_table(), EditorBuffer::kOemTable);
}

TEST(Utf8Lines, OnlyValidUtf8WithANonAsciiCharacterOpensAsUtf8) {
  EXPECT_TRUE(host::IsUtf8File("ж"));
  EXPECT_TRUE(host::IsUtf8File(std::string(kBom) + "ascii"));
  EXPECT_FALSE(host::IsUtf8File("ascii only"));
  EXPECT_FALSE(host::IsUtf8File("ж\xED\xA0\x80"));
  EXPECT_FALSE(host::IsUtf8File("ж\xD0"));
}

}  // namespace
