// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Ring times typed on the command line, and the rule every new call's ring time must pass.
#include <gmock/gmock.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "platform/system/clock.h"
#include "store/new_call.h"
#include "store/ring_time_text.h"

namespace {

using ::testing::HasSubstr;

FILETIME At(std::uint16_t year, std::uint16_t month, std::uint16_t day, std::uint16_t hour,
            std::uint16_t minute, std::uint16_t second, std::uint16_t milliseconds = 0) {
  const SYSTEMTIME calendar{year, month, 0, day, hour, minute, second, milliseconds};
  FILETIME time{};
  EXPECT_TRUE(SystemTimeToFileTime(&calendar, &time));
  return time;
}

// The ring time as the command line prints it, with any fraction of a second shown too; the
// problem when the text was refused.
std::string Shown(const RingTimeText& read) {
  if (!read.problem.empty()) {
    return "refused: " + read.problem;
  }
  const std::uint64_t fraction = FileTimeToUint64(read.time) % 10'000'000;
  return FormatRingTime(read.time) + (fraction != 0 ? " +" + std::to_string(fraction) : "");
}

// The zone the process reads local times in, for one test.
class TimeZone {
 public:
  explicit TimeZone(const char* zone) {
    if (const char* before = std::getenv("TZ")) {
      before_ = before;
    }
    setenv("TZ", zone, 1);
    tzset();
  }
  ~TimeZone() {
    if (before_) {
      setenv("TZ", before_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  std::optional<std::string> before_;
};

TEST(RingTimeTest, TextsThatAreNoDurationAreRefused) {
  const FILETIME now = At(2026, 12, 9, 18, 0, 0);
  for (const char* text : {"", "5", "m", "5x", "5M", "1m1h", "1m1m", "1h30m1h", "-5m", "+5m",
                           "1.5h", " 5m", "5m ", "1h 30m", "5m\n"}) {
    EXPECT_THAT(Shown(RingTimeIn(text, now)), HasSubstr("no duration")) << '"' << text << '"';
  }
  // Past what the calendar can name (the year 30827), however many digits.
  for (const char* text :
       {"99999999999999999999h", "300000000h", "1000000000000s", "1h99999999999999999999999999m"}) {
    EXPECT_EQ(Shown(RingTimeIn(text, now)), "refused: is too far ahead") << text;
  }
  EXPECT_EQ(Shown(RingTimeIn("200000h", now)), "2049-10-03 02:00:00");
}

// Counted on the local clock from the next whole second, across midnight and the year's end.
TEST(RingTimeTest, DurationsCountFromTheNextWholeSecond) {
  const FILETIME now = At(2026, 12, 31, 23, 58, 30, 250);
  EXPECT_EQ(Shown(RingTimeIn("90s", now)), "2027-01-01 00:00:01");
  EXPECT_EQ(Shown(RingTimeIn("5m", now)), "2027-01-01 00:03:31");
  EXPECT_EQ(Shown(RingTimeIn("1h30m", now)), "2027-01-01 01:28:31");
  EXPECT_EQ(Shown(RingTimeIn("1h0m", now)), "2027-01-01 00:58:31");
  EXPECT_EQ(Shown(RingTimeIn("1h2m3s", now)), "2027-01-01 01:00:34");
  EXPECT_EQ(Shown(RingTimeIn("0005m", now)), "2027-01-01 00:03:31");
  EXPECT_EQ(Shown(RingTimeIn("0s", now)), "2026-12-31 23:58:31");
  // On a whole second nothing is added.
  EXPECT_EQ(Shown(RingTimeIn("0s", At(2026, 12, 9, 18, 0, 0))), "2026-12-09 18:00:00");
}

// As the screen refuses: earlier than 11 seconds ahead. --in 10s never passes, --in 11s always.
TEST(RingTimeTest, RingTimesLessThanElevenSecondsAheadAreRefused) {
  for (const int milliseconds : {0, 1, 999}) {
    const FILETIME now = At(2026, 12, 9, 18, 0, 0, static_cast<std::uint16_t>(milliseconds));
    EXPECT_EQ(CheckRingTime(RingTimeIn("0s", now).time, now), RingTimeCheck::kTooSoon);
    EXPECT_EQ(CheckRingTime(RingTimeIn("10s", now).time, now), RingTimeCheck::kTooSoon);
    EXPECT_EQ(CheckRingTime(RingTimeIn("11s", now).time, now), RingTimeCheck::kAccepted);
    EXPECT_EQ(CheckRingTime(At(2026, 12, 9, 17, 59, 0), now), RingTimeCheck::kTooSoon);
  }
}

TEST(RingTimeTest, TextsThatAreNoTimeAreRefused) {
  const FILETIME now = At(2026, 12, 9, 18, 0, 0);
  for (const char* text : {"", "12", "12:", "12:5", "12:00:", "12:00:5", "123:00", "12h", "12:00 ",
                           " 12:00", "12.00", "2026-12-09", "2026-12-9 10:00", "2026/12/09 10:00",
                           "2026-12-09  10:00", "26-12-09 10:00"}) {
    EXPECT_THAT(Shown(RingTimeAt(text, now)), HasSubstr("no time such as")) << '"' << text << '"';
  }
  for (const char* text : {"24:00", "23:60", "12:00:60", "2026-12-10 24:00"}) {
    EXPECT_THAT(Shown(RingTimeAt(text, now)), HasSubstr("no time of day")) << text;
  }
  for (const char* text :
       {"2026-02-29 10:00", "2026-02-30 10:00", "2026-04-31 10:00", "2026-13-01 10:00",
        "2026-00-10 10:00", "2026-12-00 10:00", "1600-12-31 10:00"}) {
    EXPECT_EQ(Shown(RingTimeAt(text, now)), "refused: is no date of the calendar") << text;
  }
}

TEST(RingTimeTest, ATimeOfDayRingsTodayOrTomorrowOncePassed) {
  const FILETIME now = At(2026, 12, 31, 23, 59, 0, 500);
  EXPECT_EQ(Shown(RingTimeAt("23:59:30", now)), "2026-12-31 23:59:30");
  EXPECT_EQ(Shown(RingTimeAt("23:59", now)), "2027-01-01 23:59:00");  // half a second ago
  EXPECT_EQ(Shown(RingTimeAt("00:00", now)), "2027-01-01 00:00:00");
  EXPECT_EQ(Shown(RingTimeAt("0:00:00", now)), "2027-01-01 00:00:00");
  EXPECT_EQ(Shown(RingTimeAt("7:05", now)), "2027-01-01 07:05:00");
  EXPECT_EQ(Shown(RingTimeAt("11:00", At(2028, 2, 28, 12, 0, 0))), "2028-02-29 11:00:00");
  // Midnight at midnight: that very moment, which the check then refuses as too soon.
  const FILETIME midnight = At(2026, 12, 9, 0, 0, 0);
  EXPECT_EQ(Shown(RingTimeAt("00:00", midnight)), "2026-12-09 00:00:00");
  EXPECT_EQ(CheckRingTime(RingTimeAt("00:00", midnight).time, midnight), RingTimeCheck::kTooSoon);
}

// A date is taken as typed, the way the screen's date and time fields make a ring time.
TEST(RingTimeTest, ADateAndTimeIsThatLocalTimeExactly) {
  const FILETIME now = At(2026, 12, 9, 18, 0, 0);
  EXPECT_EQ(FileTimeToUint64(RingTimeAt("2007-06-15 08:05", now).time), 128263683000000000ull);
  EXPECT_EQ(Shown(RingTimeAt("2026-12-09 18:30", now)), "2026-12-09 18:30:00");
  EXPECT_EQ(Shown(RingTimeAt("2026-12-09T18:30:15", now)), "2026-12-09 18:30:15");
  EXPECT_EQ(Shown(RingTimeAt("2028-02-29 00:00", now)), "2028-02-29 00:00:00");
  // Read, and then refused for being past.
  EXPECT_EQ(CheckRingTime(RingTimeAt("2026-12-09 17:59:59", now).time, now),
            RingTimeCheck::kTooSoon);
}

// Ring times are wall-clock times. In Berlin the clocks skip 02:00 to 03:00 on 29 March 2026:
// no launch would find a call due then, so it is refused. On 25 October 2026 they show 02:00
// to 03:00 twice: the call is kept and rings once, when the armed launch finds it due.
TEST(RingTimeTest, ATimeTheClocksSkipIsRefusedAndARepeatedOneKept) {
  const FILETIME now = At(2026, 3, 28, 12, 0, 0);
  {
    const TimeZone berlin("Europe/Berlin");
    EXPECT_EQ(CheckRingTime(At(2026, 3, 29, 2, 30, 0), now), RingTimeCheck::kSkipped);
    EXPECT_EQ(CheckRingTime(At(2026, 3, 29, 2, 0, 0), now), RingTimeCheck::kSkipped);
    EXPECT_EQ(CheckRingTime(At(2026, 3, 29, 2, 59, 59), now), RingTimeCheck::kSkipped);
    EXPECT_EQ(CheckRingTime(At(2026, 3, 29, 1, 59, 59), now), RingTimeCheck::kAccepted);
    EXPECT_EQ(CheckRingTime(At(2026, 3, 29, 3, 0, 0), now), RingTimeCheck::kAccepted);
    // A duration that lands in the skipped hour is counted on the clock, as the screen's
    // five minutes are, and refused the same way.
    EXPECT_EQ(CheckRingTime(RingTimeIn("5m", At(2026, 3, 29, 1, 58, 0)).time, now),
              RingTimeCheck::kSkipped);
    EXPECT_EQ(CheckRingTime(At(2026, 10, 25, 2, 30, 0), now), RingTimeCheck::kAccepted);

    EXPECT_EQ(LocalTimeOccurrences({2026, 3, 0, 29, 2, 30, 0, 0}), 0);
    EXPECT_EQ(LocalTimeOccurrences({2026, 10, 0, 25, 2, 30, 0, 0}), 2);
    EXPECT_EQ(LocalTimeOccurrences({2026, 10, 0, 25, 3, 0, 0, 0}), 1);
  }
  const TimeZone utc("UTC");
  EXPECT_EQ(CheckRingTime(At(2026, 3, 29, 2, 30, 0), now), RingTimeCheck::kAccepted);
  EXPECT_EQ(LocalTimeOccurrences({2026, 10, 0, 25, 2, 30, 0, 0}), 1);
}

}  // namespace
