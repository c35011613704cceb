// The new call screen driven by keys: what SAVE writes to the schedule file, what it refuses,
// and what "Mute", Back and the action key do to the fields.
#include "screens/new_call_screen.h"

#include "tests/screens/call_screens_fixture.h"

namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr UINT kSpace = 0x20;

class NewCallScreenTest : public CallScreensFixture {
 protected:
  // Runs the screen with the steps queued before; returns its end code.
  int RunScreen() {
    NewCallScreen screen;
    return screen.Run();
  }

  // Moves the focus with Tab until it reaches the control; false when it never does.
  static bool FocusOn(int controlId) {
    for (int presses = 0; presses < 30; ++presses) {
      if (FocusedControl() == GetDlgItem(NewestScreen(), controlId)) {
        return true;
      }
      PressKey(VK_TAB);
    }
    return false;
  }
  static void ToggleBox(int controlId) {
    ASSERT_TRUE(FocusOn(controlId));
    PressKey(kSpace);
  }
  // Leaves the screen with "Menu" then "Cancel".
  static void Cancel() { ChooseFromMenu('3'); }

  std::string defaultRingtone() const { return (directory_ / "ringtone1.mp3").string(); }
};

TEST_F(NewCallScreenTest, AMissingScheduleFileIsReportedAndNothingIsWritten) {
  std::u16string shown;
  bool stillOpen = false;
  RunLater([] { PressKey(VK_F1); });  // SAVE; the message box keeps the key pressed
  RunLater([&] {
    shown = MessageBoxShown();
    PressKey(VK_RETURN);
  });
  RunLater([&] {
    stillOpen = LeftSoftKeyCaption() == u"SAVE";
    Cancel();
  });
  EXPECT_EQ(RunScreen(), -1);
  EXPECT_EQ(shown, u"Error: Error occured while saving record");
  EXPECT_TRUE(stillOpen);
  EXPECT_FALSE(std::filesystem::exists(SchedulePath()));
}

TEST_F(NewCallScreenTest, OpenedAndSavedAtOnceStoresTheDefaultCallFiveMinutesAhead) {
  WriteSchedule("<CallInfo/>");
  std::u16string name;
  std::u16string ringtone;
  bool muteTicked = true;
  bool vibrateTicked = false;
  HWND focus = nullptr;
  HWND nameField = nullptr;
  RunLater([&] {
    name = TextOf(IDC_CALLER_NAME);
    ringtone = TextOf(IDC_RINGTONE);
    muteTicked = IsTicked(IDC_MUTE);
    vibrateTicked = IsTicked(IDC_VIBRATE);
    focus = FocusedControl();
    nameField = GetDlgItem(NewestScreen(), IDC_CALLER_NAME);
    PressKey(VK_F1);
  });
  QueueRescue();
  EXPECT_EQ(RunScreen(), 0);
  EXPECT_EQ(name, u"Tobrin");
  EXPECT_EQ(ToUtf8(ringtone), defaultRingtone());
  EXPECT_FALSE(muteTicked);
  EXPECT_TRUE(vibrateTicked);
  EXPECT_EQ(focus, nameField);

  const std::string file = ReadSchedule();
  EXPECT_THAT(file, HasSubstr("Name=\"Tobrin\" PhoneNo=\"\" Ringtone=\"" + defaultRingtone() +
                              "\" Vibrate=\"1\" Index=\"1\""));
  const std::vector<CallRecord> calls = StoredCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(Calendar(calls[0].CallTime), "2026-12-07 12:05:00.000");
}

TEST_F(NewCallScreenTest, JustBeforeMidnightTheDefaultDateIsTomorrowsAndIsAccepted) {
  WriteSchedule("<CallInfo/>");
  SetNow({2026, 12, 4, 31, 23, 57, 30, 250});
  RunLater([] { PressKey(VK_F1); });
  QueueRescue();
  EXPECT_EQ(RunScreen(), 0);
  const std::vector<CallRecord> calls = StoredCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(Calendar(calls[0].CallTime), "2027-01-01 00:02:30.250");
}

