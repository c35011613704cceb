// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The list of scheduled calls, one row per call with the caller and the ring time. "New" adds
// a call, "Menu" offers "DEL", "About" and "Exit". Every refresh of the list first purges the
// calls whose time has come and arms the timed launch for the earliest one left.
class MainScreen {
 public:
  MainScreen() = default;
  virtual ~MainScreen();
  MainScreen(const MainScreen&) = delete;
  MainScreen& operator=(const MainScreen&) = delete;
  int Run();

  // Rebuilds the rows from the schedule file, after the wake-up scheduling.
  static void RefreshCallList();
};
