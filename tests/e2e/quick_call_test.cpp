// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Calls made, listed and removed from the command line by the built program, without a
// display: the file as the new call screen's SAVE leaves it, the waiter armed as after a save,
// and every refusal leaving the file as it was.
#include <gmock/gmock.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/desktop_session.h"
#include "tests/support/local_time.h"
#include "tests/support/processes.h"
#include "tests/support/waiting.h"

namespace {

namespace fs = std::filesystem;
using test_support::WaiterTime;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using namespace std::chrono_literals;

class QuickCallTest : public e2e::DesktopSession {
 protected:
  QuickCallTest() { withDisplay_ = false; }

  std::string Program() const { return (program_ / "pelorin").string(); }
  std::string Waiter() const { return (program_ / "pelorin-waiter").string(); }

  // Runs the copy; errors_ holds what it said on stderr.
  e2e::Finished Run(const std::vector<std::string>& arguments) {
    return RunProgram(arguments, &errors_);
  }

  // The times the copy's waiters wait for, "YYYY-MM-DD HH:MM:SS" each.
  std::vector<std::string> ArmedTimes() const {
    std::vector<std::string> times;
    test_support::Processes([&](const std::vector<std::string>& command) {
      if (command.size() == 3 && command[0] == Waiter() && command[1] == Program()) {
        times.push_back(command[2]);
      }
      return false;
    });
    return times;
  }
  bool ArmedFor(const std::string& time) const {
    return test_support::WaitUntil([&] { return ArmedTimes() == std::vector<std::string>{time}; },
                                   5s);
  }

  // The call's element as the new call screen's SAVE writes it, without its end.
  static std::string Saved(const std::string& name, std::time_t moment, int index,
                           const std::string& ringtone, int vibrate) {
    std::string element = Call(name, moment, index, ringtone);
    element = element.substr(0, element.size() - 2);
    const std::string vibrates = "Vibrate=\"1\"";
    return element.replace(element.find(vibrates), vibrates.size(),
                           "Vibrate=\"" + std::to_string(vibrate) + "\"");
  }

