// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Ring times as a person types them on the command line: a duration from now ("90s", "5m",
// "1h30m") or a local time of day or date ("18:30", "18:30:15", "2026-12-09 18:30"). The
// reading only makes the ring time; whether a call may ring then is CheckRingTime's.
#include <string>
#include <string_view>

#include "platform/system/phone_types.h"

struct RingTimeText {
  FILETIME time{};
  std::string problem;  // what is wrong with the text; empty when it was read
};

// One or more parts of a number and a unit, hours, minutes, seconds in that order, each unit
// at most once ("1h30m", "90s", "0s"). Counted on the local clock from now, as the new call
// screen counts its five minutes, and from the next whole second, so that the ring time is
// a whole second at least the duration ahead.
RingTimeText RingTimeIn(std::string_view duration, const FILETIME& now);

// "HH:MM" or "HH:MM:SS": today, or tomorrow when that time of day has passed today.
// "YYYY-MM-DD HH:MM" or "YYYY-MM-DD HH:MM:SS" (a "T" may stand for the blank): that day.
// The date and the time of day become the ring time as the new call screen's fields do.
RingTimeText RingTimeAt(std::string_view text, const FILETIME& now);

// "YYYY-MM-DD HH:MM:SS", as the command line prints a ring time.
std::string FormatRingTime(const FILETIME& time);
