// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ring_time_text.h"

#include <cstdint>
#include <cstdio>
#include <optional>

#include "new_call.h"
#include "platform/system/clock.h"

namespace {

constexpr std::uint64_t kTicksPerSecond = 10'000'000;
constexpr std::uint64_t kTicksPerDay = 86'400 * kTicksPerSecond;
// Longer than any duration that still lands on a calendar (about 29,000 years), short
// enough that the sum of three parts cannot overflow.
constexpr std::uint64_t kLongestPart = 1'000'000'000'000ull;

constexpr char kNoDuration[] = "is no duration such as 90s, 5m or 1h30m";
constexpr char kTooFar[] = "is too far ahead";
constexpr char kNoTime[] = "is no time such as 18:30, 18:30:15 or \"2026-12-09 18:30\"";
constexpr char kNoTimeOfDay[] = "is no time of day (00:00:00 to 23:59:59)";
constexpr char kNoDate[] = "is no date of the calendar";

bool IsDigit(char character) {
  return character >= '0' && character <= '9';
}

// Exactly `digits` digits (or 1 to `digits` when `fewer` allows it) from the front of text.
std::optional<unsigned> TakeNumber(std::string_view& text, std::size_t digits, bool fewer) {
  std::size_t length = 0;
  while (length < text.size() && length < digits && IsDigit(text[length])) {
    ++length;
  }
  if (length == 0 || (length < digits && !fewer)) {
    return std::nullopt;
  }
  unsigned value = 0;
  for (std::size_t i = 0; i < length; ++i) {
    value = value * 10 + static_cast<unsigned>(text[i] - '0');
  }
  text.remove_prefix(length);
  return value;
}

bool TakeCharacter(std::string_view& text, char character) {
  if (text.empty() || text.front() != character) {
    return false;
  }
  text.remove_prefix(1);
  return true;
}

RingTimeText Problem(const char* what) {
  return {{}, what};
}

// "HH:MM" or "HH:MM:SS", the hours with one digit or two; the problem when it is none.
std::optional<SYSTEMTIME> ReadTimeOfDay(std::string_view text, const char** problem) {
  const std::optional<unsigned> hours = TakeNumber(text, 2, true);
  std::optional<unsigned> minutes;
  std::optional<unsigned> seconds = 0u;
  if (hours && TakeCharacter(text, ':')) {
    minutes = TakeNumber(text, 2, false);
  }
  if (minutes && TakeCharacter(text, ':')) {
    seconds = TakeNumber(text, 2, false);
  }
  if (!hours || !minutes || !seconds || !text.empty()) {
    *problem = kNoTime;
    return std::nullopt;
  }
  if (*hours > 23 || *minutes > 59 || *seconds > 59) {
    *problem = kNoTimeOfDay;
    return std::nullopt;
  }
  SYSTEMTIME timeOfDay{};
  timeOfDay.wHour = static_cast<std::uint16_t>(*hours);
  timeOfDay.wMinute = static_cast<std::uint16_t>(*minutes);
  timeOfDay.wSecond = static_cast<std::uint16_t>(*seconds);
  return timeOfDay;
}

// "YYYY-MM-DD" and the separator after it, taken from the front of text.
std::optional<SYSTEMTIME> TakeDate(std::string_view& text) {
  std::string_view rest = text;
  const std::optional<unsigned> year = TakeNumber(rest, 4, false);
  std::optional<unsigned> month;
  std::optional<unsigned> day;
  if (year && TakeCharacter(rest, '-')) {
    month = TakeNumber(rest, 2, false);
  }
  if (month && TakeCharacter(rest, '-')) {
    day = TakeNumber(rest, 2, false);
  }
  if (!day || !(TakeCharacter(rest, ' ') || TakeCharacter(rest, 'T'))) {
    return std::nullopt;
  }
  text = rest;
  SYSTEMTIME date{};
  date.wYear = static_cast<std::uint16_t>(*year);
  date.wMonth = static_cast<std::uint16_t>(*month);
  date.wDay = static_cast<std::uint16_t>(*day);
  return date;
}

}  // namespace

