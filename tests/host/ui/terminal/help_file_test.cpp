// The help file: its format, the paragraph flow, and a page for every help
// topic the module and the host pass.
#include "host/ui/terminal/help_file.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "host/ui/terminal/help_view.hpp"

namespace {

using host::tui::HelpFile;

// --- Format ---

TEST(HelpFile, TopicsTitlesAndTextLines) {
  HelpFile file;
  file.Parse(".Language=English,English\r\nignored before any topic\n@One\r\n$ First page\r\n"
             "// a comment\nline a\n\n@Two\nno title\n$not a title: the page has text already\n");
  const host::tui::HelpTopic* one = file.Find("One");
  ASSERT_TRUE(one);
  EXPECT_EQ(one->title, "First page");
  EXPECT_EQ(one->lines, (std::vector<std::string>{"line a"}));
  const host::tui::HelpTopic* two = file.Find("Two");
  ASSERT_TRUE(two);
  EXPECT_EQ(two->title, "");
  EXPECT_EQ(two->lines.size(), 2u);
  EXPECT_FALSE(file.Find("one"));  // topic names keep their case
}

TEST(HelpFile, ParagraphsFlowAndIndentedLinesStay) {
  std::vector<std::string> rows = host::tui::FlowHelpText(
      {"one two three", "four", "", " F1   help", "averyveryverylongword", " nogapatallhere x"},
      10);
  // A wide indented row wraps under its own indent, never cut.
  EXPECT_EQ(rows, (std::vector<std::string>{"one two", "three four", "", " F1   help",
                                            "averyveryv", "erylongwor", "d", " nogapatal",
                                            " lhere x"}));
  // A key list's row wraps under its text column.
  EXPECT_EQ(host::tui::FlowHelpText({" Del  remove the selected files"}, 20),
            (std::vector<std::string>{" Del  remove the", "      selected files"}));
}

TEST(HelpFile, AMissingTopicShowsALineSayingSo) {
  HelpFile file;
  host::tui::HelpView view(file, "Nowhere");
  view.Layout(80, 25);
  host::tui::CellGrid grid(80, 25);
  view.Render(grid);
  bool said = false;
  for (int y = 0; y < 25; ++y) said = said || grid.Row(y).find(L"Nowhere") != std::wstring::npos;
  EXPECT_TRUE(said);
}

TEST(HelpFile, TheViewScrollsWithinItsText) {
  HelpFile file;
  std::string text = "@Long\n";
  for (int i = 0; i < 40; ++i) text += " row " + std::to_string(i) + "\n";
  file.Parse(text);
  host::tui::HelpView view(file, "Long");
  view.Layout(80, 12);
  view.HandleKey(host::tui::Key::Of(host::tui::KeyCode::kEnd));
  EXPECT_EQ(view.top(), 40 - (view.frame().height - 2));
  view.HandleKey(host::tui::Key::Of(host::tui::KeyCode::kPageDown));
  EXPECT_EQ(view.top(), 40 - (view.frame().height - 2));
  view.HandleKey(host::tui::Key::Of(host::tui::KeyCode::kHome));
  EXPECT_EQ(view.top(), 0);
}

// --- The shipped file ---

TEST(HelpFile, EveryTopicTheModuleAndTheHostPassHasAPage) {
  HelpFile file;
  std::filesystem::path beside = std::filesystem::path(FINDERIX_MODULE_PATH).parent_path();
  ASSERT_TRUE(file.Load((beside / "finderix_en.hlf").string()));
  const char* topics[] = {
      // the host's own
      "Contents", "Plugins", "Editor",
      // menus
      "FileMenu", "EditorMenu", "Config", "Presets",
      // dialogs
      "ConfigFile", "ConfigEditor", "SearchDlg", "ReplaceDlg", "FileSearchDlg",
      "AdvancedFileSearchDlg", "FileReplaceDlg", "FileRenameDlg", "SelectedFileRenameDlg",
      "FileSelectDlg", "ESPresetDlg", "ERPresetDlg", "FSPresetDlg", "FRPresetDlg",
      // message boxes
      "QXInvalidNumber", "QXInvalidCmdLine", "RegExpError", "ECannotFind", "ERAskReplace",
      "NoFilesFound", "FSOpenError", "FRReadError", "FRBackupError", "FRCreateError",
      "FRWriteError", "FRAskReplace", "FRConfirmFile", "FRAskRename", "FRenameOverwrite",
      "FRenameError", "DeletePreset"};
  for (const char* topic : topics) {
    SCOPED_TRACE(topic);
    const host::tui::HelpTopic* page = file.Find(topic);
    ASSERT_TRUE(page);
    EXPECT_FALSE(page->title.empty());
    EXPECT_FALSE(page->lines.empty());
    // Pages name each other by title: a topic's name means nothing to a
    // person.
    for (const char* other : topics) {
      std::string name = other;
      if (std::none_of(name.begin() + 1, name.end(), ::isupper)) continue;  // a plain word
      for (const std::string& line : page->lines) {
        EXPECT_EQ(line.find(other), std::string::npos) << other << " in: " << line;
      }
    }
  }
}

}  // namespace
