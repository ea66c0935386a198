// A stand-in for the host's service table in module unit tests: message
// boxes are recorded and answered with a chosen button, dialogs are shown to
// a callback that edits the records like a person and returns the closing
// item, menus are recorded and answered from a queue, messages are
// "M<number>" unless a test sets a text. Installing one replaces the
// module's StartupInfo.
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

struct RecordedDialog {
  int x1, y1, x2, y2;
  std::string help_topic;
};

struct RecordedMenu {
  unsigned flags;
  std::string title;
  std::string bottom;
  std::string help_topic;
  std::vector<std::string> items;  // item texts; a separator shows as ""
  std::vector<int> break_keys;     // without the terminating zero
  int cursor = -1;                 // the item marked Selected, if any
};

// What the user does in a menu: the item under the cursor (or -1) and the
// index of the break key pressed (or -1 for Enter and Esc).
struct MenuAnswer {
  int index;
  int break_key;
};

class RecordingHost {
 public:
  RecordingHost();
  ~RecordingHost();
  RecordingHost(const RecordingHost&) = delete;
  RecordingHost& operator=(const RecordingHost&) = delete;

  std::vector<RecordedMessage> messages;
  int message_answer = 0;
  // Runs when a message box is shown, before it is answered.
  std::function<void()> on_message;

  // Each call of the Dialog service runs the next answer; a call with none
  // left fails the test and answers Esc.
  using DialogAnswer = std::function<int(FarDialogItem* items, int count)>;
  std::vector<DialogAnswer> dialog_answers;
  int dialogs_shown = 0;
  std::vector<std::vector<FarDialogItem>> dialog_snapshots;  // records as each call received them
  std::vector<RecordedDialog> dialog_calls;  // placement and help topic of each call

  // Each call of the Menu service takes the next answer; a call with none
  // left fails the test and answers -1 with no break key.
  std::vector<MenuAnswer> menu_answers;
  std::vector<RecordedMenu> menus;

  void SetMessageText(int number, const std::string& text);
};
