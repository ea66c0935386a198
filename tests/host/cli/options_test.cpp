// The program's arguments: the two ways to give the command, options in any
// place, and a one-line reason for everything it refuses.
#include "host/cli/options.hpp"

#include <gtest/gtest.h>

namespace {

using host::cli::ProgramOptions;
using Action = ProgramOptions::Action;

struct Parsed {
  bool ok;
  ProgramOptions options;
  std::string error;
};

Parsed Parse(std::vector<const char*> arguments) {
  Parsed parsed;
  parsed.ok = host::cli::ParseProgramOptions(arguments, &parsed.options, &parsed.error);
  return parsed;
}

// --- The command ---

TEST(ProgramOptions, CommandInOneOrTwoArguments) {
  struct Row {
    std::vector<const char*> arguments;
    const char* text;
  };
  const Row rows[] = {
      {{"ff:/*.txt/foo/"}, "/*.txt/foo/"},
      {{"ff: needle"}, " needle"},
      {{"FF:x"}, "x"},
      {{"ff", "/*.txt/foo/bar/"}, "/*.txt/foo/bar/"},
      {{"ff", "-C-x-y-"}, "-C-x-y-"},  // after the word, the text is never an option
      {{"ff:"}, ""},
      {{"ff"}, ""},
      {{"--", "ff:-y"}, "-y"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    Parsed parsed = Parse(row.arguments);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.action, Action::kCommandLine);
    EXPECT_EQ(parsed.options.command_text, row.text);
    EXPECT_TRUE(parsed.options.folder.empty());
  }
}

TEST(ProgramOptions, OptionsBeforeAndAfterTheCommand) {
  Parsed parsed = Parse({"-C", "/srv", "--select", "a.txt", "ff:/x/y/", "--select=b c",
                         "--registry=/tmp/r.db", "-y", "--set", "FSearchIn=4", "--threads=3"});
  ASSERT_TRUE(parsed.ok) << parsed.error;
  const ProgramOptions& o = parsed.options;
  EXPECT_EQ(o.folder, "/srv");
  EXPECT_EQ(o.selected, (std::vector<std::string>{"a.txt", "b c"}));
  EXPECT_TRUE(o.scope_selected);
  EXPECT_EQ(o.registry_file, "/tmp/r.db");
  EXPECT_TRUE(o.accept_dialogs);
  ASSERT_EQ(o.settings.size(), 2u);
  EXPECT_STREQ(o.settings[0].rule->name, "FSearchIn");
  EXPECT_EQ(o.settings[0].number, 4u);
  EXPECT_STREQ(o.settings[1].rule->name, "SearchThreads");  // --threads is that setting
  EXPECT_EQ(o.settings[1].number, 3u);
  EXPECT_EQ(o.command_text, "/x/y/");
}

TEST(ProgramOptions, HelpVersionAndNoCommand) {
  EXPECT_EQ(Parse({"ff:x", "--bogus", "-h"}).ok, false);  // read in order: the bad one first
  EXPECT_EQ(Parse({"ff:x", "--help"}).options.action, Action::kHelp);
  EXPECT_EQ(Parse({"-h", "--bogus"}).options.action, Action::kHelp);
  EXPECT_EQ(Parse({"--version"}).options.action, Action::kVersion);
  EXPECT_EQ(Parse({"--accept-dialogs"}).options.action, Action::kFullScreen);
  EXPECT_EQ(Parse({}).options.action, Action::kFullScreen);
}

TEST(ProgramOptions, UndoTakesAnOptionalRunNumber) {
  struct Row {
    std::vector<const char*> arguments;
    Action action;
    std::optional<int64_t> run;
  };
  const Row rows[] = {
      {{"--undo"}, Action::kUndo, std::nullopt},
      {{"--undo", "12"}, Action::kUndo, 12},
      {{"--undo=3"}, Action::kUndo, 3},
      {{"--undo", "-C", "x"}, Action::kUndo, std::nullopt},
      {{"--history"}, Action::kHistory, std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.arguments.size());
    Parsed parsed = Parse(row.arguments);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.action, row.action);
    EXPECT_EQ(parsed.options.undo_run, row.run);
  }
  EXPECT_FALSE(Parse({"--no-undo", "ff:x"}).options.record_undo);
  EXPECT_TRUE(Parse({"ff:x"}).options.record_undo);
}

// --- Refusals ---

TEST(ProgramOptions, RefusalsGiveOneLineReasons) {
  struct Row {
    std::vector<const char*> arguments;
    const char* error;
  };
  const Row rows[] = {
      {{"--bogus", "ff:x"}, "unknown option --bogus (try -h)"},
      {{"-Cdir", "ff:x"}, "unknown option -Cdir (try -h)"},
      {{"ff:x", "-C"}, "-C needs a value"},
      {{"--select=", "ff:x"}, "--select needs a value"},
      {{"--registry"}, "--registry needs a value"},
      {{"ff:a", "ff:b"}, "one ff command at a time; put the text in quotes"},
      {{"ff", "a", "b"}, "unexpected argument b; a command starts with ff:"},
      {{"search", "x"}, "unexpected argument search; a command starts with ff:"},
      {{"ffx"}, "unexpected argument ffx; a command starts with ff:"},
      {{"--set", "Nope=1", "ff:x"}, "--set: Nope is not a setting of the module"},
      {{"--set", "FSearchIn=9", "ff:x"}, "--set FSearchIn: the value must be a number from 0 to 4"},
      {{"--undo=x"}, "--undo x: not a run number (see --history)"},
      {{"--undo", "ff:x"}, "--undo and --history take no ff command"},
      {{"ff:x", "--history"}, "--undo and --history take no ff command"},
      {{"--threads", "many", "ff:x"},
       "--threads many: not a number of threads from 0 (one per processor) to 256"},
      {{"--threads=257", "ff:x"},
       "--threads 257: not a number of threads from 0 (one per processor) to 256"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.error);
    Parsed parsed = Parse(row.arguments);
    EXPECT_FALSE(parsed.ok);
    EXPECT_EQ(parsed.error, row.error);
    EXPECT_EQ(parsed.error.find('\n'), std::string::npos);
  }
}

}  // namespace
