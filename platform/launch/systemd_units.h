// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The text of the systemd unit pair that launches one executable at one local time.
#include <string>
#include <string_view>
#include <vector>

#include "user_manager.h"

struct UnitPair {
  std::string timerName;    // "pelorin-<hash>.timer"
  std::string serviceName;  // "pelorin-<hash>.service"
  std::string timerText;
  std::string serviceText;
};

// `launchTime` is a calendar event ("2024-06-15 08:05:00", or with a zone after it).
// `wakeSystem` asks the manager to wake a suspended machine for it. The service asks `waiter`
// to start `executable` with "AppRunAtTime", carrying the display, sound and session-bus
// variables of the person's environment. The files are what the manager reads when it starts
// (the next login or boot).
UnitPair ComposeUnits(const std::string& executable, const std::string& waiter,
                      const std::string& launchTime, bool wakeSystem);

// The same launch as a transient timer and service for the running manager, named after the
// pair with `arming` added, so that each arming's timer is a unit of its own.
TransientLaunch ComposeTransientLaunch(const std::string& executable, const std::string& waiter,
                                       const std::string& launchTime, bool wakeSystem,
                                       const std::string& arming);

// One word of a unit file line, in double quotes, read back by systemd as exactly `text`:
// backslashes, quotes and control characters escaped, "%" doubled (specifiers), and "$"
// doubled where systemd expands variables (the arguments of a command line, not the program
// to run and not an Environment= assignment).
std::string QuoteUnitWord(std::string_view text, bool expandsVariables);
