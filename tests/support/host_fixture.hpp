// What the host tests share: a private temporary folder tree, a copy of the
// module placed in it with a language file beside it, and a fixture that
// starts a host on that copy with a ScriptUi, its own registry file and its
// own panel folder, and puts the process's current folder back afterwards.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/core/host.hpp"
#include "host/ui/script_ui.hpp"
#include "tests/support/temp_folder.hpp"

namespace testing_support {

// A scratch folder (see temp_folder.hpp) with the helpers that build trees
// in it.
class TempTree : public TempFolder {
 public:
  const std::string& root() const { return path(); }
  std::string Path(const std::string& relative) const;
  // The module's name for a path of the tree ("C:\tmp\...").
  std::string ModulePath(const std::string& relative) const;
  // Writes a file, creating its folders.
  void Write(const std::string& relative, const std::string& content) const;
  void MakeFolder(const std::string& relative) const;
};

// A small language file: message n reads "M<n>", for n below `count`.
std::string NumberedLanguage(int count);

// Copies the module into `folder` of the tree and writes `language` beside
// it as the English language file; returns the copy's path.
std::string PlaceModule(const TempTree& tree, const std::string& module_path,
                        const std::string& folder, const std::string& language);

class HostTest : public ::testing::Test {
 protected:
  explicit HostTest(std::string module_path) : module_path_(std::move(module_path)) {}

  void SetUp() override;
  void TearDown() override;

  // The host on the module placed in tree "module/" (with the numbered
  // language file unless PlaceModule ran before), panels on tree "work/",
  // registry in tree "registry.db". Fails the test when it cannot start.
  host::Host& StartHost();
  host::HostOptions Options() const;
  // Ends the host; its module is unloaded.
  void StopHost() { host_.reset(); }

  TempTree tree_;
  host::ScriptUi ui_;
  std::unique_ptr<host::Host> host_;
  std::string module_path_;  // the built module
  std::string placed_module_;

 private:
  std::string saved_folder_;
};

}  // namespace testing_support
