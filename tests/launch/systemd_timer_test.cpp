// The systemd backend as the user's manager would see it: the unit files in the user's unit
// directory and the systemctl commands, recorded by a systemctl put first on PATH.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "launch_fixture.h"
#include "platform/launch/timed_launch.h"
#include "platform/launch/waiter_state.h"
#include "platform/system/module_path.h"
#include "platform/system/text.h"

namespace {

using launch_test::Lines;
using launch_test::ReadFile;
using launch_test::ScopedVariable;
using launch_test::TemporaryDirectory;
using launch_test::WriteExecutable;
namespace fs = std::filesystem;

// Records "arg|arg|" per call; fails the subcommand named in FAKE_SYSTEMCTL_FAIL. At
// daemon-reload it also records which unit files were there to be read. With
// FAKE_SYSTEMCTL_NO_WAKE it refuses to start a timer that would wake the machine, as a user
// manager without the wake-alarm privilege does.
constexpr const char* kRecordingSystemctl = R"(#!/bin/sh
dir=$(dirname "$0")
units="$XDG_CONFIG_HOME/systemd/user"
for argument in "$@"; do printf '%s|' "$argument" >> "$dir/calls"; done
echo >> "$dir/calls"
if [ "$2" = daemon-reload ]; then ls "$units" > "$dir/seen-at-reload"; fi
if [ -n "$FAKE_SYSTEMCTL_FAIL" ] && [ "$2" = "$FAKE_SYSTEMCTL_FAIL" ]; then
  echo "Failed to $2: Access denied" >&2
  echo "second line" >&2
  exit 1
fi
if [ -n "$FAKE_SYSTEMCTL_NO_WAKE" ] && [ "$2" = restart ] && grep -q WakeSystem=true "$units/$3"; then
  echo "Job for $3 failed because of unavailable resources or another system error." >&2
  exit 1
fi
exit 0
)";

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
  void SetUp() override {
    fs::create_directories(bin_);
    WriteExecutable(bin_ / "systemctl", kRecordingSystemctl);
    fs::create_directories(programs_);
    WriteExecutable(program_, "#!/bin/sh\n");
    SetModuleFileNameForTesting(FromUtf8(launch_test::BuildDirectory() + "/pelorin"));
  }
  void TearDown() override { SetModuleFileNameForTesting({}); }

  bool Arm(const fs::path& program, SYSTEMTIME time) {
    return CeRunAppAtTime(FromUtf8(program.string()), &time);
  }
  bool Arm(const std::string& program, SYSTEMTIME time) {
    return CeRunAppAtTime(FromUtf8(program), &time);
  }
  std::vector<std::string> Calls() { return Lines(ReadFile(bin_ / "calls")); }
  std::vector<std::string> UnitFiles() {
    std::vector<std::string> names;
    if (fs::exists(units_)) {
      for (const auto& entry : fs::directory_iterator(units_)) {
        names.push_back(entry.path().filename().string());
      }
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  // The unit base name, from the one timer in the directory.
  std::string OnlyUnitName() {
    const std::vector<std::string> names = UnitFiles();
    EXPECT_EQ(names.size(), 2u);
    return names.empty() ? "" : fs::path(names.front()).stem().string();
  }

  TemporaryDirectory scratch_;
  fs::path bin_ = scratch_.path() / "bin";
  fs::path units_ = scratch_.path() / "config" / "systemd" / "user";
  fs::path programs_ = scratch_.path() / "programs";
  fs::path program_ = programs_ / "pelorin";
  ScopedVariable path_{"PATH", bin_.string() + ":" + getenv("PATH")};
  ScopedVariable configuration_{"XDG_CONFIG_HOME", (scratch_.path() / "config").string()};
  ScopedVariable backend_{"PELORIN_TIMED_LAUNCH", "systemd"};
  ScopedVariable failing_{"FAKE_SYSTEMCTL_FAIL", std::nullopt};
};

TEST_F(SystemdTimerTest, AFailingSystemctlIsOneLineOnStderrAndStopsTheArming) {
  ScopedVariable failing{"FAKE_SYSTEMCTL_FAIL", "enable"};
  testing::internal::CaptureStderr();
  EXPECT_FALSE(Arm(program_, Calendar(2031, 5, 6, 7, 8, 9)));
  const std::vector<std::string> lines = Lines(testing::internal::GetCapturedStderr());
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("systemctl --user enable pelorin-"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("Failed to enable: Access denied"), std::string::npos) << lines[0];
  EXPECT_EQ(Calls().size(), 2u);  // daemon-reload, enable; never restart
}

TEST_F(SystemdTimerTest, AnUnwritableUnitDirectoryFailsBeforeAnyCommand) {
  fs::create_directories(scratch_.path() / "config");
  launch_test::WriteExecutable(scratch_.path() / "config" / "systemd", "not a directory");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(Arm(program_, Calendar(2031, 5, 6, 7, 8, 9)));
  EXPECT_EQ(Lines(testing::internal::GetCapturedStderr()).size(), 1u);
  EXPECT_FALSE(fs::exists(bin_ / "calls"));
}

TEST_F(SystemdTimerTest, WritesAnEnabledTimerToTheSecondAndRestartsIt) {
  ScopedVariable zone{"TZ", "Europe/Berlin"};
  ASSERT_TRUE(Arm(program_, Calendar(2031, 5, 6, 7, 8, 9)));
  const std::string name = OnlyUnitName();
  ASSERT_EQ(name.size(), std::string("pelorin-").size() + 16) << name;

  const std::string timer = ReadFile(units_ / (name + ".timer"));
  EXPECT_NE(timer.find("\nOnCalendar=2031-05-06 07:08:09 Europe/Berlin\n"), std::string::npos)
      << timer;
  EXPECT_NE(timer.find("\nAccuracySec=1s\n"), std::string::npos);
  EXPECT_NE(timer.find("\nWakeSystem=true\n"), std::string::npos);
  EXPECT_NE(timer.find("\nUnit=" + name + ".service\n"), std::string::npos);
  EXPECT_NE(timer.find("[Install]\nWantedBy=timers.target\n"), std::string::npos);

  const std::string service = ReadFile(units_ / (name + ".service"));
  EXPECT_NE(service.find("\nType=oneshot\n"), std::string::npos) << service;
  EXPECT_NE(service.find("\nExecStart=\"" + launch_test::BuildDirectory() +
                         "/pelorin-waiter\" --now \"" + program_.string() + "\"\n"),
            std::string::npos)
      << service;

  EXPECT_EQ(Calls(),
            (std::vector<std::string>{"--user|daemon-reload|", "--user|enable|" + name + ".timer|",
                                      "--user|restart|" + name + ".timer|"}));
  EXPECT_EQ(Lines(ReadFile(bin_ / "seen-at-reload")),
            (std::vector<std::string>{name + ".service", name + ".timer"}));
}

TEST_F(SystemdTimerTest, APathWithBlanksQuotesAndSpecialCharactersStaysOneWord) {
  const fs::path odd = scratch_.path() / "my \"calls\" 100% $HOME\\x 'a b'";
  fs::create_directories(odd);
  const fs::path program = odd / "pelorin";
  WriteExecutable(program, "#!/bin/sh\n");
  // The waiter's own path is quoted the same way, but its "$" is literal: systemd expands no
  // variables in the program it runs.
  const fs::path waiterDirectory = scratch_.path() / "install $dir";
  fs::create_directories(waiterDirectory);
  fs::create_symlink(launch_test::BuildDirectory() + "/pelorin-waiter",
                     waiterDirectory / "pelorin-waiter");
  SetModuleFileNameForTesting(FromUtf8((waiterDirectory / "pelorin").string()));

  ASSERT_TRUE(Arm(program, Calendar(2031, 12, 31, 23, 59, 59)));
  const std::string service = ReadFile(units_ / (OnlyUnitName() + ".service"));
  const std::string root = scratch_.path().string();
  EXPECT_NE(service.find("\nExecStart=\"" + root + "/install $dir/pelorin-waiter\" --now \"" +
                         root + "/my \\\"calls\\\" 100%% $$HOME\\\\x 'a b'/pelorin\"\n"),
            std::string::npos)
      << service;
  EXPECT_NE(service.find("Description=Pelorin timed launch of " + root + "/my \"calls\" 100%% "),
            std::string::npos)
      << service;
}

TEST_F(SystemdTimerTest, CarriesTheDisplaySoundAndBusVariablesThatAreSet) {
  ScopedVariable display{"DISPLAY", ":7"};
  ScopedVariable wayland{"WAYLAND_DISPLAY", std::nullopt};
  ScopedVariable bus{"DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/user/1000/bus,guid=\"x\""};
  ScopedVariable runtime{"XDG_RUNTIME_DIR", "/run/user/1000"};
  ScopedVariable sound{"PULSE_SERVER", "unix:/run/user/1000/pulse/native%1"};
  ScopedVariable authority{"XAUTHORITY", "/home/a b/.Xauthority"};

  ASSERT_TRUE(Arm(program_, Calendar(2031, 5, 6, 7, 8, 9)));
  const std::string service = ReadFile(units_ / (OnlyUnitName() + ".service"));
  EXPECT_NE(service.find("\nEnvironment=\"DISPLAY=:7\"\n"), std::string::npos) << service;
  EXPECT_NE(service.find("\nEnvironment=\"DBUS_SESSION_BUS_ADDRESS=unix:path=/run/user/1000/"
                         "bus,guid=\\\"x\\\"\"\n"),
            std::string::npos);
  EXPECT_NE(service.find("\nEnvironment=\"XDG_RUNTIME_DIR=/run/user/1000\"\n"), std::string::npos);
  EXPECT_NE(service.find("\nEnvironment=\"PULSE_SERVER=unix:/run/user/1000/pulse/native%%1\"\n"),
            std::string::npos);
  EXPECT_NE(service.find("\nEnvironment=\"XAUTHORITY=/home/a b/.Xauthority\"\n"),
            std::string::npos);
  EXPECT_EQ(service.find("WAYLAND_DISPLAY"), std::string::npos);
}

TEST_F(SystemdTimerTest, ArmingAgainReplacesThePairAndEachProgramHasItsOwn) {
  ASSERT_TRUE(Arm(program_, Calendar(2031, 5, 6, 7, 8, 9)));
  ASSERT_TRUE(Arm(program_, Calendar(2031, 5, 6, 7, 8, 30)));
  const std::string name = OnlyUnitName();
  const std::string timer = ReadFile(units_ / (name + ".timer"));
  EXPECT_NE(timer.find("OnCalendar=2031-05-06 07:08:30 "), std::string::npos) << timer;
  EXPECT_EQ(timer.find("07:08:09"), std::string::npos);
  const std::vector<std::string> calls = Calls();
  ASSERT_EQ(calls.size(), 6u);
  EXPECT_EQ(calls[5], "--user|restart|" + name + ".timer|");

  const fs::path other = programs_ / "other";
  WriteExecutable(other, "#!/bin/sh\n");
  ASSERT_TRUE(Arm(other, Calendar(2031, 5, 6, 7, 8, 9)));
  EXPECT_EQ(UnitFiles().size(), 4u);
}

TEST_F(SystemdTimerTest, TheTimerNamesTheProgramsTimeZone) {
  const auto event = [&](const char* zone) {
    ScopedVariable variable{"TZ", zone};
    EXPECT_TRUE(Arm(program_, Calendar(2031, 5, 6, 7, 8, 9)));
    const std::string timer = ReadFile(units_ / (OnlyUnitName() + ".timer"));
    const std::size_t start = timer.find("OnCalendar=") + 11;
    return timer.substr(start, timer.find('\n', start) - start);
  };
  EXPECT_EQ(event(":America/New_York"), "2031-05-06 07:08:09 America/New_York");
  EXPECT_EQ(event("/usr/share/zoneinfo/Asia/Tokyo"), "2031-05-06 07:08:09 Asia/Tokyo");
  // A zone given by its rules has no name: the same moment in universal time (CEST is +2).
  EXPECT_EQ(event("CET-1CEST,M3.5.0,M10.5.0/3"), "2031-05-06 05:08:09 UTC");
}

TEST_F(SystemdTimerTest, AManagerThatMayNotWakeTheMachineGetsATimerThatDoesNot) {
  ScopedVariable noWake{"FAKE_SYSTEMCTL_NO_WAKE", "1"};
  testing::internal::CaptureStderr();
  ASSERT_TRUE(Arm(program_, Calendar(2031, 5, 6, 7, 8, 9)));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  const std::string name = OnlyUnitName();
  const std::string timer = ReadFile(units_ / (name + ".timer"));
  EXPECT_EQ(timer.find("WakeSystem"), std::string::npos) << timer;
  EXPECT_NE(timer.find("\nAccuracySec=1s\n"), std::string::npos) << timer;
  EXPECT_EQ(Calls().back(), "--user|restart|" + name + ".timer|");
}

TEST_F(SystemdTimerTest, AProgramReplacedWhileRunningIsArmedAsInstalled) {
  ASSERT_TRUE(Arm(program_.string() + " (deleted)", Calendar(2031, 5, 6, 7, 8, 9)));
  const std::string service = ReadFile(units_ / (OnlyUnitName() + ".service"));
  EXPECT_NE(service.find(" --now \"" + program_.string() + "\"\n"), std::string::npos) << service;
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
  const std::string name = OnlyUnitName();

  ScopedVariable backend{"PELORIN_TIMED_LAUNCH", "waiter"};
  ASSERT_TRUE(Arm(program_, later));
  EXPECT_TRUE(UnitFiles().empty());
  EXPECT_EQ(Calls().back(), "--user|daemon-reload|");
  EXPECT_EQ(Calls().end()[-2], "--user|disable|--now|" + name + ".timer|");
  EXPECT_EQ(launch_test::CountWaitersFor(program_.string()), 1);
  CancelWaiters(program_.string());
}

TEST_F(SystemdTimerTest, WithoutAChoiceTheManagerIsAskedFirst) {
  ScopedVariable automatic{"PELORIN_TIMED_LAUNCH", std::nullopt};
  ASSERT_TRUE(Arm(program_, Calendar(2031, 5, 6, 7, 8, 9)));
  const std::vector<std::string> calls = Calls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0], "--user|show-environment|");
  EXPECT_EQ(UnitFiles().size(), 2u);
}

TEST_F(SystemdTimerTest, WithoutAnAnsweringManagerTheWaiterLaunches) {
  ScopedVariable automatic{"PELORIN_TIMED_LAUNCH", std::nullopt};
  ScopedVariable failing{"FAKE_SYSTEMCTL_FAIL", "show-environment"};
  ScopedVariable runtime{"XDG_RUNTIME_DIR", scratch_.path().string()};
  const fs::path record = programs_ / "record";
  const fs::path program = programs_ / "recorder";
  WriteExecutable(program, "#!/bin/sh\necho \"$1\" > \"" + record.string() + ".part\" && mv \"" +
                               record.string() + ".part\" \"" + record.string() + "\"\n");

  ASSERT_TRUE(Arm(program, launch_test::LocalCalendar(std::time(nullptr) + 1)));
  for (int tries = 0; tries < 300 && !fs::exists(record); ++tries) {
    usleep(10'000);
  }
  EXPECT_EQ(ReadFile(record), "AppRunAtTime\n");
  EXPECT_EQ(Calls(), std::vector<std::string>{"--user|show-environment|"});
  EXPECT_TRUE(UnitFiles().empty());
}

}  // namespace
