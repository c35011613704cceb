// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The real program on a real X display, driven by real key presses: a person's first use, and
// a call that rings through the real timed launch. Pictures of every screen are kept under
// <build>/artifacts/ for looking at.
#include <gmock/gmock.h>

#include <cstdlib>
#include <ctime>
#include <regex>
#include <thread>

#include "platform/system/clock.h"
#include "tests/e2e/desktop_session.h"
#include "tests/support/waiting.h"

namespace {

using test_support::WaitUntil;
using ::testing::HasSubstr;
using ::testing::Not;
using namespace std::chrono_literals;

class FirstUseTest : public e2e::DesktopSession {};

int NextYear() {
  const std::time_t now = std::time(nullptr);
  std::tm today{};
  localtime_r(&now, &today);
  return today.tm_year + 1900 + 1;
}

// The ring time of the first call in the schedule file, to the second: "YYYY-MM-DD hh:mm:ss".
std::string FirstRingTime(const std::string& schedule) {
  std::smatch found;
  if (!std::regex_search(schedule, found,
                         std::regex("CallTimeHigh=\"([0-9]+)\" CallTimeLow=\"([0-9]+)\""))) {
    return "none";
  }
  const FILETIME stored{static_cast<std::uint32_t>(std::stoul(found[2])),
                        static_cast<std::uint32_t>(std::stoul(found[1]))};
  SYSTEMTIME time{};
  FileTimeToSystemTime(&stored, &time);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.wYear, time.wMonth,
                time.wDay, time.wHour, time.wMinute, time.wSecond);
  return text;
}

TEST_F(FirstUseTest, StartNewSaveDeleteAboutExit) {
  SetVariable("LC_ALL", "C.UTF-8");  // Debian's default, whose date names its month
  const int program = StartProgram();
  ASSERT_TRUE(FocusWindow(kMainTitle, 20s)) << "the main screen never showed";
  TakePicture("01-main-empty");

  Keys({"F1"});  // New
  ASSERT_TRUE(FocusWindow(kNewCallTitle, 10s));
  TakePicture("02-new-call");
  // The date's calendar opens inside the frame (its arrow at (160, 20 + 79) of the x2 frame);
  // Escape closes it, and Shift+Tab takes the focus from the date back to the name.
  const std::string window = Tool({"xdotool", "getactivewindow"}).output;
  Tool({"xdotool", "mousemove", "--window", window.substr(0, window.find('\n')), "320", "198",
        "click", "1"});
  std::this_thread::sleep_for(500ms);
  TakePicture("02-new-call-calendar");
  Keys({"Escape", "shift+Tab"});

  Keys({"F2"});  // the menu
  TakePicture("03-new-call-menu");
  Keys({"2"});  // Get CallerName
  ASSERT_TRUE(FocusWindow(kCallerTitle, 10s));
  TakePicture("04-caller-picker");
  Keys({"F2"});  // Cancel
  ASSERT_TRUE(FocusWindow(kNewCallTitle, 10s));
  Keys({"F2", "1"});  // Select Music
  ASSERT_TRUE(FocusWindow(kRingtoneTitle, 10s));
  TakePicture("05-ringtone-browser");
  Keys({"F2"});  // Cancel
  ASSERT_TRUE(FocusWindow(kNewCallTitle, 10s));

  // A time of day a minute ago is refused; the screen stays with what was typed.
  Keys({"Tab", "Tab"});
  Tool({"xdotool", "type", "--delay", "80", TimeOfDayFromNow(-60)});
  Keys({"F1"});
  TakePicture("06-ring-time-refused");
  Keys({"Return"});
  EXPECT_EQ(CountCalls(ReadSchedule()), 0);
  ASSERT_TRUE(FocusWindow(kNewCallTitle, 10s));
  // Any date takes digits, day, month, year, in the C.UTF-8 locale too: 1 February next year.
  Keys({"shift+Tab"});  // the date, its day selected
  Tool({"xdotool", "type", "--delay", "80", "0102" + std::to_string(NextYear())});
  Keys({"Tab"});
  Tool({"xdotool", "type", "--delay", "80", "093000"});
  TakePicture("06-new-call-typed-next-year");
  Keys({"Tab", "Tab", "Tab"});  // down to "Vibrate": the form's bottom
  TakePicture("06-new-call-bottom");

  Keys({"F1"});  // SAVE
  ASSERT_TRUE(WaitUntil([&] { return CountCalls(ReadSchedule()) == 1; }, 10s)) << ReadSchedule();
  EXPECT_EQ(FirstRingTime(ReadSchedule()), std::to_string(NextYear()) + "-02-01 09:30:00");
  EXPECT_THAT(ReadSchedule(), HasSubstr("Name=\"Tobrin\""));
  EXPECT_THAT(ReadSchedule(), HasSubstr("ringtone1.mp3\" Vibrate=\"1\" Index=\"1\""));
  ASSERT_TRUE(FocusWindow(kMainTitle, 10s));
  TakePicture("07-main-one-call");

  Keys({"F2"});
  TakePicture("08-main-menu");
  Keys({"1"});  // DEL
  ASSERT_TRUE(WaitUntil([&] { return CountCalls(ReadSchedule()) == 0; }, 10s)) << ReadSchedule();
  TakePicture("09-main-after-delete");

  Keys({"F2", "2"});  // About
  ASSERT_TRUE(FocusWindow(kAboutTitle, 10s));
  TakePicture("10-about");
  Keys({"F2"});  // Cancel
  ASSERT_TRUE(FocusWindow(kMainTitle, 10s));

  Keys({"F2", "3"});  // Exit
  EXPECT_EQ(WaitForProgram(program, 10s), 0);
  // The picker asked for the address books without a session bus: none was started for it.
  for (const std::string& process : ProcessesOfTheSession()) {
    EXPECT_THAT(process, Not(HasSubstr("dbus")));
  }
}

