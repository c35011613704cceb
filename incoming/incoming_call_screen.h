// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The screen a timed launch shows: "Incoming" and the caller's name on a pale background with
// the handset picture in the bottom-right corner, while the backlight is held on, the vibrator
// alternates each second (when the call asks for it) and the ringtone plays. "Accept" or the
// released Talk key answer (end code 0); "Reject" or Back reject (-1). A launch that finds no
// call due ends at once with -1, and without a soft-key bar with 3; either way it still purges
// the past calls and arms the next launch.
#include "platform/ui/window_types.h"

class IncomingCallScreen {
 public:
  IncomingCallScreen() = default;
  virtual ~IncomingCallScreen();
  IncomingCallScreen(const IncomingCallScreen&) = delete;
  IncomingCallScreen& operator=(const IncomingCallScreen&) = delete;
  // Begins the schedule's part of the launch on a worker: the due call read, the past calls
  // purged and saved, the next launch armed. The next incoming screen takes the due call where
  // it would have read it, shows without waiting for the rest, and rings once the next call is
  // armed. Called once the screen platform is up (the platform's start adjusts the
  // environment, which the arming passes on).
  static void BeginScheduleWork();
  // Decodes the screen's pictures on a thread of their own while the screen platform starts,
  // so that the first paint does not wait for them. Called before the platform's start.
  static void PreparePictures(HINSTANCE instance);
  int Run();
};

// Copies the first call of the schedule file that is due now (less than ten seconds either
// side) into the process-wide due record. False, the record untouched, when none is.
bool LoadDueRecord();

// Shows the due call's caller name, starts the vibrator and its one-second timer when the call
// vibrates, holds the backlight on and starts the ringtone.
void StartAlerting(HWND screen);

// The screen's procedure, for programs that run the screen themselves (the benchmark).
INT_PTR IncomingCallProcedure(HWND screen, UINT message, WPARAM wParam, LPARAM lParam);
