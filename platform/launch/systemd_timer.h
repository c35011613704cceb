#pragma once
// The timed launch through the user's systemd manager: one timer and service pair per
// executable in the user's unit directory, enabled so that it outlives logout and reboot.
#include <string>

#include "platform/system/phone_types.h"

// True when a user systemd manager answers within a short time.
bool UserSystemdAnswers();

// Writes the pair, reloads the manager, enables the timer and restarts it so that the new
// time replaces the old. A time already past starts the launch at once. On failure, `failure`
// says why in a few words.
bool ArmSystemdTimer(const std::string& executable, const std::string& waiter,
                     const SYSTEMTIME& time, std::string* failure);

// $XDG_CONFIG_HOME/systemd/user, by default ~/.config/systemd/user.
std::string UserUnitDirectory();
