// UTF-8 files through the whole program: a Cyrillic query typed once finds
// its sentence in UTF-8 as it does in the single-byte code pages, in every
// search mode; replaces give byte for byte what perl gives on the decoded
// text; and files that are not quite UTF-8 are left to the single-byte
// searches.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/win32.hpp"
#include "tests/support/program_run.hpp"
#include "tests/support/temp_folder.hpp"

namespace {

namespace fs = std::filesystem;

const std::string kSentence = "Съешь же ещё этих мягких французских булок, да выпей чаю.\n";

std::string Encoded(const std::string& utf8, UINT code_page) {
  std::wstring wide(utf8.size(), L'\0');
  wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                  wide.data(), static_cast<int>(wide.size())));
  std::string text(wide.size(), '\0');
  text.resize(WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()),
                                  text.data(), static_cast<int>(text.size()), nullptr, nullptr));
  return text;
}

// UTF-8 files with characters code page 866 lacks (CJK, emoji, Greek, a
// byte order mark) right beside the words the commands look for.
const std::map<std::string, std::string> kUtf8Files = {
    {"utf8.txt", kSentence + "Ёжик: ФРАНЦУЗСКИХ булок😀中 нет.\n"},
    {"bom.txt",
     "\xEF\xBB\xBF中文 французских булок🙂, да ещё.\r\nα и ω: да мягких французских "
     "булок\n"},
    {"cjk.txt", "мир中文мир\n"},
};

// The sentence in UTF-8 with one flaw each: single-byte files to the module.
const std::map<std::string, std::string> kFlawedFiles = {
    {"flaw_invalid.txt", kSentence + "\xFF\n"},
    {"flaw_overlong.txt", kSentence + "\xC0\xAF\n"},
    {"flaw_surrogate.txt", kSentence + "\xED\xA0\x80\n"},
    {"flaw_truncated.txt", kSentence + "\xD0"},
};

class Utf8Files : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(Scratch());
    MakeTree(Tree());
  }

  void MakeTree(const std::string& root) {
    fs::create_directories(root);
    for (const auto& files : {kUtf8Files, kFlawedFiles})
      for (const auto& [name, content] : files) WriteText(root + "/" + name, content);
    WriteText(root + "/cp866.txt", Encoded(kSentence, 866));
    WriteText(root + "/cp1251.txt", Encoded(kSentence, 1251));
    WriteText(root + "/koi8.txt", Encoded(kSentence, 20866));
    WriteText(root + "/ascii.txt", "nothing to see\n");
  }

  std::string Tree() const { return folder_.Posix("tree"); }
  std::string Copy() const { return folder_.Posix("copy"); }
  std::string Scratch() const { return folder_.Posix("scratch"); }

  Outcome Finder(std::vector<std::string> arguments) {
    std::vector<std::string> command = {FINDERIX_PROGRAM_PATH, "--registry",
                                        folder_.Posix("registry.db"), "-C", Tree()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return RunProgram(command, Scratch(), Scratch());
  }

  // The names of the listed files, sorted.
  std::vector<std::string> Listed(const Outcome& run) {
    std::vector<std::string> names;
    for (size_t at = 0; at < run.out.size();) {
      size_t end = run.out.find('\n', at);
      names.push_back(fs::path(run.out.substr(at, end - at)).filename().string());
      at = end + 1;
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  TempFolder folder_;
};

// --- Search ---

TEST_F(Utf8Files, CaselessWordFindsUtf8AndOemFilesInEveryModeAndAllFourWithEveryTable) {
  const struct {
    const char* command;
    bool tables_tried;  // a pattern over the whole file tries no other table
  } rows[] = {
      {"ff:/*/ФРАНЦУЗСКИХ/C", true},
      {"ff:|*|мягких\\s+ФРАНЦ\\w+|rC", true},
      {"ff:|*|ФРАНЦ\\w+\\s+булок|sC", true},
      {"ff:|*|ФРАНЦ\\w+\\s+булок|mC", false},
      {"ff:|*|+ФРАНЦУЗСКИХ -китайских|aC", true},
      {"ff:|*|+франц\\w+ булок|lC", true},
  };
  const std::vector<std::string> oem_and_utf8 = {"bom.txt", "cp866.txt", "utf8.txt"};
  const std::vector<std::string> every_table = {"bom.txt", "cp1251.txt", "cp866.txt", "koi8.txt",
                                                "utf8.txt"};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.command);
    Outcome found = Finder({row.command});
    EXPECT_EQ(found.status, 0) << found.err;
    EXPECT_EQ(Listed(found), oem_and_utf8);
    Outcome all = Finder({"--set", "FAllCharTables=1", row.command});
    EXPECT_EQ(Listed(all), row.tables_tried ? every_table : oem_and_utf8);
  }
}

// --- Replace against perl ---

// Every file as it is, by name.
std::map<std::string, std::string> Contents(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(root))
    files[entry.path().filename().string()] = ReadText(entry.path().string());
  return files;
}

TEST_F(Utf8Files, ReplaceGivesWhatPerlGivesOnUtf8FilesAndLeavesFlawedOnesAlone) {
  const struct {
    const char* command;
    const char* perl;
  } rows[] = {
      {"ff:/*.txt/французских/английских/c", "s/французских/английских/g"},
      {"ff:/*.txt/ФРАНЦУЗСКИХ/немецких/C", "s/ФРАНЦУЗСКИХ/немецких/gi"},
      {"ff:#*.txt#(мяг)(ких) (\\w+)#\\U$3\\E $2$1#rc", "s/(мяг)(ких) (\\w+)/\\U$3\\E $2$1/g"},
      {"ff:#*.txt#(булок)(..)#$2<$1>#rc", "s/(булок)(..)/$2<$1>/g"},
      {"ff:#*.txt#(да) (\\w)#\\u$2 \\l$1#sc", "s/(да) (\\w)/\\u$2 \\l$1/g"},
      {"ff:#*.txt#мир(.)#[\\U$1\\E]#rc", "s/мир(.)/[\\U$1\\E]/g"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.command);
    fs::remove_all(Tree());
    fs::remove_all(Copy());
    MakeTree(Tree());
    MakeTree(Copy());
    const std::map<std::string, std::string> before = Contents(Tree());
    Outcome run = Finder({row.command});
    EXPECT_EQ(run.status, 0) << run.err;

    std::vector<std::string> perl = {"perl", "-CSD", "-Mutf8", "-pi", "-e", row.perl};
    for (const auto& [name, content] : kUtf8Files) perl.push_back(name);
    ASSERT_EQ(RunProgram(perl, Copy(), Scratch()).status, 0);
    const std::map<std::string, std::string> after = Contents(Tree()), expected = Contents(Copy());
    for (const auto& [name, content] : kUtf8Files)
      EXPECT_EQ(after.at(name), expected.at(name)) << name;
    for (const auto& [name, content] : kFlawedFiles)
      EXPECT_EQ(after.at(name), before.at(name)) << name;
  }
}

}  // namespace
