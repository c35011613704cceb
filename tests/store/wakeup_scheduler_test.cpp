// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/wakeup_scheduler.h"

#include <gmock/gmock.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>
#include <vector>

#include "platform/launch/timed_launch.h"
#include "tests/support/schedule_fixture.h"
#include "tests/support/text_files.h"

namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

struct Arming {
  std::u16string executable;
  SYSTEMTIME time;
};

class WakeupSchedulerTest : public ScheduleFixture {
 protected:
  void SetUp() override {
    ScheduleFixture::SetUp();
    SetTimedLaunchService([this](const std::u16string& executable, const SYSTEMTIME& time) {
      armings_.push_back({executable, time});
      return true;
    });
  }
  void TearDown() override {
    SetTimedLaunchService({});
    ScheduleFixture::TearDown();
  }
  std::vector<Arming> armings_;
};

TEST_F(WakeupSchedulerTest, PurgesDueCallsThenArmsTheEarliestLeft) {
  WriteSchedule("<CallInfo>" + Call("past", NowPlus(-100)) + Call("late", NowPlus(7200)) +
                Call("soon", NowPlus(5)) + Call("next", NowPlus(65)) + "</CallInfo>");
  ScheduleStore store;
  WakeupScheduler(store);
  EXPECT_EQ(store.CountCalls(), 2);
  ASSERT_EQ(armings_.size(), 1u);
  EXPECT_EQ(armings_[0].executable, FromUtf8((directory_ / "pelorin").string()));
  const SYSTEMTIME& t = armings_[0].time;
  // Now is 2026-12-07 12:00:00; the earliest call left rings 65 seconds later.
  EXPECT_EQ(t.wYear, 2026);
  EXPECT_EQ(t.wMonth, 12);
  EXPECT_EQ(t.wDay, 7);
  EXPECT_EQ(t.wHour, 12);
  EXPECT_EQ(t.wMinute, 1);
  EXPECT_EQ(t.wSecond, 5);
}

TEST_F(WakeupSchedulerTest, ArmsNothingWhenNoCallIsLeftOrTheFileIsUnusable) {
  for (const std::string& content :
       {std::string("<CallInfo>") + Call("gone", NowPlus(10)) + "</CallInfo>",
        std::string("<CallInfo/>"), std::string("<broken"),
        std::string("<CallInfo>text") + Call("kept", NowPlus(600)) + "</CallInfo>"}) {
    SCOPED_TRACE(content);
    WriteSchedule(content);
    ScheduleStore store;
    WakeupScheduler(store);
    EXPECT_TRUE(armings_.empty());
  }
}

TEST_F(WakeupSchedulerTest, AFileThatCannotBeSavedArmsOnlyACallStillToCome) {
  // Two wake-ups, as a list refresh after a timed launch makes them; each armed time as hh:mm:ss.
  const auto armedTimes = [this] {
    ScheduleStore store;
    WakeupScheduler(store);
    WakeupScheduler(store);
    std::string times;
    for (const Arming& arming : armings_) {
      char text[32];
      std::snprintf(text, sizeof text, "%02d:%02d:%02d ", arming.time.wHour, arming.time.wMinute,
                    arming.time.wSecond);
      times += text;
    }
    return times;
  };
  WriteSchedule("<CallInfo>" + Call("past", NowPlus(-100)) + Call("later", NowPlus(7200)) +
                Call("next", NowPlus(65)) + "</CallInfo>");
  const auto [times, errors] = InReadOnlyDirectory(armedTimes);
  EXPECT_EQ(times, "12:01:05 12:01:05 ");
  EXPECT_THAT(test_support::Lines(errors),
              ElementsAre(AllOf(HasSubstr(SchedulePath().string()), HasSubstr("cannot be saved"),
                                HasSubstr("is not writable"))));

  WriteSchedule("<CallInfo>" + Call("past", NowPlus(-100)) + Call("soon", NowPlus(10)) +
                "</CallInfo>");
  EXPECT_EQ(InReadOnlyDirectory(armedTimes).first, "");
}

TEST_F(WakeupSchedulerTest, TwoCallsAtOneTimeArmOnce) {
  WriteSchedule("<CallInfo>" + Call("a", NowPlus(120)) + Call("b", NowPlus(120)) + "</CallInfo>");
  ScheduleStore store;
  WakeupScheduler(store);
  ASSERT_EQ(armings_.size(), 1u);
  EXPECT_EQ(armings_[0].time.wMinute, 2);
  EXPECT_EQ(store.CountCalls(), 2);
}

// Another process that arms while this one reads the file (a ringing launch while the person
// deletes a call) must not put back a call that the newer file no longer holds: the earliest
// call is read only once the other arming's turn is over.
TEST_F(WakeupSchedulerTest, TheEarliestCallIsReadOnceAnotherArmingsTurnIsOver) {
  WriteSchedule("<CallInfo>" + Call("deleted", NowPlus(60)) + Call("kept", NowPlus(120)) +
                "</CallInfo>");
  std::optional<TimedLaunchTurn> other(std::in_place, FromUtf8((directory_ / "pelorin").string()));
  std::thread scheduler([] {
    ScheduleStore store;
    WakeupScheduler(store);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  WriteSchedule("<CallInfo>" + Call("kept", NowPlus(120)) + "</CallInfo>");
  other.reset();
  scheduler.join();
  ASSERT_EQ(armings_.size(), 1u);
  EXPECT_EQ(armings_[0].time.wMinute, 2);
}

}  // namespace
