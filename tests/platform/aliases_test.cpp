// Aliases for names the module cannot spell: every listed name leads back to
// its own entry and nowhere else, for as long as the entry exists.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/host_bridge.hpp"
#include "platform/win32.hpp"
#include "tests/support/temp_folder.hpp"

namespace {

namespace fs = std::filesystem;

// Module name -> real POSIX path of every entry listed in a folder.
std::map<std::string, std::string> Listed(const std::string& module_folder) {
  std::map<std::string, std::string> entries;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((module_folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return entries;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    EXPECT_EQ(entries.count(name), 0u) << "listed twice: " << name;
    std::string posix;
    EXPECT_TRUE(platform::ToPosixPath((module_folder + "\\" + name).c_str(), &posix)) << name;
    entries[name] = posix;
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return entries;
}

// The files a module walk reaches through listings alone (the way the
// module walks a scope), by real path; `depth` 0 is the folder only.
void Walk(const std::string& module_folder, int depth, std::multiset<std::string>* files) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((module_folder + "\\*").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE) << module_folder;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    const std::string child = module_folder + "\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (depth > 0) Walk(child, depth - 1, files);
      continue;
    }
    std::string posix;
    ASSERT_TRUE(platform::ToPosixPath(child.c_str(), &posix)) << child;
    files->insert(posix);
  } while (FindNextFileA(find, &data));
  FindClose(find);
}

std::multiset<std::string> PosixFiles(const std::string& root, int depth) {
  std::multiset<std::string> files;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::end(it); ++it) {
    if (it.depth() > depth) continue;
    if (it->is_regular_file()) files.insert(it->path().string());
  }
  return files;
}

