// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The launch contract for real: a copy of the built program in a directory of its own, on an
// Xvfb display of its own, with a session bus carrying a stand-in screen saver and the sound
// going to a file (SDL's disk driver). A timed launch with nothing due arms the next call
// through pelorin-waiter; the waiter starts the program at that second; the program rings
// (sound, backlight held, window up), purges the call and arms the next; F1 answers.
#include <gmock/gmock.h>
#include <signal.h>
#include <string.h>

#include <chrono>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/desktop_session.h"
#include "tests/support/local_time.h"
#include "tests/support/processes.h"
#include "tests/support/text_files.h"
#include "tests/support/waiting.h"

namespace {

using test_support::WaiterTime;

namespace fs = std::filesystem;
using test_support::Lines;
using test_support::ReadFile;
using test_support::WaitUntil;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using namespace std::chrono_literals;

double Now() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// The processes whose command line is exactly `words`.
std::vector<int> ProcessesRunning(const std::vector<std::string>& words) {
  return test_support::Processes(
      [&](const std::vector<std::string>& command) { return command == words; });
}

bool IsRunning(int pid) {
  return kill(pid, 0) == 0 && !ReadFile("/proc/" + std::to_string(pid) + "/cmdline").empty();
}

// Samples of the 16-bit output that are clearly not silence.
std::size_t AudibleSamples(const fs::path& output) {
  const std::string bytes = ReadFile(output);
  std::size_t loud = 0;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto sample = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[i]) |
                                                  (static_cast<unsigned char>(bytes[i + 1]) << 8));
    loud += sample > 1000 || sample < -1000;
  }
  return loud;
}

class TimedRingTest : public e2e::DesktopSession {
 protected:
  void SetUp() override {
    DesktopSession::SetUp();
    if (HasFatalFailure()) {
      return;
    }
    StartSessionBus();
    SetVariable("QT_QPA_PLATFORM", "xcb");
    SetVariable("SDL_AUDIODRIVER", "disk");
    SetVariable("SDL_DISKAUDIOFILE", AudioPath().string());
  }

  // The desktop's notification service and logind, stand-ins on the session bus and on a
  // system bus of the test's own, each logging what it was asked. `notifications`: "actions",
  // "no-actions", or "silent" for one that never answers.
  void StartLockScreenServices(const std::string& notifications) {
    const std::string standIns =
        std::string(getenv("PELORIN_SOURCE_DIR")) + "/tests/screens/stand_in_services.py";
    if (notifications == "silent") {
      ASSERT_TRUE(SessionBus().StartService(
          {"/usr/bin/python3", standIns, "silent", "org.freedesktop.Notifications"},
          root_ / "notifications.out", "ready"));
    } else {
      ASSERT_TRUE(SessionBus().StartService({"/usr/bin/python3", standIns, "notifications",
                                             NotificationLog().string(), notifications},
                                            root_ / "notifications.out", "ready"));
    }
    if (systemBus_.address().empty()) {
      fs::create_directories(root_ / "system-bus");
      ASSERT_TRUE(systemBus_.Start(root_ / "system-bus"));
      SetVariable("DBUS_SYSTEM_BUS_ADDRESS", systemBus_.address());
      ASSERT_TRUE(
          systemBus_.StartService({"/usr/bin/python3", standIns, "logind", LogindLog().string()},
                                  root_ / "logind.out", "ready"));
    }
  }
  fs::path NotificationLog() const { return root_ / "notifications.log"; }
  fs::path LogindLog() const { return root_ / "logind.log"; }
  // Has the person's choice `key` ("0" the left soft key's, "1" the right one's) of
  // notification `number` said, as a lock screen does.
  void ChooseInNotification(int number, const std::string& key) {
    Tool({"gdbus", "call", "--session", "--dest", "org.freedesktop.Notifications", "--object-path",
          "/org/freedesktop/Notifications", "--method", "org.pelorin.Test.Invoke",
          std::to_string(number), key});
  }
  // A timed launch ringing for a call due now; its process once the ringtone is heard.
  int StartRinging(const std::string& name) {
    WriteSchedule("<?xml version=\"1.0\"?>\n<CallInfo>" +
                  Call(name, std::time(nullptr), 1, (program_ / "ringtone1.mp3").string()) +
                  "</CallInfo>\n");
    fs::remove(AudioPath());
    const int ringing = StartProgram({"AppRunAtTime"});
    EXPECT_TRUE(WaitUntil([&] { return AudibleSamples(AudioPath()) > 1000; }, 15s))
        << "the ringtone was not heard";
    return ringing;
  }
  // Whether the process shows a window on the session's display.
  bool ShowsAWindow(int process) {
    const e2e::Finished search =
        Tool({"xdotool", "search", "--onlyvisible", "--pid", std::to_string(process)});
    return search.exitCode == 0 && !search.output.empty();
  }
  test_support::PrivateSessionBus systemBus_;

