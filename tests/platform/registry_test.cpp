// The registry calls against Windows' contract: values and keys round-trip,
// buffers are probed at their edges, names ignore ASCII case, and the
// database survives restarts, concurrent writers, damage and missing rights.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/host_bridge.hpp"
#include "platform/win32.hpp"
#include "tests/support/damaged_registry.hpp"
#include "tests/support/temp_folder.hpp"

namespace {

constexpr DWORD kUntouchedError = 0xdeadbeef;
constexpr uid_t kNobody = 65534;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& bytes, std::streamoff offset = 0) {
  std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
  out.seekp(offset);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/registry_test.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = dir_ + "/registry.db";
    platform::SetRegistryFile(path_);
  }
  void TearDown() override {
    platform::CloseRegistry();
    std::filesystem::remove_all(dir_);
  }

  // Creates (or opens) a key below HKEY_CURRENT_USER; the test fails if it cannot.
  HKEY Create(const char* path, DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, disposition),
              ERROR_SUCCESS)
        << path;
    return key;
  }

  static void SetDword(HKEY key, const char* name, DWORD value) {
    ASSERT_EQ(RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                             sizeof value),
              ERROR_SUCCESS);
  }

  static std::vector<std::string> Subkeys(HKEY key) {
    std::vector<std::string> names;
    char name[256];
    for (DWORD size = sizeof name;
         RegEnumKeyExA(key, static_cast<DWORD>(names.size()), name, &size, nullptr, nullptr,
                       nullptr, nullptr) == ERROR_SUCCESS;
         size = sizeof name) {
      names.emplace_back(name, size);
    }
    return names;
  }

  // Runs `check` in a child process that has given up root; returns its exit status.
  static int RunAsNobody(const std::function<int()>& check) {
    pid_t child = fork();
    if (child == 0) {
      if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(100);
      _exit(check());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string dir_;
  std::string path_;
};

// ---------------------------------------------------------------------------
// Values
// ---------------------------------------------------------------------------

TEST_F(RegistryTest, ValuesRoundTripByteForByte) {
  const DWORD big = 0xFFFFFFFFu;
  const DWORD zero = 0;
  struct Row {
    const char* name;
    DWORD type;
    std::string bytes;
  };
  const Row rows[] = {
      {"Zero", REG_DWORD, std::string(reinterpret_cast<const char*>(&zero), 4)},
      {"Big", REG_DWORD, std::string(reinterpret_cast<const char*>(&big), 4)},
      {"Ascii", REG_SZ, std::string("*.txt\0", 6)},
      {"OemCyrillic", REG_SZ, std::string("\x8f\xe0\xa8\xa2\xa5\xe2 \xac\xa8\xe0\0", 11)},
      {"Empty", REG_SZ, std::string("\0", 1)},
      {"", REG_SZ, std::string("default value\0", 14)},
      {"Binary", REG_BINARY, std::string("\0\xff\0\x01", 4)},
      {"NoBytes", REG_BINARY, std::string()},
  };
  HKEY key = Create("Software\\Far\\Plugins\\Finderix");
  SetLastError(kUntouchedError);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_EQ(RegSetValueExA(key, row.name, 0, row.type,
                             reinterpret_cast<const BYTE*>(row.bytes.data()),
                             static_cast<DWORD>(row.bytes.size())),
              ERROR_SUCCESS);
  }
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    DWORD type = REG_NONE;
    BYTE data[64];
    DWORD size = sizeof data;
    ASSERT_EQ(RegQueryValueExA(key, row.name, nullptr, &type, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, row.type);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), row.bytes);
  }
  EXPECT_EQ(GetLastError(), kUntouchedError);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryTest, SetValueReplacesTypeAndDataUnderAnyCaseOfTheName) {
  HKEY key = Create("Software");
  SetDword(key, "FMask", 7);
  const char text[] = "*.cpp";
  ASSERT_EQ(RegSetValueExA(key, "FMASK", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                           sizeof text),
            ERROR_SUCCESS);
  DWORD type = REG_NONE;
  char data[16] = {};
  DWORD size = sizeof data;
  ASSERT_EQ(RegQueryValueExA(key, "fmask", nullptr, &type, reinterpret_cast<BYTE*>(data), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, sizeof text);
  EXPECT_STREQ(data, text);
  RegCloseKey(key);
}

TEST_F(RegistryTest, DwordOfOtherThanFourBytesIsRefused) {
  HKEY key = Create("Software");
  const BYTE bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  for (DWORD size : {0u, 3u, 5u, 8u}) {
    SCOPED_TRACE(size);
    EXPECT_EQ(RegSetValueExA(key, "Count", 0, REG_DWORD, bytes, size), ERROR_INVALID_PARAMETER);
  }
  EXPECT_EQ(RegQueryValueExA(key, "Count", nullptr, nullptr, nullptr, nullptr),
            ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST_F(RegistryTest, QueryProbesTheSizeAtItsEdges) {
  HKEY key = Create("Software");
  const std::string text("Replace\0", 8);
  ASSERT_EQ(RegSetValueExA(key, "FRReplace", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(text.data()), 8),
            ERROR_SUCCESS);
  DWORD size = 1;
  DWORD type = REG_NONE;
  EXPECT_EQ(RegQueryValueExA(key, "FRReplace", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

  for (DWORD given : {9u, 8u}) {
    SCOPED_TRACE(given);
    char data[16];
    size = given;
    EXPECT_EQ(RegQueryValueExA(key, "FRReplace", nullptr, nullptr, reinterpret_cast<BYTE*>(data),
                               &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(std::string(data, 8), text);
  }
  for (DWORD given : {7u, 0u}) {
    SCOPED_TRACE(given);
    char data[16];
    std::memset(data, 'x', sizeof data);
    size = given;
    type = REG_NONE;
    EXPECT_EQ(RegQueryValueExA(key, "FRReplace", nullptr, &type, reinterpret_cast<BYTE*>(data),
                               &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::string(data, sizeof data), std::string(sizeof data, 'x'));
  }
  RegCloseKey(key);
}

TEST_F(RegistryTest, MissingValueFailsAndLeavesOutputsAlone) {
  HKEY key = Create("Software");
  DWORD type = 77;
  BYTE data[4] = {9, 9, 9, 9};
  DWORD size = sizeof data;
  EXPECT_EQ(RegQueryValueExA(key, "Absent", nullptr, &type, data, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(type, 77u);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(data[0], 9);
  EXPECT_EQ(RegDeleteValueA(key, "Absent"), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST_F(RegistryTest, DeleteValueIgnoresCaseAndRemovesIt) {
  HKEY key = Create("Software");
  SetDword(key, "SeveralLines", 5);
  EXPECT_EQ(RegDeleteValueA(key, "SEVERALLINES"), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(key, "SeveralLines", nullptr, nullptr, nullptr, nullptr),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueA(key, "SeveralLines"), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

// ---------------------------------------------------------------------------
// Keys
// ---------------------------------------------------------------------------

TEST_F(RegistryTest, CreateKeyMakesEveryMissingComponentAndReportsDisposition) {
  DWORD disposition = 0;
  HKEY deep = Create("Software\\Far\\Plugins", &disposition);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  HKEY again = Create("SOFTWARE\\far\\plugins\\", &disposition);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  SetDword(deep, "Shared", 1);
  EXPECT_EQ(RegQueryValueExA(again, "shared", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);

  HKEY middle = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\FAR", 0, KEY_READ, &middle),
            ERROR_SUCCESS);
  EXPECT_EQ(Subkeys(middle), std::vector<std::string>{"Plugins"});
  for (HKEY key : {deep, again, middle}) EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryTest, EmptyOrNullSubKeyOpensTheKeyItself) {
  HKEY key = Create("Software");
  SetDword(key, "Marker", 1);
  for (const char* sub_key : {"", static_cast<const char*>(nullptr)}) {
    HKEY same = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(key, sub_key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &same,
                              &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    EXPECT_EQ(RegQueryValueExA(same, "Marker", nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(same);
  }
  RegCloseKey(key);
}

TEST_F(RegistryTest, OpenMissingKeyFailsAndLeavesResultAlone) {
  HKEY untouched = reinterpret_cast<HKEY>(0x1234);
  HKEY key = untouched;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Absent", 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, untouched);
  EXPECT_TRUE(Subkeys(HKEY_CURRENT_USER).empty());  // a failed open creates nothing
}

TEST_F(RegistryTest, BadKeyPathsAreRefused) {
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "\\Software", 0, nullptr, 0, 0, nullptr, &key,
                            nullptr),
            ERROR_BAD_PATHNAME);
  const std::string longest(255, 'k');
  const std::string too_long(256, 'k');
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, too_long.c_str(), 0, nullptr, 0, 0, nullptr, &key,
                            nullptr),
            ERROR_INVALID_PARAMETER);
  HKEY made = Create(longest.c_str());
  EXPECT_EQ(Subkeys(HKEY_CURRENT_USER), std::vector<std::string>{longest});
  RegCloseKey(made);
}

TEST_F(RegistryTest, SubkeysEnumerateInCaseInsensitiveNameOrder) {
  HKEY parent = Create("Presets");
  for (const char* name : {"delta", "Bravo", "alpha", "Charlie", "bravo2", "_under"}) {
    HKEY child = nullptr;
    ASSERT_EQ(RegCreateKeyExA(parent, name, 0, nullptr, 0, 0, nullptr, &child, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(child);
  }
  // Windows compares upper-cased names, so '_' (0x5F) sorts after the letters.
  const std::vector<std::string> expected = {"alpha", "Bravo", "bravo2", "Charlie", "delta",
                                             "_under"};
  EXPECT_EQ(Subkeys(parent), expected);
  char name[8];
  DWORD size = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(parent, 6, name, &size, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
  RegCloseKey(parent);
}

TEST_F(RegistryTest, EnumerationNameBufferMustHoldTheTerminator) {
  HKEY parent = Create("Kinds");
  RegCloseKey(Create("Kinds\\Presets"));
  char name[16];
  std::memset(name, 'x', sizeof name);
  DWORD size = 7;  // "Presets" without room for its zero
  EXPECT_EQ(RegEnumKeyExA(parent, 0, name, &size, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);
  EXPECT_EQ(name[0], 'x');
  size = 8;
  char class_name[4] = "abc";
  DWORD class_size = sizeof class_name;
  FILETIME written = {1, 1};
  EXPECT_EQ(RegEnumKeyExA(parent, 0, name, &size, nullptr, class_name, &class_size, &written),
            ERROR_SUCCESS);
  EXPECT_EQ(size, 7u);
  EXPECT_STREQ(name, "Presets");
  EXPECT_STREQ(class_name, "");
  EXPECT_EQ(class_size, 0u);
  RegCloseKey(parent);
}

// ---------------------------------------------------------------------------
// Deleting keys and stale handles
// ---------------------------------------------------------------------------

TEST_F(RegistryTest, DeleteKeyRefusesAKeyWithSubkeys) {
  RegCloseKey(Create("Presets\\Mine"));
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Presets"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "presets\\MINE"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Presets"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Presets"), ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(Subkeys(HKEY_CURRENT_USER).empty());
}

TEST_F(RegistryTest, DeletedKeyTakesItsValuesAlong) {
  HKEY key = Create("Preset");
  SetDword(key, "IsRegExp", 1);
  RegCloseKey(key);
  ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Preset"), ERROR_SUCCESS);
  DWORD disposition = 0;
  key = Create("Preset", &disposition);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  EXPECT_EQ(RegQueryValueExA(key, "IsRegExp", nullptr, nullptr, nullptr, nullptr),
            ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST_F(RegistryTest, HandleToADeletedKeyReportsKeyDeletedEvenAfterItIsRecreated) {
  HKEY stale = Create("Preset");
  ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Preset"), ERROR_SUCCESS);
  HKEY fresh = Create("Preset");
  const DWORD one = 1;
  EXPECT_EQ(RegSetValueExA(stale, "X", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4),
            ERROR_KEY_DELETED);
  EXPECT_EQ(RegQueryValueExA(stale, "X", nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
  EXPECT_EQ(RegQueryValueExA(fresh, "X", nullptr, nullptr, nullptr, nullptr),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(stale), ERROR_SUCCESS);
  RegCloseKey(fresh);
}

TEST_F(RegistryTest, UnknownAndClosedHandlesAreInvalid) {
  HKEY closed = Create("Software");
  ASSERT_EQ(RegCloseKey(closed), ERROR_SUCCESS);
  char name[8];
  for (HKEY key : {closed, static_cast<HKEY>(nullptr), reinterpret_cast<HKEY>(0x1234)}) {
    SCOPED_TRACE(key);
    HKEY out = nullptr;
    DWORD size = sizeof name;
    EXPECT_EQ(RegOpenKeyExA(key, "x", 0, 0, &out), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExA(key, "x", nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  }
}

TEST_F(RegistryTest, HandlesDoNotCarryOverToAnotherRegistryFile) {
  HKEY key = Create("Software");
  platform::SetRegistryFile(dir_ + "/other.db");
  EXPECT_EQ(RegQueryValueExA(key, "x", nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
}

// ---------------------------------------------------------------------------
// Persistence and concurrency
// ---------------------------------------------------------------------------

TEST_F(RegistryTest, ValuesAndHandlesSurviveAReconnect) {
  HKEY key = Create("Software\\Far");
  SetDword(key, "Kept", 42);
  platform::CloseRegistry();
  DWORD value = 0;
  DWORD size = sizeof value;
  EXPECT_EQ(RegQueryValueExA(key, "Kept", nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                             &size),
            ERROR_SUCCESS);
  EXPECT_EQ(value, 42u);
  RegCloseKey(key);
}

TEST_F(RegistryTest, DefaultFileLivesUnderXdgConfigHome) {
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string previous = saved ? saved : "";
  setenv("XDG_CONFIG_HOME", (dir_ + "/config").c_str(), 1);
  platform::SetRegistryFile("");
  RegCloseKey(Create("Software"));
  platform::CloseRegistry();
  saved ? setenv("XDG_CONFIG_HOME", previous.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
  EXPECT_TRUE(std::filesystem::is_regular_file(dir_ + "/config/finderix/registry.db"));
}

TEST_F(RegistryTest, TwoProcessesWritingAtOnceBothSucceed) {
  constexpr int kValuesPerWriter = 60;
  RegCloseKey(Create("Shared"));
  platform::CloseRegistry();  // each child opens its own connection
  int gate[2];
  ASSERT_EQ(pipe(gate), 0);
  pid_t writers[2];
  for (int w = 0; w < 2; ++w) {
    writers[w] = fork();
    if (writers[w] == 0) {
      close(gate[1]);
      char go;
      if (read(gate[0], &go, 1) != 0) _exit(2);  // released when the parent closes the pipe
      int failures = 0;
      HKEY key = nullptr;
      failures += RegCreateKeyExA(HKEY_CURRENT_USER, "Shared", 0, nullptr, 0, 0, nullptr, &key,
                                  nullptr) != ERROR_SUCCESS;
      for (DWORD i = 0; i < kValuesPerWriter; ++i) {
        std::string name = "w" + std::to_string(w) + "_" + std::to_string(i);
        failures += RegSetValueExA(key, name.c_str(), 0, REG_DWORD,
                                   reinterpret_cast<const BYTE*>(&i), 4) != ERROR_SUCCESS;
      }
      platform::CloseRegistry();
      _exit(failures ? 1 : 0);
    }
  }
  close(gate[0]);
  close(gate[1]);
  for (pid_t writer : writers) {
    int status = 0;
    ASSERT_EQ(waitpid(writer, &status, 0), writer);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  HKEY key = Create("Shared");
  for (int w = 0; w < 2; ++w) {
    for (DWORD i = 0; i < kValuesPerWriter; ++i) {
      std::string name = "w" + std::to_string(w) + "_" + std::to_string(i);
      DWORD value = ~0u;
      DWORD size = sizeof value;
      ASSERT_EQ(RegQueryValueExA(key, name.c_str(), nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(&value), &size),
                ERROR_SUCCESS)
          << name;
      EXPECT_EQ(value, i);
    }
  }
  RegCloseKey(key);
}

// Programs starting at once each prove the file writable while others do
// the same and write: no check ever sees another's, and none leaves a trace.
TEST_F(RegistryTest, WriteChecksOfProcessesStartingAtOnceNeverDisturbEachOther) {
  constexpr int kRounds = 40;
  RegCloseKey(Create("Shared"));
  platform::CloseRegistry();
  const std::string before = ReadFile(path_);
  int gate[2];
  ASSERT_EQ(pipe(gate), 0);
  pid_t starters[3];
  for (pid_t& starter : starters) {
    starter = fork();
    if (starter == 0) {
      close(gate[1]);
      char go;
      if (read(gate[0], &go, 1) != 0) _exit(2);
      int failures = 0;
      for (int round = 0; round < kRounds; ++round) {
        failures += platform::CheckRegistryWritable() != ERROR_SUCCESS;
        platform::CloseRegistry();  // the next round starts as a new program would
      }
      _exit(failures ? 1 : 0);
    }
  }
  close(gate[0]);
  close(gate[1]);
  for (pid_t starter : starters) {
    int status = 0;
    ASSERT_EQ(waitpid(starter, &status, 0), starter);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_TRUE(ReadFile(path_) == before) << "a write check reached the file";
}

// ---------------------------------------------------------------------------
// Damaged and inaccessible files
// ---------------------------------------------------------------------------

TEST_F(RegistryTest, DamagedDatabaseFailsEveryCallAndIsLeftUntouched) {
  struct Row {
    const char* what;
    std::function<void(const std::string& path)> damage;
    LSTATUS expected;
  };
  const Row rows[] = {
      {"garbage over the header",
       [](const std::string& path) { WriteFile(path, std::string(100, 'G')); }, ERROR_BADDB},
      {"garbage over the first table page",
       [](const std::string& path) { WriteFile(path, std::string(4096, '\xa5'), 4096); },
       ERROR_REGISTRY_CORRUPT},
      // The last page holds values, which creating a key never reads: only a
      // check of the whole file at open keeps that write out.
      {"garbage over the last page",
       [](const std::string& path) {
         auto last = static_cast<std::streamoff>(std::filesystem::file_size(path) - 4096);
         WriteFile(path, std::string(4096, '\xa5'), last);
       },
       ERROR_REGISTRY_CORRUPT},
      {"a text file",
       [](const std::string& path) {
         std::ofstream(path, std::ios::binary | std::ios::trunc) << "SeveralLines=5\n";
       },
       ERROR_BADDB},
      {"another program's database (application id)",
       [](const std::string& path) { WriteFile(path, "ZZZZ", 68); }, ERROR_BADDB},
      // quick_check passes this; a lookup through the index misses "Far",
      // and creating it again would add a second key of that name.
      {"an index out of step with its table",
       [](const std::string& path) { ASSERT_TRUE(DamageKeyIndex(path, "Far")); },
       ERROR_REGISTRY_CORRUPT},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    HKEY key = Create("Software\\Far");
    SetDword(key, "Value", 1);
    RegCloseKey(key);
    platform::CloseRegistry();
    row.damage(path_);
    const std::string before = ReadFile(path_);

    SetLastError(kUntouchedError);
    key = nullptr;
    const DWORD one = 1;
    char name[16];
    DWORD size = sizeof name;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\New", 0, nullptr, 0, 0, nullptr, &key,
                              nullptr),
              row.expected);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Far", 0, 0, &key), row.expected);
    EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "V", 0, REG_DWORD,
                             reinterpret_cast<const BYTE*>(&one), 4),
              row.expected);
    EXPECT_EQ(RegEnumKeyExA(HKEY_CURRENT_USER, 0, name, &size, nullptr, nullptr, nullptr, nullptr),
              row.expected);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Far"), row.expected);
    EXPECT_EQ(platform::CheckRegistryWritable(), row.expected);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(GetLastError(), kUntouchedError);
    platform::CloseRegistry();
    EXPECT_TRUE(ReadFile(path_) == before) << "the registry file was changed";
    EXPECT_FALSE(std::filesystem::exists(path_ + "-journal"));
    std::filesystem::remove(path_);
  }
}

TEST_F(RegistryTest, UnreadableFileFailsCleanly) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to drop privileges";
  RegCloseKey(Create("Software"));
  platform::CloseRegistry();
  ASSERT_EQ(chmod(dir_.c_str(), 0755), 0);
  ASSERT_EQ(chmod(path_.c_str(), 0600), 0);
  const std::string before = ReadFile(path_);
  int status = RunAsNobody([] {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, 0, &key) != ERROR_CANTOPEN) return 1;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Other", 0, nullptr, 0, 0, nullptr, &key, nullptr) !=
        ERROR_CANTOPEN) {
      return 2;
    }
    return key == nullptr ? 0 : 3;
  });
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(ReadFile(path_) == before) << "the registry file was changed";
}

TEST_F(RegistryTest, ReadOnlyFileCanBeReadButNotWritten) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to drop privileges";
  HKEY key = Create("Software\\Far");
  SetDword(key, "Kept", 42);
  RegCloseKey(key);
  platform::CloseRegistry();
  ASSERT_EQ(chmod(dir_.c_str(), 0755), 0);
  ASSERT_EQ(chmod(path_.c_str(), 0644), 0);
  int status = RunAsNobody([] {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Far", 0, nullptr, 0, 0, nullptr, &key,
                        &disposition) != ERROR_SUCCESS ||
        disposition != REG_OPENED_EXISTING_KEY) {
      return 1;
    }
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExA(key, "Kept", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        value != 42) {
      return 2;
    }
    if (RegSetValueExA(key, "New", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4) !=
        ERROR_ACCESS_DENIED) {
      return 3;
    }
    return platform::CheckRegistryWritable() == ERROR_ACCESS_DENIED ? 0 : 4;
  });
  EXPECT_EQ(status, 0);
}

}  // namespace

TEST(RegistryFile, ARelativeNameIsFixedWhenItIsGiven) {
  TempFolder folder;
  const std::string saved = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  platform::SetRegistryFile("relative.db");
  std::filesystem::create_directory("elsewhere");
  std::filesystem::current_path("elsewhere");
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Probe", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  platform::CloseRegistry();
  std::filesystem::current_path(saved);
  EXPECT_TRUE(Exists(folder.Posix("relative.db")));
  EXPECT_FALSE(Exists(folder.Posix("elsewhere/relative.db")));
}