// Appends a mark through the module path: the content is read and written
// back, as a replace rewrites a file.
bool AppendThroughModule(const std::string& module_path) {
  HANDLE reader = CreateFileA(module_path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (reader == INVALID_HANDLE_VALUE) return false;
  char buffer[256];
  DWORD read = 0;
  const bool got = ReadFile(reader, buffer, sizeof buffer, &read, nullptr);
  CloseHandle(reader);
  if (!got) return false;
  const std::string content = std::string(buffer, read) + "+";
  HANDLE writer = CreateFileA(module_path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (writer == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(writer, content.data(), static_cast<DWORD>(content.size()), &written,
                            nullptr) &&
                  written == content.size();
  CloseHandle(writer);
  return ok;
}

std::string AliasOf(const std::map<std::string, std::string>& listed, const std::string& posix) {
  for (const auto& [name, path] : listed) {
    if (path == posix) return name;
  }
  return "";
}

class AliasTest : public ::testing::Test {
 protected:
  void Make(const std::string& relative, const std::string& content = "v1\n") {
    fs::create_directories(fs::path(folder_.Posix(relative)).parent_path());
    WriteText(folder_.Posix(relative), content);
  }

  TempFolder folder_;
};

// ---------------------------------------------------------------------------
// Which names get an alias, and which alias
// ---------------------------------------------------------------------------

TEST_F(AliasTest, EveryListedNameLeadsBackToItsOwnEntry) {
  struct Row {
    const char* on_disk;
    const char* listed;  // "" where the number depends on listing order
  } rows[] = {
      {"plain.txt", "plain.txt"},
      {"\xaf\xa0\xaf\xaa\xa0", ""},  // not UTF-8 at all
      {"папка.txt", "\xaf\xa0\xaf\xaa\xa0.txt"},
      {"..\\outside", "..?outside~1"},
      {"a\\b.txt", "a?b~1.txt"},
      {"x\ny.txt", "x?y~1.txt"},
      {"\x1b[31mred", "?[31mred~1"},
      {".日", ".?~1"},  // a leading dot starts no extension
      {"t:a*b\"c<d>e|f", "t?a?b?c?d?e?f~1"},
      {"\xff\xfe.txt", ""},
      {"日本.txt", ""},
      {"中国.txt", ""},
      {"a?.txt", ""},
      {"aé.txt", ""},
      {"a€.txt", ""},
      {"a?~1.txt", "a?~1~1.txt"},  // the real name that one of the aliases would be
  };
  for (const Row& row : rows) Make(row.on_disk, row.on_disk);
  const std::map<std::string, std::string> listed = Listed(folder_.Module());
  ASSERT_EQ(listed.size(), std::size(rows));
  std::set<std::string> reached;
  for (const Row& row : rows) {
    SCOPED_TRACE(platform::EscapeForDisplay(row.on_disk));
    const std::string posix = folder_.Posix(row.on_disk);
    const std::string alias = AliasOf(listed, posix);
    ASSERT_FALSE(alias.empty());
    if (*row.listed) {
      EXPECT_EQ(alias, row.listed);
    }
    EXPECT_EQ(alias.find_first_of("\\/"), std::string::npos);
    EXPECT_NE(alias, "..");
    EXPECT_EQ(ReadText(posix), row.on_disk);
    reached.insert(posix);
  }
  EXPECT_EQ(reached.size(), std::size(rows));
  // Names that read the same share their lossy text and differ in number.
  for (const char* alias : {"??~1.txt", "??~2.txt", "??~3.txt", "a?~2.txt", "a?~3.txt",
                            "a?~4.txt"}) {
    EXPECT_EQ(listed.count(alias), 1u) << alias;
  }
}

TEST_F(AliasTest, WalkAtEveryScopeReachesEachFileOnceAndStaysInside) {
  // A file and a folder named with "\" that read like a way out, a file
  // named like a path beside that path, and folders that read the same.
  Make("outside/secret.txt");
  Make("inner/mine.txt");
  Make("inner/..\\outside\\secret.txt");
  Make("inner/..\\outside/secret.txt");
  Make("inner/a\\b.txt");
  Make("inner/a/b.txt");
  Make("inner/d?/f.txt");
  Make("inner/dé/f.txt");
  Make("inner/d€/g/f.txt");
  const std::string inner = folder_.Posix("inner");
  for (int depth : {0, 1, 8}) {
    SCOPED_TRACE(depth);
    std::multiset<std::string> walked;
    Walk(folder_.Module("inner"), depth, &walked);
    EXPECT_EQ(walked, PosixFiles(inner, depth));
  }
  std::multiset<std::string> walked;
  Walk(folder_.Module("inner"), 8, &walked);
  for (const std::string& posix : walked) {
    const std::string module_path = platform::ToModulePath(posix);
    EXPECT_TRUE(AppendThroughModule(module_path)) << module_path;
  }
  for (const std::string& posix : PosixFiles(inner, 8)) EXPECT_EQ(ReadText(posix), "v1\n+");
  EXPECT_EQ(ReadText(folder_.Posix("outside/secret.txt")), "v1\n");
}

// ---------------------------------------------------------------------------
// Lifetime
// ---------------------------------------------------------------------------

TEST_F(AliasTest, StaleAliasFindsNothingEvenWhenTheNameComesBack) {
  Make("日本.txt", "nihon");
  Make("中国.txt", "chugoku");
  const std::map<std::string, std::string> listed = Listed(folder_.Module());
  const std::string gone = AliasOf(listed, folder_.Posix("日本.txt"));
  const std::string kept = AliasOf(listed, folder_.Posix("中国.txt"));
  ASSERT_FALSE(gone.empty());
  ASSERT_EQ(unlink(folder_.Posix("日本.txt").c_str()), 0);
  Make("日本.txt", "a new file under the old name");
  std::string posix;
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(platform::ToPosixPath(folder_.Module(gone).c_str(), &posix));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(CreateFileA(folder_.Module(gone).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                        nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  WIN32_FIND_DATAA data;
  EXPECT_EQ(FindFirstFileA(folder_.Module(gone).c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(MoveFileA(folder_.Module(gone).c_str(), folder_.Module("moved").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  // The other file keeps its alias; the new one gets an alias never used.
  const std::map<std::string, std::string> again = Listed(folder_.Module());
  EXPECT_EQ(again.at(kept), folder_.Posix("中国.txt"));
  EXPECT_EQ(again.count(gone), 0u);
  EXPECT_EQ(ReadText(folder_.Posix("日本.txt")), "a new file under the old name");
}

TEST_F(AliasTest, ReplacingAndRenamingWorkOnTheRealFile) {
  Make("日本.txt", "old");
  Make("new.tmp", "new");
  const std::string alias = folder_.Module(AliasOf(Listed(folder_.Module()),
                                                   folder_.Posix("日本.txt")));
  ASSERT_TRUE(ReplaceFileA(alias.c_str(), folder_.Module("new.tmp").c_str(), nullptr, 0, nullptr,
                           nullptr));
  EXPECT_EQ(ReadText(folder_.Posix("日本.txt")), "new");
  std::string posix;
  ASSERT_TRUE(platform::ToPosixPath(alias.c_str(), &posix));  // the alias follows the new inode
  EXPECT_EQ(posix, folder_.Posix("日本.txt"));
  // Renaming to a name that cannot be spelt stays refused.
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(MoveFileA(alias.c_str(), folder_.Module("??~9.txt").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
  ASSERT_TRUE(MoveFileA(alias.c_str(), folder_.Module("nihon.txt").c_str()));
  EXPECT_EQ(ReadText(folder_.Posix("nihon.txt")), "new");
  EXPECT_FALSE(Exists(folder_.Posix("日本.txt")));
  EXPECT_FALSE(platform::ToPosixPath(alias.c_str(), &posix));
  Make("中国.txt");
  const std::string other = folder_.Module(AliasOf(Listed(folder_.Module()),
                                                   folder_.Posix("中国.txt")));
  ASSERT_TRUE(MoveFileExA(other.c_str(), folder_.Module("nihon.txt").c_str(),
                          MOVEFILE_REPLACE_EXISTING));
  EXPECT_FALSE(Exists(folder_.Posix("中国.txt")));
}

TEST_F(AliasTest, AliasOnSymbolicLinkNamesTheLinkAndReadsItsTarget) {
  Make("target.txt", "through the link");
  ASSERT_EQ(symlink("target.txt", folder_.Posix("lé").c_str()), 0);
  const std::map<std::string, std::string> listed = Listed(folder_.Module());
  ASSERT_EQ(listed.count("l?~1"), 1u);
  EXPECT_EQ(listed.at("l?~1"), folder_.Posix("lé"));
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(folder_.Module("l?~1").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  FindClose(find);
  EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
  EXPECT_STREQ(data.cFileName, "l?~1");
  EXPECT_TRUE(AppendThroughModule(folder_.Module("l?~1")));
  EXPECT_EQ(ReadText(folder_.Posix("target.txt")), "through the link+");
  // A new link under the same name is another entry: the alias is stale.
  ASSERT_EQ(unlink(folder_.Posix("lé").c_str()), 0);
  ASSERT_EQ(symlink("elsewhere", folder_.Posix("lé").c_str()), 0);
  std::string posix;
  EXPECT_FALSE(platform::ToPosixPath(folder_.Module("l?~1").c_str(), &posix));
}

// ---------------------------------------------------------------------------
// The host's view
// ---------------------------------------------------------------------------

TEST_F(AliasTest, ModulePathOfARealPathIsItsAliasAndBack) {
  Make("日本/中国.txt");
  const std::string real = folder_.Posix("日本/中国.txt");
  const std::string module_path = platform::ToModulePath(real);
  EXPECT_EQ(module_path, folder_.Module("??~1\\??~1.txt"));
  std::string posix;
  ASSERT_TRUE(platform::ToPosixPath(module_path.c_str(), &posix));
  EXPECT_EQ(posix, real);
}

TEST(DisplayText, ControlCharactersAndBadBytesAreEscaped) {
  struct Row {
    const char* real;
    const char* shown;
  } rows[] = {
      {"plain/日本.txt", "plain/日本.txt"},
      {"a\nb", "a\\x0Ab"},
      {"\x1b[31mred", "\\x1B[31mred"},
      {"del\x7f", "del\\x7F"},
      {"c1\xc2\x9b", "c1\\u009B"},
      {"\xff\xfe.txt", "\\xFF\\xFE.txt"},
      {"tab\there", "tab\\x09here"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.shown);
    EXPECT_EQ(platform::EscapeForDisplay(row.real), row.shown);
  }
}

}  // namespace
