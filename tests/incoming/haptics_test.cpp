// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The vibrator of an incoming call for real: the screen runs with the platform's own vibrator
// on a private session bus, with feedbackd's stand-in (fake_feedbackd), the real feedbackd
// without a motor, or nothing at all on it. The bus serves the whole test program, as a
// process keeps its session bus for life.
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/incoming/incoming_fixture.h"
#include "tests/support/session_bus.h"
#include "tests/support/text_files.h"
#include "tests/support/waiting.h"

namespace {

namespace fs = std::filesystem;
using test_support::Lines;
using test_support::ReadFile;
using test_support::WaitUntil;
using ::testing::ElementsAre;
using namespace std::chrono_literals;

constexpr char kTrigger[] = "trigger pelorin phone-incoming-call profile=quiet 0 ";

// Where the frame stood, by milliseconds since the screen came up.
using FrameSamples = std::vector<std::pair<int, int>>;

class HapticsTest : public IncomingFixture {
 protected:
  void SetUp() override {
    Bus();  // before anything of the process asks for its session bus
    IncomingFixture::SetUp();
    SetVibratorService({});
    log_ = directory_ / "feedback.log";
  }

  void TearDown() override {
    Bus().StopServices();
    IncomingFixture::TearDown();
  }

  static test_support::PrivateSessionBus& Bus() {
    struct ProgramBus {
      ~ProgramBus() {
        bus.Stop();
        fs::remove_all(directory);
      }
      fs::path directory;
      test_support::PrivateSessionBus bus;
    };
    static ProgramBus program;
    if (program.bus.address().empty()) {
      char pattern[] = "/tmp/pelorin-haptics-XXXXXX";
      program.directory = mkdtemp(pattern);
      EXPECT_TRUE(program.bus.Start(program.directory)) << "dbus-daemon could not be started";
      setenv("DBUS_SESSION_BUS_ADDRESS", program.bus.address().c_str(), 1);
    }
    return program.bus;
  }

  // feedbackd's stand-in, answering after `answerDelay` milliseconds.
  void StartStandIn(int answerDelay = 0) {
    ASSERT_TRUE(Bus().StartService({"fake_feedbackd", log_.string(), std::to_string(answerDelay)},
                                   log_, "ready"));
  }

  // The log's lines without their times, and the times alone.
  std::vector<std::string> Calls() const {
    std::vector<std::string> calls;
    for (const std::string& line : Lines(ReadFile(log_))) {
      calls.push_back(line.substr(0, line.rfind(" @")));
    }
    return calls;
  }
  std::vector<long long> Times() const {
    std::vector<long long> times;
    for (const std::string& line : Lines(ReadFile(log_))) {
      times.push_back(std::stoll(line.substr(line.rfind(" @") + 2)));
    }
    return times;
  }

  // Rings a call that vibrates (or not) for `milliseconds`, noting every 40 ms where the frame
  // stands, then answers it.
  FrameSamples Ring(int milliseconds, int vibrate = 1, const std::string& ringtone = "/r.mp3") {
    WriteSchedule("<CallInfo>" + Call("Mum", NowPlus(2), 1, ringtone, vibrate) + "</CallInfo>");
    FrameSamples samples;
    RunLater([&] {
      const auto start = std::chrono::steady_clock::now();
      for (int passed = 0; passed < milliseconds;) {
        int x = 0;
        int y = 0;
        NewestFrameOrigin(&x, &y);
        samples.emplace_back(passed, x);
        LetTimePass(40);
        passed = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                      std::chrono::steady_clock::now() - start)
                                      .count());
      }
      PressKey(VK_F1);
    });
    EXPECT_EQ(RunScreen(), 0);
    return samples;
  }

  // How far the frame moved sideways between `from` and `to` milliseconds.
  static int Sway(const FrameSamples& samples, int from, int to) {
    int least = 1 << 20;
    int most = -(1 << 20);
    for (const auto& [at, x] : samples) {
      if (at >= from && at <= to) {
        least = std::min(least, x);
        most = std::max(most, x);
      }
    }
    return most - least;
  }

  fs::path log_;
};

TEST_F(HapticsTest, TheMotorRunsWhileTheVibratorIsOnAndACallThatDoesNotVibrateAsksNothing) {
  StartStandIn();
  // On for a second, off for a second, on again: Accept in the second "on" ends that run.
  const FrameSamples samples = Ring(2500);
  ASSERT_TRUE(WaitUntil([&] { return Calls().size() == 5; }, 5s));
  EXPECT_THAT(Calls(), ElementsAre("ready", kTrigger + std::string("1"), "end 1",
                                   kTrigger + std::string("2"), "end 2"));
  const std::vector<long long> times = Times();
  EXPECT_NEAR(static_cast<double>(times[2] - times[1]), 1000, 300) << "on for a second";
  EXPECT_NEAR(static_cast<double>(times[3] - times[2]), 1000, 300) << "off for a second";
  EXPECT_EQ(Sway(samples, 0, 2500), 0) << "the motor runs, the frame stands still";

  // Not vibrating, muted: feedbackd hears nothing, not even Accept's stop.
  Ring(300, 0, "");
  EXPECT_FALSE(WaitUntil([&] { return Calls().size() > 5; }, 500ms));
}

TEST_F(HapticsTest, WhereTheMotorCannotRunTheFrameShakesWhileTheVibratorIsOn) {
  {
    SCOPED_TRACE("no feedbackd on the bus");
    const FrameSamples samples = Ring(1800);
    EXPECT_GT(Sway(samples, 0, 900), 2);
    EXPECT_EQ(Sway(samples, 1150, 1800), 0) << "off: it stands still";
  }
  {
    SCOPED_TRACE("feedbackd answering after 1.5 s");
    StartStandIn(1500);
    const FrameSamples samples = Ring(1800);
    EXPECT_EQ(Sway(samples, 0, 200), 0) << "the answer is waited for a little";
    EXPECT_GT(Sway(samples, 400, 900), 2) << "then the frame shakes";
    // The vibrator went off before the answer came: the run it names is ended at once.
    ASSERT_TRUE(WaitUntil([&] { return Calls().size() == 3; }, 5s));
    EXPECT_THAT(Calls(), ElementsAre("ready", kTrigger + std::string("1"), "end 1"));
    EXPECT_GE(Times()[2] - Times()[1], 1400);
    Bus().StopServices();
  }
  {
    SCOPED_TRACE("the real feedbackd, which finds no motor here");
    ASSERT_TRUE(fs::exists("/usr/libexec/feedbackd")) << "scripts/setup installs feedbackd";
    ASSERT_TRUE(Bus().StartService({"/usr/libexec/feedbackd"}, log_, "was acquired",
                                   {"G_MESSAGES_DEBUG=all", "GSETTINGS_BACKEND=memory"}));
    const FrameSamples samples = Ring(900);
    EXPECT_GT(Sway(samples, 0, 900), 2);
    EXPECT_NE(ReadFile(log_).find("Event 'phone-incoming-call' for 'pelorin'"), std::string::npos)
        << ReadFile(log_);
  }
}

}  // namespace