  std::string errors_;
};

TEST_F(QuickCallTest, CallsAreSavedAsTypedArmedListedAndDeleted) {
  const std::string ringtone = (program_ / "ringtone1.mp3").string();
  const std::time_t before = std::time(nullptr);
  const e2e::Finished mom = Run({"--in", "5m", "--name", "Mom"});
  const std::time_t after = std::time(nullptr);
  ASSERT_EQ(mom.exitCode, 0) << errors_;
  EXPECT_EQ(errors_, "");
  // Five minutes from the next whole second.
  std::time_t momMoment = 0;
  for (std::time_t moment = before + 300; moment <= after + 301; ++moment) {
    if (mom.output == "Mom rings at " + WaiterTime(moment) + "\n") {
      momMoment = moment;
    }
  }
  ASSERT_NE(momMoment, 0) << mom.output;
  EXPECT_THAT(ReadSchedule(), HasSubstr(Saved("Mom", momMoment, 1, ringtone, 1)));
  EXPECT_TRUE(ArmedFor(WaiterTime(momMoment)));

  // An earlier call by its time of day (today, or tomorrow once midnight lies between), mute
  // and still: armed instead of the first.
  const std::time_t soon = std::time(nullptr) + 120;
  const std::string timeOfDay = WaiterTime(soon).substr(11);
  const e2e::Finished muted = Run({"--at", timeOfDay, "--mute", "--no-vibrate"});
  ASSERT_EQ(muted.exitCode, 0) << errors_;
  EXPECT_EQ(muted.output, "Tobrin rings at " + WaiterTime(soon) + "\n");
  EXPECT_THAT(ReadSchedule(), HasSubstr(Saved("Tobrin", soon, 2, "", 0)));
  EXPECT_TRUE(ArmedFor(WaiterTime(soon)));

  // A date and time in two unquoted arguments, a ringtone of its own.
  const std::time_t later = (std::time(nullptr) + 2 * 86400) / 60 * 60;
  const std::string dated = WaiterTime(later);
  const std::string click = (program_ / "click.wav").string();
  const e2e::Finished third =
      Run({"--at", dated.substr(0, 10), dated.substr(11, 5), "--ringtone", click});
  ASSERT_EQ(third.exitCode, 0) << errors_;
  EXPECT_EQ(third.output, "Tobrin rings at " + dated + "\n");
  EXPECT_THAT(ReadSchedule(), HasSubstr(Saved("Tobrin", later, 3, click, 1)));

  const std::string listed = "1\t" + WaiterTime(momMoment) + "\tMom\n" + "2\t" + WaiterTime(soon) +
                             "\tTobrin\n" + "3\t" + dated + "\tTobrin\n";
  EXPECT_EQ(Run({"--list"}).output, listed);

  // The earliest call deleted: the next one is armed.
  const e2e::Finished deleted = Run({"--delete", "2"});
  EXPECT_EQ(deleted.exitCode, 0) << errors_;
  EXPECT_EQ(deleted.output, "");
  EXPECT_EQ(Run({"--list"}).output,
            "1\t" + WaiterTime(momMoment) + "\tMom\n" + "2\t" + dated + "\tTobrin\n");
  EXPECT_TRUE(ArmedFor(WaiterTime(momMoment)));
}

TEST_F(QuickCallTest, RefusalsSayWhyInOneLineAndLeaveTheFileAsItWas) {
  // Two days ahead: still to come in the zone the last case sets.
  WriteSchedule("<?xml version=\"1.0\"?>\n<CallInfo>" +
                Call("Kept", std::time(nullptr) + 2 * 86400, 1) + "</CallInfo>\n");
  const std::string schedule = ReadSchedule();
  const std::vector<std::vector<std::string>> refused = {
      {"--in", "10s"},
      {"--in", "0s"},
      {"--in", "5"},
      {"--in", "1m1h"},
      {"--in", "99999999999999999999h"},
      {"--in"},
      {"--at", "24:00"},
      {"--at", "2026-02-30 10:00"},
      {"--at", "2020-01-01 10:00"},
      {"--in", "5m", "--at", "10:00"},
      {"--in", "5m", "--name"},
      {"--in", "5m", "--mute", "--mute"},
      {"--in", "5m", "--bogus"},
      {"--in", "5m", "--ringtone", (root_ / "no-such.mp3").string()},
      {"--name", "Mom"},
      {"--list", "x"},
      {"--delete", "2"},
      {"--delete", "0"},
      {"--delete", "x"},
      {"--delete"}};
  for (const std::vector<std::string>& arguments : refused) {
    const std::string shown = ::testing::PrintToString(arguments);
    const e2e::Finished outcome = Run(arguments);
    EXPECT_EQ(outcome.exitCode, 2) << shown;
    EXPECT_EQ(outcome.output, "") << shown;
    EXPECT_THAT(errors_, StartsWith("pelorin: ")) << shown;
    EXPECT_EQ(std::count(errors_.begin(), errors_.end(), '\n'), 1) << shown << ": " << errors_;
    EXPECT_EQ(ReadSchedule(), schedule) << shown;
  }
  // In Berlin the clocks skip from 02:00 to 03:00 on 28 March 2027: that call would never ring.
  SetVariable("TZ", "Europe/Berlin");
  EXPECT_EQ(Run({"--at", "2027-03-28 02:30"}).exitCode, 2);
  EXPECT_THAT(errors_, HasSubstr("the clocks skip it"));
  EXPECT_EQ(Run({"--at", "2027-03-28 03:30"}).exitCode, 0) << errors_;
  EXPECT_EQ(CountCalls(ReadSchedule()), 2);
}

// A file that cannot be read or saved: exit 1, one line, nothing armed; listing still works
// where the file can be read.
TEST_F(QuickCallTest, AFileThatCannotBeSavedEndsWithOne) {
  fs::rename(program_ / "pelorin.xml", program_ / "away.xml");
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"--in", "5m"}, {"--list"}, {"--delete", "1"}}) {
    EXPECT_EQ(Run(arguments).exitCode, 1) << arguments[0];
    EXPECT_THAT(errors_, HasSubstr("is missing")) << arguments[0];
    EXPECT_EQ(std::count(errors_.begin(), errors_.end(), '\n'), 1) << errors_;
  }
  fs::rename(program_ / "away.xml", program_ / "pelorin.xml");
  WriteSchedule("<CallInfo>" + Call("Kept", std::time(nullptr) + 3600, 1) + "</CallInfo>");
  const std::string schedule = ReadSchedule();

  // Root writes anywhere; the program runs as a user that may read the directory only.
  if (geteuid() == 0) {
    StartProgramsThrough({"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
  } else {
    fs::permissions(program_, fs::perms::owner_read | fs::perms::owner_exec);
  }
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"--in", "5m"}, {"--delete", "1"}}) {
    EXPECT_EQ(Run(arguments).exitCode, 1) << arguments[0];
    EXPECT_THAT(errors_, HasSubstr("cannot be saved")) << arguments[0];
    EXPECT_EQ(std::count(errors_.begin(), errors_.end(), '\n'), 1) << errors_;
  }
  const e2e::Finished listed = Run({"--list"});
  fs::permissions(program_, fs::perms::owner_all);
  EXPECT_EQ(listed.exitCode, 0) << errors_;
  EXPECT_THAT(listed.output, StartsWith("1\t"));
  EXPECT_EQ(ReadSchedule(), schedule);
  EXPECT_TRUE(ArmedTimes().empty());
}

}  // namespace
