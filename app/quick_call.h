// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Calls scheduled, listed and removed from the command line, without the screens:
//
//   pelorin --in DURATION [--name NAME] [--ringtone FILE] [--mute] [--no-vibrate]
//   pelorin --at TIME     [the same options]
//   pelorin --list
//   pelorin --delete N
//
// A call is saved as the new call screen's SAVE saves it and armed as after a save.
#include <string>
#include <vector>

// Whether the arguments (without the program's name) ask for one of these forms: the first
// names one of their words. Anything else starts the screens.
bool IsQuickCallCommand(const std::vector<std::string>& arguments);

// Runs the form; the exit status: 0 done, 1 the schedule file could not be read or saved, 2 a
// command line that is wrong or a call that is refused (the file is left untouched). A failure
// is one line on stderr.
int RunQuickCallCommand(const std::vector<std::string>& arguments);
