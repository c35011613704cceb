// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What a new call gets when nothing else is chosen, how its typed date and time become its
// ring time, and the rule that ring time must pass. The new call screen and the command line
// both make calls through these, so a call is the same whichever way it was made.
#include <string>
#include <string_view>

#include "call_record.h"

inline constexpr char16_t kDefaultCallerName[] = u"Tobrin";

// The default ringtone beside the program.
std::u16string DefaultRingtonePath();

// Puts the path into the record's ringtone. A path that does not fit is refused (false, the
// record unchanged): a cut path would name another file.
bool SetRingtonePath(CallRecord& record, std::u16string_view path);

// The ring time of a date and a time of day as they were typed: year, month and day from the
// first, hours, minutes, seconds and milliseconds from the second. False for a calendar time
// that does not exist (a day past the end of its month, a field out of range).
bool RingTimeOf(const SYSTEMTIME& date, const SYSTEMTIME& timeOfDay, FILETIME* ringTime);

enum class RingTimeCheck {
  kAccepted,
  // Earlier than 11 seconds from now: when a call rings, its launch removes every call due
  // within the next 10 seconds, and so does the main list's refresh after a save.
  kTooSoon,
  // A time the clocks skip when they go forward: no launch would find the call due.
  kSkipped,
};

RingTimeCheck CheckRingTime(const FILETIME& ringTime, const FILETIME& now);