  std::string Program() const { return (program_ / "pelorin").string(); }
  std::string Waiter() const { return (program_ / "pelorin-waiter").string(); }
  fs::path AudioPath() const { return root_ / "audio.raw"; }

  std::vector<std::string> StoredNames() const {
    std::vector<std::string> names;
    const std::string text = ReadSchedule();
    for (std::size_t at = text.find("Name=\""); at != std::string::npos;
         at = text.find("Name=\"", at + 1)) {
      const std::size_t start = at + 6;
      names.push_back(text.substr(start, text.find('"', start) - start));
    }
    return names;
  }
};

TEST_F(TimedRingTest, TheWaiterStartsTheProgramOnTheSecondAndItRingsPurgesAndArmsTheNext) {
  // A timed launch purges and finds due everything within ten seconds of its start, so the
  // call that is to ring through the waiter lies a little further ahead than that.
  const std::time_t soon = std::time(nullptr) + 13;
  const std::time_t later = soon + 3600;
  const std::string ringtone = (program_ / "ringtone1.mp3").string();
  WriteSchedule("<?xml version=\"1.0\"?>\n<CallInfo>" + Call("Past", soon - 3600, 1, ringtone) +
                Call("Soon", soon, 2, ringtone) + Call("Later", later, 3, ringtone) +
                "</CallInfo>\n");

  // Nothing is due: the launch shows nothing, purges the past call and arms the next one.
  EXPECT_EQ(WaitForProgram(StartProgram({"AppRunAtTime"}), 60s), 0);
  EXPECT_THAT(StoredNames(), ElementsAre("Soon", "Later"));
  const std::vector<int> waiters = ProcessesRunning({Waiter(), Program(), WaiterTime(soon)});
  ASSERT_EQ(waiters.size(), 1u) << "one waiter for the call 13 s ahead";
  EXPECT_FALSE(fs::exists(AudioPath())) << "no sound before the time";

  // The waiter becomes the ringing program at that second.
  int ringing = -1;
  ASSERT_TRUE(WaitUntil(
      [&] {
        const std::vector<int> found = ProcessesRunning({Program(), "AppRunAtTime"});
        ringing = found.empty() ? -1 : found.front();
        return ringing > 0;
      },
      std::chrono::duration<double>(static_cast<double>(soon) + 5 - Now())))
      << "the waiter did not start the program";
  const double started = Now();
  EXPECT_EQ(ringing, waiters.front()) << "the waiter itself became the program";
  EXPECT_GE(started, static_cast<double>(soon) - 0.1);
  EXPECT_LT(started, static_cast<double>(soon) + 2);

  // It rings: the ringtone is heard, the screen saver is held off, the window is up; the file
  // already holds only the later call, which is armed.
  EXPECT_TRUE(WaitUntil([&] { return AudibleSamples(AudioPath()) > 1000; }, 15s))
      << "the ringtone was not heard";
  EXPECT_TRUE(WaitUntil([&] { return Lines(ReadFile(ScreenSaverLog())).size() == 2; }, 15s));
  EXPECT_THAT(ReadFile(ScreenSaverLog()), HasSubstr("Pelorin|Incoming call"));
  EXPECT_THAT(StoredNames(), ElementsAre("Later"));
  EXPECT_TRUE(WaitUntil(
      [&] {
        return ProcessesRunning({Waiter(), Program(), WaiterTime(later)}).size() == 1;
      },
      10s))
      << "the next call is armed";
  EXPECT_TRUE(IsRunning(ringing)) << "it keeps ringing until answered";

  EXPECT_TRUE(WaitUntil([&] { return ShowsAWindow(ringing); }, 10s))
      << "no window of the ringing program is shown";

  // F1, the left soft key "Accept", answers; the process ends and with it the inhibit.
  Tool({"xdotool", "key", "F1"});
  EXPECT_TRUE(WaitUntil([&] { return !IsRunning(ringing); }, 10s)) << "Accept did not end it";
  EXPECT_TRUE(WaitUntil([&] { return Lines(ReadFile(ScreenSaverLog())).size() == 3; }, 10s));
  EXPECT_THAT(Lines(ReadFile(ScreenSaverLog())).back(), HasSubstr("released"));
  EXPECT_THAT(StoredNames(), ElementsAre("Later"));
}

