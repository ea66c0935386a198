// The editor screen with the real module: typing and saving, the module's
// editor menu on F11, a file that cannot be saved, and the question on
// closing a changed file.
#include "host/app/editor_screen.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/host/app/screen_fixture.hpp"

namespace {

using testing_support::ScreenTest;

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

class EditorScreenTest : public ScreenTest {
 protected:
  void RunEditor(const std::string& relative) {
    std::string error;
    ASSERT_TRUE(host_->OpenEditor(tree_.Path(relative), &error)) << error;
    host::app::EditorScreen editor(*host_, ui_);
    ui_.Run(editor);
    EXPECT_TRUE(terminal_.script_done());
  }
};

TEST_F(EditorScreenTest, TypedTextIsSavedWithF2AndTheFilesLineBreaksStay) {
  tree_.Write("work/a.txt", "one\r\ntwo\r\n");
  StartHost();
  terminal_.Press(KeyCode::kDown);
  terminal_.Press(KeyCode::kEnd);
  terminal_.Type(L"!");
  terminal_.Press(KeyCode::kF2);
  terminal_.Press(KeyCode::kEsc);
  RunEditor("work/a.txt");
  EXPECT_EQ(ReadFile(tree_.Path("work/a.txt")), "one\r\ntwo!\r\n");
  EXPECT_TRUE(terminal_.EverShowed(L"Line 2/3"));
}

TEST_F(EditorScreenTest, F11SearchesThroughTheModulesEditorMenu) {
  tree_.Write("work/a.txt", "first\nsecond\nthe needle here\n");
  StartHost();
  terminal_.Press(KeyCode::kF11);
  terminal_.Press(KeyCode::kEnter);  // Search
  terminal_.Type(L"needle");
  terminal_.Press(KeyCode::kEnter);
  terminal_.Do([&] {
    const host::EditorBuffer& buffer = *host_->editor();
    EXPECT_EQ(buffer.cur_line(), 2);
    EXPECT_EQ(buffer.block().type, BTYPE_STREAM);
    EXPECT_EQ(buffer.block().start_pos, 4);
  });
  terminal_.Press(KeyCode::kEsc);
  RunEditor("work/a.txt");
  EXPECT_TRUE(terminal_.EverShowed(L"Line 3/4"));
}

TEST_F(EditorScreenTest, AFileThatCannotBeSavedKeepsTheTextAndSaysWhy) {
  tree_.Write("work/gone/a.txt", "text\n");
  StartHost();
  terminal_.Type(L"new ");
  terminal_.Do([&] { std::filesystem::remove_all(tree_.Path("work/gone")); });
  terminal_.Press(KeyCode::kF2);
  terminal_.Do([&] { EXPECT_EQ(host_->editor()->lines()[0].text, "new text"); });
  terminal_.Press(KeyCode::kEnter);  // the box
  terminal_.Press(KeyCode::kEsc);    // close: the question comes
  terminal_.Press(KeyCode::kRight);  // "Don't save"
  terminal_.Press(KeyCode::kEnter);
  RunEditor("work/gone/a.txt");
  EXPECT_TRUE(terminal_.EverShowed(L"Cannot save the file"));
  EXPECT_TRUE(terminal_.EverShowed(L"Save it?"));
}

TEST_F(EditorScreenTest, ClosingAChangedFileCanSaveItOrStay) {
  tree_.Write("work/a.txt", "abc");
  StartHost();
  terminal_.Type(L"x");
  terminal_.Press(KeyCode::kF10);
  terminal_.Press(KeyCode::kEsc);  // the question cancelled: the editor stays
  terminal_.Do([&] { EXPECT_TRUE(host_->editor()->modified()); });
  terminal_.Press(KeyCode::kF10);
  terminal_.Press(KeyCode::kEnter);  // Save
  RunEditor("work/a.txt");
  EXPECT_EQ(ReadFile(tree_.Path("work/a.txt")), "xabc");
}

TEST_F(EditorScreenTest, F8ShowsTheFileInTheNextCharacterTable) {
  tree_.Write("work/a.txt", "\xEF\xF0\xE8\xE2\xE5\xF2");  // "привет" in Windows-1251
  StartHost();
  terminal_.Press(KeyCode::kF8);
  terminal_.Do([&] { EXPECT_EQ(host_->editor()->char_table(), 0); });
  terminal_.Press(KeyCode::kEsc);
  RunEditor("work/a.txt");
  EXPECT_TRUE(terminal_.EverShowed(L"привет"));
}

}  // namespace
