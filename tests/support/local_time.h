// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Moments as the schedule file holds ring times: local-time file times.
#include <cstdint>
#include <ctime>
#include <string>

#include "platform/system/clock.h"

namespace test_support {

// The local calendar time at that moment, to the second.
inline SYSTEMTIME LocalCalendar(std::time_t moment) {
  std::tm local{};
  localtime_r(&moment, &local);
  return SYSTEMTIME{static_cast<std::uint16_t>(local.tm_year + 1900),
                    static_cast<std::uint16_t>(local.tm_mon + 1),
                    0,
                    static_cast<std::uint16_t>(local.tm_mday),
                    static_cast<std::uint16_t>(local.tm_hour),
                    static_cast<std::uint16_t>(local.tm_min),
                    static_cast<std::uint16_t>(local.tm_sec),
                    0};
}

// The file time of the local calendar time at that moment, to the second.
inline FILETIME LocalFileTime(std::time_t moment) {
  const SYSTEMTIME calendar = LocalCalendar(moment);
  FILETIME time{};
  SystemTimeToFileTime(&calendar, &time);
  return time;
}

// The local time of a moment as the waiter takes it on its command line.
inline std::string WaiterTime(std::time_t moment) {
  std::tm local{};
  localtime_r(&moment, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

}  // namespace test_support
