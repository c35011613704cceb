#pragma once
// Moments as the schedule file holds ring times: local-time file times.
#include <cstdint>
#include <ctime>

#include "platform/system/clock.h"

namespace test_support {

// The file time of the local calendar time at that moment, to the second.
inline FILETIME LocalFileTime(std::time_t moment) {
  std::tm local{};
  localtime_r(&moment, &local);
  const SYSTEMTIME calendar{static_cast<std::uint16_t>(local.tm_year + 1900),
                            static_cast<std::uint16_t>(local.tm_mon + 1),
                            0,
                            static_cast<std::uint16_t>(local.tm_mday),
                            static_cast<std::uint16_t>(local.tm_hour),
                            static_cast<std::uint16_t>(local.tm_min),
                            static_cast<std::uint16_t>(local.tm_sec),
                            0};
  FILETIME time{};
  SystemTimeToFileTime(&calendar, &time);
  return time;
}

}  // namespace test_support
