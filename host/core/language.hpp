// The module's numbered messages, read from its language file beside the
// module. The file is code page 866 bytes and is never converted.
//
// File format, one message per line in number order (the first message is
// number 0):
//   "text"          a message: the bytes between the first and the last
//                   double quote of the line, taken as they are (an escaped
//                   quote stays "\""); with no closing quote, the rest of the
//                   line
// Every other line is skipped: empty lines, "//" comments, and header lines
// such as .Language=English,English. Lines may end in LF or CR LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace host {

class Language {
 public:
  // Replaces the messages with those of the text; pointers handed out
  // before stop being valid.
  void Parse(std::string_view text);
  // Reads and parses a file; false (messages unchanged) when it cannot be read.
  bool Load(const std::string& posix_path);

  // The message text, valid until the next Parse or Load; "" for a number
  // the file does not have, never null.
  const char* GetMsg(int number) const;
  int size() const { return static_cast<int>(messages_.size()); }

 private:
  std::vector<std::string> messages_;
};

// The language file name for a LANG value: "finderix_ru.lng" when it starts
// with "ru", "finderix_en.lng" otherwise (also when LANG is unset).
std::string LanguageFileName(const char* lang);

// Loads the language file that LANG chooses from a folder, falling back to
// the English file when that one is missing. False when neither is readable.
bool LoadModuleLanguage(const std::string& folder, const char* lang, Language* language);

}  // namespace host
