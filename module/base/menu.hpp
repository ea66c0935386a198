// Menus through the host's Menu service.
#pragma once

#include <initializer_list>

// Shows a menu of the given texts (a null text is a separator) and returns
// the chosen index, or -1 when it was cancelled. Texts longer than a menu
// record holds are cut.
int ShowMenu(unsigned flags, const char* title, const char* bottom, const char* help_topic,
             std::initializer_list<const char*> texts);
