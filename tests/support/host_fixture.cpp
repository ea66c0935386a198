// Temporary trees, module placement and the host fixture.
#include "tests/support/host_fixture.hpp"


#include <filesystem>
#include <fstream>

#include "platform/host_bridge.hpp"

namespace testing_support {

namespace fs = std::filesystem;

std::string TempTree::Path(const std::string& relative) const {
  return relative.empty() ? path() : Posix(relative);
}

std::string TempTree::ModulePath(const std::string& relative) const {
  return platform::ToModulePath(Path(relative));
}

void TempTree::Write(const std::string& relative, const std::string& content) const {
  fs::path path = Path(relative);
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

void TempTree::MakeFolder(const std::string& relative) const {
  fs::create_directories(Path(relative));
}

std::string NumberedLanguage(int count) {
  std::string text = ".Language=English,English\n";
  for (int i = 0; i < count; ++i) text += "\"M" + std::to_string(i) + "\"\n";
  return text;
}

std::string PlaceModule(const TempTree& tree, const std::string& module_path,
                        const std::string& folder, const std::string& language) {
  tree.MakeFolder(folder);
  std::string placed = tree.Path(folder + "/" + fs::path(module_path).filename().string());
  fs::copy_file(module_path, placed, fs::copy_options::overwrite_existing);
  tree.Write(folder + "/finderix_en.lng", language);
  return placed;
}

void HostTest::SetUp() {
  saved_folder_ = fs::current_path().string();
  ui_.SetFailureHandler([](const std::string& what) { ADD_FAILURE() << what; });
  tree_.MakeFolder("work");
}

void HostTest::TearDown() {
  host_.reset();
  fs::current_path(saved_folder_);
  EXPECT_EQ(ui_.unused_answers(), 0u) << "the script answered calls that never came";
}

host::HostOptions HostTest::Options() const {
  host::HostOptions options;
  options.module_path = placed_module_;
  options.registry_file = tree_.Path("registry.db");
  options.folder = tree_.Path("work");
  options.lang = "en_US.UTF-8";
  return options;
}

host::Host& HostTest::StartHost() {
  if (placed_module_.empty()) {
    placed_module_ = PlaceModule(tree_, module_path_, "module", NumberedLanguage(200));
  }
  std::string error;
  host_ = host::Host::Start(Options(), ui_, &error);
  if (!host_) {
    ADD_FAILURE() << "the host did not start: " << error;
    throw std::runtime_error(error);  // ends the test; gtest reports it
  }
  return *host_;
}

}  // namespace testing_support
