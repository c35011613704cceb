// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

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
    name = ControlText(IDC_CALLER_NAME);
    ringtone = ControlText(IDC_RINGTONE);
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
  EXPECT_EQ(CalendarText(calls[0].CallTime), "2026-12-07 12:05:00.000");
}

TEST_F(NewCallScreenTest, JustBeforeMidnightTheDefaultDateIsTomorrowsAndIsAccepted) {
  WriteSchedule("<CallInfo/>");
  SetNow({2026, 12, 4, 31, 23, 57, 30, 250});
  RunLater([] { PressKey(VK_F1); });
  QueueRescue();
  EXPECT_EQ(RunScreen(), 0);
  const std::vector<CallRecord> calls = StoredCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(CalendarText(calls[0].CallTime), "2027-01-01 00:02:30.250");
}

// A call less than 11 seconds ahead would be purged by the list's refresh before it rings.
TEST_F(NewCallScreenTest, ARingTimeInThePastOrTooCloseIsRefusedAndTheScreenStaysAsEntered) {
  WriteSchedule("<CallInfo/>");
  std::vector<std::u16string> shown;
  std::u16string nameAfter;
  // SAVE at 12:mm:ss; the default ring time is 12:05:00.
  const auto saveAt = [this](WORD minute, WORD second) {
    SYSTEMTIME later = now_;
    later.wMinute = minute;
    later.wSecond = second;
    SetNow(later);
    PressKey(VK_F1);
  };
  const auto readAndClose = [&] {
    shown.push_back(MessageBoxShown());
    PressKey(VK_RETURN);
  };
  RunLater([&] {
    TypeText(u" Vale");
    saveAt(6, 0);  // six minutes pass while the screen is open: a minute ago
  });
  RunLater(readAndClose);
  RunLater([&] { saveAt(4, 50); });  // ten seconds ahead
  RunLater(readAndClose);
  RunLater([&] {
    nameAfter = ControlText(IDC_CALLER_NAME);
    saveAt(4, 49);  // eleven seconds ahead
  });
  QueueRescue();
  EXPECT_EQ(RunScreen(), 0);
  EXPECT_THAT(shown, ::testing::Each(std::u16string(u"Error: Ring time is not correct!")));
  EXPECT_EQ(shown.size(), 2u);
  EXPECT_THAT(ToUtf8(nameAfter), HasSubstr("Vale"));
  ASSERT_EQ(StoredCalls().size(), 1u);
  EXPECT_THAT(Utf8(StoredCalls()[0].Name), HasSubstr("Vale"));
}

// Every part of the date and the time takes digits, whatever the locale (ctest runs this case
// under C.UTF-8, en_US.UTF-8 and de_DE.UTF-8 too): day, month, year, then hours, minutes,
// seconds, as the README's examples type them.
TEST_F(NewCallScreenTest, DateAndTimeAreTypedAsDigitsInAnyLocale) {
  WriteSchedule("<CallInfo/>");
  std::u16string dateShown;
  std::u16string timeShown;
  RunLater([&] {
    ASSERT_TRUE(FocusOn(IDC_RING_DATE));
    TypeText(u"24122026");
    ASSERT_TRUE(FocusOn(IDC_RING_TIME_OF_DAY));
    TypeText(u"143000");
    dateShown = ControlText(IDC_RING_DATE);
    timeShown = ControlText(IDC_RING_TIME_OF_DAY);
    PressKey(VK_F1);
  });
  QueueRescue();
  EXPECT_EQ(RunScreen(), 0);
  EXPECT_EQ(ToUtf8(dateShown), "24/12/2026");
  EXPECT_EQ(ToUtf8(timeShown), "14:30:00");
  ASSERT_EQ(StoredCalls().size(), 1u);
  EXPECT_EQ(CalendarText(StoredCalls()[0].CallTime), "2026-12-24 14:30:00.000");
}

