// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The waiter for real: programs that record how and when they were started are armed a few
// seconds ahead, and the test watches them start (or not).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "launch_fixture.h"
#include "platform/launch/timed_launch.h"
#include "platform/launch/waiter_state.h"
#include "platform/system/module_path.h"
#include "platform/system/text.h"

namespace {

using launch_test::CountWaitersFor;
using launch_test::Lines;
using launch_test::LocalCalendar;
using launch_test::ReadFile;
using launch_test::ScopedVariable;
using launch_test::TemporaryDirectory;
namespace fs = std::filesystem;

double Now() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

void SleepUntil(double moment) {
  const double left = moment - Now();
  if (left > 0) {
    std::this_thread::sleep_for(std::chrono::duration<double>(left));
  }
}

// One start as the program recorded it: its argument count, first argument and start time.
struct Start {
  int count = 0;
  std::string argument;
  double time = 0;
};

class WaiterTest : public testing::Test {
 protected:
  void SetUp() override {
    SetModuleFileNameForTesting(FromUtf8(launch_test::BuildDirectory() + "/pelorin"));
  }
  void TearDown() override {
    SetModuleFileNameForTesting({});
    for (const fs::path& program : programs_) {
      CancelWaiters(program.string());  // what a failed test left armed
    }
  }

  // A program in a directory of its own whose path has blanks and quotes; it appends
  // "count|first argument|start time" to the file "starts" beside it.
  fs::path MakeRecorder(const std::string& name) {
    const fs::path directory = scratch_.path() / ("calls of '" + name + "' \"now\"");
    fs::create_directories(directory);
    const fs::path program = directory / ("ring " + name);
    launch_test::WriteExecutable(
        program,
        "#!/bin/sh\n"
        "printf '%s|%s|%s\\n' \"$#\" \"$1\" \"$(date +%s.%N)\" >> \"$(dirname \"$0\")/starts\"\n");
    programs_.push_back(program);
    return program;
  }

  std::vector<Start> StartsOf(const fs::path& program) {
    std::vector<Start> starts;
    for (const std::string& line : Lines(ReadFile(program.parent_path() / "starts"))) {
      Start start;
      const std::size_t first = line.find('|');
      const std::size_t second = line.find('|', first + 1);
      start.count = std::stoi(line.substr(0, first));
      start.argument = line.substr(first + 1, second - first - 1);
      start.time = std::stod(line.substr(second + 1));
      starts.push_back(start);
    }
    return starts;
  }

  bool Arm(const fs::path& program, std::time_t moment) {
    const SYSTEMTIME time = LocalCalendar(moment);
    return CeRunAppAtTime(FromUtf8(program.string()), &time);
  }