TEST_F(NewCallScreenTest, ARingTimeInThePastIsRefusedAndTheScreenStaysAsEntered) {
  WriteSchedule("<CallInfo/>");
  std::u16string shown;
  std::u16string nameAfter;
  RunLater([&] {
    TypeText(u" Vale");
    // Six minutes pass while the screen is open: the default time is a minute ago.
    SYSTEMTIME later = now_;
    later.wMinute = 6;
    SetNow(later);
    PressKey(VK_F1);
  });
  RunLater([&] {
    shown = MessageBoxShown();
    PressKey(VK_RETURN);
  });
  RunLater([&] {
    nameAfter = TextOf(IDC_CALLER_NAME);
    // Exactly at the ring time the call is still accepted.
    SYSTEMTIME atRingTime = now_;
    atRingTime.wMinute = 5;
    SetNow(atRingTime);
    PressKey(VK_F1);
  });
  QueueRescue();
  EXPECT_EQ(RunScreen(), 0);
  EXPECT_EQ(shown, u"Error: Ring time is not correct!");
  EXPECT_THAT(ToUtf8(nameAfter), HasSubstr("Vale"));
  ASSERT_EQ(StoredCalls().size(), 1u);
  EXPECT_THAT(Utf8(StoredCalls()[0].Name), HasSubstr("Vale"));
}

TEST_F(NewCallScreenTest, MuteHidesThePathAndSavesASilentCall) {
  WriteSchedule("<CallInfo/>");
  std::u16string whileMuted;
  std::u16string afterUnmuting;
  RunLater([&] {
    ToggleBox(IDC_MUTE);
    whileMuted = TextOf(IDC_RINGTONE);
    ToggleBox(IDC_MUTE);
    afterUnmuting = TextOf(IDC_RINGTONE);
    ToggleBox(IDC_MUTE);
    ToggleBox(IDC_VIBRATE);
    PressKey(VK_F1);
  });
  QueueRescue();
  EXPECT_EQ(RunScreen(), 0);
  EXPECT_THAT(whileMuted, IsEmpty());
  EXPECT_EQ(ToUtf8(afterUnmuting), defaultRingtone());
  EXPECT_THAT(ReadSchedule(), HasSubstr("Ringtone=\"\" Vibrate=\"0\""));
}

TEST_F(NewCallScreenTest, AFailedMutedSaveLeavesTheRecordSilentAfterUnmuting) {
  // No schedule file yet: the first SAVE fails after the record was made silent.
  std::u16string afterUnmuting;
  RunLater([] {
    ToggleBox(IDC_MUTE);
    PressKey(VK_F1);
  });
  RunLater([] { PressKey(VK_RETURN); });  // the error message
  RunLater([&] {
    ToggleBox(IDC_MUTE);
    afterUnmuting = TextOf(IDC_RINGTONE);
    WriteSchedule("<CallInfo/>");
    PressKey(VK_F1);
  });
  QueueRescue();
  EXPECT_EQ(RunScreen(), 0);
  EXPECT_THAT(afterUnmuting, IsEmpty());
  EXPECT_THAT(ReadSchedule(), HasSubstr("Ringtone=\"\""));
}

TEST_F(NewCallScreenTest, BackErasesTheNameAndALongNameIsCutTo254Characters) {
  WriteSchedule("<CallInfo/>");
  std::u16string erased;
  bool stillOpen = false;
  RunLater([&] {
    for (int i = 0; i < 8; ++i) {
      PressKey(VK_ESCAPE);  // more than "Tobrin" holds: the screen must not close
    }
    erased = TextOf(IDC_CALLER_NAME);
    stillOpen = LeftSoftKeyCaption() == u"SAVE";
    TypeText(std::u16string(150, u'a') + std::u16string(150, u'b'));
    PressKey(VK_F1);
  });
  QueueRescue();
  EXPECT_EQ(RunScreen(), 0);
  EXPECT_THAT(erased, IsEmpty());
  EXPECT_TRUE(stillOpen);
  ASSERT_EQ(StoredCalls().size(), 1u);
  EXPECT_EQ(std::u16string(StoredCalls()[0].Name),
            std::u16string(150, u'a') + std::u16string(104, u'b'));
}

