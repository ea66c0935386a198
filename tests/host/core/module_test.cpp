// Loading the module: a private copy per load that goes away with it, the
// entry points found by name, and the original's folder remembered.
#include "host/core/module.hpp"

#include <dlfcn.h>
#include <math.h>
#include <stdlib.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/host_fixture.hpp"

namespace {

namespace fs = std::filesystem;

// Points the temporary folder at the test's own tree, so the copies the
// loader makes can be counted without seeing anyone else's.
class ModuleLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tmpdir = getenv("TMPDIR");
    saved_tmpdir_ = tmpdir ? std::optional<std::string>(tmpdir) : std::nullopt;
    tree_.MakeFolder("tmp");
    setenv("TMPDIR", tree_.Path("tmp").c_str(), 1);
    module_ = testing_support::PlaceModule(tree_, FINDERIX_MODULE_PATH, "module", "\"M0\"\n");
  }
  void TearDown() override {
    if (saved_tmpdir_) {
      setenv("TMPDIR", saved_tmpdir_->c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
  }

  int CopiesLeft() const {
    return static_cast<int>(std::distance(fs::directory_iterator(tree_.Path("tmp")),
                                          fs::directory_iterator()));
  }

  std::unique_ptr<host::Module> Load(const std::string& path) {
    std::string error;
    std::unique_ptr<host::Module> module = host::Module::Load(path, &error);
    EXPECT_TRUE(module) << error;
    return module;
  }

  testing_support::TempTree tree_;
  std::string module_;

 private:
  std::optional<std::string> saved_tmpdir_;
};

std::string ObjectFileOf(const void* address) {
  Dl_info info{};
  if (!dladdr(address, &info) || !info.dli_fname) return "";
  return info.dli_fname;
}

// ---------------------------------------------------------------------------
// Copies
// ---------------------------------------------------------------------------

TEST_F(ModuleLoad, RunsFromAPrivateCopyAndRemembersTheOriginal) {
  std::unique_ptr<host::Module> module = Load(module_);
  ASSERT_TRUE(module);
  EXPECT_EQ(module->path(), fs::canonical(module_).string());
  EXPECT_EQ(module->folder(), fs::canonical(tree_.Path("module")).string());
  EXPECT_NE(module->copy_path(), module->path());
  ASSERT_NE(module->entry().SetStartupInfo, nullptr);
  EXPECT_EQ(ObjectFileOf(reinterpret_cast<void*>(module->entry().SetStartupInfo)),
            module->copy_path());
}

TEST_F(ModuleLoad, TheCopyIsGoneOnceLoadedSoAKillLeavesNothing) {
  std::unique_ptr<host::Module> module = Load(module_);
  ASSERT_TRUE(module);
  EXPECT_FALSE(fs::exists(module->copy_path()));
  EXPECT_EQ(CopiesLeft(), 0);
  EXPECT_NE(module->entry().GetPluginInfo, nullptr) << "the loaded code stays usable";
  module.reset();
  EXPECT_TRUE(fs::exists(module_)) << "the original stays";
}

TEST_F(ModuleLoad, TwoLoadsAreTwoIndependentObjects) {
  std::unique_ptr<host::Module> first = Load(module_);
  std::unique_ptr<host::Module> second = Load(module_);
  ASSERT_TRUE(first && second);
  EXPECT_NE(first->copy_path(), second->copy_path());
  // Separate mappings: each has its own code and its own globals.
  EXPECT_NE(first->entry().SetStartupInfo, second->entry().SetStartupInfo);
  first.reset();
  EXPECT_NE(second->entry().SetStartupInfo, nullptr) << "unloading one leaves the other";
}

TEST_F(ModuleLoad, ALoadAfterAnUnloadStartsFresh) {
  std::string first_copy;
  {
    std::unique_ptr<host::Module> module = Load(module_);
    ASSERT_TRUE(module);
    first_copy = module->copy_path();
  }
  std::unique_ptr<host::Module> module = Load(module_);
  ASSERT_TRUE(module);
  EXPECT_NE(module->copy_path(), first_copy);
}

// ---------------------------------------------------------------------------
// Entry points
// ---------------------------------------------------------------------------

TEST_F(ModuleLoad, AnObjectWithoutTheEntryPointsHasThemAllNull) {
  // The maths library is loaded in every test process and exports none of them.
  double (*cube_root)(double) = &::cbrt;
  std::string library = ObjectFileOf(reinterpret_cast<const void*>(cube_root));
  ASSERT_FALSE(library.empty());
  std::unique_ptr<host::Module> module = Load(library);
  ASSERT_TRUE(module);
  const host::EntryPoints& entry = module->entry();
  const void* all[] = {
      reinterpret_cast<const void*>(entry.SetStartupInfo),
      reinterpret_cast<const void*>(entry.GetPluginInfo),
      reinterpret_cast<const void*>(entry.OpenPlugin),
      reinterpret_cast<const void*>(entry.Configure),
      reinterpret_cast<const void*>(entry.ExitFAR),
      reinterpret_cast<const void*>(entry.GetOpenPluginInfo),
      reinterpret_cast<const void*>(entry.GetFindData),
      reinterpret_cast<const void*>(entry.SetDirectory),
      reinterpret_cast<const void*>(entry.ProcessKey),
      reinterpret_cast<const void*>(entry.ClosePlugin)};
  for (size_t i = 0; i < std::size(all); ++i) EXPECT_EQ(all[i], nullptr) << i;
}

// ---------------------------------------------------------------------------
// Failures
// ---------------------------------------------------------------------------

TEST_F(ModuleLoad, FailuresSayWhyAndLeaveNoCopyBehind) {
  tree_.Write("module/not_a_module.so", "just text");
  for (const std::string& path : {tree_.Path("module/not_a_module.so"), tree_.Path("missing.so")}) {
    SCOPED_TRACE(path);
    std::string error;
    EXPECT_EQ(host::Module::Load(path, &error), nullptr);
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_EQ(CopiesLeft(), 0);
  }
}

}  // namespace
