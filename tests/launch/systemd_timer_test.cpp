// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The systemd backend as a real user manager of the test's own sees it: the timers it holds
// pending, their services, and the unit pair written for its next start.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "launch_fixture.h"
#include "platform/launch/launch_name.h"
#include "platform/launch/timed_launch.h"
#include "platform/launch/waiter_state.h"
#include "platform/system/module_path.h"
#include "platform/system/text.h"
#include "tests/support/session_bus.h"
#include "tests/support/user_manager.h"

namespace {

using launch_test::ReadFile;
using launch_test::ScopedVariable;
using launch_test::TemporaryDirectory;
using launch_test::WriteExecutable;
namespace fs = std::filesystem;

SYSTEMTIME Calendar(int year, int month, int day, int hour, int minute, int second) {
  return SYSTEMTIME{static_cast<std::uint16_t>(year),
                    static_cast<std::uint16_t>(month),
                    0,
                    static_cast<std::uint16_t>(day),
                    static_cast<std::uint16_t>(hour),
                    static_cast<std::uint16_t>(minute),
                    static_cast<std::uint16_t>(second),
                    0};
}

class SystemdTimerTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    managerDirectory_ = std::make_unique<TemporaryDirectory>();
    manager_ = std::make_unique<test_support::UserSystemdManager>();
    if (!manager_->Start(managerDirectory_->path(), &whyNoManager_)) {
      manager_.reset();
    }
  }
  static void TearDownTestSuite() {
    manager_.reset();
    managerDirectory_.reset();
  }

  void SetUp() override {
    if (manager_ == nullptr) {
      GTEST_SKIP() << "no user systemd manager here: " << whyNoManager_;
    }
    fs::create_directories(programs_);
    WriteExecutable(program_, "#!/bin/sh\n");
    SetModuleFileNameForTesting(FromUtf8(launch_test::BuildDirectory() + "/pelorin"));
  }
  void TearDown() override {
    SetModuleFileNameForTesting({});
    if (manager_ != nullptr) {
      manager_->Systemctl({"stop", "pelorin-*.timer"});
      std::error_code ignored;
      fs::remove_all(manager_->unitDirectory(), ignored);
    }
  }

  bool Arm(const fs::path& program, SYSTEMTIME time) {
    return CeRunAppAtTime(FromUtf8(program.string()), &time);
  }
  // The timers the manager holds pending for the program.
  std::vector<std::string> PendingTimers(const fs::path& program) {
    std::vector<std::string> pending;
    for (const std::string& name : manager_->Units(Name(program) + "-*.timer")) {
      if (manager_->Property(name, "ActiveState") == "active") {
        pending.push_back(name);
      }
    }
    return pending;
  }
  std::string OnlyPendingTimer() {
    const std::vector<std::string> pending = PendingTimers(program_);
    EXPECT_EQ(pending.size(), 1u);
    return pending.empty() ? "" : pending.front();
  }
  // The unit base name of the program's launch.
  std::string Name(const fs::path& program) { return LaunchName(program.string()); }
  std::string UnitFile(const std::string& extension) {
    return ReadFile(manager_->unitDirectory() / (Name(program_) + extension));
  }
  std::string CalendarOf(const std::string& timer) {
    const std::string text = manager_->Property(timer, "TimersCalendar");
    const std::size_t start = text.find("OnCalendar=") + 11;
    return text.substr(start, text.find(" ;", start) - start);
  }

  static inline std::unique_ptr<TemporaryDirectory> managerDirectory_;
  static inline std::unique_ptr<test_support::UserSystemdManager> manager_;
  static inline std::string whyNoManager_;

  TemporaryDirectory scratch_;
  fs::path programs_ = scratch_.path() / "programs";
  fs::path program_ = programs_ / "pelorin";
  ScopedVariable runtime_{"XDG_RUNTIME_DIR",
                          manager_ ? std::optional(manager_->runtime().string()) : std::nullopt};
  ScopedVariable configuration_{
      "XDG_CONFIG_HOME",
      manager_ ? std::optional((manager_->home() / ".config").string()) : std::nullopt};
  ScopedVariable bus_{"DBUS_SESSION_BUS_ADDRESS", std::nullopt};
  ScopedVariable backend_{"PELORIN_TIMED_LAUNCH", "systemd"};
  ScopedVariable zone_{"TZ", std::nullopt};
};

