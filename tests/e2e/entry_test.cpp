// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Starts the built program the way a person or the timed launch does, in a program directory
// of its own, and checks what it leaves behind.
#include <gmock/gmock.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/desktop_session.h"
#include "tests/support/processes.h"
#include "tests/support/text_files.h"
#include "tests/support/waiting.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int exitCode;
  std::string errors;
  std::string output;
};

class EntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = fs::temp_directory_path() / ("pelorin-entry-" + std::to_string(::getpid()));
    fs::remove_all(directory_);
    fs::create_directories(directory_);
    const fs::path build = std::getenv("PELORIN_BUILD_DIR");
    fs::copy_file(build / "pelorin", directory_ / "pelorin");
    // Without a schedule file beside the copy, the person's own would be in effect.
    setenv("XDG_DATA_HOME", (directory_ / "data").c_str(), 1);
  }
  void TearDown() override {
    unsetenv("XDG_DATA_HOME");
    fs::remove_all(directory_);
  }

  void WriteSchedule(const std::string& text) { std::ofstream(directory_ / "pelorin.xml") << text; }
  std::string ReadSchedule() {
    std::stringstream text;
    text << std::ifstream(directory_ / "pelorin.xml").rdbuf();
    return text.str();
  }

  // Runs the copy with the given arguments and environment changes ("NAME=value", or "NAME"
  // alone to remove it).
  Outcome Run(std::vector<std::string> arguments, const std::vector<std::string>& changes) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
      const std::string text = *entry;
      bool replaced = false;
      for (const std::string& change : changes) {
        const std::string name = change.substr(0, change.find('='));
        replaced = replaced || text.rfind(name + "=", 0) == 0;
      }
      if (!replaced) {
        environment.push_back(text);
      }
    }
    for (const std::string& change : changes) {
      if (change.find('=') != std::string::npos) {
        environment.push_back(change);
      }
    }
    arguments.insert(arguments.begin(), (directory_ / "pelorin").string());
    const fs::path errors = directory_ / "stderr.txt";
    const fs::path output = directory_ / "stdout.txt";
    fs::remove(errors);
    fs::remove(output);
    const int process = test_support::Spawn(arguments, environment, output, errors);
    EXPECT_GT(process, 0) << "the program could not be started";
    int status = 0;
    if (process <= 0 || waitpid(process, &status, 0) != process) {
      return {-1000, {}, {}};
    }
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1000, test_support::ReadFile(errors),
            test_support::ReadFile(output)};
  }

  fs::path directory_;
};

const std::vector<std::string> kNoDisplay = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};

TEST_F(EntryTest, WithoutADisplayItSaysSoInOneLineAndEndsWithMinusOne) {
  WriteSchedule("<CallInfo><CI Name=\"old\" CallTimeHigh=\"1\" CallTimeLow=\"0\"/></CallInfo>");
  const Outcome user = Run({}, kNoDisplay);
  EXPECT_EQ(user.exitCode, 255);
  EXPECT_THAT(user.errors, ::testing::HasSubstr("DISPLAY"));
  EXPECT_EQ(std::count(user.errors.begin(), user.errors.end(), '\n'), 1);
  // A user launch without a screen leaves the schedule alone...
  EXPECT_THAT(ReadSchedule(), ::testing::HasSubstr("old"));

  // ...while a timed launch still purges past calls, so the later ones stay armed.
  const Outcome timed = Run({"AppRunAtTime"}, kNoDisplay);
  EXPECT_EQ(timed.exitCode, 255);
  EXPECT_THAT(ReadSchedule(), ::testing::Not(::testing::HasSubstr("old")));

  std::vector<std::string> unreachable = kNoDisplay;
  unreachable.push_back("DISPLAY=:97");
  const Outcome closed = Run({}, unreachable);
  EXPECT_EQ(closed.exitCode, 255);
  EXPECT_THAT(closed.errors, ::testing::HasSubstr(":97"));
}