  TemporaryDirectory scratch_;
  ScopedVariable backend_{"PELORIN_TIMED_LAUNCH", "waiter"};
  std::vector<fs::path> programs_;
};

TEST_F(WaiterTest, RefusesWhatItCannotArmWithOneLineOnStderr) {
  const fs::path program = MakeRecorder("refused");
  const std::time_t later = std::time(nullptr) + 3600;
  SYSTEMTIME badMonth = LocalCalendar(later);
  badMonth.wMonth = 13;

  const auto refuses = [&](const std::u16string& path, const SYSTEMTIME* time,
                           const std::string& reason) {
    testing::internal::CaptureStderr();
    EXPECT_FALSE(CeRunAppAtTime(path, time)) << reason;
    const std::vector<std::string> lines = Lines(testing::internal::GetCapturedStderr());
    ASSERT_EQ(lines.size(), 1u) << reason;
    EXPECT_NE(lines[0].find(reason), std::string::npos) << lines[0];
  };
  const SYSTEMTIME valid = LocalCalendar(later);
  refuses(FromUtf8(program.string()), nullptr, "not a valid calendar time");
  refuses(FromUtf8(program.string()), &badMonth, "not a valid calendar time");
  refuses(u"ring", &valid, "not absolute");
  refuses(FromUtf8((scratch_.path() / "missing").string()), &valid, "cannot be run");
  // A launch due at once would start a program that arms again, and again.
  const SYSTEMTIME now = LocalCalendar(std::time(nullptr));
  const SYSTEMTIME past = LocalCalendar(std::time(nullptr) - 3600);
  refuses(FromUtf8(program.string()), &now, "is not in the future");
  refuses(FromUtf8(program.string()), &past, "is not in the future");

  SetModuleFileNameForTesting(FromUtf8((scratch_.path() / "pelorin").string()));
  refuses(FromUtf8(program.string()), &valid, "no pelorin-waiter beside the program");
  SetModuleFileNameForTesting(FromUtf8(launch_test::BuildDirectory() + "/pelorin"));
  EXPECT_EQ(CountWaitersFor(program.string()), 0);
  EXPECT_TRUE(StartsOf(program).empty());
}

TEST_F(WaiterTest, TheStateLivesWhereTheUserIdSaysAndOnlyInAPrivateDirectory) {
  const std::string user = std::to_string(geteuid());
  const StatePlaces places{(scratch_.path() / "run").string(), (scratch_.path() / "tmp").string()};
  fs::create_directories(places.runtimeRoot);
  fs::create_directories(places.temporaryRoot);
  ScopedVariable runtime{"XDG_RUNTIME_DIR", (scratch_.path() / "elsewhere").string()};
  std::string failure;

  // Without a runtime directory of the user's own, a private one in the temporary root.
  const std::string temporary = StateFilePath("/p/pelorin", &failure, places);
  EXPECT_EQ(fs::path(temporary).parent_path(), places.temporaryRoot + "/pelorin-" + user);
  EXPECT_EQ(fs::status(fs::path(temporary).parent_path()).permissions(), fs::perms::owner_all);

  fs::create_directories(places.runtimeRoot + "/" + user);
  EXPECT_EQ(fs::path(StateFilePath("/p/pelorin", &failure, places)).parent_path(),
            places.runtimeRoot + "/" + user + "/pelorin");

  // Another user could change a directory open to all; it is not used.
  fs::remove_all(places.runtimeRoot + "/" + user);
  chmod((places.temporaryRoot + "/pelorin-" + user).c_str(), 0777);
  EXPECT_EQ(StateFilePath("/p/pelorin", &failure, places), "");
  EXPECT_NE(failure.find("is not a private directory"), std::string::npos) << failure;
}

TEST_F(WaiterTest, OneWaiterPerProgramWhateverTheEnvironmentOfTheArming) {
  const fs::path program = MakeRecorder("once");
  const std::time_t later = std::time(nullptr) + 3600;
  {
    ScopedVariable runtime{"XDG_RUNTIME_DIR", scratch_.path().string()};
    ASSERT_TRUE(Arm(program, later));
  }
  {
    ScopedVariable runtime{"XDG_RUNTIME_DIR", std::nullopt};
    ASSERT_TRUE(Arm(program, later + 1));
  }
  EXPECT_EQ(CountWaitersFor(program.string()), 1);

  // A waiter whose state file is not where this build keeps it (an older build's) goes too.
  std::string failure;
  fs::remove(StateFilePath(program.string(), &failure));
  ASSERT_TRUE(Arm(program, later + 2));
  EXPECT_EQ(CountWaitersFor(program.string()), 1);
}

TEST_F(WaiterTest, AnArmingKilledAtAnyStepLeavesExactlyOneWaiterThatFires) {
  const std::time_t target = std::time(nullptr) + 2;
  const fs::path beforeRecord = MakeRecorder("killed before record");
  const fs::path afterRecord = MakeRecorder("killed after record");
  for (const fs::path& program : {beforeRecord, afterRecord}) {
    ASSERT_TRUE(Arm(program, target + 1));
  }
  testing::internal::CaptureStderr();
  {
    ScopedVariable kill{"PELORIN_WAITER_TEST_KILL_AT", "forked"};
    EXPECT_FALSE(Arm(beforeRecord, target));
  }
  {
    ScopedVariable kill{"PELORIN_WAITER_TEST_KILL_AT", "recorded"};
    EXPECT_FALSE(Arm(afterRecord, target));
  }
  EXPECT_EQ(Lines(testing::internal::GetCapturedStderr()).size(), 2u);
  EXPECT_EQ(CountWaitersFor(beforeRecord.string()), 1);
  EXPECT_EQ(CountWaitersFor(afterRecord.string()), 1);

  SleepUntil(static_cast<double>(target) + 2.5);
  const std::vector<Start> earlier = StartsOf(beforeRecord);
  ASSERT_EQ(earlier.size(), 1u) << "the earlier waiter stays the one to fire";
  EXPECT_GE(earlier[0].time, static_cast<double>(target + 1));
  const std::vector<Start> recorded = StartsOf(afterRecord);
  ASSERT_EQ(recorded.size(), 1u) << "the recorded waiter fires";
  EXPECT_LT(recorded[0].time, static_cast<double>(target + 1));
  EXPECT_EQ(CountWaitersFor(beforeRecord.string()) + CountWaitersFor(afterRecord.string()), 0);
}

TEST_F(WaiterTest, StartsOnTheSecondAndArmingAgainReplacesTheEarlierWaiter) {
  const fs::path onTime = MakeRecorder("on time");
  const fs::path replaced = MakeRecorder("replaced");
  const std::time_t target = std::time(nullptr) + 2;

  ASSERT_TRUE(Arm(onTime, target));
  ASSERT_TRUE(Arm(replaced, target));
  ASSERT_TRUE(Arm(replaced, target + 1));
  EXPECT_TRUE(StartsOf(onTime).empty()) << "arming returns before the launch";
  for (int tries = 0; tries < 100 && CountWaitersFor(replaced.string()) > 1; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(CountWaitersFor(replaced.string()), 1) << "the earlier waiter was ended";
  EXPECT_EQ(CountWaitersFor(onTime.string()), 1);

  SleepUntil(static_cast<double>(target) + 2.5);
  const std::vector<Start> first = StartsOf(onTime);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].count, 1);
  EXPECT_EQ(first[0].argument, "AppRunAtTime");
  EXPECT_GE(first[0].time, static_cast<double>(target));
  EXPECT_LT(first[0].time, static_cast<double>(target) + 1);

  const std::vector<Start> second = StartsOf(replaced);
  ASSERT_EQ(second.size(), 1u) << "only the later arming starts the program";
  EXPECT_EQ(second[0].argument, "AppRunAtTime");
  EXPECT_GE(second[0].time, static_cast<double>(target + 1));
  EXPECT_LT(second[0].time, static_cast<double>(target) + 2);
  EXPECT_EQ(CountWaitersFor(replaced.string()), 0);
}

}  // namespace
