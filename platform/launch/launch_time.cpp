// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "launch_time.h"

#include <cstdio>

#include "platform/system/clock.h"

std::string FormatLaunchTime(const SYSTEMTIME& time) {
  char text[40];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", unsigned{time.wYear},
                unsigned{time.wMonth}, unsigned{time.wDay}, unsigned{time.wHour},
                unsigned{time.wMinute}, unsigned{time.wSecond});
  return text;
}

bool ParseLaunchTime(std::string_view text, std::tm* calendar) {
  const std::string copy(text);
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, used = 0;
  if (std::sscanf(copy.c_str(), "%5d-%2d-%2d %2d:%2d:%2d%n", &year, &month, &day, &hour, &minute,
                  &second, &used) != 6 ||
      used != static_cast<int>(copy.size())) {
    return false;
  }
  if (year < 1601 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
      minute < 0 || minute > 59 || second < 0 || second > 59) {
    return false;
  }
  *calendar = std::tm{};
  calendar->tm_year = year - 1900;
  calendar->tm_mon = month - 1;
  calendar->tm_mday = day;
  calendar->tm_hour = hour;
  calendar->tm_min = minute;
  calendar->tm_sec = second;
  return true;
}

std::time_t LocalCalendarToEpoch(const std::tm& calendar) {
  std::tm copy = calendar;  // mktime normalises its argument
  copy.tm_isdst = -1;
  return std::mktime(&copy);
}

std::time_t LocalCalendarToEpoch(const SYSTEMTIME& time) {
  return LocalCalendarToEpoch(CalendarOf(time));
}
