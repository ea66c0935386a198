// The history of dialog edit fields that carry DIF_HISTORY: the last
// entries typed under each history name, most recent first, kept in the
// registry under the host's own key so they survive a restart.
#pragma once

#include <string>
#include <vector>

namespace host::tui {

class DialogHistory {
 public:
  virtual ~DialogHistory() = default;
  virtual std::vector<std::string> Entries(const std::string& name) = 0;
  // Puts a text first; an equal older entry goes, and the list keeps
  // kMaxEntries.
  virtual void Add(const std::string& name, const std::string& text) = 0;

  static constexpr size_t kMaxEntries = 20;
};

// Entries live under HKEY_CURRENT_USER\Software\Far\DialogHistory\<name>
// as the string values Line0, Line1, ...
class RegistryHistory : public DialogHistory {
 public:
  std::vector<std::string> Entries(const std::string& name) override;
  void Add(const std::string& name, const std::string& text) override;
};

// The list after adding a text, as both kinds keep it.
std::vector<std::string> WithEntryFirst(std::vector<std::string> entries, const std::string& text);

}  // namespace host::tui
