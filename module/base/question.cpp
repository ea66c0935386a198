// Decoding the four-answer questions.
#include "module/base/question.hpp"

#include "module/base/host_access.hpp"
#include "module/base/run_state.hpp"

namespace {

// Esc at the questions of a file replace leaves that file or that match
// and goes on; Esc at the rename and editor questions ends the command.
Answer EscAnswer(Question question) {
  switch (question) {
    case Question::kProcessFile:
    case Question::kReplaceInFile:
      return Answer::kSkip;
    case Question::kRename:
    case Question::kReplaceInEditor:
      break;
  }
  return Answer::kStop;
}

}  // namespace

Answer DecodeAnswer(Question question, int button) {
  switch (button) {
    case 0: return Answer::kYes;
    case 1: return Answer::kAll;
    case 2: return Answer::kSkip;
    case 3: return Answer::kStop;
    default: return EscAnswer(question);
  }
}

bool FollowAnswer(Answer answer, bool* all) {
  switch (answer) {
    case Answer::kAll:
      *all = true;
      return true;
    case Answer::kYes:
      return true;
    case Answer::kStop:
      CurrentRun.interrupted = true;
      return false;
    case Answer::kSkip:
      break;
  }
  return false;
}

Answer AskQuestion(Question question, const char* help_topic, const char* const* items,
                   int count) {
  return DecodeAnswer(question, StartupInfo.Message(StartupInfo.ModuleNumber, 0, help_topic,
                                                    items, count, 4));
}
