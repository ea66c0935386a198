// Language file reading: one quoted message per line, everything else skipped.
#include "host/core/language.hpp"

#include <fstream>
#include <iterator>
#include <optional>

namespace host {

namespace {

constexpr const char* kEnglishFile = "finderix_en.lng";
constexpr const char* kRussianFile = "finderix_ru.lng";

// The message a line holds, or nothing for a line that holds none.
std::optional<std::string_view> MessageOfLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.empty() || line.front() != '"') return std::nullopt;
  line.remove_prefix(1);
  size_t close = line.rfind('"');
  return close == std::string_view::npos ? line : line.substr(0, close);
}

std::optional<std::string> ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (file.bad()) return std::nullopt;
  return text;
}

}  // namespace

void Language::Parse(std::string_view text) {
  std::vector<std::string> messages;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (auto message = MessageOfLine(line)) messages.emplace_back(*message);
  }
  messages_ = std::move(messages);
}

bool Language::Load(const std::string& posix_path) {
  std::optional<std::string> text = ReadFile(posix_path);
  if (!text) return false;
  Parse(*text);
  return true;
}

const char* Language::GetMsg(int number) const {
  if (number < 0 || number >= size()) return "";
  return messages_[number].c_str();
}

std::string LanguageFileName(const char* lang) {
  std::string_view value = lang ? lang : "";
  return value.starts_with("ru") ? kRussianFile : kEnglishFile;
}

bool LoadModuleLanguage(const std::string& folder, const char* lang, Language* language) {
  if (language->Load(folder + "/" + LanguageFileName(lang))) return true;
  return language->Load(folder + "/" + kEnglishFile);
}

}  // namespace host
