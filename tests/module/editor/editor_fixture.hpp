// Shared ground for the editor tests: a file opened in the host's editor,
// the module called from it with a ScriptUi answering the editor menu, the
// search and replace dialogs and the replace question the way a person
// would, and the module's start-up settings written before it loads.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/host_bridge.hpp"
#include "tests/support/host_fixture.hpp"

namespace editor_test {

using host::ScriptUi;

// Items of the search dialog.
constexpr int kSearchText = 2, kSearchRegExp = 4, kSearchSeveral = 5, kSearchCase = 6,
              kSearchBackward = 7, kSearchOk = 8, kSearchCancel = 9, kSearchPresets = 10;
// Items of the replace dialog (OK and Cancel move one down with the
// in-selection box).
constexpr int kReplaceText = 2, kReplaceWith = 4, kReplaceRegExp = 6, kReplaceSeveral = 7,
              kReplaceCase = 8, kReplaceRemoveEmpty = 9, kReplaceBackward = 10,
              kReplaceRemoveNoMatch = 11, kReplaceInSelection = 12;
// Buttons of the replace question.
constexpr int kAnswerReplace = 5, kAnswerAll = 6, kAnswerSkip = 7, kAnswerCancel = 8;
constexpr int kEsc = -1;

struct Find {
  std::string text{};
  bool regexp = false;
  bool several = false;
  bool case_sensitive = false;
  bool backward = false;
};

struct Replace {
  std::string text{};
  std::string with{};
  bool regexp = false;
  bool several = false;
  bool case_sensitive = false;
  bool backward = false;
  bool remove_empty = false;
  bool remove_no_match = false;
};

struct Position {
  int line, column;
  bool operator==(const Position&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Position& p) {
  return out << "(" << p.line << ", " << p.column << ")";
}

class EditorTest : public testing_support::HostTest {
 protected:
  EditorTest() : HostTest(FINDERIX_MODULE_PATH) {}

  // A start-up setting of the module; only before the host starts (the
  // module writes its settings back when it unloads).
  void SetSetting(const char* name, DWORD value, const char* key = "Software\\Far\\Plugins\\Finderix") {
    WriteValue(key, name, REG_DWORD, &value, sizeof value);
  }
  void SetTextSetting(const char* name, const std::string& text) {
    WriteValue("Software\\Far\\Plugins\\Finderix", name, REG_SZ, text.c_str(),
               static_cast<DWORD>(text.size() + 1));
  }

  // Writes the file, starts the host when it is not running, and opens the
  // file in its editor.
  host::EditorBuffer& Open(const std::string& content, const std::string& name = "work/file.txt") {
    tree_.Write(name, content);
    if (!host_) StartHost();
    std::string error;
    EXPECT_TRUE(host_->OpenEditor(tree_.Path(name), &error)) << error;
    return *host_->editor();
  }

  host::EditorBuffer& editor() { return *host_->editor(); }

  std::vector<std::string> Lines() {
    std::vector<std::string> lines;
    for (const host::EditorLine& line : editor().lines()) lines.push_back(line.text);
    return lines;
  }

  // Saves the editor and returns what is on disk.
  std::string Saved(const std::string& name = "work/file.txt") {
    std::string error;
    EXPECT_TRUE(editor().Save(&error)) << error;
    std::ifstream in(tree_.Path(name), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
  }

  Position Cursor() { return {editor().cur_line(), editor().cur_pos()}; }

  // The stream block as (start, end), or nothing.
  std::pair<Position, Position> Block() {
    const host::EditorBlock& b = editor().block();
    if (b.type == BTYPE_NONE) return {{-1, -1}, {-1, -1}};
    return {{b.start_line, b.start_pos}, {b.end_line, b.end_pos}};
  }

  void CallModule() { ASSERT_TRUE(host_->CallEditorPlugin()); }

  void ScriptSearch(const Find& f) {
    ui_.AnswerMenu(0);
    ui_.AnswerDialog([f](std::span<FarDialogItem> items) {
      host::SetItemText(items[kSearchText], f.text);
      items[kSearchRegExp].Selected = f.regexp;
      items[kSearchSeveral].Selected = f.several;
      items[kSearchCase].Selected = f.case_sensitive;
      items[kSearchBackward].Selected = f.backward;
      return kSearchOk;
    });
  }

  void Search(const Find& f) {
    ScriptSearch(f);
    CallModule();
  }

  void FindAgain() {
    ui_.AnswerMenu(2);
    CallModule();
  }

  // Answers the replace dialog; the question's answers are queued apart.
  void ScriptReplace(const Replace& r) {
    ui_.AnswerMenu(1);
    ui_.AnswerDialog([r](std::span<FarDialogItem> items) {
      host::SetItemText(items[kReplaceText], r.text);
      host::SetItemText(items[kReplaceWith], r.with);
      items[kReplaceRegExp].Selected = r.regexp;
      items[kReplaceSeveral].Selected = r.several;
      items[kReplaceCase].Selected = r.case_sensitive;
      items[kReplaceBackward].Selected = r.backward;
      items[kReplaceRemoveEmpty].Selected = r.remove_empty;
      items[kReplaceRemoveNoMatch].Selected = r.remove_no_match;
      return static_cast<int>(items.size()) - 3;  // OK
    });
  }

  // Queues answers to the replace question, recording where the match
  // stood when each was asked.
  void AnswerQuestions(std::initializer_list<int> answers) {
    for (int answer : answers) {
      ui_.AnswerDialog([this, answer](std::span<FarDialogItem>) {
        offered_.push_back(Block());
        return answer;
      });
    }
  }

  void RunReplace(const Replace& r, std::initializer_list<int> answers) {
    ScriptReplace(r);
    AnswerQuestions(answers);
    CallModule();
  }

  // Message boxes other than progress boxes.
  std::vector<ScriptUi::Call> Boxes() {
    std::vector<ScriptUi::Call> boxes;
    for (const ScriptUi::Call& c : ui_.CallsOf(ScriptUi::Kind::kMessage))
      if (!c.progress) boxes.push_back(c);
    return boxes;
  }

  std::vector<ScriptUi::Call> Questions() {
    std::vector<ScriptUi::Call> questions;
    for (const ScriptUi::Call& c : ui_.CallsOf(ScriptUi::Kind::kDialog))
      if (c.help_topic == "ERAskReplace") questions.push_back(c);
    return questions;
  }

  // The matches highlighted when each question was asked.
  std::vector<std::pair<Position, Position>> offered_;

 private:
  void WriteValue(const char* path, const char* name, DWORD type, const void* data, DWORD size) {
    ASSERT_FALSE(host_) << "settings are read when the module starts";
    platform::SetRegistryFile(tree_.Path("registry.db"));
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(key);
    platform::CloseRegistry();
  }
};

// A stream block from start to end.
inline std::pair<Position, Position> Span(Position start, Position end) { return {start, end}; }
inline const std::pair<Position, Position> kNoBlock{{-1, -1}, {-1, -1}};

}  // namespace editor_test
