// The replace commands' questions.
#include "module/files/replace_questions.hpp"

#include "module/base/host_access.hpp"
#include "module/base/messages.hpp"
#include "module/base/question.hpp"
#include "module/base/run_state.hpp"
#include "module/base/settings.hpp"

int ConfirmFile(int title_message, const std::string& file_name) {
  if (!FRConfirmFile || CurrentRun.all_files || CurrentRun.file_accepted) return 1;
  const char* items[] = {GetMsg(title_message), GetMsg(MAskProcessFile), file_name.c_str(),
                         GetMsg(MOk), GetMsg(MAll), GetMsg(MSkip), GetMsg(MCancel)};
  Answer answer = AskQuestion(Question::kProcessFile, "FRConfirmFile", items, 7);
  CurrentRun.file_accepted = FollowAnswer(answer, &CurrentRun.all_files);
  return CurrentRun.file_accepted ? 1 : 0;
}

bool AskingEachReplace() { return FRConfirmLine && !CurrentRun.all_replacements; }

int ConfirmFileReplace(const std::string& matched, const std::string& replacement,
                       const std::string& file_name) {
  if (!AskingEachReplace()) return 1;
  if (CurrentRun.interrupted) return 0;
  const char* items[] = {GetMsg(MReplaceTitle), GetMsg(MAskReplace), matched.c_str(),
                         GetMsg(MReplaceBy), replacement.c_str(), GetMsg(MInFile),
                         file_name.c_str(), GetMsg(MReplaceButton), GetMsg(MAll),
                         GetMsg(MSkip), GetMsg(MCancel)};
  Answer answer = AskQuestion(Question::kReplaceInFile, "FRAskReplace", items, 11);
  return FollowAnswer(answer, &CurrentRun.all_replacements) ? 1 : 0;
}