TEST_F(SystemdTimerTest, AnUnwritableUnitDirectoryIsOneLineAndArmsNothing) {
  ScopedVariable configuration{"XDG_CONFIG_HOME", (scratch_.path() / "config").string()};
  WriteExecutable(scratch_.path() / "config", "not a directory");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(Arm(program_, Calendar(2031, 5, 6, 7, 8, 9)));
  EXPECT_EQ(launch_test::Lines(testing::internal::GetCapturedStderr()).size(), 1u);
  EXPECT_TRUE(PendingTimers(program_).empty());
}

TEST_F(SystemdTimerTest, ArmsATimerOnTheSecondCarryingThePersonsVariablesAndWritesTheEnabledPair) {
  ScopedVariable display{"DISPLAY", ":7"};
  ScopedVariable wayland{"WAYLAND_DISPLAY", std::nullopt};
  ScopedVariable sound{"PULSE_SERVER", "unix:/run/user/1000/pulse/native%1"};
  ScopedVariable authority{"XAUTHORITY", "/home/a b/.Xauthority"};
  testing::internal::CaptureStderr();
  ASSERT_TRUE(Arm(program_, Calendar(2031, 5, 6, 7, 8, 9)));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

  // Pending in the running manager, to the microsecond, in the system's zone.
  const std::string timer = OnlyPendingTimer();
  EXPECT_EQ(CalendarOf(timer), "2031-05-06 07:08:09");
  EXPECT_EQ(manager_->Property(timer, "AccuracyUSec"), "1us");
  const std::string service = manager_->Property(timer, "Unit");
  const std::string command = manager_->Property(service, "ExecStart");
  EXPECT_NE(command.find("argv[]=" + launch_test::BuildDirectory() + "/pelorin-waiter --now " +
                         program_.string() + " ;"),
            std::string::npos)
      << command;
  const std::string variables = manager_->Property(service, "Environment");
  EXPECT_NE(variables.find("DISPLAY=:7"), std::string::npos) << variables;
  EXPECT_NE(variables.find("\"XAUTHORITY=/home/a b/.Xauthority\""), std::string::npos) << variables;
  EXPECT_EQ(variables.find("WAYLAND_DISPLAY"), std::string::npos) << variables;

  // The same launch written for the manager's next start, enabled.
  const std::string timerFile = UnitFile(".timer");
  EXPECT_NE(timerFile.find("\nOnCalendar=2031-05-06 07:08:09\n"), std::string::npos) << timerFile;
  EXPECT_NE(timerFile.find("\nAccuracySec=1us\n"), std::string::npos);
  EXPECT_NE(timerFile.find("[Install]\nWantedBy=timers.target\n"), std::string::npos);
  EXPECT_TRUE(fs::is_symlink(manager_->unitDirectory() / "timers.target.wants" /
                             (Name(program_) + ".timer")));
  const std::string serviceFile = UnitFile(".service");
  EXPECT_NE(serviceFile.find("\nExecStart=\"" + launch_test::BuildDirectory() +
                             "/pelorin-waiter\" --now \"" + program_.string() + "\"\n"),
            std::string::npos)
      << serviceFile;
  EXPECT_NE(
      serviceFile.find("\nEnvironment=\"PULSE_SERVER=unix:/run/user/1000/pulse/native%%1\"\n"),
      std::string::npos);

  // Waking the machine is asked for where the manager can, and the file says what it took.
  const bool wakes = manager_->Property(timer, "WakeSystem") == "yes";
  EXPECT_EQ(timerFile.find("\nWakeSystem=true\n") != std::string::npos, wakes) << timerFile;
  std::string failure;
  const std::string refusal = ReadFile(StateDirectoryPath(&failure) + "/systemd-cannot-wake");
  EXPECT_EQ(!wakes, refusal.starts_with(std::to_string(manager_->process()) + " "))
      << "a refusal is kept for this manager: " << refusal;
}

