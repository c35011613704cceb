// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A launch's target travels as local calendar text, "YYYY-MM-DD HH:MM:SS": the form
// systemd's OnCalendar= reads and the form the waiter's command line shows in `ps`.
#include <ctime>
#include <string>
#include <string_view>

#include "platform/system/phone_types.h"

// The calendar fields to the second; milliseconds are dropped.
std::string FormatLaunchTime(const SYSTEMTIME& time);

// False for anything but exactly that form with fields in range.
bool ParseLaunchTime(std::string_view text, std::tm* calendar);

// The moment a local calendar time names, read in the time zone in force now (daylight
// saving time decided by the zone's rules).
std::time_t LocalCalendarToEpoch(const std::tm& calendar);

// The same for a calendar time given as the phone's type.
std::time_t LocalCalendarToEpoch(const SYSTEMTIME& time);
