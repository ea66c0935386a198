// What a line on the panels' command line asks for.
#include "host/app/command.hpp"

#include <gtest/gtest.h>

namespace {

using host::app::Command;
using host::app::ParseCommand;
using Kind = Command::Kind;

TEST(Command, PrefixCdAndShellLines) {
  struct Row {
    const char* line;
    Kind kind;
    const char* argument;
  };
  const Row rows[] = {
      {"ff: hello", Kind::kModule, " hello"},  // the blank form keeps its blank
      {"FF:/*.txt/a/b/", Kind::kModule, "/*.txt/a/b/"},
      {"  ff:/x/y/  ", Kind::kModule, "/x/y/"},
      {"ff:", Kind::kModule, ""},  // the module says what is missing
      {"ffx: a", Kind::kShell, "ffx: a"},
      {"cd", Kind::kChangeFolder, ""},
      {"cd sub dir", Kind::kChangeFolder, "sub dir"},
      {"cd \"two words\"", Kind::kChangeFolder, "two words"},
      {"cdrom", Kind::kShell, "cdrom"},
      {"ls -l", Kind::kShell, "ls -l"},
      {"   ", Kind::kNone, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    Command command = ParseCommand(row.line, "ff");
    EXPECT_EQ(command.kind, row.kind);
    EXPECT_EQ(command.argument, row.argument);
  }
}

TEST(Command, WithoutAPrefixEverythingGoesToTheShell) {
  EXPECT_EQ(ParseCommand(":x", "").kind, Kind::kShell);
}

}  // namespace
