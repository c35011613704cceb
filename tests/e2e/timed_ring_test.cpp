// The launch contract for real: a copy of the built program in a directory of its own, on an
// Xvfb display of its own, with a session bus carrying a stand-in screen saver and the sound
// going to a file (SDL's disk driver). A timed launch with nothing due arms the next call
// through pelorin-waiter; the waiter starts the program at that second; the program rings
// (sound, backlight held, window up), purges the call and arms the next; F1 answers.
#include <gmock/gmock.h>
#include <signal.h>

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

  EXPECT_TRUE(WaitUntil(
      [&] {
        const e2e::Finished search =
            Tool({"xdotool", "search", "--onlyvisible", "--pid", std::to_string(ringing)});
        return search.exitCode == 0 && !search.output.empty();
      },
      10s))
      << "no window of the ringing program is shown";

  // F1, the left soft key "Accept", answers; the process ends and with it the inhibit.
  Tool({"xdotool", "key", "F1"});
  EXPECT_TRUE(WaitUntil([&] { return !IsRunning(ringing); }, 10s)) << "Accept did not end it";
  EXPECT_TRUE(WaitUntil([&] { return Lines(ReadFile(ScreenSaverLog())).size() == 3; }, 10s));
  EXPECT_THAT(Lines(ReadFile(ScreenSaverLog())).back(), HasSubstr("released"));
  EXPECT_THAT(StoredNames(), ElementsAre("Later"));
}

}  // namespace
