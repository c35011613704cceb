// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The host's screen platform (the GUI application object). Started once, before any screen.
#include <string>

// Starts the platform. False, with a one-line reason, when there is no display to show
// screens on; nothing else of the screen services may be used then.
bool StartScreenPlatform(int& argc, char** argv, std::string* why);

// SIGTERM, SIGINT and SIGHUP (kill, systemctl stop, Ctrl+C, a closed terminal, a logout) ask
// the program to end once the platform has started. The signal is taken in the event loop:
// `onEnd` runs there (the screens end themselves), and from then on no screen opens. A second
// signal ends the process at once. 0 until a signal came, then its number.
void SetEndRequestHandler(void (*onEnd)());
int EndRequestSignal();
