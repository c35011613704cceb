#pragma once
// The host's screen platform (the GUI application object). Started once, before any screen.
#include <string>

// Starts the platform. False, with a one-line reason, when there is no display to show
// screens on; nothing else of the screen services may be used then.
bool StartScreenPlatform(int& argc, char** argv, std::string* why);