// On a locked phone the call is a notification on the lock screen: critical, with the soft
// keys as its actions, while the phone is kept from sleeping. Reject there ends the call as the
// soft key does, and the notification and the sleep lock go with it.
TEST_F(TimedRingTest, TheCallIsANotificationWhoseRejectEndsItAndSleepIsHeldOffMeanwhile) {
  ASSERT_NO_FATAL_FAILURE(StartLockScreenServices("actions"));
  const int ringing = StartRinging("Mum");
  ASSERT_TRUE(WaitUntil([&] { return Lines(ReadFile(LogindLog())).size() == 1; }, 10s));
  EXPECT_THAT(Lines(ReadFile(LogindLog())),
              ElementsAre("Inhibit sleep:idle|Pelorin|Incoming call|block"));
  ASSERT_TRUE(WaitUntil([&] { return Lines(ReadFile(NotificationLog())).size() == 2; }, 10s));
  EXPECT_THAT(Lines(ReadFile(NotificationLog())),
              ElementsAre("GetCapabilities",
                          "Notify 1 Pelorin|pelorin|Incoming|Mum|0,Accept,1,Reject|"
                          "category=call.incoming|desktop-entry=pelorin|urgency=2|expire=0"));
  ChooseInNotification(1, "1");  // Reject
  EXPECT_EQ(WaitForProgram(ringing, 5s), 0) << "Reject in the notification did not end it";
  EXPECT_TRUE(WaitUntil([&] { return Lines(ReadFile(LogindLog())).size() == 2; }, 5s));
  EXPECT_EQ(Lines(ReadFile(LogindLog())).back(), "released");
  EXPECT_EQ(Lines(ReadFile(NotificationLog())).back(), "CloseNotification 1");
}

