// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The real program on a phone's own compositor (phoc, Wayland only, a 360 x 720 screen),
// driven by keys typed through the compositor's seat: a person's first use, and a call that
// rings through the real waiter. Pictures of every screen go to <build>/artifacts/wayland/.
#include <gmock/gmock.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <memory>
#include <set>
#include <thread>

#include "tests/e2e/phone_session.h"
#include "tests/support/local_time.h"
#include "tests/support/processes.h"
#include "tests/support/text_files.h"
#include "tests/support/waiting.h"

namespace {

using test_support::WaitUntil;
using ::testing::HasSubstr;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

class PhoneTest : public e2e::PhoneSession {};

TEST_F(PhoneTest, StartNewSaveAboutExit) {
  const int program = StartProgram();
  ASSERT_TRUE(FocusWindow(kMainTitle, 20s)) << "the main screen never showed: " << Windows();
  TakePicture("01-main");
  EXPECT_EQ(PictureSize(Picture("01-main")), std::make_pair(360 * kScale, 720 * kScale))
      << "the phone's screen";
  // The window fills the phone's screen with no title bar of the toolkit at its top, and the
  // frame fills the window: scaled to its width (x 2.045), as tall as the screen, the caption
  // strip at the top edge, the soft-key bar at the bottom one, the list between.
  EXPECT_EQ(PixelOf(Picture("01-main"), 2, 2), "1F3A68");
  EXPECT_EQ(PixelOf(Picture("01-main"), 357, 717), "1F3A68");
  EXPECT_EQ(PixelOf(Picture("01-main"), 180, 400), "FFFFFF");

  Keys({"F1"});  // New
  ASSERT_TRUE(FocusWindow(kNewCallTitle, 10s)) << Windows();
  TakePicture("02-new-call");
  Keys({"F1"});  // SAVE: a call from "Tobrin" five minutes ahead
  ASSERT_TRUE(WaitUntil([&] { return CountCalls(ReadSchedule()) == 1; }, 10s)) << ReadSchedule();
  EXPECT_THAT(ReadSchedule(), HasSubstr("Name=\"Tobrin\""));
  ASSERT_TRUE(FocusWindow(kMainTitle, 10s)) << Windows();
  TakePicture("03-main-one-call");

  Keys({"F2"});
  TakePicture("04-main-menu");
  Keys({"2"});  // About
  ASSERT_TRUE(FocusWindow(kAboutTitle, 10s)) << Windows();
  // Two screens deep, and still one window: the newer screen covers the older inside it.
  const std::string windows = Windows();
  EXPECT_EQ(std::count(windows.begin(), windows.end(), '\n'), 1) << windows;
  TakePicture("05-about");
  Keys({"F2"});  // Cancel
  ASSERT_TRUE(FocusWindow(kMainTitle, 10s)) << Windows();

  Keys({"F2", "3"});  // Exit
  EXPECT_EQ(WaitForProgram(program, 10s), 0);
  EXPECT_EQ(CountCalls(ReadSchedule()), 1);
}

// Typed ahead, saved, Pelorin left: the waiter starts the program at the call's second, its
// window gets the phone's screen, the call shows in mako's bubble too (what a locked screen
// would show), and the Talk key answers, the bubble going with the call.
TEST_F(PhoneTest, ACallTypedAheadRingsThroughTheWaiterAndTalkAnswers) {
  StartSessionBus();
  ASSERT_TRUE(StartNotificationDaemon()) << "mako did not answer";
  const int program = StartProgram();
  ASSERT_TRUE(FocusWindow(kMainTitle, 20s)) << Windows();
  Keys({"F1"});
  ASSERT_TRUE(FocusWindow(kNewCallTitle, 10s)) << Windows();
  Keys({"Tab", "Tab"});  // the time, its hours selected
  Type(TimeOfDayFromNow(20));
  TakePicture("06-new-call-typed");
  Keys({"F1"});
  ASSERT_TRUE(WaitUntil([&] { return CountCalls(ReadSchedule()) == 1; }, 10s)) << ReadSchedule();
  ASSERT_TRUE(FocusWindow(kMainTitle, 10s)) << Windows();
  Keys({"F2", "3"});  // Exit: nothing of Pelorin runs now but its waiter
  EXPECT_EQ(WaitForProgram(program, 10s), 0);

  ASSERT_TRUE(FocusWindow(kIncomingTitle, 60s)) << "the call never rang: " << Windows();
  // It vibrates, and without a motor the frame's content shakes inside the window: pictures
  // over a second on and a second off are not all the same.
  std::set<std::string> shown;
  for (int i = 0; i < 10; ++i) {
    Tool({"grim", Picture("07-incoming-shaking").string()});
    shown.insert(test_support::ReadFile(Picture("07-incoming-shaking")));
    std::this_thread::sleep_for(150ms);
  }
  EXPECT_GT(shown.size(), 1u) << "the shake does not show";
  TakePicture("07-incoming");
  // mako's bubble, its background #285577, at the screen's top right.
  EXPECT_GT(PixelsOfColour(Picture("07-incoming"), "#285577"), 5000u * kScale * kScale)
      << "no notification shows the call";
  Keys({"F3"});  // Talk
  EXPECT_TRUE(WaitUntil([&] { return !WindowExists(kIncomingTitle); }, 10s)) << Windows();
  TakePicture("08-answered");
  EXPECT_EQ(PixelsOfColour(Picture("08-answered"), "#285577"), 0u) << "the notification stayed";
  EXPECT_EQ(CountCalls(ReadSchedule()), 0) << ReadSchedule();
}

// Phosh's keyboard comes up for the fields that take typing and goes with them; its keys,
// tapped, type the caller's name.
TEST_F(PhoneTest, TheOnScreenKeyboardTypesTheNameAndGoesWhenTheFieldTakesNoTyping) {
  StartSessionBus();
  ASSERT_TRUE(StartOnScreenKeyboard()) << "squeekboard did not answer";
  const auto keyboardIs = [&](const std::string& state) {
    return WaitUntil([&] { return KeyboardVisible() == state; }, 5s);
  };
  const int program = StartProgram();
  ASSERT_TRUE(FocusWindow(kMainTitle, 20s)) << Windows();
  EXPECT_TRUE(keyboardIs("false")) << "shown on the main screen";
  Keys({"F1"});  // New: the caller name field has the focus
  ASSERT_TRUE(FocusWindow(kNewCallTitle, 10s)) << Windows();
  ASSERT_TRUE(keyboardIs("true")) << "not shown for the caller name";
  std::this_thread::sleep_for(1s);  // the keyboard slides in
  TakePicture("10-keyboard");
  // Its "u" and "o" keys, in its top row of letters (see the picture).
  Tap(235, 537);
  Tap(305, 537);
  Keys({"Tab"});  // the date takes digits
  EXPECT_TRUE(keyboardIs("true"));
  Keys({"Tab", "Tab"});  // the ringtone field only shows the browser's choice
  EXPECT_TRUE(keyboardIs("false")) << "shown for the ringtone field";
  Keys({"F1"});  // SAVE
  ASSERT_TRUE(WaitUntil([&] { return CountCalls(ReadSchedule()) == 1; }, 10s)) << ReadSchedule();
  EXPECT_THAT(ReadSchedule(), HasSubstr("Name=\"Tobrinuo\""));
  ASSERT_TRUE(FocusWindow(kMainTitle, 10s)) << Windows();
  Keys({"F2", "3"});  // Exit
  EXPECT_EQ(WaitForProgram(program, 10s), 0);
  EXPECT_TRUE(keyboardIs("false"));
}

// A person with no keys: New, the minutes one up with the time's arrow, a ringtone three
// folders down opened by double taps, SAVE, and Exit from the menu: taps alone.
TEST_F(PhoneTest, ByTapsAloneACallGetsATappedTimeAndARingtoneFoldersDown) {
  // The browser starts at "/". Not under /tmp, where every other test makes and removes its
  // folders meanwhile: the rows counted here would not be the rows shown. /var/tmp holds none.
  const fs::path folder = "/var/tmp/pelorin-phone-" + std::to_string(::getpid());
  const fs::path tone = folder / "ringtones" / "calm" / "tone.mp3";
  fs::create_directories(tone.parent_path());
  fs::copy_file(program_ / "ringtone1.mp3", tone);
  const std::shared_ptr<void> removed(nullptr, [&](void*) { fs::remove_all(folder); });
  const int program = StartProgram();
  ASSERT_TRUE(FocusWindow(kMainTitle, 20s)) << Windows();
  const std::time_t before = std::time(nullptr);
  TapLeftSoftKey();  // New
  ASSERT_TRUE(FocusWindow(kNewCallTitle, 10s)) << Windows();
  const std::time_t after = std::time(nullptr);
  // The time field, a finger's line of 19 frame pixels each: its minutes, then its up arrow.
  const double timeField = OnScreen(20 + 6 * 19 + 12);
  Tap(OnScreen(40), timeField);
  Tap(OnScreen(160), timeField);
  // The date's calendar opens over the form, and a tap beside it closes it unchanged.
  Tap(OnScreen(160), OnScreen(20 + 4 * 19 + 12));
  TakePicture("11-calendar");
  Tap(180, 10);
  Tap(180, OnScreen(20 + 10 * 19 + 12));  // the ringtone field opens the browser
  ASSERT_TRUE(FocusWindow(kRingtoneTitle, 10s)) << Windows();
  fs::path shown = "/";
  for (const fs::path& part : tone.relative_path()) {
    ASSERT_NO_FATAL_FAILURE(DoubleTapBrowserRow(shown, part.string()));
    shown /= part;
  }
  ASSERT_TRUE(FocusWindow(kNewCallTitle, 10s)) << Windows();
  TakePicture("11-new-call-tapped");
  TapLeftSoftKey();  // SAVE
  ASSERT_TRUE(WaitUntil([&] { return CountCalls(ReadSchedule()) == 1; }, 10s)) << ReadSchedule();
  const std::string schedule = ReadSchedule();
  EXPECT_THAT(schedule, HasSubstr("Ringtone=\"" + tone.string() + "\""));
  // Five minutes ahead as the form opened, and a minute more (not past the hour's last one).
  std::tm opened{};
  const std::time_t formDefault = before + 5 * 60;
  localtime_r(&formDefault, &opened);
  const int added = opened.tm_min == 59 ? 0 : 60;
  const auto fileTime = [](std::time_t moment) {
    const FILETIME time = test_support::LocalFileTime(moment);
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  };
  const auto attribute = [&](const std::string& name) {
    const std::size_t at = schedule.find(name + "=\"") + name.size() + 2;
    return std::stoull(schedule.substr(at, schedule.find('"', at) - at));
  };
  const unsigned long long ring = (attribute("CallTimeHigh") << 32) | attribute("CallTimeLow");
  EXPECT_GE(ring, fileTime(formDefault + added)) << schedule;
  EXPECT_LE(ring, fileTime(after + 5 * 60 + added + 1)) << schedule;
  ASSERT_TRUE(FocusWindow(kMainTitle, 10s)) << Windows();
  TapRightSoftKey();    // Menu
  TapPopupEntry(2, 3);  // Exit
  EXPECT_EQ(WaitForProgram(program, 10s), 0);
}

// A drag moves the caller list and leaves its selection: Done after it picks the first name.
TEST_F(PhoneTest, TheCallerListScrollsUnderADragAndKeepsItsSelection) {
  const fs::path book = root_ / "data" / "contacts";
  fs::create_directories(book);
  std::ofstream people(book / "people.vcf");
  for (int i = 1; i <= 40; ++i) {
    const std::string number = (i < 10 ? "0" : "") + std::to_string(i);
    people << "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Family" << number << ";Given" << number
           << ";;;\r\nFN:Given" << number << " Family" << number << "\r\nEND:VCARD\r\n";
  }
  people.close();
  SetVariable("XDG_DATA_HOME", (root_ / "data").string());
  const int program = StartProgram();
  ASSERT_TRUE(FocusWindow(kMainTitle, 20s)) << Windows();
  TapLeftSoftKey();  // New
  ASSERT_TRUE(FocusWindow(kNewCallTitle, 10s)) << Windows();
  TapRightSoftKey();    // Menu
  TapPopupEntry(1, 3);  // Get CallerName
  ASSERT_TRUE(FocusWindow(kCallerTitle, 10s)) << Windows();
  TakePicture("12-callers");
  const auto [top, bottom] = HighlightedRow(Picture("12-callers"), 300);
  ASSERT_GE(top, 0) << "the first name is not selected";
  Drag(180, 600, 300, false);
  TakePicture("13-callers-dragged");
  const auto [draggedTop, draggedBottom] = HighlightedRow(Picture("13-callers-dragged"), 300);
  EXPECT_EQ(draggedTop, -1) << "the rows did not move, or another one is selected";
  TapLeftSoftKey();  // Done
  ASSERT_TRUE(FocusWindow(kNewCallTitle, 10s)) << Windows();
  TapLeftSoftKey();  // SAVE
  ASSERT_TRUE(WaitUntil([&] { return CountCalls(ReadSchedule()) == 1; }, 10s)) << ReadSchedule();
  EXPECT_THAT(ReadSchedule(), HasSubstr("Name=\"Family01 Given01\""));
  ASSERT_TRUE(FocusWindow(kMainTitle, 10s)) << Windows();
  Keys({"F2", "3"});  // Exit
  EXPECT_EQ(WaitForProgram(program, 10s), 0);
}

}  // namespace
