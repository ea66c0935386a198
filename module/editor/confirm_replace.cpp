// The question before each replacement: the match highlighted in the
// editor, and a small dialog with the found text, its replacement and the
// four answers, placed in the half of the window the match is not in.
#include <algorithm>

#include "module/dialogs/dialog_builder.hpp"
#include "module/editor/editor_control.hpp"
#include "module/editor/editor_state.hpp"
#include "module/editor/replace.hpp"
#include "module/editor/selection.hpp"
#include "module/editor/view_placement.hpp"
#include "module/base/messages.hpp"
#include "module/base/question.hpp"
#include "module/base/run_state.hpp"

namespace {

constexpr DWORD kButtonRow = DIF_CENTERGROUP;
// Wide enough for the four bracketed buttons inside the frame.
constexpr int kMinimumTextWidth = 38;
// The found text and its replacement are the user's: never hotkey labels.
constexpr DWORD kUserText = DIF_SHOWAMPERSAND;

std::string Quoted(const std::string& text) { return '"' + text + '"'; }

// The dialog's top row for a match on screen row `row` of a window
// `height` rows high: above the match when it is in the lower half.
int DialogRow(int row, int height) {
  int y = row >= height / 2 + 1 ? (row - 9) / 2 : (row + height - 9) / 2;
  return std::max(y, 0);
}

Answer AskReplace(const std::string& matched, const std::string& replacement, int row,
               const EditorInfo& info) {
  std::string quoted_match = Quoted(matched);
  std::string quoted_replacement = Quoted(replacement);
  int width = std::max({kMinimumTextWidth, static_cast<int>(quoted_match.size()),
                        static_cast<int>(quoted_replacement.size())});
  // Twelve columns of margins and frame: the host clips a longer text.
  width = std::min(width, info.WindowSizeX - 12);
  int y = DialogRow(row, info.WindowSizeY);
  DialogBuilder dialog(-1, y + 1, width + 12, y + 10, "ERAskReplace");
  dialog.AddFrame(MReplaceTitle);
  dialog.Add<TextItem>(-1, 2, 0, MAskReplace);
  dialog.Add<TextItem>(-1, 3, kUserText, quoted_match.c_str());
  dialog.Add<TextItem>(-1, 4, 0, MReplaceBy);
  dialog.Add<TextItem>(-1, 5, kUserText, quoted_replacement.c_str());
  const int yes = dialog.Add<ButtonItem>(0, 7, kButtonRow, 0, MReplaceButton);
  const int all = dialog.Add<ButtonItem>(0, 7, kButtonRow, 0, MAll);
  const int skip = dialog.Add<ButtonItem>(0, 7, kButtonRow, 0, MSkip);
  const int stop = dialog.Add<ButtonItem>(0, 7, kButtonRow, 0, MCancel);
  return DecodeAnswer(Question::kReplaceInEditor, dialog.Run({yes, all, skip, stop}));
}

}  // namespace

ReplaceAnswer ConfirmReplace(EditorSearchRange& match, const std::string& matched,
                             const std::string& replacement) {
  EditorInfo info = ReadEditorInfo();
  LastReplaceLine = match.end_line;
  LastReplaceColumn = match.end_column;
  int line = SearchBackward ? match.start_line : match.end_line;
  int column = SearchBackward ? match.start_column : match.end_column;
  int top = TopLineFor(match.start_line, info.WindowSizeY, info.TotalLines);
  SetEditorPosition(line, column, top, LeftColumnFor(line, column, info.WindowSizeX));
  if (CurrentRun.all_replacements) {
    WriteReplacement(match, replacement);
    return kAnswerReplaced;
  }
  MarkMatch(match);
  RedrawEditor();
  switch (AskReplace(matched, replacement, match.start_line - top, info)) {
    case Answer::kYes:
      WriteReplacement(match, replacement);
      return kAnswerReplaced;
    case Answer::kAll:
      CurrentRun.all_replacements = true;
      ClearEditorSelection();
      WriteReplacement(match, replacement);
      return kAnswerReplaced;
    case Answer::kSkip:
      return kAnswerSkipped;
    case Answer::kStop:
      break;
  }
  return kAnswerCancelled;
}
