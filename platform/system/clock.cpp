// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "clock.h"

#include <ctime>
#include <initializer_list>
#include <mutex>

namespace {

constexpr std::uint64_t kTicksPerMillisecond = 10'000;
constexpr std::uint64_t kTicksPerSecond = 10'000'000;
constexpr std::uint64_t kTicksPerDay = 86'400 * kTicksPerSecond;

std::mutex sourceMutex;
std::function<SYSTEMTIME()> localTimeSource;

bool IsLeapYear(long year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(long year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to the given proleptic Gregorian date (Howard Hinnant's algorithm).
long long DaysFromCivil(long long year, unsigned month, unsigned day) {
  year -= month <= 2;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<long long>(dayOfEra) - 719468;
}

void CivilFromDays(long long days, long long* year, unsigned* month, unsigned* day) {
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
  const unsigned yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned monthIndex = (5 * dayOfYear + 2) / 153;
  *day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
  *month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
  *year = static_cast<long long>(yearOfEra) + era * 400 + (*month <= 2);
}

const long long kDaysFrom1601To1970 = -DaysFromCivil(1601, 1, 1);

}  // namespace

void SetLocalTimeSource(std::function<SYSTEMTIME()> source) {
  std::lock_guard lock(sourceMutex);
  localTimeSource = std::move(source);
}

void GetLocalTime(SYSTEMTIME* now) {
  {
    std::lock_guard lock(sourceMutex);
    if (localTimeSource) {
      *now = localTimeSource();
      return;
    }
  }
  timespec clockTime{};
  clock_gettime(CLOCK_REALTIME, &clockTime);
  tm local{};
  localtime_r(&clockTime.tv_sec, &local);
  now->wYear = static_cast<std::uint16_t>(local.tm_year + 1900);
  now->wMonth = static_cast<std::uint16_t>(local.tm_mon + 1);
  now->wDayOfWeek = static_cast<std::uint16_t>(local.tm_wday);
  now->wDay = static_cast<std::uint16_t>(local.tm_mday);
  now->wHour = static_cast<std::uint16_t>(local.tm_hour);
  now->wMinute = static_cast<std::uint16_t>(local.tm_min);
  // A leap second shows as 59 so that the value stays convertible.
  now->wSecond = static_cast<std::uint16_t>(local.tm_sec > 59 ? 59 : local.tm_sec);
  now->wMilliseconds = static_cast<std::uint16_t>(clockTime.tv_nsec / 1'000'000);
}

FILETIME LocalNowAsFileTime() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  FILETIME time{};
  SystemTimeToFileTime(&now, &time);
  return time;
}

bool SystemTimeToFileTime(const SYSTEMTIME* calendar, FILETIME* file) {
  const SYSTEMTIME& time = *calendar;
  if (time.wYear < 1601 || time.wYear > 30827 || time.wMonth < 1 || time.wMonth > 12 ||
      time.wDay < 1 || time.wDay > DaysInMonth(time.wYear, time.wMonth) || time.wHour > 23 ||
      time.wMinute > 59 || time.wSecond > 59 || time.wMilliseconds > 999) {
    return false;
  }
  const long long days = DaysFromCivil(time.wYear, time.wMonth, time.wDay) + kDaysFrom1601To1970;
  const std::uint64_t ticks =
      static_cast<std::uint64_t>(days) * kTicksPerDay +
      (time.wHour * 3600ull + time.wMinute * 60ull + time.wSecond) * kTicksPerSecond +
      time.wMilliseconds * kTicksPerMillisecond;
  *file = Uint64ToFileTime(ticks);
  return true;
}

bool FileTimeToSystemTime(const FILETIME* file, SYSTEMTIME* calendar) {
  const std::uint64_t ticks = FileTimeToUint64(*file);
  if (ticks > 0x7FFFFFFFFFFFFFFFull) {
    return false;
  }
  const long long days = static_cast<long long>(ticks / kTicksPerDay);
  std::uint64_t rest = ticks % kTicksPerDay;
  long long year = 0;
  unsigned month = 0;
  unsigned day = 0;
  CivilFromDays(days - kDaysFrom1601To1970, &year, &month, &day);
  calendar->wYear = static_cast<std::uint16_t>(year);
  calendar->wMonth = static_cast<std::uint16_t>(month);
  calendar->wDay = static_cast<std::uint16_t>(day);
  // 1 January 1601 was a Monday.
  calendar->wDayOfWeek = static_cast<std::uint16_t>((days + 1) % 7);
  calendar->wHour = static_cast<std::uint16_t>(rest / (3600 * kTicksPerSecond));
  rest %= 3600 * kTicksPerSecond;
  calendar->wMinute = static_cast<std::uint16_t>(rest / (60 * kTicksPerSecond));
  rest %= 60 * kTicksPerSecond;
  calendar->wSecond = static_cast<std::uint16_t>(rest / kTicksPerSecond);
  rest %= kTicksPerSecond;
  calendar->wMilliseconds = static_cast<std::uint16_t>(rest / kTicksPerMillisecond);
  return true;
}

std::tm CalendarOf(const SYSTEMTIME& time) {
  std::tm calendar{};
  calendar.tm_year = time.wYear - 1900;
  calendar.tm_mon = time.wMonth - 1;
  calendar.tm_mday = time.wDay;
  calendar.tm_hour = time.wHour;
  calendar.tm_min = time.wMinute;
  calendar.tm_sec = time.wSecond;
  calendar.tm_isdst = -1;
  return calendar;
}

int LocalTimeOccurrences(const SYSTEMTIME& time) {
  // Read once as standard time and once as summer time: each reading that the clock shows
  // again at its moment is one occurrence.
  int occurrences = 0;
  std::time_t first = -1;
  for (const int summerTime : {0, 1}) {
    std::tm calendar = CalendarOf(time);
    calendar.tm_isdst = summerTime;
    const std::time_t moment = std::mktime(&calendar);
    std::tm shown{};
    if (moment == -1 || localtime_r(&moment, &shown) == nullptr) {
      continue;
    }
    if (shown.tm_year == time.wYear - 1900 && shown.tm_mon == time.wMonth - 1 &&
        shown.tm_mday == time.wDay && shown.tm_hour == time.wHour && shown.tm_min == time.wMinute &&
        shown.tm_sec == time.wSecond && moment != first) {
      ++occurrences;
      first = moment;
    }
  }
  return occurrences;
}

long CompareFileTime(const FILETIME* first, const FILETIME* second) {
  const std::uint64_t firstTicks = FileTimeToUint64(*first);
  const std::uint64_t secondTicks = FileTimeToUint64(*second);
  return firstTicks < secondTicks ? -1 : (firstTicks > secondTicks ? 1 : 0);
}
