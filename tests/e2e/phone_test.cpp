// The real program on a phone's own compositor (phoc, Wayland only, a 360 x 720 screen),
// driven by keys typed through the compositor's seat: a person's first use, and a call that
// rings through the real waiter. Pictures of every screen go to <build>/artifacts/wayland/.
#include <gmock/gmock.h>

#include <algorithm>
#include <set>
#include <thread>

#include "tests/e2e/phone_session.h"
#include "tests/support/processes.h"
#include "tests/support/text_files.h"
#include "tests/support/waiting.h"

namespace {

using test_support::WaitUntil;
using ::testing::HasSubstr;
using namespace std::chrono_literals;

class PhoneTest : public e2e::PhoneSession {};

TEST_F(PhoneTest, StartNewSaveAboutExit) {
  const int program = StartProgram();
  ASSERT_TRUE(FocusWindow(kMainTitle, 20s)) << "the main screen never showed: " << Windows();
  TakePicture("01-main");
  EXPECT_EQ(PictureSize(Picture("01-main")), std::make_pair(360, 720)) << "the phone's screen";
  // The window fills the phone's screen with no title bar of the toolkit at its top, and the
  // frame is drawn scaled to the screen's width (x 2.045), centred: its caption strip runs
  // from y 135 to 176, edge to edge.
  EXPECT_EQ(PixelOf(Picture("01-main"), 180, 5), "202020");
  EXPECT_EQ(PixelOf(Picture("01-main"), 180, 130), "202020");
  EXPECT_EQ(PixelOf(Picture("01-main"), 2, 140), "1F3A68");
  EXPECT_EQ(PixelOf(Picture("01-main"), 357, 170), "1F3A68");

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
// window gets the phone's screen and the Talk key answers.
TEST_F(PhoneTest, ACallTypedAheadRingsThroughTheWaiterAndTalkAnswers) {
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
  Keys({"F3"});  // Talk
  EXPECT_TRUE(WaitUntil([&] { return !WindowExists(kIncomingTitle); }, 10s)) << Windows();
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

}  // namespace