TEST_F(SystemdTimerTest, ArmingAgainLeavesOneTimerAtTheNewTimeAndEachProgramHasItsOwn) {
  ASSERT_TRUE(Arm(program_, Calendar(2031, 5, 6, 7, 8, 9)));
  const std::string first = OnlyPendingTimer();
  ASSERT_TRUE(Arm(program_, Calendar(2031, 5, 6, 7, 8, 30)));
  const std::string second = OnlyPendingTimer();
  EXPECT_NE(first, second);
  EXPECT_EQ(CalendarOf(second), "2031-05-06 07:08:30");
  EXPECT_NE(UnitFile(".timer").find("OnCalendar=2031-05-06 07:08:30\n"), std::string::npos);

  const fs::path other = programs_ / "other";
  WriteExecutable(other, "#!/bin/sh\n");
  ASSERT_TRUE(Arm(other, Calendar(2031, 5, 6, 7, 8, 9)));
  EXPECT_EQ(PendingTimers(other).size(), 1u);
  EXPECT_EQ(PendingTimers(program_), std::vector<std::string>{second});
}

TEST_F(SystemdTimerTest, TheTimerNamesAZoneOnlyWhenThePersonSetsOne) {
  const auto event = [&](std::optional<std::string> zone) {
    ScopedVariable variable{"TZ", zone};
    EXPECT_TRUE(Arm(program_, Calendar(2031, 5, 6, 7, 8, 9)));
    const std::string timer = UnitFile(".timer");
    const std::size_t start = timer.find("OnCalendar=") + 11;
    const std::string written = timer.substr(start, timer.find('\n', start) - start);
    EXPECT_EQ(CalendarOf(OnlyPendingTimer()), written);
    return written;
  };
  EXPECT_EQ(event(":America/New_York"), "2031-05-06 07:08:09 America/New_York");
  EXPECT_EQ(event("/usr/share/zoneinfo/Asia/Tokyo"), "2031-05-06 07:08:09 Asia/Tokyo");
  // A zone given by its rules has no name: the same moment in universal time (CEST is +2).
  EXPECT_EQ(event("CET-1CEST,M3.5.0,M10.5.0/3"), "2031-05-06 05:08:09 UTC");
  // No TZ: local wall time, which the manager moves with the system's zone.
  EXPECT_EQ(event(std::nullopt), "2031-05-06 07:08:09");
}

TEST_F(SystemdTimerTest, APathWithBlanksQuotesAndSpecialCharactersStaysOneWord) {
  const fs::path odd = scratch_.path() / "my \"calls\" 100% $HOME\\x 'a b'";
  fs::create_directories(odd);
  program_ = odd / "pelorin";
  WriteExecutable(program_, "#!/bin/sh\n");
  ASSERT_TRUE(Arm(program_, Calendar(2031, 12, 31, 23, 59, 59)));
  const std::string root = scratch_.path().string();
  EXPECT_NE(UnitFile(".service")
                .find(" --now \"" + root + "/my \\\"calls\\\" 100%% $$HOME\\\\x 'a b'/pelorin\"\n"),
            std::string::npos)
      << UnitFile(".service");
  const std::string timer = OnlyPendingTimer();
  EXPECT_EQ(manager_->Property(timer, "Description"),
            "Pelorin timed launch of " + program_.string() + " (" + Name(program_) + ")");
}

