// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The backlight request for real: a private session bus (dbus-daemon) with a stand-in screen
// saver on it (fake_screen_saver), and a process that asks as the incoming call does. Each
// asking process is a fresh child, as each timed launch is, so that its leaving the bus can be
// watched.
#include <gmock/gmock.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/power/power.h"
#include "platform/ui/application.h"
#include "tests/support/session_bus.h"
#include "tests/support/text_files.h"
#include "tests/support/waiting.h"

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;

using test_support::Lines;
using test_support::ReadFile;
using test_support::WaitUntil;
using namespace std::chrono_literals;

// What a child process got from SetPowerRequirement.
struct Answer {
  bool granted = false;
  bool sameOnRepeat = false;
};

// A child process that asks once (and asks again, to see the handle kept) and then holds its
// bus connection until Release.
class Asker {
 public:
  Asker(const std::u16string& device, CEDEVICE_POWER_STATE state) {
    int answer[2];
    int release[2];
    if (pipe(answer) != 0 || pipe(release) != 0) {
      return;
    }
    pid_ = fork();
    if (pid_ == 0) {
      close(answer[0]);
      close(release[1]);
      int argc = 1;
      char name[] = "backlight_asker";
      char* argv[] = {name, nullptr};
      std::string why;
      StartScreenPlatform(argc, argv, &why);
      HANDLE first = SetPowerRequirement(device, state, POWER_NAME, nullptr, 0);
      HANDLE second = SetPowerRequirement(device, state, POWER_NAME, nullptr, 0);
      const char reply[2] = {first != nullptr ? '1' : '0', first == second ? '1' : '0'};
      (void)!write(answer[1], reply, sizeof reply);
      char ignored = 0;
      (void)!read(release[0], &ignored, 1);  // until the parent closes its end
      _exit(0);
    }
    close(answer[1]);
    close(release[0]);
    releaseEnd_ = release[1];
    char reply[2] = {};
    if (read(answer[0], reply, sizeof reply) == sizeof reply) {
      answer_ = {reply[0] == '1', reply[1] == '1'};
    }
    close(answer[0]);
  }
  ~Asker() { Release(); }

  const Answer& answer() const { return answer_; }

  // Lets the child end, and waits for it.
  void Release() {
    if (releaseEnd_ >= 0) {
      close(releaseEnd_);
      releaseEnd_ = -1;
    }
    if (pid_ > 0) {
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
  }

 private:
  pid_t pid_ = -1;
  int releaseEnd_ = -1;
  Answer answer_;
};

class BacklightRequestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/pelorin-backlight-XXXXXX";
    directory_ = mkdtemp(pattern);
    oldAddress_ = getenv("DBUS_SESSION_BUS_ADDRESS") ? getenv("DBUS_SESSION_BUS_ADDRESS") : "";
    StartBus();
  }

  void TearDown() override {
    bus_.Stop();
    setenv("DBUS_SESSION_BUS_ADDRESS", oldAddress_.c_str(), 1);
    fs::remove_all(directory_);
  }

  // A session bus of our own: the test process and its children use it from then on.
  void StartBus() {
    ASSERT_TRUE(bus_.Start(directory_)) << "dbus-daemon could not be started";
    setenv("DBUS_SESSION_BUS_ADDRESS", bus_.address().c_str(), 1);
  }

  void StartScreenSaver() { ASSERT_TRUE(bus_.StartScreenSaver(LogPath())); }

  fs::path LogPath() const { return directory_ / "screen-saver.log"; }
  std::vector<std::string> Log() const { return Lines(ReadFile(LogPath())); }

  fs::path directory_;
  std::string oldAddress_;
  test_support::PrivateSessionBus bus_;
};

TEST_F(BacklightRequestTest, WithoutAScreenSaverOrABusNothingIsHeld) {
  Asker nobodyListening(u"BKL1:", D0);
  EXPECT_FALSE(nobodyListening.answer().granted);

  setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (directory_ / "no-bus").string()).c_str(), 1);
  Asker noBus(u"BKL1:", D0);
  EXPECT_FALSE(noBus.answer().granted);
}

TEST_F(BacklightRequestTest, OnlyTheBacklightAtFullPowerIsAskedFor) {
  StartScreenSaver();
  EXPECT_FALSE(Asker(u"BKL1:", D1).answer().granted);
  EXPECT_FALSE(Asker(u"BKL2:", D0).answer().granted);
  EXPECT_FALSE(Asker(u"bkl1:", D0).answer().granted);
  EXPECT_FALSE(Asker(u"", D0).answer().granted);
  EXPECT_THAT(Log(), ElementsAre("ready"));
}

TEST_F(BacklightRequestTest, TheScreenSaverIsInhibitedOnceAndReleasedOnlyWhenTheProcessEnds) {
  StartScreenSaver();
  Asker incomingCall(u"BKL1:", D0);
  EXPECT_TRUE(incomingCall.answer().granted);
  EXPECT_TRUE(incomingCall.answer().sameOnRepeat) << "asking again keeps the one request";

  const std::vector<std::string> held = Log();
  ASSERT_EQ(held.size(), 2u);
  EXPECT_THAT(held[1], MatchesRegex("inhibit :[0-9.]+ Pelorin\\|Incoming call [0-9]+"));
  const std::string caller = held[1].substr(8, held[1].find(' ', 8) - 8);

  // Nothing gives it back while the process lives...
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(Log(), held);

  // ...and the screen saver drops it as soon as the process has gone.
  incomingCall.Release();
  EXPECT_TRUE(WaitUntil([&] { return Log().size() == 3; }, 10s));
  EXPECT_THAT(Log(), ElementsAre("ready", held[1], "released " + caller));
}

}  // namespace
