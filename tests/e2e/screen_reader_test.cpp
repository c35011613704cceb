// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The real program read as Orca reads it: an AT-SPI bus of the session's own (at-spi-bus-launcher)
// with accessibility switched on, Qt's bridge feeding it, and the tree read and its actions run
// with pyatspi (screen_reader.py), never a key pressed.
#include <gmock/gmock.h>
#include <sys/wait.h>

#include <ctime>
#include <filesystem>
#include <sstream>

#include "tests/e2e/desktop_session.h"
#include "tests/support/processes.h"
#include "tests/support/text_files.h"
#include "tests/support/waiting.h"

namespace {

namespace fs = std::filesystem;
using test_support::ReadFile;
using test_support::WaitUntil;
using ::testing::HasSubstr;
using ::testing::Not;
using namespace std::chrono_literals;

class ScreenReaderTest : public e2e::DesktopSession {
 protected:
  void SetUp() override {
    DesktopSession::SetUp();
    ASSERT_FALSE(HasFatalFailure());
    StartSessionBus();
    ASSERT_FALSE(HasFatalFailure());
    launcher_ = test_support::Spawn({"/usr/libexec/at-spi-bus-launcher", "--launch-immediately"},
                                    environment_, root_ / "at-spi.txt", root_ / "at-spi.txt");
    ASSERT_GT(launcher_, 0) << "at-spi-bus-launcher (at-spi2-core) could not be started";
    // What a desktop's accessibility switch (or Orca) sets; Qt's bridge looks at it on start.
    ASSERT_TRUE(WaitUntil(
        [&] {
          return Tool({"dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                       "/org/a11y/bus", "org.freedesktop.DBus.Properties.Set",
                       "string:org.a11y.Status", "string:IsEnabled", "variant:boolean:true"})
                     .exitCode == 0;
        },
        20s))
        << "the accessibility bus never answered";
  }
  void TearDown() override {
    test_support::Stop(launcher_);
    DesktopSession::TearDown();
  }

  // The program's accessibles, one a line: "depth|role|name|description|actions|extents|showing".
  std::string Tree() { return Tool({"/usr/bin/python3", Reader(), "tree"}).output; }
  // Waits until the tree has a line with `part` and gives the tree.
  std::string TreeWith(const std::string& part) {
    std::string tree;
    WaitUntil(
        [&] {
          tree = Tree();
          return tree.find(part) != std::string::npos;
        },
        20s);
    return tree;
  }
  // Runs the first action of the showing accessible of that name, as Orca's user would, once
  // it shows.
  bool Press(const std::string& name) {
    return WaitUntil(
        [&] {
          return Tool({"/usr/bin/python3", Reader(), "press", name}).exitCode == 0;
        },
        10s);
  }
  static std::string Reader() {
    return std::string(std::getenv("PELORIN_SOURCE_DIR")) + "/tests/e2e/screen_reader.py";
  }
  static int CountLinesFrom(const std::string& tree, const std::string& start) {
    int count = 0;
    std::istringstream lines(tree);
    for (std::string line; std::getline(lines, line);) {
      count += line.rfind(start, 0) == 0 ? 1 : 0;
    }
    return count;
  }

