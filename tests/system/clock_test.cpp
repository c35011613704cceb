// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/system/clock.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

FILETIME ToFileTime(SYSTEMTIME calendar) {
  FILETIME file{};
  EXPECT_TRUE(SystemTimeToFileTime(&calendar, &file));
  return file;
}

TEST(ClockTest, WorkedExampleSplitsIntoTheStoredHalves) {
  const FILETIME file = ToFileTime({2007, 6, 0, 15, 8, 5, 0, 0});
  EXPECT_EQ(FileTimeToUint64(file), 128263683000000000ull);
  EXPECT_EQ(file.dwHighDateTime, 29863715u);
  EXPECT_EQ(file.dwLowDateTime, 3737935360u);
}

TEST(ClockTest, CalendarEdgesRoundTrip) {
  const SYSTEMTIME times[] = {
      {1601, 1, 0, 1, 0, 0, 0, 0},      {2000, 2, 0, 29, 23, 59, 59, 999},
      {2026, 12, 0, 31, 23, 59, 59, 0}, {2027, 1, 0, 1, 0, 0, 0, 0},
      {2100, 3, 0, 1, 12, 30, 0, 500},  {30827, 12, 0, 31, 23, 59, 59, 999},
  };
  for (const SYSTEMTIME& time : times) {
    SYSTEMTIME back{};
    const FILETIME file = ToFileTime(time);
    ASSERT_TRUE(FileTimeToSystemTime(&file, &back));
    EXPECT_EQ(back.wYear, time.wYear);
    EXPECT_EQ(back.wMonth, time.wMonth);
    EXPECT_EQ(back.wDay, time.wDay);
    EXPECT_EQ(back.wHour, time.wHour);
    EXPECT_EQ(back.wMinute, time.wMinute);
    EXPECT_EQ(back.wSecond, time.wSecond);
    EXPECT_EQ(back.wMilliseconds, time.wMilliseconds);
  }
  EXPECT_EQ(FileTimeToUint64(ToFileTime({1601, 1, 0, 1, 0, 0, 0, 0})), 0u);
  // One day later is exactly a day of 100-ns units, across a month end and a leap day.
  EXPECT_EQ(FileTimeToUint64(ToFileTime({2024, 3, 0, 1, 0, 0, 0, 0})) -
                FileTimeToUint64(ToFileTime({2024, 2, 0, 29, 0, 0, 0, 0})),
            864'000'000'000ull);
}

TEST(ClockTest, DayOfWeekIsComputed) {
  SYSTEMTIME back{};
  const FILETIME monday = ToFileTime({2026, 12, 5, 7, 0, 0, 0, 0});  // wrong day given
  ASSERT_TRUE(FileTimeToSystemTime(&monday, &back));
  EXPECT_EQ(back.wDayOfWeek, 1);
  const FILETIME first = ToFileTime({1601, 1, 0, 1, 0, 0, 0, 0});
  ASSERT_TRUE(FileTimeToSystemTime(&first, &back));
  EXPECT_EQ(back.wDayOfWeek, 1);
}

TEST(ClockTest, InvalidValuesAreRefused) {
  const SYSTEMTIME invalid[] = {
      {1600, 12, 0, 31, 0, 0, 0, 0}, {2023, 2, 0, 29, 0, 0, 0, 0},   {1900, 2, 0, 29, 0, 0, 0, 0},
      {2026, 13, 0, 1, 0, 0, 0, 0},  {2026, 0, 0, 1, 0, 0, 0, 0},    {2026, 4, 0, 31, 0, 0, 0, 0},
      {2026, 1, 0, 0, 0, 0, 0, 0},   {2026, 1, 0, 1, 24, 0, 0, 0},   {2026, 1, 0, 1, 0, 60, 0, 0},
      {2026, 1, 0, 1, 0, 0, 60, 0},  {2026, 1, 0, 1, 0, 0, 0, 1000}, {30828, 1, 0, 1, 0, 0, 0, 0},
  };
  for (const SYSTEMTIME& time : invalid) {
    FILETIME file{7, 7};
    EXPECT_FALSE(SystemTimeToFileTime(&time, &file))
        << time.wYear << "-" << time.wMonth << "-" << time.wDay;
    EXPECT_EQ(file.dwLowDateTime, 7u);
  }
  SYSTEMTIME calendar{};
  const FILETIME tooLate = Uint64ToFileTime(0x8000000000000000ull);
  EXPECT_FALSE(FileTimeToSystemTime(&tooLate, &calendar));
}

TEST(ClockTest, CompareIsUnsignedHighWordFirst) {
  const FILETIME low{0xFFFFFFFF, 1};
  const FILETIME high{0, 2};
  const FILETIME bigLow{0x80000000, 2};
  EXPECT_EQ(CompareFileTime(&low, &high), -1);
  EXPECT_EQ(CompareFileTime(&high, &low), 1);
  EXPECT_EQ(CompareFileTime(&high, &high), 0);
  EXPECT_EQ(CompareFileTime(&high, &bigLow), -1);
}

TEST(ClockTest, LocalTimeFollowsTheSystemClockInTheLocalZone) {
  const std::time_t before = std::time(nullptr);
  SYSTEMTIME now{};
  GetLocalTime(&now);
  std::tm local{};
  localtime_r(&before, &local);
  EXPECT_EQ(now.wYear, local.tm_year + 1900);
  EXPECT_EQ(now.wMonth, local.tm_mon + 1);
  EXPECT_EQ(now.wDayOfWeek, local.tm_wday);
  FILETIME file{};
  EXPECT_TRUE(SystemTimeToFileTime(&now, &file));

  SetLocalTimeSource([] { return SYSTEMTIME{2001, 2, 0, 3, 4, 5, 6, 7}; });
  GetLocalTime(&now);
  SetLocalTimeSource({});
  EXPECT_EQ(now.wYear, 2001);
  EXPECT_EQ(now.wMilliseconds, 7);
}

}  // namespace
