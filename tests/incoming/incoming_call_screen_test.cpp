// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The incoming call screen as the timed launch runs it: which call rings, what the vibrator,
// backlight and sound library are asked, what the schedule file and the next launch look like
// once it is up, and how each key ends it.
#include <chrono>
#include <functional>
#include <thread>

#include "tests/incoming/incoming_fixture.h"

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

// What the due call of WriteDueCall(1) sets going once its screen shows, in order.
const std::vector<std::string> kDueCallAlerting = {
    "vibrator on", "backlight BKL1: D0", "sound: SetBufferSize 200", "sound: Init 22050",
    "sound: LoadSong /music/ring.mp3", "sound: StreamOpen /music/ring.mp3", "sound: StreamPlay -1",
    // what goes over the bus, once it sounds
    "notification 1 Incoming|Mum|call.incoming|"
    "critical|Accept=40001|Reject=40007|"
    "to the screen",
    "awake held"};
// How every ringing call ends, whatever ends it.
const std::vector<std::string> kCallEnds = {"vibrator off", "notification withdrawn 1",
                                            "awake let go"};

class IncomingCallScreenTest : public IncomingFixture {
 protected:
  // The schedule of most tests: one call past, one due, one an hour ahead.
  void WriteDueCall(int vibrate, const std::string& ringtone = "/music/ring.mp3") {
    WriteSchedule("<CallInfo>" + Call("Past", NowPlus(-30), 1) +
                  Call("Mum", NowPlus(2), 2, ringtone, vibrate) + Call("Later", NowPlus(3600), 3) +
                  "</CallInfo>");
  }

  // Queues the check of the screen as it first shows, then `key`.
  void AnswerWith(UINT key, std::string* shownName = nullptr) {
    RunLater([key, shownName] {
      if (shownName != nullptr) {
        *shownName = ControlTextUtf8(IDC_CALLER_NAME_LABEL);
      }
      PressKey(key);
    });
  }
};

TEST_F(IncomingCallScreenTest, NoFileMeansNoCallNoAlertingAndNothingArmed) {
  EXPECT_EQ(RunScreen(), -1);
  EXPECT_THAT(events_, IsEmpty());
  EXPECT_THAT(armed_, IsEmpty());
}

TEST_F(IncomingCallScreenTest, NoCallDueEndsAtOnceYetPurgesThePastAndArmsTheNext) {
  WriteSchedule("<CallInfo>" + Call("Too early", NowPlus(-11), 1) +
                Call("Later", NowPlus(3600), 2) + Call("Too late", NowPlus(11), 3) + "</CallInfo>");
  EXPECT_EQ(RunScreen(), -1);
  EXPECT_THAT(events_, IsEmpty()) << "no vibration, no backlight, no sound";
  EXPECT_THAT(StoredNames(), ElementsAre("Later", "Too late"));
  EXPECT_THAT(armedFor_, ElementsAre(Program()));
  EXPECT_THAT(armed_, ElementsAre(CalendarPlus(11)));
}

TEST_F(IncomingCallScreenTest, AVibratingCallRingsAndTheFileIsUpToDateBeforeItIsSeen) {
  WriteDueCall(1);
  std::string incoming;
  std::string name;
  std::vector<std::string> eventsWhenShown;
  std::vector<std::string> storedWhenShown;
  RunLater([&] {
    incoming = ControlTextUtf8(IDC_INCOMING_LABEL);
    name = ControlTextUtf8(IDC_CALLER_NAME_LABEL);
    eventsWhenShown = events_;
    storedWhenShown = StoredNames();
    PressKey(VK_F1);
  });
  EXPECT_EQ(RunScreen(), 0);
  EXPECT_EQ(incoming, "Incoming");
  EXPECT_EQ(name, "Mum");
  EXPECT_THAT(eventsWhenShown, ElementsAreArray(kDueCallAlerting));
  EXPECT_THAT(storedWhenShown, ElementsAre("Later"));
  EXPECT_THAT(armed_, ElementsAre(CalendarPlus(3600)));
  EXPECT_THAT(std::vector(events_.end() - 3, events_.end()), ElementsAreArray(kCallEnds))
      << "Accept stops the vibrator and lets go of the rest";
}

TEST_F(IncomingCallScreenTest, TheVibratorIsOnInEvenSecondsAndOffInOddOnes) {
  WriteDueCall(1);
  std::vector<std::string> cadence;
  std::vector<std::uint32_t> ticks;
  RunLater([&] {
    ticks.push_back(State().vibrationTicks);
    for (int second = 1; second <= 3; ++second) {
      SendMessageW(NewestScreen(), WM_TIMER, IDT_VIBRATION, 0);
      ticks.push_back(State().vibrationTicks);
    }
    cadence = EventsOf("vibrator");
    PressKey(VK_F1);
  });
  EXPECT_EQ(RunScreen(), 0);
  EXPECT_THAT(ticks, ElementsAre(0u, 1u, 2u, 3u));
  EXPECT_THAT(cadence, ElementsAre("vibrator on", "vibrator off", "vibrator on", "vibrator off"));
}

