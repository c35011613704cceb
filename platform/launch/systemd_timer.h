#pragma once
// The timed launch through the user's systemd manager: one timer and service pair per
// executable in the user's unit directory, enabled so that it outlives logout and reboot.
#include <string>

#include "platform/system/phone_types.h"

// True when a user systemd manager answers within a short time.
bool UserSystemdAnswers();

// Writes the pair, reloads the manager, enables the timer and restarts it so that the new
// time replaces the old. The timer names the program's time zone, and wakes a suspended
// machine where the manager may. A time that passed while arming starts the launch at once.
// On failure, `failure` says why in a few words.
bool ArmSystemdTimer(const std::string& executable, const std::string& waiter,
                     const SYSTEMTIME& time, std::string* failure);

// Stops and removes the pair of `executable`, if there is one (the launch moved to the
// waiter). False with `failure` set when its files cannot be removed.
bool CancelSystemdTimer(const std::string& executable, std::string* failure);

// $XDG_CONFIG_HOME/systemd/user, by default ~/.config/systemd/user.
std::string UserUnitDirectory();
