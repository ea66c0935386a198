// The replace commands' questions and warnings.
#include "module/files/replace_questions.hpp"

#include "module/files/walk.hpp"
#include "module/base/host_access.hpp"
#include "module/base/messages.hpp"

int AskEachFile;
int FileConfirmed;
int AskEachReplace;

namespace {

// The four buttons of both questions.
enum Answer { kYes = 0, kAll = 1, kSkip = 2, kStop = 3 };

int Ask(const char* help_topic, const char* const* items, int count) {
  return StartupInfo.Message(StartupInfo.ModuleNumber, 0, help_topic, items, count, 4);
}

}  // namespace

int ConfirmFile(int title_message, const std::string& file_name) {
  if (FileConfirmed) return 1;
  const char* items[] = {GetMsg(title_message), GetMsg(MAskProcessFile), file_name.c_str(),
                         GetMsg(MOk), GetMsg(MAll), GetMsg(MSkip), GetMsg(MCancel)};
  switch (Ask("FRConfirmFile", items, 7)) {
    case kAll:
      AskEachFile = 0;
      [[fallthrough]];
    case kYes:
      FileConfirmed = 1;
      return 1;
    case kStop:
      SearchInterrupted = 1;
      return 0;
    default:
      return 0;
  }
}

int ConfirmFileReplace(const std::string& matched, const std::string& replacement,
                       const std::string& file_name) {
  if (!AskEachReplace) return 1;
  if (SearchInterrupted) return 0;
  const char* items[] = {GetMsg(MReplaceTitle), GetMsg(MAskReplace), matched.c_str(),
                         GetMsg(MReplaceBy), replacement.c_str(), GetMsg(MInFile),
                         file_name.c_str(), GetMsg(MReplaceButton), GetMsg(MAll),
                         GetMsg(MSkip), GetMsg(MCancel)};
  switch (Ask("FRAskReplace", items, 11)) {
    case kAll:
      AskEachReplace = 0;
      return 1;
    case kYes:
      return 1;
    case kStop:
      SearchInterrupted = 1;
      return 0;
    default:
      return 0;
  }
}
