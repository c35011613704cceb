// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The timed launch: starts an executable at a local calendar time with the command line
// "AppRunAtTime". One launch is pending per executable; arming again replaces it.
//
// Where the user's systemd manager answers, the launch is a timer and service unit pair in
// the user's unit directory; elsewhere it is a pelorin-waiter process, found beside the
// running program, that sleeps until the time. The environment variable
// PELORIN_TIMED_LAUNCH=systemd or =waiter chooses one of them without asking the manager
// (tests and machines whose manager answers but should not be used).
#include <functional>
#include <string>

#include "platform/system/phone_types.h"

// Arms the launch, replacing the pending one of the same executable whichever way it was
// armed. A time at or before now is refused: the launch would start a program that arms
// again at once. A path that reads "... (deleted)" (the program file was replaced while it
// ran) arms the program now installed at that path. False when it could not be armed; the
// reason is written as one line on stderr (the program shows nothing).
bool CeRunAppAtTime(const std::u16string& executable, const SYSTEMTIME* localTime);

// Armings of one executable take turns, across all its processes: each reads the earliest
// call and arms it while it holds the turn, so a slow arming can never put back a time that
// another, begun after the schedule changed, has replaced. Held from construction to
// destruction; after 30 s of waiting (a holder that was stopped) the arming goes on without.
class TimedLaunchTurn {
 public:
  explicit TimedLaunchTurn(const std::u16string& executable);
  ~TimedLaunchTurn();
  TimedLaunchTurn(const TimedLaunchTurn&) = delete;
  TimedLaunchTurn& operator=(const TimedLaunchTurn&) = delete;

 private:
  int descriptor_ = -1;
};

// Tests put a recorder in the place of the real service; an empty function restores it.
using TimedLaunchService = std::function<bool(const std::u16string&, const SYSTEMTIME&)>;
void SetTimedLaunchService(TimedLaunchService service);