// kill, systemctl stop, Ctrl+C and a closed session end a ringing call within a second, what it
// holds released, whatever the notification service does: one that offers actions, one that
// never answers (the ringing did not wait for it), one without actions (nothing is posted).
TEST_F(TimedRingTest, TermIntAndHupEndARingingCallWithinASecond) {
  const std::vector<std::pair<int, std::string>> rounds = {
      {SIGTERM, "actions"}, {SIGINT, "silent"}, {SIGHUP, "no-actions"}};
  for (const auto& [signal, notifications] : rounds) {
    SCOPED_TRACE(std::string(strsignal(signal)) + " with a service " + notifications);
    fs::remove(NotificationLog());
    ASSERT_NO_FATAL_FAILURE(StartLockScreenServices(notifications));
    const std::size_t locks = Lines(ReadFile(LogindLog())).size();
    const int ringing = StartRinging("Sig");
    ASSERT_TRUE(WaitUntil([&] { return Lines(ReadFile(LogindLog())).size() == locks + 1; }, 10s));
    // What the service is asked comes after the sound and the lock: it is let in first.
    const std::size_t questions = notifications == "actions"      ? 2
                                  : notifications == "no-actions" ? 1
                                                                  : 0;
    ASSERT_TRUE(
        WaitUntil([&] { return Lines(ReadFile(NotificationLog())).size() == questions; }, 10s))
        << ReadFile(NotificationLog()) << ReadFile(root_ / "program-output.txt");
    const auto told = std::chrono::steady_clock::now();
    kill(ringing, signal);
    EXPECT_EQ(WaitForProgram(ringing, 5s), 128 + signal);
    EXPECT_LT(std::chrono::steady_clock::now() - told, 1s);
    EXPECT_TRUE(WaitUntil([&] { return Lines(ReadFile(LogindLog())).size() == locks + 2; }, 5s));
    EXPECT_EQ(Lines(ReadFile(LogindLog())).back(), "released");
    const std::vector<std::string> asked = Lines(ReadFile(NotificationLog()));
    if (notifications == "actions") {
      EXPECT_EQ(asked.back(), "CloseNotification 1");
    } else if (notifications == "no-actions") {
      EXPECT_THAT(asked, ElementsAre("GetCapabilities")) << "posted without its keys";
    }
    SessionBus().StopServices();
  }
}

// Without its sound module beside it the program still rings as on a machine without sound:
// the screen shows and answers, the schedule is brought up to date, one line says why and the
// ringtone's own line follows, as without an audio device.
TEST_F(TimedRingTest, WithoutTheSoundModuleTheCallShowsSilentlyWithOneLine) {
  fs::remove(program_ / "pelorin-sound.so");
  WriteSchedule("<?xml version=\"1.0\"?>\n<CallInfo>" +
                Call("Quiet", std::time(nullptr), 1, (program_ / "ringtone1.mp3").string()) +
                "</CallInfo>\n");
  const int ringing = StartProgram({"AppRunAtTime"});
  ASSERT_TRUE(WaitUntil([&] { return ShowsAWindow(ringing); }, 15s)) << "no window";
  EXPECT_TRUE(StoredNames().empty());
  EXPECT_TRUE(WaitUntil(
      [&] { return ReadFile(root_ / "program-output.txt").find("no sound") != std::string::npos; },
      10s));
  Tool({"xdotool", "key", "F1"});  // Accept
  EXPECT_EQ(WaitForProgram(ringing, 10s), 0);
  EXPECT_FALSE(fs::exists(AudioPath())) << "something played";
  const std::vector<std::string> said = Lines(ReadFile(root_ / "program-output.txt"));
  ASSERT_EQ(said.size(), 2u) << ReadFile(root_ / "program-output.txt");
  EXPECT_THAT(said[0], ::testing::StartsWith("pelorin: no sound: "));
  EXPECT_THAT(said[0], HasSubstr("pelorin-sound.so"));
  EXPECT_THAT(said[1], HasSubstr("no audio device could be opened; the call rings in silence"));
}

// A call nobody answers stops after a minute, as a phone call does, and leaves a missed call.
TEST_F(TimedRingTest, ACallNobodyAnswersEndsAfterAMinuteAndLeavesAMissedCall) {
  ASSERT_NO_FATAL_FAILURE(StartLockScreenServices("actions"));
  const auto started = std::chrono::steady_clock::now();
  const int ringing = StartRinging("Tobrin");
  EXPECT_EQ(WaitForProgram(ringing, 75s), 0) << "still ringing after 75 s";
  EXPECT_GE(std::chrono::steady_clock::now() - started, 59s);
  const std::vector<std::string> asked = Lines(ReadFile(NotificationLog()));
  ASSERT_EQ(asked.size(), 4u) << ReadFile(NotificationLog());
  EXPECT_EQ(asked[2], "CloseNotification 1");
  EXPECT_EQ(asked[3],
            "Notify 2 Pelorin|pelorin|Missed call|Tobrin||category=call.unanswered|"
            "desktop-entry=pelorin|urgency=1|expire=0");
  EXPECT_EQ(Lines(ReadFile(LogindLog())).back(), "released");
}

}  // namespace