TEST_F(SystemdTimerTest, AProgramReplacedWhileRunningIsArmedAsInstalled) {
  ASSERT_TRUE(Arm(program_.string() + " (deleted)", Calendar(2031, 5, 6, 7, 8, 9)));
  EXPECT_NE(UnitFile(".service").find(" --now \"" + program_.string() + "\"\n"), std::string::npos);
  EXPECT_EQ(PendingTimers(program_).size(), 1u);
}

TEST_F(SystemdTimerTest, ArmingOneWayCancelsTheOtherWaysPendingLaunch) {
  const SYSTEMTIME later = launch_test::LocalCalendar(std::time(nullptr) + 3600);
  {
    ScopedVariable backend{"PELORIN_TIMED_LAUNCH", "waiter"};
    ASSERT_TRUE(Arm(program_, later));
  }
  ASSERT_EQ(launch_test::CountWaitersFor(program_.string()), 1);
  ASSERT_TRUE(Arm(program_, later));
  EXPECT_EQ(launch_test::CountWaitersFor(program_.string()), 0);
  EXPECT_EQ(PendingTimers(program_).size(), 1u);

  ScopedVariable backend{"PELORIN_TIMED_LAUNCH", "waiter"};
  ASSERT_TRUE(Arm(program_, later));
  EXPECT_TRUE(PendingTimers(program_).empty());
  EXPECT_FALSE(fs::exists(manager_->unitDirectory() / (Name(program_) + ".timer")));
  EXPECT_FALSE(fs::exists(manager_->unitDirectory() / (Name(program_) + ".service")));
  EXPECT_EQ(launch_test::CountWaitersFor(program_.string()), 1);
  CancelWaiters(program_.string());
}

// Without a choice the manager is asked; one that answers arms, one that is not there or
// hangs leaves the launch to the waiter, and a chosen one that hangs costs seconds, not more.
TEST_F(SystemdTimerTest, WithoutAChoiceAnAnsweringManagerArmsElseTheWaiterLaunches) {
  ScopedVariable automatic{"PELORIN_TIMED_LAUNCH", std::nullopt};
  ASSERT_TRUE(Arm(program_, Calendar(2031, 5, 6, 7, 8, 9)));
  EXPECT_EQ(PendingTimers(program_).size(), 1u);

  test_support::PrivateSessionBus bus;
  ASSERT_TRUE(bus.Start(scratch_.path()));
  ASSERT_TRUE(bus.StartService(
      {"/usr/bin/python3",
       std::string(getenv("PELORIN_SOURCE_DIR")) + "/tests/screens/stand_in_services.py", "silent",
       "org.freedesktop.systemd1"},
      scratch_.path() / "silent.log", "ready"));
  ScopedVariable hung{"DBUS_SESSION_BUS_ADDRESS", bus.address()};
  ScopedVariable noSocket{"XDG_RUNTIME_DIR", scratch_.path().string()};
  {
    ScopedVariable chosen{"PELORIN_TIMED_LAUNCH", "systemd"};
    testing::internal::CaptureStderr();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(Arm(program_, Calendar(2031, 5, 6, 7, 8, 9)));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    const std::vector<std::string> lines =
        launch_test::Lines(testing::internal::GetCapturedStderr());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("Ping"), std::string::npos) << lines[0];
  }

  const fs::path record = programs_ / "record";
  const fs::path recorder = programs_ / "recorder";
  WriteExecutable(recorder, "#!/bin/sh\necho \"$1\" > \"" + record.string() + ".part\" && mv \"" +
                                record.string() + ".part\" \"" + record.string() + "\"\n");
  ASSERT_TRUE(Arm(recorder, launch_test::LocalCalendar(std::time(nullptr) + 1)));
  for (int tries = 0; tries < 300 && !fs::exists(record); ++tries) {
    usleep(10'000);
  }
  EXPECT_EQ(ReadFile(record), "AppRunAtTime\n");
  EXPECT_TRUE(PendingTimers(recorder).empty());
}

}  // namespace
