// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Timed launches through a real systemd user manager, as every systemd desktop and phone
// makes them: the calls are armed by the program's own starts (a desktop start, display-less
// timed launches), and each launch is seen the moment the manager's service opens
// pelorin-waiter to run it (inotify), without slowing the manager down.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/desktop_session.h"
#include "tests/support/text_files.h"
#include "tests/support/user_manager.h"
#include "tests/support/waiting.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test_support::WaitUntil;

// Every moment a file is opened (as exec opens a program), in microseconds of the real-time
// clock, until the watch ends.
class OpenWatch {
 public:
  explicit OpenWatch(const fs::path& file) {
    descriptor_ = inotify_init1(IN_CLOEXEC);
    inotify_add_watch(descriptor_, file.c_str(), IN_OPEN);
    reader_ = std::thread([this] { Read(); });
  }
  ~OpenWatch() {
    done_ = true;
    reader_.join();
    close(descriptor_);
  }
  std::vector<long long> Opens() {
    std::lock_guard lock(mutex_);
    return opens_;
  }

 private:
  void Read() {
    alignas(inotify_event) char buffer[4096];
    while (!done_) {
      pollfd ready{descriptor_, POLLIN, 0};
      if (poll(&ready, 1, 100) <= 0) {
        continue;
      }
      const auto now = std::chrono::system_clock::now().time_since_epoch();
      if (read(descriptor_, buffer, sizeof buffer) > 0) {
        std::lock_guard lock(mutex_);
        opens_.push_back(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
      }
    }
  }

  int descriptor_ = -1;
  std::atomic<bool> done_ = false;
  std::thread reader_;
  std::mutex mutex_;
  std::vector<long long> opens_;
};

class SystemdLaunchTest : public e2e::DesktopSession {
 protected:
  void SetUp() override {
    DesktopSession::SetUp();
    std::string why;
    if (!manager_.Start(root_ / "manager", &why)) {
      GTEST_SKIP() << "no user systemd manager here: " << why;
    }
    // The person's own session: their manager found without being named.
    RemoveVariable("PELORIN_TIMED_LAUNCH");
    for (const std::string& variable : manager_.Variables()) {
      const std::size_t equals = variable.find('=');
      SetVariable(variable.substr(0, equals), variable.substr(equals + 1));
    }
  }
  void TearDown() override {
    manager_.Stop();
    DesktopSession::TearDown();
  }

  std::vector<std::string> PendingTimers() {
    std::vector<std::string> pending;
    for (const std::string& name : manager_.Units("pelorin-*-*.timer")) {
      if (manager_.Property(name, "ActiveState") == "active") {
        pending.push_back(name);
      }
    }
    return pending;
  }
  // A timed launch without a display: it rings nothing and arms the earliest call.
  void ArmWithoutDisplay() {
    const int launch = StartProgram({"AppRunAtTime"});
    ASSERT_NE(WaitForProgram(launch, 30s), -1000);
  }

  test_support::UserSystemdManager manager_;
};

TEST_F(SystemdLaunchTest, KeptCallsAreLaunchedOnTheirSecondAndADeletedOneNever) {
  OpenWatch launches(program_ / "pelorin-waiter");
  const std::time_t start = std::time(nullptr);
  const std::time_t kept = start + 16;
  const std::time_t deleted = start + 32;
  const std::time_t last = start + 48;
  WriteSchedule("<?xml version=\"1.0\"?>\n<CallInfo>" + Call("Kept", kept, 1) +
                Call("Deleted", deleted, 2) + Call("Last", last, 3) + "</CallInfo>\n");

  // Armed from a desktop start: the unit carries the display, not the scale Pelorin chose.
  const int desktop = StartProgram();
  ASSERT_TRUE(FocusWindow(kMainTitle, 20s)) << "the main screen never showed";
  ASSERT_TRUE(WaitUntil([&] { return PendingTimers().size() == 1; }, 10s));
  const std::string service = manager_.Property(PendingTimers().front(), "Unit");
  const std::string variables = manager_.Property(service, "Environment");
  EXPECT_NE(variables.find("DISPLAY=" + display_), std::string::npos) << variables;
  EXPECT_EQ(variables.find("QT_SCALE_FACTOR"), std::string::npos) << variables;
  bool fileChecked = false;
  for (const fs::directory_entry& entry : fs::directory_iterator(manager_.unitDirectory())) {
    if (entry.path().extension() == ".service") {
      const std::string text = test_support::ReadFile(entry.path());
      EXPECT_NE(text.find("Environment=\"DISPLAY=" + display_ + "\""), std::string::npos) << text;
      EXPECT_EQ(text.find("QT_SCALE_FACTOR"), std::string::npos) << text;
      fileChecked = true;
    }
  }
  EXPECT_TRUE(fileChecked) << "no service file for the next start of the manager";
  Keys({"Escape"});
  ASSERT_EQ(WaitForProgram(desktop, 20s), 0);

  // Re-armed without a display, then once more after the second call was deleted.
  RemoveVariable("DISPLAY");
  ArmWithoutDisplay();
  WriteSchedule("<?xml version=\"1.0\"?>\n<CallInfo>" + Call("Kept", kept, 1) +
                Call("Last", last, 3) + "</CallInfo>\n");
  ArmWithoutDisplay();
  ASSERT_EQ(PendingTimers().size(), 1u);

  // Each launch arms the next call itself.
  std::this_thread::sleep_until(std::chrono::system_clock::from_time_t(last + 2));
  std::vector<long long> late;
  for (const long long open : launches.Opens()) {
    late.push_back(open -
                   static_cast<long long>(open / 1'000'000 >= last ? last : kept) * 1'000'000);
  }
  ASSERT_EQ(late.size(), 2u) << "launches seen (µs after the first kept second): "
                             << testing::PrintToString(launches.Opens());
  for (const long long microseconds : late) {
    EXPECT_GE(microseconds, 0);
    EXPECT_LT(microseconds, 50'000) << "launched " << microseconds / 1000 << " ms after its second";
  }
  std::printf("launched %lld ms and %lld ms after their seconds\n", late[0] / 1000, late[1] / 1000);
  EXPECT_TRUE(PendingTimers().empty());
  EXPECT_EQ(CountCalls(ReadSchedule()), 0);
}

}  // namespace
