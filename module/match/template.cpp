// Template expansion reads the template once, left to right. Letter case
// follows two modes: the running mode set by \U, \L and \E, and the mode for
// the next output byte set by \u and \l; a byte with no ANSI counterpart
// passes unchanged and leaves the pending mode for the byte after it.
#include "module/match/template.hpp"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "platform/win32.hpp"

namespace {

enum CaseMode { kNoCase = 0, kUpper = 1, kLower = 2 };

class Expansion {
 public:
  Expansion(const char* subject, const int* groups, int pair_count, const char* line_break,
            const ReplaceCounters* counters, std::vector<int>* origins)
      : subject_(subject), groups_(groups), pair_count_(pair_count), line_break_(line_break),
        counters_(counters), origins_(origins) {}

  std::string Run(const char* t);

 private:
  const char* Escape(const char* t);
  const char* Reference(const char* t);
  void Resolve(const std::string& name);
  void ResolveCounter(const std::string& name);
  void Put(char c);
  void Put(const char* bytes, size_t length);
  void Append(char c);

  const char* subject_;
  const int* groups_;
  int pair_count_;
  const char* line_break_;
  const ReplaceCounters* counters_;
  std::vector<int>* origins_;
  int origin_ = -1;  // the subject offset of the byte being put, -1 for a made one
  int running_ = kNoCase;
  int current_ = kNoCase;
  std::string out_;
};

std::string Expansion::Run(const char* t) {
  while (*t) {
    if (current_ == kNoCase) current_ = running_;
    if (*t == '\\') {
      t = Escape(t + 1);
    } else if (*t == '$') {
      t = Reference(t + 1);
    } else {
      Put(*t++);
    }
  }
  return std::move(out_);
}

// t points after the backslash; returns where the next step starts.
const char* Expansion::Escape(const char* t) {
  char c = *t;
  if (c == '\0') {
    Put('\\');
    return t;
  }
  t++;
  switch (c) {
    case 'a': Put('\x07'); break;
    case 'b': Put('\x08'); break;
    case 'e': Put('\x1B'); break;
    case 'f': Put('\x0C'); break;
    case 'n': Put(line_break_, std::char_traits<char>::length(line_break_)); break;
    case 'r': Put('\x0D'); break;
    case 't': Put('\x09'); break;
    case 'v': Put('\x0B'); break;
    case 'U': running_ = kUpper; break;
    case 'L': running_ = kLower; break;
    case 'E': running_ = kNoCase; break;
    case 'u': current_ = kUpper; break;
    case 'l': current_ = kLower; break;
    case 'x': {
      int value = 0;
      for (int i = 0; i < 2 && std::isxdigit(static_cast<unsigned char>(*t)); i++, t++) {
        int d = static_cast<unsigned char>(*t);
        value = value * 16 + (std::isdigit(d) ? d - '0' : std::tolower(d) - 'a' + 10);
      }
      Put(static_cast<char>(value));
      break;
    }
    default:
      if (std::isdigit(static_cast<unsigned char>(c))) {
        // Up to three digits, each counted as value * 8 + digit; 8 and 9
        // keep their own values.
        int value = c - '0';
        for (int i = 1; i < 3 && std::isdigit(static_cast<unsigned char>(*t)); i++, t++)
          value = value * 8 + (*t - '0');
        Put(static_cast<char>(value & 0xFF));
      } else {
        Put(c);
      }
  }
  return t;
}

// t points after the dollar sign.
const char* Expansion::Reference(const char* t) {
  if (*t == '\0') return t;
  std::string name;
  if (*t == '{') {
    const char* end = t + 1;
    while (*end && *end != '}') end++;
    name.assign(t + 1, end);
    t = *end ? end + 1 : end;
  } else {
    // A digit or any other character, then every digit after it.
    const char* end = t + 1;
    while (std::isdigit(static_cast<unsigned char>(*end))) end++;
    name.assign(t, end);
    t = end;
  }
  Resolve(name);
  return t;
}

void Expansion::Resolve(const std::string& name) {
  if (name.empty()) return;
  if (!std::isdigit(static_cast<unsigned char>(name[0]))) {
    ResolveCounter(name);
    return;
  }
  if (pair_count_ == 0) {
    Put('$');
    return;
  }
  long group = std::strtol(name.c_str(), nullptr, 10);
  if (group >= pair_count_ || groups_[2 * group] < 0) return;
  int start = groups_[2 * group];
  int end = groups_[2 * group + 1];
  for (origin_ = start; origin_ < end; origin_++) Put(subject_[origin_]);
  origin_ = -1;
}

void Expansion::ResolveCounter(const std::string& name) {
  if (!counters_) return;
  // Read as "%d" would: leading blanks and a sign, trailing text ignored.
  long offset = std::strtol(name.c_str() + 1, nullptr, 10);
  int base;
  switch (std::toupper(static_cast<unsigned char>(name[0]))) {
    case 'L': base = counters_->L; break;
    case 'N': base = counters_->N; break;
    case 'R': base = counters_->R; break;
    default: return;
  }
  char text[16];
  // Wraps like the 32-bit sum it stands for, without signed overflow.
  int value = static_cast<int>(static_cast<unsigned>(base) + static_cast<unsigned long>(offset));
  int length = std::snprintf(text, sizeof text, "%d", value);
  Put(text, static_cast<size_t>(length));
}

void Expansion::Put(const char* bytes, size_t length) {
  for (size_t i = 0; i < length; i++) Put(bytes[i]);
}

void Expansion::Put(char c) {
  if (current_ == kNoCase) {
    Append(c);
    return;
  }
  char ansi = 0, back = 0;
  OemToCharBuffA(&c, &ansi, 1);
  CharToOemBuffA(&ansi, &back, 1);
  if (back != c) {  // no ANSI counterpart: the mode waits for the next byte
    Append(c);
    return;
  }
  auto single = reinterpret_cast<LPSTR>(static_cast<uintptr_t>(static_cast<unsigned char>(ansi)));
  LPSTR converted = current_ == kUpper ? CharUpperA(single) : CharLowerA(single);
  ansi = static_cast<char>(reinterpret_cast<uintptr_t>(converted) & 0xFF);
  CharToOemBuffA(&ansi, &back, 1);
  Append(back);
  current_ = running_;
}

void Expansion::Append(char c) {
  out_ += c;
  if (origins_) origins_->push_back(origin_);
}

}  // namespace

std::string ExpandTemplate(const char* subject, const int* groups, int pair_count,
                           const char* template_text, const char* line_break,
                           const ReplaceCounters* counters, std::vector<int>* origins) {
  if (origins) origins->clear();
  Expansion expansion(subject, groups, pair_count, line_break, counters, origins);
  return expansion.Run(template_text);
}
