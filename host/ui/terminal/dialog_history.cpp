// Dialog history in the registry.
#include "host/ui/terminal/dialog_history.hpp"

#include <algorithm>
#include <cstring>
#include <memory>
#include <type_traits>

#include "platform/win32.hpp"

namespace host::tui {

namespace {

constexpr const char* kHistoryRoot = "Software\\Far\\DialogHistory\\";

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using KeyHandle = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

KeyHandle OpenHistory(const std::string& name, bool create) {
  HKEY key = nullptr;
  std::string path = kHistoryRoot + name;
  LSTATUS status = create ? RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                            KEY_ALL_ACCESS, nullptr, &key, nullptr)
                          : RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key);
  return KeyHandle(status == ERROR_SUCCESS ? key : nullptr);
}

std::string LineName(size_t index) { return "Line" + std::to_string(index); }

bool ReadLine(HKEY key, size_t index, std::string* text) {
  char buffer[512];
  DWORD type = 0;
  DWORD size = sizeof(buffer);
  LSTATUS status = RegQueryValueExA(key, LineName(index).c_str(), nullptr, &type,
                                    reinterpret_cast<BYTE*>(buffer), &size);
  if (status != ERROR_SUCCESS || type != REG_SZ) return false;
  *text = std::string(buffer, strnlen(buffer, std::min<size_t>(size, sizeof(buffer))));
  return true;
}

}  // namespace

std::vector<std::string> WithEntryFirst(std::vector<std::string> entries, const std::string& text) {
  entries.erase(std::remove(entries.begin(), entries.end(), text), entries.end());
  entries.insert(entries.begin(), text);
  if (entries.size() > DialogHistory::kMaxEntries) entries.resize(DialogHistory::kMaxEntries);
  return entries;
}

std::vector<std::string> RegistryHistory::Entries(const std::string& name) {
  std::vector<std::string> entries;
  KeyHandle key = OpenHistory(name, false);
  std::string text;
  for (size_t i = 0; key && i < kMaxEntries && ReadLine(key.get(), i, &text); ++i) {
    entries.push_back(text);
  }
  return entries;
}

void RegistryHistory::Add(const std::string& name, const std::string& text) {
  if (name.empty() || text.empty()) return;
  std::vector<std::string> entries = WithEntryFirst(Entries(name), text);
  KeyHandle key = OpenHistory(name, true);
  if (!key) return;  // no registry: the history lives only as long as the field
  for (size_t i = 0; i < entries.size(); ++i) {
    const std::string& line = entries[i];
    RegSetValueExA(key.get(), LineName(i).c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(line.c_str()),
                   static_cast<DWORD>(line.size() + 1));
  }
}

}  // namespace host::tui