RingTimeText RingTimeIn(std::string_view duration, const FILETIME& now) {
  static constexpr struct {
    char unit;
    std::uint64_t seconds;
  } kUnits[] = {{'h', 3600}, {'m', 60}, {'s', 1}};
  std::uint64_t seconds = 0;
  std::size_t nextUnit = 0;
  bool tooFar = false;
  if (duration.empty()) {
    return Problem(kNoDuration);
  }
  while (!duration.empty()) {
    std::size_t length = 0;
    std::uint64_t number = 0;
    while (length < duration.size() && IsDigit(duration[length])) {
      if (number <= kLongestPart) {
        number = number * 10 + static_cast<std::uint64_t>(duration[length] - '0');
      }
      ++length;
    }
    if (length == 0 || length == duration.size()) {
      return Problem(kNoDuration);
    }
    const char unit = duration[length];
    while (nextUnit < std::size(kUnits) && kUnits[nextUnit].unit != unit) {
      ++nextUnit;
    }
    if (nextUnit == std::size(kUnits)) {
      return Problem(kNoDuration);  // an unknown unit, or one out of order or given twice
    }
    tooFar = tooFar || number > kLongestPart;
    seconds += (tooFar ? 0 : number) * kUnits[nextUnit].seconds;
    ++nextUnit;
    duration.remove_prefix(length + 1);
  }
  const std::uint64_t start = FileTimeToUint64(now);
  const std::uint64_t latest = std::uint64_t{0x7FFFFFFFFFFFFFFF};
  if (tooFar || start > latest || seconds > (latest - start) / kTicksPerSecond - 1) {
    return Problem(kTooFar);
  }
  std::uint64_t ticks = start + seconds * kTicksPerSecond;
  ticks += (kTicksPerSecond - ticks % kTicksPerSecond) % kTicksPerSecond;
  // A moment the calendar cannot name (past the year 30827) cannot be armed or shown.
  RingTimeText result{Uint64ToFileTime(ticks), {}};
  SYSTEMTIME calendar{};
  FILETIME again{};
  if (!FileTimeToSystemTime(&result.time, &calendar) || !SystemTimeToFileTime(&calendar, &again)) {
    return Problem(kTooFar);
  }
  return result;
}

RingTimeText RingTimeAt(std::string_view text, const FILETIME& now) {
  std::optional<SYSTEMTIME> date = TakeDate(text);
  const char* problem = nullptr;
  const std::optional<SYSTEMTIME> timeOfDay = ReadTimeOfDay(text, &problem);
  if (!timeOfDay) {
    return Problem(problem);
  }
  RingTimeText result;
  if (date) {
    if (!RingTimeOf(*date, *timeOfDay, &result.time)) {
      return Problem(kNoDate);
    }
    return result;
  }
  SYSTEMTIME today{};
  if (!FileTimeToSystemTime(&now, &today) || !RingTimeOf(today, *timeOfDay, &result.time)) {
    return Problem(kTooFar);
  }
  if (CompareFileTime(&result.time, &now) == -1) {
    // Passed today: the same time of day tomorrow, a calendar day later.
    const FILETIME tomorrowTime = Uint64ToFileTime(FileTimeToUint64(now) + kTicksPerDay);
    SYSTEMTIME tomorrow{};
    if (!FileTimeToSystemTime(&tomorrowTime, &tomorrow) ||
        !RingTimeOf(tomorrow, *timeOfDay, &result.time)) {
      return Problem(kTooFar);
    }
  }
  return result;
}

std::string FormatRingTime(const FILETIME& time) {
  SYSTEMTIME calendar{};
  FileTimeToSystemTime(&time, &calendar);
  char text[40];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", unsigned{calendar.wYear},
                unsigned{calendar.wMonth}, unsigned{calendar.wDay}, unsigned{calendar.wHour},
                unsigned{calendar.wMinute}, unsigned{calendar.wSecond});
  return text;
}
