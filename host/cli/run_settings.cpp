// The private settings file of a shell run: made in a temporary folder,
// seeded and saved by copying the module's values one by one (only the
// values of its settings table; presets belong to the full-screen program).
#include "host/cli/run_settings.hpp"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "host/cli/scope.hpp"
#include "host/cli/settings_writer.hpp"
#include "platform/host_bridge.hpp"

namespace host::cli {

namespace {

// One stored value as a setting; false when it is missing or of a type the
// module would not read (it then takes its default, so leaving it out is
// the same).
bool ReadValue(HKEY key, const SettingRule& rule, StoredSetting* setting) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, rule.name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return false;
  std::string bytes(size, '\0');
  if (RegQueryValueExA(key, rule.name, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()),
                       &size) != ERROR_SUCCESS)
    return false;
  setting->rule = &rule;
  if (rule.kind == SettingRule::kText && type == REG_SZ) {
    setting->text = bytes.substr(0, strnlen(bytes.data(), size));
    return true;
  }
  if (rule.kind != SettingRule::kText && type == REG_DWORD && size == sizeof(DWORD)) {
    std::memcpy(&setting->number, bytes.data(), sizeof(DWORD));
    return true;
  }
  return false;
}

// The module's values in the platform's current registry file; none when
// its key does not exist.
LSTATUS ReadModuleSettings(std::vector<StoredSetting>* settings) {
  HKEY key = nullptr;
  LSTATUS status =
      RegOpenKeyExA(HKEY_CURRENT_USER, ModuleSettingsKeyPath().c_str(), 0, KEY_READ, &key);
  if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (status != ERROR_SUCCESS) return status;
  for (const SettingRule& rule : StoredSettingRules()) {
    StoredSetting setting;
    if (ReadValue(key, rule, &setting)) settings->push_back(std::move(setting));
  }
  RegCloseKey(key);
  return ERROR_SUCCESS;
}

// False for an int the module would load as its default: one outside the
// range it accepts.
bool LoadsAsStored(const StoredSetting& setting) {
  if (setting.rule->kind != SettingRule::kInt) return true;
  const auto number = static_cast<long long>(static_cast<int>(setting.number));
  return number >= setting.rule->minimum && number <= setting.rule->maximum;
}

// The scope the module loads from `settings`: its default when none is
// stored or the stored one is out of range.
int ScopeIn(const std::vector<StoredSetting>& settings) {
  int scope = ModuleDefaultScope();
  for (const StoredSetting& setting : settings) {
    if (std::string_view(setting.rule->name) != ScopeSettingName()) continue;
    scope = LoadsAsStored(setting) ? static_cast<int>(setting.number) : ModuleDefaultScope();
  }
  return scope;
}

// The mask the module loads from `settings`: the last one given (every
// text is accepted on load, and the defaults come first).
std::string MaskIn(const std::vector<StoredSetting>& settings) {
  std::string mask;
  for (const StoredSetting& setting : settings)
    if (std::string_view(setting.rule->name) == "FMask") mask = setting.text;
  return mask;
}

std::string MakePrivateFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/finderix-run-XXXXXX";
  return mkdtemp(pattern.data()) ? pattern : std::string();
}

std::string Named(const std::string& stored_file) {
  return stored_file.empty() ? "the default settings file" : stored_file;
}

}  // namespace

std::unique_ptr<RunSettings> RunSettings::Open(const Choice& choice, std::string* error) {
  // The run's file holds every value, so that --save stores the whole of
  // what the run ended with. The shell's own scope comes next, so that
  // stored settings and the command line's both override it.
  std::vector<StoredSetting> settings = DefaultSettings();
  if (!choice.scope_given) {
    StoredSetting tree;
    ParseSettingAssignment(
        std::string(ScopeSettingName()) + "=" + std::to_string(DefaultShellScope()), &tree, error);
    settings.push_back(std::move(tree));
  }
  if (choice.use_stored) {
    platform::SetRegistryFile(choice.stored_file);
    LSTATUS status = ReadModuleSettings(&settings);
    platform::CloseRegistry();
    if (status != ERROR_SUCCESS) {
      *error = "cannot use " + Named(choice.stored_file) + ": " + RegistryFailureText(status);
      return nullptr;
    }
  }
  // A file that will not take the settings at the end is refused now.
  if (choice.save && !StoreModuleSettings(choice.stored_file, {}, error)) return nullptr;
  settings.insert(settings.end(), choice.settings.begin(), choice.settings.end());

  const std::string folder = MakePrivateFolder();
  if (folder.empty()) {
    *error = "cannot make a temporary folder for the run's settings";
    return nullptr;
  }
  std::unique_ptr<RunSettings> run(new RunSettings(folder, choice.stored_file));
  run->scope_ = ScopeIn(settings);
  run->mask_ = MaskIn(settings);
  platform::SetRegistryFile(run->file_, platform::RegistryWrites::kScratch);
  bool written = PrepareModuleSettings(settings, error);
  platform::CloseRegistry();
  if (!written) return nullptr;
  return run;
}

RunSettings::~RunSettings() {
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

bool RunSettings::Save(std::string* error) const {
  std::vector<StoredSetting> settings;
  platform::SetRegistryFile(file_, platform::RegistryWrites::kScratch);
  LSTATUS status = ReadModuleSettings(&settings);
  platform::CloseRegistry();
  if (status != ERROR_SUCCESS) {
    *error = "cannot read the run's settings: " + RegistryFailureText(status);
    return false;
  }
  // A value the module would not load back (the selected-items scope,
  // which it reads as the drive root) leaves the stored one as it is.
  std::erase_if(settings, [](const StoredSetting& setting) { return !LoadsAsStored(setting); });
  return StoreModuleSettings(stored_file_, settings, error);
}

}  // namespace host::cli