// On the 176-pixel frame every control stands whole left of the scroll bar (x 170 on), the
// ringtone field shows the file's name at the end of its path, and the date's calendar opens
// inside the frame.
TEST_F(NewCallScreenTest, EveryControlIsWholeAndTheCalendarFitsTheFrame) {
  WriteSchedule("<CallInfo/>");
  constexpr int kScrollBarLeft = 170;
  std::vector<std::pair<int, RECT>> places;
  std::u16string ringtoneShown;
  RECT dateField{};
  RECT calendar{};
  bool calendarOpen = false;
  RunLater([&] {
    HWND screen = NewestScreen();
    for (int id : {IDC_CALL_FROM_LABEL, IDC_CALLER_NAME, IDC_RING_TIME_FRAME, IDC_RING_DATE,
                   IDC_RING_TIME_OF_DAY, IDC_RINGTONE_LABEL, IDC_RINGTONE, IDC_MUTE, IDC_VIBRATE}) {
      RECT place{};
      ASSERT_TRUE(WindowPlace(GetDlgItem(screen, id), &place)) << id;
      places.emplace_back(id, place);
    }
    ringtoneShown = ShownText(GetDlgItem(screen, IDC_RINGTONE));
    WindowPlace(GetDlgItem(screen, IDC_RING_DATE), &dateField);
    ClickAt(dateField.right - 6, (dateField.top + dateField.bottom) / 2);  // the arrow
  });
  RunLater([&] {
    calendarOpen = OpenCalendarPlace(&calendar);
    PressKey(VK_ESCAPE);  // closes the calendar
    ChooseFromMenu('3');
  });
  EXPECT_EQ(RunScreen(), -1);
  for (const auto& [id, place] : places) {
    EXPECT_GE(place.left, 0) << id;
    EXPECT_LE(place.right, kScrollBarLeft) << id;
  }
  EXPECT_THAT(ToUtf8(ringtoneShown), ::testing::EndsWith("/ringtone1.mp3"));
  EXPECT_THAT(ToUtf8(ringtoneShown), ::testing::Not(::testing::StartsWith("/tmp")));
  ASSERT_TRUE(calendarOpen);
  EXPECT_GE(calendar.left, 0);
  EXPECT_LE(calendar.right, 176);
  EXPECT_GE(calendar.top, 20);  // between the caption strip and the soft-key bar
  EXPECT_LE(calendar.bottom, 200);
}

TEST_F(NewCallScreenTest, MuteHidesThePathAndSavesASilentCall) {
  WriteSchedule("<CallInfo/>");
  std::u16string whileMuted;
  std::u16string afterUnmuting;
  RunLater([&] {
    ToggleBox(IDC_MUTE);
    whileMuted = ControlText(IDC_RINGTONE);
    ToggleBox(IDC_MUTE);
    afterUnmuting = ControlText(IDC_RINGTONE);
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
    afterUnmuting = ControlText(IDC_RINGTONE);
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
    erased = ControlText(IDC_CALLER_NAME);
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
    shown = ControlText(IDC_RINGTONE);
    PressKey(VK_F1);
  });
  QueueRescue();
  EXPECT_EQ(RunScreen(), 0);
  EXPECT_EQ(ToUtf8(shown), defaultRingtone());
  EXPECT_THAT(ReadSchedule(), HasSubstr("Ringtone=\"" + defaultRingtone() + "\""));
}

// The action key there, or a tap (a phone has no key for it), browses; the file chosen is saved.
class RingtoneFieldTest : public NewCallScreenTest {
 protected:
  void BrowseAndSave(bool tap) {
    WriteSchedule("<CallInfo/>");
    const std::filesystem::path directory = directory_;
    std::ofstream(directory / "short.mp3") << "x";
    std::u16string shown;
    RunLater([tap] {
      if (tap) {
        WheelAt(88, 60, -3);  // the field lies below the form's first view
        RECT field{};
        ASSERT_TRUE(WindowPlace(GetDlgItem(NewestScreen(), IDC_RINGTONE), &field));
        ClickAt((field.left + field.right) / 2, (field.top + field.bottom) / 2);
      } else {
        ASSERT_TRUE(FocusOn(IDC_RINGTONE));
        PressKey(VK_RETURN);
      }
    });
    RunLater([directory] { BrowseTo(directory / "short.mp3"); });
    RunLater([&] {
      shown = ControlText(IDC_RINGTONE);
      PressKey(VK_F1);
    });
    QueueRescue();
    EXPECT_EQ(RunScreen(), 0);
    EXPECT_EQ(ToUtf8(shown), (directory / "short.mp3").string());
    EXPECT_THAT(ReadSchedule(),
                HasSubstr("Ringtone=\"" + (directory / "short.mp3").string() + "\""));
  }
};

TEST_F(RingtoneFieldTest, TheActionKeyThereBrowsesAndTheChoiceIsSaved) {
  BrowseAndSave(false);
}

TEST_F(RingtoneFieldTest, ATapThereBrowsesAsTheActionKeyDoes) {
  BrowseAndSave(true);
}

}  // namespace
