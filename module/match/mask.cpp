// Mask lists. There is no quoting: the delimiter cannot occur inside a
// mask, and spaces around it belong to the neighbouring masks. A delimiter
// or negation character of 0 (an emptied configuration field) means that
// the list has no delimiter, or that no mask excludes.
#include "module/match/mask.hpp"

#include "module/match/case_table.hpp"
#include "module/base/settings.hpp"

SearchPattern MaskPattern;

namespace {

bool SameLetter(char a, char b) {
  return OemUpperTable[static_cast<unsigned char>(a)] == OemUpperTable[static_cast<unsigned char>(b)];
}

std::vector<std::string> SplitMasks(const std::string& list) {
  std::vector<std::string> masks(1);
  for (char c : list) {
    if (MaskDelimiter != '\0' && c == MaskDelimiter)
      masks.emplace_back();
    else
      masks.back() += c;
  }
  return masks;
}

bool MatchesPattern(const std::string& name) {
  return RunPattern(MaskPattern, name.data(), name.size(), 0, 0, nullptr, 0) >= 0;
}

}  // namespace

// A star matches any run of characters. The rest of the mask after a star
// is tried from each position of the name but never against its empty end,
// so "a**" does not match "a". Only the last star passed needs to be
// retried (a later star can absorb whatever an earlier one would), which
// keeps the match linear in the mask times the name.
bool MatchWildcard(const char* mask, const char* name, bool open_end) {
  const char* star_rest = nullptr;  // the mask after the last star passed
  const char* star_name = nullptr;  // where that rest is being tried
  for (;;) {
    if (*mask == '*') {
      if (mask[1] == '\0') return true;
      if (*name != '\0') {
        star_rest = ++mask;
        star_name = name;
        continue;
      }
    } else if (*mask == '\0') {
      if (open_end || *name == '\0') return true;
    } else if (*name != '\0' && (*mask == '?' || SameLetter(*mask, *name))) {
      mask++;
      name++;
      continue;
    }
    if (!star_rest || *++star_name == '\0') return false;
    mask = star_rest;
    name = star_name;
  }
}

bool MatchMaskList(const std::string& list, const std::string& name) {
  if (FMaskAsRegExp) return MatchesPattern(name);

  std::string tested = name;
  if (DotAsteriskMatchesNoExtension && list.find('.') != std::string::npos &&
      name.find('.') == std::string::npos)
    tested += '.';

  bool positive_seen = false;
  bool matched = false;
  for (const std::string& mask : SplitMasks(list)) {
    bool excluding = MaskNegation != '\0' && !mask.empty() && mask[0] == MaskNegation;
    const char* body = mask.c_str() + (excluding ? 1 : 0);
    bool open_end = AutoappendAsterisk && std::string_view(body).find('.') == std::string_view::npos;
    if (excluding) {
      if (MatchWildcard(body, tested.c_str(), open_end)) return false;
    } else {
      positive_seen = true;
      if (!matched) matched = MatchWildcard(body, tested.c_str(), open_end);
    }
  }
  return matched || !positive_seen;
}
