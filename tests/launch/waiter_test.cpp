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
#include "platform/system/module_path.h"
#include "platform/system/text.h"

namespace {

using launch_test::Lines;
using launch_test::ReadFile;
using launch_test::ScopedVariable;
using launch_test::TemporaryDirectory;
namespace fs = std::filesystem;

SYSTEMTIME LocalCalendar(std::time_t moment) {
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

// The live waiters that wait to start `program`.
int CountWaitersFor(const std::string& program) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::vector<std::string> arguments = [&] {
      std::vector<std::string> words;
      std::string text = ReadFile(entry.path() / "cmdline");
      for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\0', start);
        words.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
      }
      return words;
    }();
    if (arguments.size() == 3 && arguments[0].ends_with("/pelorin-waiter") &&
        arguments[1] == program) {
      ++count;
    }
  }
  return count;
}

class WaiterTest : public testing::Test {
 protected:
  void SetUp() override {
    SetModuleFileNameForTesting(FromUtf8(launch_test::BuildDirectory() + "/pelorin"));
  }
  void TearDown() override { SetModuleFileNameForTesting({}); }

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
  ScopedVariable runtime_{"XDG_RUNTIME_DIR", scratch_.path().string()};
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

  SetModuleFileNameForTesting(FromUtf8((scratch_.path() / "pelorin").string()));
  refuses(FromUtf8(program.string()), &valid, "no pelorin-waiter beside the program");
  SetModuleFileNameForTesting(FromUtf8(launch_test::BuildDirectory() + "/pelorin"));

  // Another user could change a state directory open to all; the waiter will not use it.
  fs::create_directories(scratch_.path() / "pelorin");
  chmod((scratch_.path() / "pelorin").c_str(), 0777);
  refuses(FromUtf8(program.string()), &valid, "is not a private directory");
  EXPECT_EQ(CountWaitersFor(program.string()), 0);
}

TEST_F(WaiterTest, ATimeAlreadyPastStartsTheProgramAtOnce) {
  const fs::path program = MakeRecorder("late");
  const double armed = Now();
  ASSERT_TRUE(Arm(program, std::time(nullptr) - 3600));
  for (int tries = 0; tries < 300 && StartsOf(program).empty(); ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const std::vector<Start> starts = StartsOf(program);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].count, 1);
  EXPECT_EQ(starts[0].argument, "AppRunAtTime");
  EXPECT_LT(starts[0].time, armed + 1);
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
