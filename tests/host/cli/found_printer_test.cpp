// What the finderix program prints as it finds, run as a child process:
// --lines against grep -n on a tree of code page 866 and Windows-1251
// files (grep reading a UTF-8 copy of each), found paths arriving while the
// walk still goes on, and paths ended by zero bytes.
#include <fcntl.h>
#include <iconv.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "tests/support/temp_folder.hpp"

namespace {

namespace fs = std::filesystem;

std::string Encode(const std::string& utf8, const char* code_page) {
  iconv_t convert = iconv_open(code_page, "UTF-8");
  std::string out(utf8.size() * 2 + 1, '\0');
  char* in_at = const_cast<char*>(utf8.data());
  char* out_at = out.data();
  size_t in_left = utf8.size(), out_left = out.size();
  const size_t done = iconv(convert, &in_at, &in_left, &out_at, &out_left);
  iconv_close(convert);
  EXPECT_NE(done, static_cast<size_t>(-1)) << utf8;
  out.resize(out.size() - out_left);
  return out;
}

// A child running `command` in `folder`, its standard output on a pipe.
struct Child {
  pid_t pid;
  std::FILE* out;
};

Child Start(const std::vector<std::string>& command, const std::string& folder) {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return {-1, nullptr};
  fcntl(pipe_ends[1], F_SETPIPE_SZ, 4096);
  pid_t pid = fork();
  if (pid == 0) {
    int none = open("/dev/null", O_RDWR);
    dup2(none, 0);
    dup2(pipe_ends[1], 1);
    dup2(none, 2);
    close(pipe_ends[0]);
    if (chdir(folder.c_str()) != 0) _exit(126);
    setenv("LC_ALL", "C.UTF-8", 1);
    std::vector<char*> argv;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(pipe_ends[1]);
  return {pid, fdopen(pipe_ends[0], "r")};
}

std::string ReadAll(std::FILE* in) {
  std::string text;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) text.append(buffer, n);
  return text;
}

int Finish(Child child) {
  std::fclose(child.out);
  int status = 0;
  waitpid(child.pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string RunChild(const std::vector<std::string>& command, const std::string& folder,
                int* status = nullptr) {
  Child child = Start(command, folder);
  std::string text = ReadAll(child.out);
  const int ended = Finish(child);
  if (status) *status = ended;
  return text;
}

// "PATH:LINE:TEXT" lines with the tree's path cut to a relative one, sorted.
std::vector<std::string> RelativeLines(const std::string& printed, const std::string& root) {
  std::vector<std::string> lines;
  size_t from = 0;
  for (size_t end; (end = printed.find('\n', from)) != std::string::npos; from = end + 1) {
    std::string line = printed.substr(from, end - from);
    for (const std::string& prefix : {root + "/", std::string("./")})
      if (line.rfind(prefix, 0) == 0) line.erase(0, prefix.size());
    lines.push_back(line);
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

// Files of Russian and English words, each stored in code page 866 or
// Windows-1251 under `stored`, and as UTF-8 under `utf8` for grep. The words
// avoid the few letters whose bytes in one code page spell a letter of
// the search in the other. A line is shown in the table its match was found
// through, so the searches find Russian words: a match of ASCII letters
// alone is found in code page 866 first, whatever the file's code page.
void GenerateTree(const std::string& stored, const std::string& utf8, unsigned seed) {
  const char* words[] = {"привет", "ПРИВЕТ", "Привет", "мир",   "приход", "дом",
                         "ПриХод", "кот",    "needle", "NeeDle", "neeedle", "hay",
                         "при",    "вет",    "стог",   "Игла"};
  const char* folders[] = {"", "a/", "a/b/", "c/"};
  std::mt19937 random(seed);
  auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
  for (int i = 0; i < 40; i++) {
    const std::string name = folders[pick(4)] + std::string("f") + std::to_string(i) + ".txt";
    std::string text;
    for (size_t l = 0, lines = pick(8); l < lines; l++) {
      for (size_t w = 0, count = 1 + pick(5); w < count; w++)
        text += std::string(w ? (pick(3) ? " " : "\t") : "") + words[pick(16)];
      if (l + 1 < lines || pick(2)) text += "\n";
    }
    for (const auto& [root, bytes] :
         {std::pair{stored, Encode(text, pick(2) ? "CP866" : "CP1251")}, std::pair{utf8, text}}) {
      fs::create_directories(fs::path(root + "/" + name).parent_path());
      WriteText(root + "/" + name, bytes);
    }
  }
}

class FoundPrinter : public testing::Test {
 protected:
  std::vector<std::string> Finder(std::vector<std::string> arguments) {
    std::vector<std::string> command = {FINDERIX_PROGRAM_PATH, "--registry",
                                        folder_.Posix("registry.db")};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
  }

  TempFolder folder_;
};

TEST_F(FoundPrinter, LinesAreWhatGrepPrintsForTheUtf8Copies) {
  const std::string stored = folder_.Posix("stored"), utf8 = folder_.Posix("utf8");
  GenerateTree(stored, utf8, 11);
  struct Row {
    const char* command;
    std::vector<std::string> grep;
  };
  const Row rows[] = {
      {"ff:/*/привет/pC", {"grep", "-rniF", "привет", "."}},
      {"ff:/*/Привет/pc", {"grep", "-rnF", "Привет", "."}},
      {"ff:/*/при(вет|ход)|и+гла/rC", {"grep", "-rniE", "при(вет|ход)|и+гла", "."}},
      {"ff:/*/^при\\s|дом$/rc", {"grep", "-rnE", "^при\\s|дом$", "."}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command);
    int status = -1;
    const std::string printed =
        RunChild(Finder({"--set", "FAllCharTables=1", "--lines", "-C", stored, row.command}), stored,
            &status);
    const std::string expected = RunChild(row.grep, utf8);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(status, 0);
    EXPECT_EQ(RelativeLines(printed, stored), RelativeLines(expected, utf8));
  }
}

TEST_F(FoundPrinter, FirstPathArrivesWhileTheWalkGoesOn) {
  // The folder's own files are printed before its subfolder is listed, and
  // their paths fill far more than the pipe (cut to one page) holds: a
  // program that printed at the end could not print the first path before
  // the walk had listed "zz". There are more of them than a search on two
  // threads queues ahead of what it has printed.
  const std::string tree = folder_.Posix("tree");
  const std::string padding(200, 'x');
  fs::create_directories(tree + "/zz");
  for (int i = 0; i < 1200; i++)
    WriteText(tree + "/" + padding + std::to_string(i) + ".txt", "a needle\n");
  Child child = Start(Finder({"--threads", "2", "-C", tree, "ff:/*/needle/"}), tree);
  char first[512] = "";
  ASSERT_TRUE(std::fgets(first, sizeof first, child.out));
  EXPECT_EQ(std::string(first).rfind(tree + "/" + padding, 0), 0u) << first;
  WriteText(tree + "/zz/late.txt", "needle\n");
  const std::string rest = ReadAll(child.out);
  EXPECT_EQ(Finish(child), 0);
  EXPECT_NE(rest.find(tree + "/zz/late.txt\n"), std::string::npos);
}

TEST_F(FoundPrinter, NullEndsPathsAndLeavesTheirBytesAsTheyAre) {
  const std::string tree = folder_.Posix("tree");
  fs::create_directories(tree);
  WriteText(tree + "/two\nlines.txt", "x\nneedle\n");
  const std::string real = tree + "/two\nlines.txt";
  EXPECT_EQ(RunChild(Finder({"-C", tree, "-0", "ff:/*/needle/"}), tree), real + '\0');
  EXPECT_EQ(RunChild(Finder({"-C", tree, "--null", "--lines", "ff:/*/needle/"}), tree),
            real + '\0' + "2:needle\n");
  EXPECT_EQ(RunChild(Finder({"-C", tree, "--lines", "ff:/*/needle/"}), tree),
            tree + "/two\\x0Alines.txt:2:needle\n");
}

}  // namespace