TEST_F(IncomingCallScreenTest, TheScreensOwnTimerDrivesTheCadence) {
  WriteDueCall(1);
  using Clock = std::chrono::steady_clock;
  std::vector<Clock::time_point> changes;
  SetVibratorService([&](bool on) {
    events_.push_back(on ? "vibrator on" : "vibrator off");
    changes.push_back(Clock::now());
    return TRUE;
  });
  // Checks again every 20 ms from the screen's loop until the timer has ticked twice.
  std::function<void()> waitForTwoTicks = [&] {
    if (changes.empty() || EventsOf("vibrator").size() >= 3 ||
        Clock::now() - changes.front() > std::chrono::seconds(10)) {
      PressKey(VK_F2);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    RunLater(waitForTwoTicks);
  };
  RunLater(waitForTwoTicks);
  EXPECT_EQ(RunScreen(), -1);
  EXPECT_THAT(EventsOf("vibrator"),
              ElementsAre("vibrator on", "vibrator off", "vibrator on", "vibrator off"));
  ASSERT_EQ(changes.size(), 4u);
  // Each state lasts about a second; only a lower bound is looked at.
  EXPECT_GE(changes[1] - changes[0], std::chrono::milliseconds(900));
  EXPECT_GE(changes[2] - changes[1], std::chrono::milliseconds(900));
}

TEST_F(IncomingCallScreenTest, OnlyVibrateOneVibratesButEveryCallHoldsTheBacklightAndRings) {
  for (const int vibrate : {0, 2, -1}) {
    SCOPED_TRACE(vibrate);
    events_.clear();
    WriteDueCall(vibrate);
    AnswerWith(VK_F1);
    EXPECT_EQ(RunScreen(), 0);
    EXPECT_THAT(EventsOf("vibrator"), ElementsAre("vibrator off")) << "only Accept's stop";
    EXPECT_THAT(EventsOf("backlight"), ElementsAre("backlight BKL1: D0"));
    EXPECT_THAT(EventsOf("sound: StreamPlay"), ElementsAre("sound: StreamPlay -1"));
  }
}

TEST_F(IncomingCallScreenTest, WithoutTheTimerNothingAlternatesWhileItRings) {
  WriteDueCall(0);
  std::vector<std::string> afterASecondAndAHalf;
  const auto start = std::chrono::steady_clock::now();
  std::function<void()> waitAWhile = [&] {
    if (std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(1500)) {
      afterASecondAndAHalf = EventsOf("vibrator");
      PressKey(VK_F1);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    RunLater(waitAWhile);
  };
  RunLater(waitAWhile);
  EXPECT_EQ(RunScreen(), 0);
  EXPECT_THAT(afterASecondAndAHalf, IsEmpty());
}

TEST_F(IncomingCallScreenTest, AMutedCallLeavesTheSoundLibraryUntouched) {
  WriteDueCall(1, "");
  AnswerWith(VK_F1);
  EXPECT_EQ(RunScreen(), 0);
  EXPECT_THAT(EventsOf("sound"), IsEmpty());
  EXPECT_THAT(EventsOf("backlight"), ElementsAre("backlight BKL1: D0"));
  EXPECT_THAT(EventsOf("vibrator"), ElementsAre("vibrator on", "vibrator off"));
}

TEST_F(IncomingCallScreenTest, AcceptAndTalkAnswerRejectAndBackRejectTheActionKeyDoesNothing) {
  struct Case {
    std::vector<UINT> keys;
    int endCode;
  };
  const std::vector<Case> cases = {
      {{VK_F1}, 0},              // "Accept"
      {{VK_F3}, 0},              // the Talk key, reported on release
      {{VK_F2}, -1},             // "Reject"
      {{VK_ESCAPE}, -1},         // Back: the platform's cancel
      {{VK_RETURN, VK_F2}, -1},  // command 1 changes nothing; Reject then ends it
  };
  for (const Case& keys : cases) {
    SCOPED_TRACE(keys.keys.front());
    events_.clear();
    WriteDueCall(1);
    std::string name;
    std::vector<std::string> beforeLastKey;
    RunLater([&] {
      name = ControlTextUtf8(IDC_CALLER_NAME_LABEL);
      for (std::size_t i = 0; i + 1 < keys.keys.size(); ++i) {
        PressKey(keys.keys[i]);
      }
      beforeLastKey = EventsOf("vibrator");
      PressKey(keys.keys.back());
    });
    EXPECT_EQ(RunScreen(), keys.endCode);
    EXPECT_EQ(name, "Mum");
    EXPECT_THAT(beforeLastKey, ElementsAre("vibrator on")) << "still ringing";
    EXPECT_THAT(EventsOf("vibrator"), ElementsAre("vibrator on", "vibrator off"));
    // The call's notification, keyed as the soft keys are, goes with it, and so does the
    // system's keeping awake.
    EXPECT_THAT(EventsOf("notification"), ElementsAre(kDueCallAlerting[7], kCallEnds[1]));
    EXPECT_THAT(EventsOf("awake"), ElementsAre("awake held", "awake let go"));
  }
}

// Its minute's timer ends a call nobody answered as rejected, everything it held let go, and
// a notification without keys says whose call was missed.
TEST_F(IncomingCallScreenTest, ACallNobodyAnswersEndsAsRejectedWithAMissedCall) {
  WriteDueCall(1);
  RunLater([&] { SendMessageW(NewestScreen(), WM_TIMER, IDT_UNANSWERED, 0); });
  EXPECT_EQ(RunScreen(), -1);
  EXPECT_THAT(EventsOf("vibrator"), ElementsAre("vibrator on", "vibrator off"));
  EXPECT_THAT(EventsOf("awake"), ElementsAre("awake held", "awake let go"));
  const std::vector<std::string> notifications = EventsOf("notification");
  ASSERT_EQ(notifications.size(), 3u);
  EXPECT_EQ(notifications[1], "notification withdrawn 1");
  EXPECT_EQ(notifications[2], "notification 2 Missed call|Mum|call.unanswered");
}

TEST_F(IncomingCallScreenTest, OfTwoCallsTwoSecondsApartTheFirstInTheFileRingsAndBothGo) {
  WriteSchedule("<CallInfo>" + Call("Second", NowPlus(2), 1) + Call("First", NowPlus(0), 2) +
                Call("Tomorrow", NowPlus(86400), 3) + "</CallInfo>");
  std::string name;
  AnswerWith(VK_F1, &name);
  EXPECT_EQ(RunScreen(), 0);
  EXPECT_EQ(name, "Second");
  EXPECT_THAT(StoredNames(), ElementsAre("Tomorrow"));
  EXPECT_THAT(armed_, ElementsAre(CalendarPlus(86400)));

  // The launch armed for the other one finds nothing left to ring.
  events_.clear();
  EXPECT_EQ(RunScreen(), -1);
  EXPECT_THAT(events_, IsEmpty());
}

TEST_F(IncomingCallScreenTest, ScheduleWorkBegunEarlyShowsTheCallAndRingsOnceTheNextIsArmed) {
  WriteDueCall(1);
  SetTimedLaunchService([this](const std::u16string&, const SYSTEMTIME& time) {
    events_.push_back("armed");
    armed_.push_back(time);
    return true;
  });
  std::string name;
  std::vector<std::string> storedWhenRinging;
  const auto start = std::chrono::steady_clock::now();
  std::function<void()> waitForTheRing = [&] {
    name = ControlTextUtf8(IDC_CALLER_NAME_LABEL);
    if (EventsOf("sound: StreamPlay").empty() &&
        std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      RunLater(waitForTheRing);
      return;
    }
    storedWhenRinging = StoredNames();
    PressKey(VK_F2);
  };
  RunLater(waitForTheRing);
  IncomingCallScreen::BeginScheduleWork();  // as the timed launch does
  EXPECT_EQ(RunScreen(), -1);
  EXPECT_EQ(name, "Mum");
  std::vector<std::string> expected = {"armed"};
  expected.insert(expected.end(), kDueCallAlerting.begin(), kDueCallAlerting.end());
  expected.insert(expected.end(), kCallEnds.begin(), kCallEnds.end());
  EXPECT_THAT(events_, ElementsAreArray(expected)) << "armed, then it rings";
  EXPECT_THAT(storedWhenRinging, ElementsAre("Later"));
  EXPECT_THAT(armed_, ElementsAre(CalendarPlus(3600)));

  // The next screen does the work itself: nothing is due any more, the launch is armed again.
  events_.clear();
  EXPECT_EQ(RunScreen(), -1);
  EXPECT_THAT(events_, ElementsAre("armed"));
}

TEST_F(IncomingCallScreenTest, TheTalkKeyStillAnswersAfterScreensThatFoundNoCall) {
  // Each of these registers the Talk key before it ends; none may keep it.
  WriteSchedule("<CallInfo></CallInfo>");
  EXPECT_EQ(RunScreen(), -1);
  EXPECT_EQ(RunScreen(), -1);
  WriteDueCall(1);
  AnswerWith(VK_F3);
  EXPECT_EQ(RunScreen(), 0);
}

// The program's own screen template without any soft-key bar: the bar cannot be made.
ResourceModule WithoutBars() {
  static const DialogTemplate incoming = *static_cast<const DialogTemplate*>(
      FindResourceW(&ProgramResources(), IDD_INCOMING, RT_DIALOG));
  return ResourceModule{{&incoming, 1}, {}, ProgramResources().icons, ProgramResources().bitmaps};
}

TEST_F(IncomingCallScreenTest, WithoutASoftKeyBarItEndsWithThreeUnlessNoCallIsDue) {
  const ResourceModule noBars = WithoutBars();
  State().instance = &noBars;
  WriteDueCall(1);
  EXPECT_EQ(RunScreen(), 3);
  EXPECT_THAT(events_, IsEmpty()) << "it never rings";
  EXPECT_THAT(StoredNames(), ElementsAre("Later")) << "but the schedule is brought up to date";
  EXPECT_THAT(armed_, ElementsAre(CalendarPlus(3600)));

  EXPECT_EQ(RunScreen(), -1) << "no bar and no call due";
  EXPECT_THAT(events_, IsEmpty());
}

}  // namespace
