// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The phone's plain value types, kept with their own field names so that code written
// against the phone's calls reads the same here.
#include <cstdint>

struct SYSTEMTIME {
  std::uint16_t wYear;
  std::uint16_t wMonth;
  std::uint16_t wDayOfWeek;
  std::uint16_t wDay;
  std::uint16_t wHour;
  std::uint16_t wMinute;
  std::uint16_t wSecond;
  std::uint16_t wMilliseconds;
};

// 100-nanosecond intervals since 1 January 1601, split in two unsigned halves.
struct FILETIME {
  std::uint32_t dwLowDateTime;
  std::uint32_t dwHighDateTime;
};

inline std::uint64_t FileTimeToUint64(const FILETIME& time) {
  return (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

inline FILETIME Uint64ToFileTime(std::uint64_t value) {
  return FILETIME{static_cast<std::uint32_t>(value & 0xFFFFFFFFu),
                  static_cast<std::uint32_t>(value >> 32)};
}
