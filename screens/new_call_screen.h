// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The form on which one call is entered: caller name, ring date and time, ringtone, "Mute" and
// "Vibrate". End code 0: the call was appended to the schedule file; -1: cancelled, or the
// screen got no soft-key bar.
#include "platform/ui/window_types.h"

class NewCallScreen {
 public:
  NewCallScreen() = default;
  virtual ~NewCallScreen();
  NewCallScreen(const NewCallScreen&) = delete;
  NewCallScreen& operator=(const NewCallScreen&) = delete;
  int Run();

  // Puts the moment five minutes from now into the date and the time-of-day pickers.
  static void SetDefaultRingTime(HWND screen);
};
