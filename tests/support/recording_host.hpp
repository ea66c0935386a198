// A stand-in for the host's service table in module unit tests: message
// boxes are recorded and answered with a chosen button, messages are
// "M<number>". Installing one replaces the module's StartupInfo.
#pragma once

#include <string>
#include <vector>

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
};
