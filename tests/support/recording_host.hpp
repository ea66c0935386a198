// A stand-in for the host's service table in module unit tests: message
// boxes are recorded and answered with a chosen button, dialogs are shown to
// a callback that edits the records like a person and returns the closing
// item, messages are "M<number>" unless a test sets a text. Installing one
// replaces the module's StartupInfo.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "sdk/plugin.hpp"

struct RecordedMessage {
  unsigned flags;
  std::string help_topic;
  std::vector<std::string> items;
  int buttons;
};

class RecordingHost {
 public:
  RecordingHost();
  ~RecordingHost();
  RecordingHost(const RecordingHost&) = delete;
  RecordingHost& operator=(const RecordingHost&) = delete;

  std::vector<RecordedMessage> messages;
  int message_answer = 0;

  // Each call of the Dialog service runs the next answer; a call with none
  // left fails the test and answers Esc.
  using DialogAnswer = std::function<int(FarDialogItem* items, int count)>;
  std::vector<DialogAnswer> dialog_answers;
  int dialogs_shown = 0;
  std::vector<std::vector<FarDialogItem>> dialog_snapshots;  // records as each call received them

  void SetMessageText(int number, const std::string& text);
};
