// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Local time and file-time arithmetic. All times here are local: a file time made from a
// local calendar time is never converted to or from universal time.
#include <ctime>
#include <functional>

#include "phone_types.h"

// The present local time from the system clock, in the machine's time zone.
void GetLocalTime(SYSTEMTIME* now);
// The same moment as a file time, as the schedule file holds ring times.
FILETIME LocalNowAsFileTime();

// Exact conversions between a calendar time and a file time. Both refuse (false) a value
// they cannot represent: a field out of range, a day past the end of its month, a year before
// 1601 or after 30827, a file time with its top bit set. wDayOfWeek is ignored on the way in
// and computed on the way out.
bool SystemTimeToFileTime(const SYSTEMTIME* calendar, FILETIME* file);
bool FileTimeToSystemTime(const FILETIME* file, SYSTEMTIME* calendar);

// How often the local clock shows this calendar time (to the second), by the rules of the
// time zone in force now: 0 for a time the clocks skip when they go forward, 2 for one they
// show twice when they go back, 1 otherwise.
int LocalTimeOccurrences(const SYSTEMTIME& time);
// The date and time of day as the C library's calendar fields, summer time left to the zone
// (tm_isdst -1); the day of the week and of the year are not filled in.
std::tm CalendarOf(const SYSTEMTIME& time);

// -1, 0 or 1 for first earlier than, equal to or later than second, as unsigned 64-bit numbers.
long CompareFileTime(const FILETIME* first, const FILETIME* second);

// Tests replace the clock with their own source; an empty function restores the real one.
void SetLocalTimeSource(std::function<SYSTEMTIME()> source);
