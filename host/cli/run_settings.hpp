// The settings file one shell run works on. The module reads its settings
// when it starts and writes them all back when it ends, so a shell run gets
// a private file in a temporary folder: it starts from the module's
// defaults (or from a copy of the stored settings when asked), takes the
// command line's settings, and reaches the stored file again only when it
// is to be saved.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/cli/stored_settings.hpp"

namespace host::cli {

class RunSettings {
 public:
  struct Choice {
    std::string stored_file;              // the user's settings file; empty: the default one
    bool use_stored = false;              // copy the stored settings in first
    bool save = false;                    // the stored file must take writes at the end
    bool scope_given = false;             // `settings` name the scope
    std::vector<StoredSetting> settings;  // applied in order, after any copy
  };

  // Makes the private file ready; nullptr with a one-line reason when the
  // temporary folder cannot be made, or the stored settings cannot be read
  // (or, to be saved, written).
  static std::unique_ptr<RunSettings> Open(const Choice& choice, std::string* error);
  ~RunSettings();  // the private file goes with its folder
  RunSettings(const RunSettings&) = delete;
  RunSettings& operator=(const RunSettings&) = delete;

  const std::string& file() const { return file_; }
  // The FSearchIn value the module will load from the private file.
  int scope() const { return scope_; }
  // The FMask value the module will load (code page 866).
  const std::string& mask() const { return mask_; }

  // Copies the module's values from the private file into the stored one.
  // Call once the module has ended; false with a one-line reason.
  bool Save(std::string* error) const;

 private:
  RunSettings(std::string folder, std::string stored_file)
      : folder_(std::move(folder)), file_(folder_ + "/registry.db"),
        stored_file_(std::move(stored_file)) {}

  const std::string folder_;
  const std::string file_;
  const std::string stored_file_;
  int scope_ = 0;
  std::string mask_;
};

}  // namespace host::cli
