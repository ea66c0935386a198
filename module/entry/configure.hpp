// The configuration menu and its three settings pages.
#pragma once

// Runs the menu until it is cancelled, then saves every setting.
void RunConfiguration();