TEST_F(NewCallScreenTest, CancellingTheCallerPickerKeepsTheName) {
  WriteSchedule("<CallInfo/>");
  std::u16string pickerKey;
  RunLater([] { PressKey(VK_RETURN); });  // the action key on the caller name field
  RunLater([&] {
    pickerKey = LeftSoftKeyCaption();
    PressKey(VK_F2);  // the picker's "Cancel"
  });
  RunLater([] { PressKey(VK_F1); });
  QueueRescue();
  EXPECT_EQ(RunScreen(), 0);
  EXPECT_EQ(pickerKey, u"Done");
  EXPECT_THAT(ReadSchedule(), HasSubstr("Name=\"Tobrin\""));
}

// Walks the ringtone browser from the root to `path` (a file), row by row with the arrow and
// action keys, as a person does.
void BrowseTo(const std::filesystem::path& path) {
  for (const auto& part : path.relative_path()) {
    HWND list = State().ringtoneList;
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    int wanted = -1;
    for (int row = 0; row < count && wanted < 0; ++row) {
      char16_t text[256] = {};
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = row;
      item.pszText = text;
      item.cchTextMax = 256;
      SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
      if (ToUtf8(text) == part.string()) {
        wanted = row;
      }
    }
    ASSERT_GE(wanted, 0) << part;
    for (int row = 0; row < wanted; ++row) {
      PressKey(VK_DOWN);
    }
    PressKey(VK_RETURN);
  }
}

TEST_F(NewCallScreenTest, ARingtonePathTooLongForTheFieldIsRefused) {
  WriteSchedule("<CallInfo/>");
  // A path of more than 255 characters: the field would have to cut it.
  std::filesystem::path deep = directory_;
  for (int level = 0; level < 3; ++level) {
    deep /= std::string(90, static_cast<char>('k' + level));
  }
  std::filesystem::create_directories(deep);
  std::ofstream(deep / "long.mp3") << "x";
  ASSERT_GT((deep / "long.mp3").string().size(), 255u);

  std::u16string shown;
  RunLater([] { ChooseFromMenu('1'); });  // "Select Music"
  RunLater([&] { BrowseTo(deep / "long.mp3"); });
  RunLater([&] {
    shown = TextOf(IDC_RINGTONE);
    PressKey(VK_F1);
  });
  QueueRescue();
  EXPECT_EQ(RunScreen(), 0);
  EXPECT_EQ(ToUtf8(shown), defaultRingtone());
  EXPECT_THAT(ReadSchedule(), HasSubstr("Ringtone=\"" + defaultRingtone() + "\""));
}

TEST_F(NewCallScreenTest, TheActionKeyOnTheRingtoneFieldBrowsesAndTheChoiceIsSaved) {
  WriteSchedule("<CallInfo/>");
  std::ofstream(directory_ / "short.mp3") << "x";
  std::u16string shown;
  RunLater([] {
    ASSERT_TRUE(FocusOn(IDC_RINGTONE));
    PressKey(VK_RETURN);
  });
  RunLater([&] { BrowseTo(directory_ / "short.mp3"); });
  RunLater([&] {
    shown = TextOf(IDC_RINGTONE);
    PressKey(VK_F1);
  });
  QueueRescue();
  EXPECT_EQ(RunScreen(), 0);
  EXPECT_EQ(ToUtf8(shown), (directory_ / "short.mp3").string());
  EXPECT_THAT(ReadSchedule(),
              HasSubstr("Ringtone=\"" + (directory_ / "short.mp3").string() + "\""));
}

}  // namespace
