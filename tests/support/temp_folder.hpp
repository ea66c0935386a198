// Scratch folders and child processes for tests of the platform's file
// calls: each test works in its own fresh folder, addressed in module form
// ("C:" + the POSIX path with backslashes), and checks that need another
// identity or a private mount run in a forked child.
#pragma once

#include <functional>
#include <string>
#include <vector>

// A new folder under the system's temporary folder, removed with everything
// in it when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  // The POSIX path of `relative` inside the folder.
  std::string Posix(const std::string& relative) const { return path_ + "/" + relative; }
  // The module path of `relative` inside the folder ("" for the folder).
  std::string Module(const std::string& relative = "") const;

 private:
  std::string path_;
};

// "C:" and the POSIX path with "\" separators; bytes are kept as they are.
std::string ModuleForm(const std::string& posix_path);

// Whole-file helpers working on POSIX paths, without the platform.
void WriteText(const std::string& posix_path, const std::string& text);
std::string ReadText(const std::string& posix_path);
bool Exists(const std::string& posix_path);
// The names in a folder, sorted.
std::vector<std::string> NamesIn(const std::string& posix_folder);

// Runs `body` in a forked child and returns its result (0..255), or -1 when
// the child died by a signal.
int RunInChild(const std::function<int()>& body);
// The same, with the child's identity changed to nobody (65534) first, so
// file permissions bind; 254 when the identity cannot be changed.
int RunAsNobody(const std::function<int()>& body);
