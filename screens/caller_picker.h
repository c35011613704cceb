// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Picks a caller name from the contacts and the SIM phone book. End code 0: the name is in
// State().chosenCallerName; -1: cancelled, the earlier choice kept.
class CallerPicker {
 public:
  CallerPicker();           // opens the contact session
  virtual ~CallerPicker();  // closes it
  CallerPicker(const CallerPicker&) = delete;
  CallerPicker& operator=(const CallerPicker&) = delete;
  int Run();
};
