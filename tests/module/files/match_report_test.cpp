// The match reports of a file search, through the real module and host:
// what each search mode reports as a file's matched lines, and that a host
// without a sink still gets the same results.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "host/cli/settings_writer.hpp"
#include "host/core/match_sink.hpp"
#include "platform/host_bridge.hpp"
#include "tests/support/host_fixture.hpp"

namespace {

// Records, per file name, "+" when lines are available, then "N:TEXT" for
// each reported line and "end" after them; and the names in the order they
// came.
class RecordingSink : public host::MatchSink {
 public:
  explicit RecordingSink(std::string prefix) : prefix_(std::move(prefix)) {}
  bool FoundFile(const std::string& path, bool lines_available) override {
    order.push_back(path);
    last_ = Name(path);
    reports[last_].push_back(lines_available ? "+" : "");
    return true;
  }
  bool MatchedLine(const std::string& path, int64_t number, const std::string& text) override {
    EXPECT_EQ(Name(path), last_);
    reports[last_].push_back(std::to_string(number) + ":" + text);
    return true;
  }
  void LinesEnd(const std::string& path) override {
    EXPECT_EQ(Name(path), last_);
    reports[last_].push_back("end");
  }
  std::map<std::string, std::vector<std::string>> reports;
  std::vector<std::string> order;

 private:
  std::string Name(const std::string& path) const {
    return path.rfind(prefix_, 0) == 0 ? path.substr(prefix_.size()) : path;
  }
  std::string prefix_;
  std::string last_;
};

class MatchReport : public testing_support::HostTest {
 protected:
  MatchReport() : HostTest(FINDERIX_MODULE_PATH) {}

  void SetUp() override {
    HostTest::SetUp();
    tree_.Write("work/a.txt", "one\nfoo bar\nthree foo\nbaz\n");
    tree_.Write("work/b.txt", "alpha\r\nbeta gamma\r\ndelta\n");
    tree_.Write("work/c.txt", "nothing here\n");
    // The folder tree as the scope, stored as a user would first.
    platform::SetRegistryFile(tree_.Path("registry.db"));
    host::cli::StoredSetting scope;
    std::string error;
    ASSERT_TRUE(host::cli::ParseSettingAssignment("FSearchIn=3", &scope, &error));
    ASSERT_TRUE(host::cli::PrepareModuleSettings({scope}, &error)) << error;
    StartHost();  // places the module
  }

  // Runs one ff command on a fresh host with the sink; the listed names.
  std::vector<std::string> Run(const std::string& command, host::MatchSink* sink) {
    StopHost();
    host::HostOptions options = Options();
    options.matches = sink;
    std::string error;
    host_ = host::Host::Start(options, ui_, &error);
    EXPECT_TRUE(host_) << error;
    std::vector<std::string> listed;
    if (!host_ ||
        host_->OpenPlugin(OPEN_COMMANDLINE, reinterpret_cast<intptr_t>(command.c_str())) ==
            INVALID_HANDLE_VALUE)
      return listed;
    for (const PluginPanelItem& item : host_->panels().active().items())
      if (std::string(item.FindData.cFileName) != "..") listed.push_back(item.FindData.cFileName);
    return listed;
  }

  std::string Prefix() const { return tree_.ModulePath("work") + "\\"; }
};

TEST_F(MatchReport, EachModeReportsTheLinesThatMadeTheFileMatch) {
  using Reports = std::map<std::string, std::vector<std::string>>;
  struct Row {
    const char* command;
    Reports reports;
  };
  const Row rows[] = {
      {"/*.txt/foo/", {{"a.txt", {"+", "2:foo bar", "3:three foo", "end"}}}},
      {"/*.txt/^ba|ETA/r",
       {{"a.txt", {"+", "4:baz", "end"}}, {"b.txt", {"+", "2:beta gamma", "end"}}}},
      // A match over lines: the line it starts on, once.
      {"/*.txt/bar\\s+three|r\\nthr/s", {{"a.txt", {"+", "2:foo bar", "end"}}}},
      {"/*.txt/gamma\\r\\nde|alpha|e$/m",
       {{"a.txt", {"+", "1:one", "end"}},
        {"b.txt", {"+", "1:alpha", "2:beta gamma", "end"}},
        {"c.txt", {"+", "1:nothing here", "end"}}}},
      // Word lists: the lines of the words that decided, never of excluded ones.
      {"/*.txt/+beta delta -zzz -one/a", {{"b.txt", {"+", "2:beta gamma", "3:delta", "end"}}}},
      {"/*.txt/+be.a \"d.l\" -foo/l", {{"b.txt", {"+", "2:beta gamma", "3:delta", "end"}}}},
      // A list of excluded words, and an inverse search, have no lines to
      // show. (The letter i stays set for the rows after it.)
      {"/*.txt/-foo/a", {{"b.txt", {""}}, {"c.txt", {""}}}},
      {"/*.txt/foo/i", {{"b.txt", {""}}, {"c.txt", {""}}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command);
    RecordingSink sink(Prefix());
    const std::vector<std::string> listed = Run(row.command, &sink);
    EXPECT_EQ(sink.reports, row.reports);
    EXPECT_EQ(listed, sink.order);  // reported as found, in the results' order
  }
}

TEST_F(MatchReport, HostWithoutSinkGetsTheSameResults) {
  RecordingSink sink(Prefix());
  const std::vector<std::string> with = Run("/*.txt/o/", &sink);
  EXPECT_EQ(Run("/*.txt/o/", nullptr), with);
  EXPECT_EQ(with.size(), 2u);
}

}  // namespace
