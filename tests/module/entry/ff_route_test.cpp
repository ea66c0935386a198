// The module opened from the command line through the host: the text is
// parsed and the command runs with the dialog only when asked for; a syntax
// error leaves the panel untouched.
#include <gtest/gtest.h>

#include <algorithm>

#include "host/cli/settings_writer.hpp"
#include "platform/host_bridge.hpp"
#include "tests/support/host_fixture.hpp"

namespace {

using host::ScriptUi;

class CommandLineRoute : public testing_support::HostTest {
 protected:
  CommandLineRoute() : HostTest(FINDERIX_MODULE_PATH) {}

  void SetUp() override {
    HostTest::SetUp();
    tree_.Write("work/a.txt", "hello world\n");
    tree_.Write("work/b.log", "hello\n");
    tree_.Write("work/sub/c.txt", "HELLO\n");
    tree_.Write("work/sub/d.txt", "bye\n");
    // The folder tree as the scope, as a user would store it first.
    platform::SetRegistryFile(tree_.Path("registry.db"));
    host::cli::StoredSetting scope;
    std::string error;
    ASSERT_TRUE(host::cli::ParseSettingAssignment("FSearchIn=3", &scope, &error));
    ASSERT_TRUE(host::cli::PrepareModuleSettings({scope}, &error)) << error;
    StartHost();
  }

  HANDLE Open(const char* text) {
    return host_->OpenPlugin(OPEN_COMMANDLINE, reinterpret_cast<intptr_t>(text));
  }

  std::vector<std::string> Listed() {
    std::vector<std::string> names;
    const std::string prefix = tree_.ModulePath("work") + "\\";
    for (const PluginPanelItem& item : host_->panels().active().items()) {
      std::string name = item.FindData.cFileName;
      if (name != "..") names.push_back(name.substr(prefix.size()));
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::vector<ScriptUi::Call> Boxes() {
    std::vector<ScriptUi::Call> boxes;
    for (const ScriptUi::Call& call : ui_.CallsOf(ScriptUi::Kind::kMessage))
      if (!call.progress) boxes.push_back(call);
    return boxes;
  }
};

TEST_F(CommandLineRoute, SearchRunsWithoutTheDialogAndOpensTheResults) {
  EXPECT_NE(Open("/*.txt/hello/"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(Listed(), (std::vector<std::string>{"a.txt", "sub\\c.txt"}));
  EXPECT_TRUE(ui_.CallsOf(ScriptUi::Kind::kDialog).empty());
}

TEST_F(CommandLineRoute, DialogLetterShowsTheSearchDialogFilledFromTheText) {
  ui_.AnswerDialog([](std::span<FarDialogItem> items) {
    EXPECT_STREQ(items[3].Data, "*.txt");
    EXPECT_STREQ(items[5].Data, "hello");
    EXPECT_EQ(items[7].Selected, 1);  // c: case-sensitive
    return 23;                        // OK
  });
  EXPECT_NE(Open("/*.txt/hello/cd"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(Listed(), (std::vector<std::string>{"a.txt"}));
}

TEST_F(CommandLineRoute, SyntaxErrorShowsItsBoxAndLeavesThePanelAlone) {
  const int redraws = host_->panels().active().redraw_count();
  ui_.AnswerMessage(0);
  EXPECT_EQ(Open("/*.txt/hello"), INVALID_HANDLE_VALUE);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].help_topic, "QXInvalidCmdLine");
  EXPECT_EQ(Boxes()[0].flags, FMSG_WARNING);
  EXPECT_EQ(host_->panels().active().redraw_count(), redraws);
  EXPECT_TRUE(ui_.console_titles().empty());  // nothing was walked
}

TEST_F(CommandLineRoute, NothingFoundRefreshesThePanel) {
  const int redraws = host_->panels().active().redraw_count();
  ui_.AnswerMessage(0);
  EXPECT_EQ(Open(" no such text"), INVALID_HANDLE_VALUE);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].help_topic, "NoFilesFound");
  EXPECT_GT(host_->panels().active().redraw_count(), redraws);
}

}  // namespace