// A Wayland display that is named but has nobody behind it is no display either, nor is the
// socket a compositor that died left behind; a timed launch still arms the calls after the
// one it cannot show.
TEST_F(EntryTest, ADeadWaylandDisplayIsNoDisplay) {
  const std::string past =
      "<CallInfo><CI Name=\"old\" CallTimeHigh=\"1\" CallTimeLow=\"0\"/></CallInfo>";
  fs::create_directories(directory_ / "run");
  const std::string stale = (directory_ / "run" / "wayland-stale").string();
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  stale.copy(address.sun_path, sizeof address.sun_path - 1);
  const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ::close(socket);  // the file stays, nobody listens
  const std::vector<std::vector<std::string>> deadDisplays = {
      {"WAYLAND_DISPLAY=" + stale},
      {"WAYLAND_DISPLAY=" + (directory_ / "wayland-gone").string()},
      {"WAYLAND_DISPLAY=wayland-gone", "XDG_RUNTIME_DIR=" + (directory_ / "run").string()},
      {"XDG_SESSION_TYPE=wayland", "XDG_RUNTIME_DIR=" + (directory_ / "run").string()}};
  for (const std::vector<std::string>& dead : deadDisplays) {
    std::vector<std::string> changes = kNoDisplay;
    changes.insert(changes.end(), dead.begin(), dead.end());
    const Outcome user = Run({}, changes);
    EXPECT_EQ(user.exitCode, 255) << dead[0];
    EXPECT_THAT(user.errors, ::testing::HasSubstr("Wayland display")) << dead[0];
    EXPECT_EQ(std::count(user.errors.begin(), user.errors.end(), '\n'), 1) << user.errors;

    WriteSchedule(past);
    EXPECT_EQ(Run({"AppRunAtTime"}, changes).exitCode, 255) << dead[0];
    EXPECT_THAT(ReadSchedule(), ::testing::Not(::testing::HasSubstr("old"))) << dead[0];
  }
}

// --help and --version answer without a display and start nothing; anything longer is a user
// launch as before.
TEST_F(EntryTest, HelpAndVersionAnswerWithoutADisplay) {
  const Outcome help = Run({"--help"}, kNoDisplay);
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.errors, "");
  EXPECT_THAT(help.output, ::testing::HasSubstr("pelorin AppRunAtTime"));
  EXPECT_THAT(help.output, ::testing::HasSubstr("Schedule file: " + directory_.string() +
                                                "/data/pelorin/pelorin.xml\n"));
  EXPECT_THAT(help.output, ::testing::HasSubstr("README.md"));
  WriteSchedule("<CallInfo/>");
  EXPECT_THAT(Run({"--help"}, kNoDisplay).output,
              ::testing::HasSubstr("Schedule file: " + (directory_ / "pelorin.xml").string()));
  for (const char* form : {"pelorin --in DURATION [--name NAME] [--ringtone FILE] [--mute]",
                           "pelorin --at TIME", "pelorin --list", "pelorin --delete N"}) {
    EXPECT_THAT(help.output, ::testing::HasSubstr(form));
  }

  const Outcome version = Run({"--version"}, kNoDisplay);
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.output, "pelorin " PELORIN_VERSION "\n");

  EXPECT_EQ(Run({"--help", "me"}, kNoDisplay).exitCode, 255);
}

TEST_F(EntryTest, OnlyTheExactCommandLineIsATimedLaunch) {
  const std::string past =
      "<CallInfo><CI Name=\"old\" CallTimeHigh=\"1\" CallTimeLow=\"0\"/></CallInfo>";
  const std::vector<std::string> offscreen = {"QT_QPA_PLATFORM=offscreen", "SDL_AUDIODRIVER=dummy"};
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"apprunattime"}, {"AppRunAtTime "}, {"AppRunAtTime", "x"}}) {
    WriteSchedule(past);
    const Outcome outcome = Run(arguments, kNoDisplay);
    EXPECT_EQ(outcome.exitCode, 255);
    EXPECT_THAT(ReadSchedule(), ::testing::HasSubstr("old")) << arguments[0];
  }
  WriteSchedule(past);
  EXPECT_EQ(Run({"AppRunAtTime"}, offscreen).exitCode, 0);
}