TEST_F(FirstUseTest, ACallRingsThroughTheTimedLaunchAndIsGoneAfterwards) {
  int program = StartProgram();
  ASSERT_TRUE(FocusWindow(kMainTitle, 20s));
  Keys({"F1"});
  ASSERT_TRUE(FocusWindow(kNewCallTitle, 10s));
  // Name the caller (Back erases "Tobrin"), longer than its line on the ringing screen, then
  // type a ring time twenty seconds ahead.
  for (int i = 0; i < 6; ++i) {
    Keys({"Escape"});
  }
  Tool({"xdotool", "type", "--delay", "60", "Wendeline Featherstonehaugh"});
  Keys({"Tab", "Tab"});
  Tool({"xdotool", "type", "--delay", "80", TimeOfDayFromNow(20)});
  // Without vibration the ringing screen holds still for its picture.
  Keys({"Tab", "Tab", "Tab", "space"});
  Keys({"F1"});
  ASSERT_TRUE(WaitUntil([&] { return CountCalls(ReadSchedule()) == 1; }, 10s)) << ReadSchedule();
  EXPECT_THAT(ReadSchedule(), HasSubstr("Name=\"Wendeline Featherstonehaugh\""));
  EXPECT_THAT(ReadSchedule(), HasSubstr("Vibrate=\"0\""));
  ASSERT_TRUE(FocusWindow(kMainTitle, 10s));
  TakePicture("11-main-call-armed");
  Keys({"F2", "3"});  // Exit: nothing of Pelorin runs now but its waiter
  EXPECT_EQ(WaitForProgram(program, 10s), 0);

  ASSERT_TRUE(FocusWindow(kIncomingTitle, 60s)) << "the call never rang";
  TakePicture("12-incoming");
  Keys({"F1"});  // Accept
  EXPECT_TRUE(WaitUntil([&] { return !WindowExists(kIncomingTitle); }, 10s));
  EXPECT_EQ(CountCalls(ReadSchedule()), 0) << ReadSchedule();

  program = StartProgram();
  ASSERT_TRUE(FocusWindow(kMainTitle, 20s));
  TakePicture("13-main-after-the-call");
  Keys({"Escape"});
  EXPECT_EQ(WaitForProgram(program, 10s), 0);
}

TEST_F(FirstUseTest, ALongListShowsLongNamesAndFollowsChangesByAnotherProcess) {
  // Fourteen calls from 09:30 tomorrow on, more than the screen holds.
  const std::time_t now = std::time(nullptr);
  std::tm first{};
  localtime_r(&now, &first);
  first.tm_mday += 1;
  first.tm_hour = 9;
  first.tm_min = 30;
  first.tm_sec = 0;
  first.tm_isdst = -1;
  const std::time_t start = std::mktime(&first);
  std::string calls;
  for (int i = 0; i < 14; ++i) {
    const std::string name =
        i % 2 == 0 ? "Caller number " + std::to_string(12 + i) : "Émile Zola-Bergström";
    calls += Call(name, start + 3600 * i, i + 1);
  }
  WriteSchedule("<?xml version=\"1.0\"?>\n<CallInfo>" + calls + "</CallInfo>");
  const int program = StartProgram();
  ASSERT_TRUE(FocusWindow(kMainTitle, 20s));
  TakePicture("main-long-names");

  // Another process rings and purges the first call while the list shows it: the list
  // follows, the selection stays on the call chosen, and DEL deletes that one.
  Keys({"Down", "Down"});  // onto "Caller number 14"
  WriteSchedule("<?xml version=\"1.0\"?>\n<CallInfo>" + calls.substr(calls.find("<CI", 1)) +
                "</CallInfo>");
  std::this_thread::sleep_for(1s);
  Keys({"F2", "1"});  // DEL
  ASSERT_TRUE(WaitUntil([&] { return CountCalls(ReadSchedule()) == 12; }, 10s)) << ReadSchedule();
  EXPECT_THAT(ReadSchedule(), Not(HasSubstr("Caller number 14")));
  EXPECT_THAT(ReadSchedule(), HasSubstr("Caller number 16"));
  Keys({"Escape"});
  EXPECT_EQ(WaitForProgram(program, 10s), 0);
}

}  // namespace
