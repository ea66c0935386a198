// The warning box of the file commands: title, one message line, the file
// name and an OK button.
#pragma once

#include <string>

void ShowFileWarning(const char* help_topic, int message, const std::string& file_name);
