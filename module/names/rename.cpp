// The rename of one entry. Only the bare name is matched and changed; the
// entry stays in its folder. A move never replaces an existing entry unless
// the user says so; a name the module cannot spell, that holds a control
// character or that would not fit a path is refused with the error box; and
// repetition ends when a step leaves the name as it was or after a bounded
// number of steps.
#include "module/names/rename.hpp"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "module/match/case_table.hpp"
#include "module/match/template.hpp"
#include "module/files/file_patterns.hpp"
#include "module/files/replace_questions.hpp"
#include "module/base/host_access.hpp"
#include "module/base/messages.hpp"
#include "module/base/question.hpp"
#include "module/base/run_state.hpp"
#include "module/base/settings.hpp"

namespace {

constexpr int kMaxRepeats = 100;

struct NameMatch {
  size_t start;
  size_t length;
  std::vector<int> groups;  // empty for a literal match
};

// Literal matches ignore letter case whatever FCaseSensitive says, folding
// OEM letters through the upper-case table.
std::optional<NameMatch> FindLiteral(const std::string& name) {
  const std::string& text = FText;
  for (size_t pos = 0; pos + text.size() <= name.size(); pos++) {
    bool same = true;
    for (size_t i = 0; i < text.size() && same; i++)
      same = OemUpperTable[static_cast<uint8_t>(name[pos + i])] ==
             OemUpperTable[static_cast<uint8_t>(text[i])];
    if (same) return NameMatch{pos, text.size(), {}};
  }
  return std::nullopt;
}

std::optional<NameMatch> FindNameMatch(const std::string& name) {
  if (FSearchAs != AsLinePattern) return FindLiteral(name);
  OffsetVector v(TextPattern);
  if (RunPattern(TextPattern, name.data(), name.size(), 0, 0, v.data(), v.size()) < 0)
    return std::nullopt;
  return NameMatch{static_cast<size_t>(v.Start(0)), static_cast<size_t>(v.End(0) - v.Start(0)),
                   std::vector<int>(v.data(), v.data() + v.size())};
}

std::string NewBareName(const std::string& name, const NameMatch& match, int renames) {
  ReplaceCounters counters{CurrentRun.entry_index, CurrentRun.entry_index, renames};
  const int pairs = match.groups.empty() ? 0 : static_cast<int>(match.groups.size() / 3);
  std::string expansion = ExpandTemplate(name.c_str(), match.groups.empty() ? nullptr : match.groups.data(),
                                         pairs, FRReplace.c_str(), "", &counters);
  return name.substr(0, match.start) + expansion + name.substr(match.start + match.length);
}

int ConfirmRename(const std::string& old_name, const std::string& new_name) {
  if (!ConfirmFile(MRename, old_name)) return 0;
  if (CurrentRun.interrupted) return 0;
  if (!AskingEachReplace()) return 1;
  const char* items[] = {GetMsg(MRename), GetMsg(MAskRename), old_name.c_str(), GetMsg(MRenameTo),
                         new_name.c_str(), GetMsg(MOk), GetMsg(MAll), GetMsg(MSkip),
                         GetMsg(MCancel)};
  Answer answer = AskQuestion(Question::kRename, "FRAskRename", items, 9);
  return FollowAnswer(answer, &CurrentRun.all_replacements) ? 1 : 0;
}

bool AskOverwrite(const std::string& old_path, const std::string& new_path) {
  const char* items[] = {GetMsg(MRename), GetMsg(MFileExists), new_path.c_str(),
                         GetMsg(MOverwriteWith), old_path.c_str(), GetMsg(MOk), GetMsg(MCancel)};
  return StartupInfo.Message(StartupInfo.ModuleNumber, FMSG_WARNING, "FRenameOverwrite", items, 7,
                             2) == 0;
}

void ReportRenameError(const std::string& old_path, const std::string& new_path) {
  const char* items[] = {GetMsg(MRename), GetMsg(MCannotRename), old_path.c_str(),
                         GetMsg(MRenameTo), new_path.c_str(), GetMsg(MOk), GetMsg(MCancel)};
  if (StartupInfo.Message(StartupInfo.ModuleNumber, FMSG_WARNING, "FRenameError", items, 7, 2) == 1)
    CurrentRun.interrupted = true;
}

enum class MoveResult { kMoved, kKept, kFailed };

bool IsDots(const std::string& name) { return name == "." || name == ".."; }

// Control characters (C0 and DEL; code page 866 has no C1) make names
// that break lines and drive terminals wherever they are shown.
bool HoldsControlCharacter(const std::string& name) {
  return std::any_of(name.begin(), name.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
  });
}

// A bare name stays in its folder: no separators, no control characters,
// not empty and not a dots name.
bool IsPlainName(const std::string& name) {
  static const std::string kSeparators("\\/");
  return !name.empty() && !IsDots(name) && name.find_first_of(kSeparators) == std::string::npos &&
         !HoldsControlCharacter(name);
}

MoveResult Move(const std::string& folder, const std::string& old_name, const std::string& new_name) {
  const std::string old_path = folder + old_name;
  const std::string new_path = folder + new_name;
  if (!IsPlainName(new_name) || new_path.size() > kMaxPath) {
    ReportRenameError(old_path, new_path);
    return MoveResult::kFailed;
  }
  if (MoveFileA(old_path.c_str(), new_path.c_str())) return MoveResult::kMoved;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    if (!AskOverwrite(old_path, new_path)) return MoveResult::kKept;
    // One atomic step: the existing entry is replaced, never deleted first.
    if (MoveFileExA(old_path.c_str(), new_path.c_str(), MOVEFILE_REPLACE_EXISTING))
      return MoveResult::kMoved;
  }
  ReportRenameError(old_path, new_path);
  return MoveResult::kFailed;
}

}  // namespace

void RenameFileCallback(WIN32_FIND_DATAA& entry, ResultList& results) {
  StartRunFile();
  CurrentRun.entry_index++;

  std::string path = entry.cFileName;
  const size_t slash = path.rfind('\\');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  std::string name = path.substr(folder.size());
  // ".." names the parent folder, which a rename of the panel's items must
  // never move.
  if (IsDots(name)) return;

  bool renamed = false;
  std::optional<NameMatch> match = FindNameMatch(name);
  for (int step = 0; match && step < kMaxRepeats; step++) {
    std::string new_name = NewBareName(name, *match, step);
    if (new_name == name || !ConfirmRename(name, new_name)) break;
    if (Move(folder, name, new_name) != MoveResult::kMoved) break;
    name = new_name;
    renamed = true;
    if (!FRepeating || CurrentRun.interrupted) break;
    match = FindNameMatch(name);
  }
  if (!renamed) return;
  std::memcpy(entry.cFileName, (folder + name).c_str(), folder.size() + name.size() + 1);
  AddResult(entry, results);
}