  int launcher_ = 0;
};

// The main screen's soft keys, list and menu (DEL deleting the listed call), the about texts,
// and a call scheduled through the new call screen's named fields, all over the bus. At twice
// the frame's size (the desktop's start) and at four times, places are in the screen's pixels.
TEST_F(ScreenReaderTest, MainScreenDeleteAboutAndANewCallSaved) {
  WriteSchedule("<?xml version=\"1.0\"?>\n<CallInfo>" + Call("Mum", std::time(nullptr) + 3600, 1) +
                "</CallInfo>\n");
  const int program = StartProgram();
  std::string tree = TreeWith("|push button|Menu|");
  // One window, named by the screen's caption, with the stage under it (not a window beside).
  EXPECT_EQ(CountLinesFrom(tree, "1|"), 1) << tree;
  EXPECT_THAT(tree, HasSubstr("1|frame|Pelorin|||0,0,352,440|showing"));
  EXPECT_THAT(tree, HasSubstr("|heading|Pelorin|||0,0,352,40|showing"));
  EXPECT_THAT(tree, HasSubstr("|push button|New||Press:F1|0,400,176,40|showing"));
  EXPECT_THAT(tree, HasSubstr("|push button|Menu||Press:F2|176,400,176,40|showing"));
  EXPECT_THAT(tree, HasSubstr("|table cell|Mum||Toggle:|0,74,140,36|showing"));

  const std::string window =
      Tool({"xdotool", "search", "--onlyvisible", "--name", "^Pelorin$"}).output;
  Tool({"xdotool", "windowsize", window.substr(0, window.find('\n')), "704", "880"});
  tree = TreeWith("|push button|New||Press:F1|0,800,352,80|showing");
  EXPECT_THAT(tree, HasSubstr("|push button|New||Press:F1|0,800,352,80|showing"));
  EXPECT_THAT(tree, HasSubstr("|table cell|Mum||Toggle:|0,148,280,72|showing"));

  ASSERT_TRUE(Press("Menu"));
  tree = TreeWith("|menu item|Exit||Press:3|");
  EXPECT_THAT(tree, HasSubstr("|popup menu|Menu|"));
  EXPECT_THAT(tree, HasSubstr("|menu item|DEL||Press:1|"));
  EXPECT_THAT(tree, HasSubstr("|menu item|About||Press:2|"));
  ASSERT_TRUE(Press("DEL"));
  EXPECT_TRUE(WaitUntil([&] { return CountCalls(ReadSchedule()) == 0; }, 10s)) << ReadSchedule();
  EXPECT_THAT(TreeWith("|menu item|About||Press:2||hidden"), Not(HasSubstr("|table cell|Mum|")));

  ASSERT_TRUE(Press("Menu"));
  ASSERT_TRUE(Press("About"));
  tree = TreeWith("|label|GPL-3.0-or-later|");
  EXPECT_THAT(tree, HasSubstr("1|frame|About|Pelorin 0.2/GPL-3.0-or-later/"));
  EXPECT_THAT(tree, HasSubstr("|label|Pelorin 0.2|"));
  ASSERT_TRUE(Press("Cancel"));
  ASSERT_THAT(TreeWith("1|frame|Pelorin|"), HasSubstr("1|frame|Pelorin|"));

  ASSERT_TRUE(Press("New"));
  tree = TreeWith("|push button|SAVE|");
  EXPECT_THAT(tree, HasSubstr("|text|Call from||"));
  EXPECT_EQ(CountLinesFrom(tree, "7|spin button|Ring Time|"), 2) << tree;
  EXPECT_THAT(tree, HasSubstr("|text|RingTone||"));
  EXPECT_THAT(tree, HasSubstr("|check box|Mute||"));
  // Captions that name a field are not said again as the screen's text.
  EXPECT_THAT(tree, HasSubstr("1|frame|New Call|||"));
  ASSERT_TRUE(Press("SAVE"));
  ASSERT_THAT(TreeWith("1|frame|Pelorin|"), HasSubstr("1|frame|Pelorin|"));
  EXPECT_EQ(CountCalls(ReadSchedule()), 1) << ReadSchedule();
  EXPECT_TRUE(ProgramRuns(program));
}

// The incoming screen says who calls (the window's description, and the screen's, which takes
// the focus last as it comes up, and a label), its soft keys are Accept and Reject, and Reject
// over the bus ends the call.
TEST_F(ScreenReaderTest, IncomingCallSaysTheCallerAndRejectEndsIt) {
  WriteSchedule("<?xml version=\"1.0\"?>\n<CallInfo>" + Call("Mum", std::time(nullptr), 1) +
                "</CallInfo>\n");
  const fs::path heard = root_ / "heard.txt";
  const int listener =
      test_support::Spawn({"/usr/bin/python3", Reader(), "focus", "8"}, environment_, heard, heard);
  ASSERT_TRUE(
      WaitUntil([&] { return ReadFile(heard).find("listening") != std::string::npos; }, 20s));
  const int ringing = StartProgram({"AppRunAtTime"});
  const std::string tree = TreeWith("|push button|Reject|");
  ::waitpid(listener, nullptr, 0);
  const std::string events = ReadFile(heard);
  EXPECT_THAT(events, HasSubstr("window:activate|frame|Incoming|Incoming/Mum"));
  const std::size_t lastFocus = events.rfind("object:state-changed:focused");
  ASSERT_NE(lastFocus, std::string::npos) << events;
  EXPECT_THAT(events.substr(lastFocus), HasSubstr("|dialog|Incoming|Incoming/Mum")) << events;
  EXPECT_THAT(tree, HasSubstr("1|frame|Incoming|Incoming/Mum|"));
  EXPECT_THAT(tree, HasSubstr("|label|Incoming|"));
  EXPECT_THAT(tree, HasSubstr("|label|Mum|"));
  EXPECT_THAT(tree, HasSubstr("|push button|Accept||Press:F1|"));
  EXPECT_THAT(tree, HasSubstr("|push button|Reject||Press:F2|"));
  ASSERT_TRUE(Press("Reject"));
  EXPECT_EQ(WaitForProgram(ringing, 10s), 0) << "Reject over AT-SPI did not end the call";
  EXPECT_THAT(Tree(), Not(HasSubstr("Reject")));
}

}  // namespace
