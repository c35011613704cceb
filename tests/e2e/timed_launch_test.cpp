// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Timed launches without a display, as the waiter starts them on a machine whose screen is
// gone: each purges the schedule file and arms the next call. A file that cannot be saved
// must not make the launch start itself again and again; launches killed at any moment while
// they save must never tear the file, lose a call, leave litter or a second waiter.
#include <gmock/gmock.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/system/module_path.h"
#include "platform/system/text.h"
#include "store/schedule_store.h"
#include "tests/e2e/desktop_session.h"
#include "tests/support/local_time.h"
#include "tests/support/processes.h"
#include "tests/support/waiting.h"

namespace {

using test_support::WaiterTime;

namespace fs = std::filesystem;
using test_support::WaitUntil;
using namespace std::chrono_literals;

class TimedLaunchTest : public e2e::DesktopSession {
 protected:
  TimedLaunchTest() { withDisplay_ = false; }

  std::string Program() const { return (program_ / "pelorin").string(); }
  std::string Waiter() const { return (program_ / "pelorin-waiter").string(); }

  // Every process of the program copy or its waiter, whatever its arguments.
  std::vector<int> ProcessesOfTheCopy() const {
    return test_support::Processes([&](const std::vector<std::string>& command) {
      return command.front() == Program() || command.front() == Waiter();
    });
  }
  std::vector<int> WaitersFor(std::time_t moment) const {
    return test_support::Processes([&](const std::vector<std::string>& command) {
      return command == std::vector<std::string>{Waiter(), Program(), WaiterTime(moment)};
    });
  }

  // The names of the calls as the program reads the file; nothing when it cannot be loaded.
  std::vector<std::string> LoadedNames() const {
    SetModuleFileNameForTesting(FromUtf8(Program()));
    ScheduleStore store;
    std::vector<std::string> names;
    for (int position = 0; position < store.CountCalls(); ++position) {
      CallRecord call{};
      names.push_back(store.ReadCall(position, call) ? ToUtf8(std::u16string(call.Name)) : "?");
    }
    SetModuleFileNameForTesting({});
    return names;
  }
};

TEST_F(TimedLaunchTest, AScheduleThatCannotBeSavedArmsTheNextCallOnceAndNeverRestarts) {
  const std::time_t now = std::time(nullptr);
  WriteSchedule("<?xml version=\"1.0\"?>\n<CallInfo>" + Call("Past", now - 3600, 1) +
                Call("Next", now + 3600, 2) + "</CallInfo>\n");
  // Root writes anywhere; the launch runs as a user that may read the directory only.
  if (geteuid() == 0) {
    StartProgramsThrough({"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
  } else {
    fs::permissions(program_, fs::perms::owner_read | fs::perms::owner_exec);
  }
  ASSERT_NE(WaitForProgram(StartProgram({"AppRunAtTime"}), 30s), -1000);

  // A launch that starts itself again would show as new processes, several a second.
  std::set<int> seen;
  const auto end = std::chrono::steady_clock::now() + 3s;
  while (std::chrono::steady_clock::now() < end) {
    for (int process : ProcessesOfTheCopy()) {
      seen.insert(process);
    }
    std::this_thread::sleep_for(10ms);
  }
  fs::permissions(program_, fs::perms::owner_all);
  EXPECT_EQ(seen.size(), 1u) << "processes of the program seen in 3 s";
  EXPECT_EQ(WaitersFor(now + 3600).size(), 1u) << "one waiter, for the call still to come";
  EXPECT_EQ(LoadedNames(), (std::vector<std::string>{"Past", "Next"}));
}

// Rounds of two launches saving the same file, each SIGKILLed at a random moment of its run
// or let finish. PELORIN_TORTURE_CYCLES sets the number of rounds (the README's long run).
TEST_F(TimedLaunchTest, LaunchesKilledWhileTheySaveNeverTearTheFileLoseACallOrLeaveLitter) {
  const std::time_t now = std::time(nullptr);
  std::vector<std::string> future;
  std::string calls;
  for (int hour = 1; hour <= 5; ++hour) {
    future.push_back("Future " + std::to_string(hour));
    calls += Call(future.back(), now + 3600 * hour, hour);
  }
  WriteSchedule("<?xml version=\"1.0\"?>\n<CallInfo>" + calls + "</CallInfo>\n");
  const std::set<fs::path> installed(fs::directory_iterator(program_), {});

  // A clean launch says how long one takes on this machine now.
  const auto started = std::chrono::steady_clock::now();
  ASSERT_NE(WaitForProgram(StartProgram({"AppRunAtTime"}), 30s), -1000);
  const auto run = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - started);

  const char* asked = std::getenv("PELORIN_TORTURE_CYCLES");
  const int cycles = asked ? std::atoi(asked) : 200;
  const unsigned seed = static_cast<unsigned>(now);
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  std::uniform_int_distribution<long long> moment(0, run.count() * 6 / 5);
  for (int cycle = 0; cycle < cycles && !HasFailure(); ++cycle) {
    const int first = StartProgram({"AppRunAtTime"});
    const int second = StartProgram({"AppRunAtTime"});
    long long kills[] = {moment(random), moment(random)};
    std::sort(std::begin(kills), std::end(kills));
    const auto begun = std::chrono::steady_clock::now();
    for (int i = 0; i < 2; ++i) {
      std::this_thread::sleep_until(begun + std::chrono::microseconds(kills[i]));
      kill(i == 0 ? first : second, SIGKILL);
    }
    WaitForProgram(first, 30s);
    WaitForProgram(second, 30s);
    ASSERT_EQ(LoadedNames(), future) << "after round " << cycle;
  }

  // Temporary files of killed saves are removed once they are a minute old: age them.
  for (const fs::directory_entry& entry : fs::directory_iterator(program_)) {
    if (!installed.contains(entry.path())) {
      fs::last_write_time(entry.path(), fs::file_time_type::clock::now() - 2min);
    }
  }
  ASSERT_NE(WaitForProgram(StartProgram({"AppRunAtTime"}), 30s), -1000);
  EXPECT_EQ(std::set<fs::path>(fs::directory_iterator(program_), {}), installed);
  EXPECT_EQ(LoadedNames(), future);
  EXPECT_TRUE(WaitUntil([&] { return ProcessesOfTheCopy().size() == 1; }, 5s));
  EXPECT_EQ(WaitersFor(now + 3600).size(), 1u);
}

}  // namespace