// The program on a display of its own whose server resets whenever its last client leaves,
// as xvfb-run's does.
class EntryOnDesktopTest : public e2e::DesktopSession {
 protected:
  EntryOnDesktopTest() { serverResets_ = true; }

  // Waits for the main screen; false when the program ended first or it never showed.
  bool MainScreenShows(int program) {
    bool shown = false;
    test_support::WaitUntil(
        [&] { return (shown = WindowExists("Pelorin")) || !ProgramRuns(program); },
        std::chrono::seconds(20));
    return shown;
  }
  std::string ProgramOutput() const { return test_support::ReadFile(root_ / "program-output.txt"); }
};

// Each start, the server has just reset or is resetting (the last program or the last window
// search has left): the program's own connection must not be the one the reset drops.
TEST_F(EntryOnDesktopTest, EveryStartOnAResettingServerShowsTheMainScreen) {
  // A session bus started for the program would stay on the display and keep the server from
  // ever resetting: name one that is not there.
  SetVariable("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (root_ / "no-bus").string());
  for (int start = 1; start <= 20; ++start) {
    const int program = StartProgram();
    ASSERT_TRUE(MainScreenShows(program)) << "start " << start << ": " << ProgramOutput();
    ::kill(program, SIGTERM);
    // Taken by the program, which ends its screen and says so in its exit status.
    EXPECT_EQ(WaitForProgram(program, std::chrono::seconds(10)), 128 + SIGTERM);
  }
}

// Ctrl+C with the new call form open over the main screen: both end at once, nothing saved.
TEST_F(EntryOnDesktopTest, AnInterruptEndsEveryScreenAndSavesNothing) {
  const std::string schedule = ReadSchedule();
  const int program = StartProgram();
  ASSERT_TRUE(MainScreenShows(program)) << ProgramOutput();
  ASSERT_TRUE(FocusWindow("Pelorin", std::chrono::seconds(10)));
  Keys({"F1"});  // New
  ASSERT_TRUE(FocusWindow("New Call", std::chrono::seconds(10)));
  const auto told = std::chrono::steady_clock::now();
  ::kill(program, SIGINT);
  EXPECT_EQ(WaitForProgram(program, std::chrono::seconds(5)), 128 + SIGINT);
  EXPECT_LT(std::chrono::steady_clock::now() - told, std::chrono::seconds(1));
  EXPECT_EQ(ReadSchedule(), schedule);
}

// Started and left by a person, with no session bus and no XDG_RUNTIME_DIR: nothing printed,
// nothing left running. Also with a Wayland display named that does not answer: the program
// shows on X11 without a word about Wayland.
TEST_F(EntryOnDesktopTest, ANormalRunPrintsNothingAndLeavesNothingBehind) {
  RemoveVariable("XDG_RUNTIME_DIR");
  for (const bool deadWayland : {false, true}) {
    if (deadWayland) {
      SetVariable("WAYLAND_DISPLAY", (root_ / "wayland-gone").string());
    }
    fs::remove(root_ / "program-output.txt");
    const int program = StartProgram();
    ASSERT_TRUE(MainScreenShows(program)) << ProgramOutput();
    ASSERT_TRUE(FocusWindow("Pelorin", std::chrono::seconds(10)));
    Keys({"Escape"});  // leave Pelorin
    EXPECT_EQ(WaitForProgram(program, std::chrono::seconds(10)), 0);
    EXPECT_EQ(ProgramOutput(), "") << "dead Wayland display: " << deadWayland;
    EXPECT_THAT(ProcessesOfTheSession(), ::testing::IsEmpty());
  }
}

}  // namespace
