// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The timed launch through the user's systemd manager. In the running manager each arming is
// a transient timer of its own, which starts the service at the second; the program's
// earlier timers are stopped once it is pending. For the manager's next start (a login, a
// boot) the same launch is written as an enabled timer and service pair in the user's unit
// directory, which the running manager never loads: no arming waits for a reload.
#include <string>

#include "platform/system/phone_types.h"
#include "user_manager.h"

// Arms the launch of `executable` through `waiter` at the local time. The timer follows the
// system's time zone unless the person's environment names one, and wakes a suspended
// machine where the manager may (a refusal is learnt once per manager). A time that passed
// while arming starts the launch at once. On failure, `failure` says why in a few words.
bool ArmSystemdTimer(UserManager& manager, const std::string& executable, const std::string& waiter,
                     const SYSTEMTIME& time, std::string* failure);

// Stops the timers of `executable` and removes its pair, if there is one (the launch moved to
// the waiter). False with `failure` set when its files cannot be removed.
bool CancelSystemdTimer(const std::string& executable, std::string* failure);

// $XDG_CONFIG_HOME/systemd/user, by default ~/.config/systemd/user.
std::string UserUnitDirectory();
