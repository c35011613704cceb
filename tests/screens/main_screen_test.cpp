// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The main screen driven by keys: the rows it lists, the wake-up it arms at each refresh, and
// what "New", "DEL", "About" and "Exit" do to the list and the schedule file.
#include "screens/main_screen.h"

#include <sys/resource.h>

#include <csignal>
#include <cstdio>

#include "platform/files/find_file.h"
#include "platform/sim/sim_manager.h"
#include "screens/caller_picker.h"
#include "screens/ringtone_browser.h"
#include "tests/screens/call_screens_fixture.h"
#include "tests/screens/list_rows.h"
#include "tests/support/list_cells.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

struct Row {
  std::string caller;
  std::string ringTime;
  bool operator==(const Row&) const = default;
};

void PrintTo(const Row& row, std::ostream* out) {
  *out << "{" << row.caller << ", " << row.ringTime << "}";
}

std::string CellText(HWND list, int row, int column) {
  return ToUtf8(test_support::ListCellText(list, row, column));
}

// What the list shows now.
std::vector<Row> Rows() {
  HWND list = State().mainList;
  std::vector<Row> rows;
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    rows.push_back({CellText(list, row, 0), CellText(list, row, 1)});
  }
  return rows;
}

// The rows marked selected, each with "+focus" when it has the focus mark too.
std::vector<std::string> SelectedRows() {
  return SelectedListRows(State().mainList);
}

// Lets the screen run until the condition holds, for at most five seconds.
void WaitInScreen(const std::function<bool()>& condition) {
  for (int waited = 0; !condition() && waited < 5000; waited += 20) {
    LetTimePass(20);
  }
}

class MainScreenTest : public CallScreensFixture {
 protected:
  int RunScreen() {
    MainScreen screen;
    return screen.Run();
  }
  static void Exit() { ChooseFromMenu('3'); }
  static void Delete() { ChooseFromMenu('1'); }

  // Three calls an hour apart from 13:00 today, in file order b, a, c by name.
  void WriteThreeCalls() {
    WriteSchedule("<CallInfo>" + Call("Bertil", NowPlus(3600), 1) +
                  Call("Annika", NowPlus(7200), 2) + Call("Cecil", NowPlus(10800), 3) +
                  "</CallInfo>");
  }
};

TEST_F(MainScreenTest, AMissingScheduleFileGivesAnEmptyListThatDelLeavesAlone) {
  std::vector<Row> rows{{"x", "x"}};
  std::vector<std::string> selected{"x"};
  RunLater([&] {
    Delete();
    rows = Rows();
    selected = SelectedRows();
    Exit();
  });
  EXPECT_EQ(RunScreen(), -1);
  EXPECT_THAT(rows, IsEmpty());
  EXPECT_THAT(selected, IsEmpty());
  EXPECT_FALSE(std::filesystem::exists(SchedulePath()));
  EXPECT_THAT(armed_, IsEmpty());
}

TEST_F(MainScreenTest, ListsTheCallsInFileOrderWithTheFirstRowSelected) {
  WriteThreeCalls();
  std::vector<Row> rows;
  std::vector<std::string> selected;
  std::vector<long> widths;
  int image = -1;
  RunLater([&] {
    rows = Rows();
    selected = SelectedRows();
    HWND list = State().mainList;
    widths = {ShownColumnWidth(list, 0), ShownColumnWidth(list, 1)};
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = 2;
    SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    image = item.iImage;
    PressKey(VK_ESCAPE);  // Back leaves the program
  });
  EXPECT_EQ(RunScreen(), -1);
  EXPECT_THAT(rows, ElementsAre(Row{"Bertil", "12-07 13:00:00"}, Row{"Annika", "12-07 14:00:00"},
                                Row{"Cecil", "12-07 15:00:00"}));
  EXPECT_THAT(selected, ElementsAre("0+focus"));
  EXPECT_THAT(widths, ElementsAre(70, 105));
  EXPECT_EQ(image, 0);
  // The refresh armed the launch for the earliest call.
  ASSERT_EQ(armed_.size(), 1u);
  EXPECT_EQ(armed_[0].wHour, 13);
}

TEST_F(MainScreenTest, ALongListOpensAtItsTopWithNamesReadableAndTimesWhole) {
  // More calls than the screen holds, so its scroll bar shows; the first at 12-08 09:30:00.
  std::string calls;
  for (int i = 0; i < 14; ++i) {
    calls += Call("Caller number " + std::to_string(12 + i), NowPlus(77400 + 60 * i), i + 1);
  }
  WriteSchedule("<CallInfo>" + calls + "</CallInfo>");
  int top = -1;
  std::vector<std::string> selected;
  std::string name;
  std::string time;
  RunLater([&] {
    HWND list = State().mainList;
    top = TopShownListRow(list);
    selected = SelectedRows();
    name = ToUtf8(ShownListCell(list, 0, 0));
    time = ToUtf8(ShownListCell(list, 0, 1));
    Exit();
  });
  RunScreen();
  EXPECT_EQ(top, 0);
  EXPECT_THAT(selected, ElementsAre("0+focus"));
  EXPECT_THAT(name, StartsWith("Caller n"));
  EXPECT_EQ(time, "12-08 09:30:00");
}

// A window taller than the phone's shape (a phone's screen) makes the frame taller: the list
// fills the larger client area down to the soft-key bar, and gives it back when the window
// is the phone's shape again.
TEST_F(MainScreenTest, TheListFollowsTheWindowsHeight) {
  std::string calls;
  for (int i = 0; i < 14; ++i) {
    calls += Call("Caller " + std::to_string(i), NowPlus(77400 + 60 * i), i + 1);
  }
  WriteSchedule("<CallInfo>" + calls + "</CallInfo>");
  std::vector<int> heights;
  std::vector<COLORREF> barPixels;
  RunLater([&] {
    const auto measure = [&](int width, int height) {
      ResizeProgramWindow(width, height);
      RECT place{};
      WindowPlace(State().mainList, &place);
      heights.push_back(place.bottom - place.top);
      COLORREF bar = 0;
      ReadFramePixel(2, height * 176 / width - 2, &bar);
      barPixels.push_back(bar);
    };
    measure(352, 704);  // 176 x 352 frame pixels, drawn x2
    measure(176, 220);
    Exit();
  });
  RunScreen();
  EXPECT_THAT(heights, ElementsAre(312, 180));
  EXPECT_THAT(barPixels, ElementsAre(RGB(0x1F, 0x3A, 0x68), RGB(0x1F, 0x3A, 0x68)));
}

TEST_F(MainScreenTest, RingTimesShowMonthDayAndTimeOfDay) {
  SetNow({2026, 3, 0, 1, 8, 0, 0, 0});
  auto at = [](SYSTEMTIME calendar) {
    FILETIME time{};
    SystemTimeToFileTime(&calendar, &time);
    return time;
  };
  WriteSchedule("<CallInfo>" + Call("March", at({2026, 3, 0, 7, 14, 5, 9, 0})) +
                Call("December", at({2026, 12, 0, 1, 0, 0, 0, 0})) + "</CallInfo>");
  std::vector<Row> rows;
  RunLater([&] {
    rows = Rows();
    Exit();
  });
  RunScreen();
  EXPECT_THAT(rows, ElementsAre(Row{"March", "03-07 14:05:09"}, Row{"December", "12-01 00:00:00"}));
}

TEST_F(MainScreenTest, ARowShowsNothingOfTheCallListedAboveIt) {
  const FILETIME later = NowPlus(600);
  WriteSchedule("<CallInfo>" + Call("Dagny", NowPlus(300)) + "<CI CallTimeHigh=\"" +
                std::to_string(later.dwHighDateTime) + "\" CallTimeLow=\"" +
                std::to_string(later.dwLowDateTime) + "\"/></CallInfo>");
  std::vector<Row> rows;
  RunLater([&] {
    rows = Rows();
    Exit();
  });
  RunScreen();
  EXPECT_THAT(rows, ElementsAre(Row{"Dagny", "12-07 12:05:00"}, Row{"", "12-07 12:10:00"}));
}

TEST_F(MainScreenTest, CallsWhoseTimeHasComeArePurgedBeforeTheyAreListed) {
  WriteSchedule("<CallInfo>" + Call("Past", NowPlus(-60)) + Call("Margin", NowPlus(10)) +
                Call("Later", NowPlus(11)) + "</CallInfo>");
  std::vector<Row> rows;
  RunLater([&] {
    rows = Rows();
    Exit();
  });
  RunScreen();
  EXPECT_THAT(rows, ElementsAre(Row{"Later", "12-07 12:00:11"}));
  EXPECT_THAT(ReadSchedule(), Not(HasSubstr("Past")));
  EXPECT_THAT(ReadSchedule(), Not(HasSubstr("Margin")));
}

TEST_F(MainScreenTest, DelRemovesTheSelectedCallAndKeepsTheOthersInOrder) {
  WriteThreeCalls();
  std::vector<Row> afterMiddle;
  std::vector<std::string> selectedAfterMiddle;
  std::vector<Row> afterAll{{"x", "x"}};
  std::vector<std::string> selectedAfterAll{"x"};
  RunLater([&] {
    PressKey(VK_DOWN);
    Delete();
    afterMiddle = Rows();
    selectedAfterMiddle = SelectedRows();
    Delete();
    Delete();
    afterAll = Rows();
    selectedAfterAll = SelectedRows();
    Delete();  // nothing left to delete
    Exit();
  });
  RunScreen();
  EXPECT_THAT(afterMiddle,
              ElementsAre(Row{"Bertil", "12-07 13:00:00"}, Row{"Cecil", "12-07 15:00:00"}));
  EXPECT_THAT(selectedAfterMiddle, ElementsAre("0+focus"));
  EXPECT_THAT(afterAll, IsEmpty());
  EXPECT_THAT(selectedAfterAll, IsEmpty());
  EXPECT_EQ(ReadSchedule().find("<CI"), std::string::npos);
}

TEST_F(MainScreenTest, AStaleDelDeletesNothingAndKeepsTheSelectionSoTheNextDeletesTheChosenCall) {
  const char* names[] = {"Alpha", "Bravo", "Charlie", "Delta", "Echo", "Foxtrot"};
  std::string calls;
  for (int i = 0; i < 6; ++i) {
    calls += Call(names[i], NowPlus(3600 * (i + 1)), i + 1);
  }
  WriteSchedule("<CallInfo>" + calls + "</CallInfo>");
  std::vector<std::string> rowsAfterFirst;
  std::vector<std::string> selectedAfterFirst;
  std::size_t storedAfterFirst = 0;
  RunLater([&] {
    for (int i = 0; i < 5; ++i) {
      PressKey(VK_DOWN);  // onto Foxtrot
    }
    // Another process rang and purged Alpha; the list has not heard of it yet.
    WriteSchedule("<CallInfo>" + calls.substr(calls.find("<CI", 1)) + "</CallInfo>");
    Delete();
    rowsAfterFirst = ListTexts(State().mainList);
    selectedAfterFirst = SelectedRows();
    storedAfterFirst = StoredCalls().size();
    Delete();
    Exit();
  });
  RunScreen();
  EXPECT_EQ(storedAfterFirst, 5u);
  EXPECT_THAT(rowsAfterFirst, ElementsAre("Bravo", "Charlie", "Delta", "Echo", "Foxtrot"));
  EXPECT_THAT(selectedAfterFirst, ElementsAre("4+focus"));
  std::vector<std::string> stored;
  for (const CallRecord& call : StoredCalls()) {
    stored.push_back(Utf8(call.Name));
  }
  EXPECT_THAT(stored, ElementsAre("Bravo", "Charlie", "Delta", "Echo"));
}

TEST_F(MainScreenTest, ChangesByAnotherProcessShowWithTheSelectionKeptAndOwnSavesDoNotEcho) {
  WriteThreeCalls();
  const std::string dagny = Call("Dagny", NowPlus(14400), 4);
  std::vector<Row> afterRename;
  std::vector<std::string> selectedAfterRename;
  std::size_t armedAfterRename = 0;
  std::size_t armedLater = 0;
  std::vector<Row> afterInPlace;
  std::vector<std::string> selectedAfterInPlace;
  RunLater([&] {
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);  // onto Cecil
    // Saved the way the program saves: a new file renamed over the old one.
    const std::filesystem::path fresh = directory_ / "pelorin.xml.new";
    std::ofstream(fresh, std::ios::binary) << "<CallInfo>" + Call("Annika", NowPlus(7200), 2) +
                                                  Call("Cecil", NowPlus(10800), 3) + dagny +
                                                  "</CallInfo>";
    std::filesystem::rename(fresh, SchedulePath());
    WaitInScreen([] { return Rows().size() == 3 && Rows()[0].caller == "Annika"; });
    afterRename = Rows();
    selectedAfterRename = SelectedRows();
    armedAfterRename = armed_.size();
    // The refresh's own purge saved the file; that change must not refresh again.
    LetTimePass(500);
    armedLater = armed_.size();
    // Written in place, after the rename ended the old file's watch.
    WriteSchedule("<CallInfo>" + Call("Annika", NowPlus(7200), 2) + dagny + "</CallInfo>");
    WaitInScreen([] { return Rows().size() == 2; });
    afterInPlace = Rows();
    selectedAfterInPlace = SelectedRows();
    Exit();
  });
  RunScreen();
  EXPECT_THAT(afterRename,
              ElementsAre(Row{"Annika", "12-07 14:00:00"}, Row{"Cecil", "12-07 15:00:00"},
                          Row{"Dagny", "12-07 16:00:00"}));
  EXPECT_THAT(selectedAfterRename, ElementsAre("1+focus"));
  EXPECT_EQ(armedAfterRename, 2u);
  EXPECT_EQ(armedLater, 2u);
  EXPECT_THAT(afterInPlace,
              ElementsAre(Row{"Annika", "12-07 14:00:00"}, Row{"Dagny", "12-07 16:00:00"}));
  // Cecil is gone, so the selection goes where a refresh puts it.
  EXPECT_THAT(selectedAfterInPlace, ElementsAre("0+focus"));
}

TEST_F(MainScreenTest, ADelThatCannotBeSavedLeavesTheListAsItWas) {
  WriteThreeCalls();
  std::vector<Row> after;
  std::vector<std::string> selected;
  RunLater([&] {
    PressKey(VK_DOWN);
    // A disk that takes no more bytes: the file still holds the call, but cannot be saved.
    rlimit original{};
    getrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = original;
    tiny.rlim_cur = 16;
    setrlimit(RLIMIT_FSIZE, &tiny);
    Delete();
    setrlimit(RLIMIT_FSIZE, &original);
    after = Rows();
    selected = SelectedRows();
    Exit();
  });
  RunScreen();
  EXPECT_EQ(StoredCalls().size(), 3u);
  EXPECT_THAT(after, ElementsAre(Row{"Bertil", "12-07 13:00:00"}, Row{"Annika", "12-07 14:00:00"},
                                 Row{"Cecil", "12-07 15:00:00"}));
  EXPECT_THAT(selected, ElementsAre("1+focus"));
  EXPECT_EQ(armed_.size(), 1u);  // no refresh, so no wake-up scheduling either
}

TEST_F(MainScreenTest, NewThenCancelLeavesTheListAsItWas) {
  WriteThreeCalls();
  std::string popup;
  std::vector<Row> after;
  RunLater([] { PressKey(VK_F1); });  // "New" opens the new call screen
  RunLater([&] {
    popup = ToUtf8(RightSoftKeyCaption());
    ChooseFromMenu('3');  // "Cancel"
  });
  RunLater([&] {
    after = Rows();
    Exit();
  });
  RunScreen();
  EXPECT_EQ(popup, "Menu");
  EXPECT_THAT(after, ElementsAre(Row{"Bertil", "12-07 13:00:00"}, Row{"Annika", "12-07 14:00:00"},
                                 Row{"Cecil", "12-07 15:00:00"}));
  EXPECT_EQ(armed_.size(), 1u);  // the cancel ran no wake-up scheduling
}

TEST_F(MainScreenTest, NewThenSaveListsTheCallAndArmsTheLaunchForIt) {
  WriteThreeCalls();
  std::vector<Row> after;
  RunLater([] { PressKey(VK_F1); });
  RunLater([] { PressKey(VK_F1); });  // SAVE with the defaults
  QueueRescue();
  RunLater([&] {
    after = Rows();
    Exit();
  });
  RunScreen();
  ASSERT_EQ(after.size(), 4u);
  EXPECT_EQ(after[3], (Row{"Tobrin", "12-07 12:05:00"}));
  ASSERT_EQ(armed_.size(), 2u);
  EXPECT_EQ(armed_[1].wHour, 12);
  EXPECT_EQ(armed_[1].wMinute, 5);
}

TEST_F(MainScreenTest, TheMenuOffersDelAboutAndExitAndAboutShowsTheProgram) {
  // Installed: the program in <prefix>/lib/pelorin/, its README in <prefix>/share/doc/pelorin/.
  SetModuleFileNameForTesting(FromUtf8((directory_ / "lib/pelorin/pelorin").string()));
  std::filesystem::create_directories(directory_ / "share/doc/pelorin");
  std::ofstream(directory_ / "share/doc/pelorin/README.md") << "# Pelorin\n";
  std::string menu;
  std::string name;
  std::string help;
  std::string keys;
  RunLater([&] {
    PressKey(VK_F2);
    menu = ToUtf8(OpenPopupText());
    PressKey('2');  // "About"
  });
  RunLater([&] {
    name = ToUtf8(ControlText(IDC_ABOUT_NAME));
    help = ToUtf8(ControlText(IDC_ABOUT_WEB)) + "|" + ToUtf8(ControlText(IDC_ABOUT_SUPPORT));
    keys = ToUtf8(LeftSoftKeyCaption()) + "|" + ToUtf8(RightSoftKeyCaption());
    PressKey(VK_F2);  // "Cancel"
  });
  RunLater([] {
    PressKey(VK_F2);
    PressKey('2');
  });  // About again, left with Back
  RunLater([] { PressKey(VK_ESCAPE); });
  RunLater([] { Exit(); });
  EXPECT_EQ(RunScreen(), -1);
  EXPECT_THAT(menu, HasSubstr("1 DEL"));
  EXPECT_THAT(menu, HasSubstr("2 About"));
  EXPECT_THAT(menu, HasSubstr("3 Exit"));
  EXPECT_EQ(name, "  Pelorin 0.2");
  EXPECT_EQ(help, "Help: README.md in|" + (directory_ / "share/doc/pelorin").string());
  EXPECT_EQ(keys, "|Cancel");
}

TEST_F(MainScreenTest, ActivationWithAnyNonZeroParameterGivesTheListTheFocus) {
  WriteThreeCalls();
  bool focusedWhenActive = false;
  bool focusedWhenInactive = true;
  std::vector<INT_PTR> answers;
  RunLater([&] {
    HWND screen = NewestScreen();
    // Inactive in the low word, minimised in the high word: still not 0.
    SetFocus(nullptr);
    answers.push_back(SendMessageW(screen, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), 0));
    focusedWhenActive = FocusedControl() == State().mainList;
    SetFocus(nullptr);
    answers.push_back(SendMessageW(screen, WM_ACTIVATE, 0, 0));
    focusedWhenInactive = FocusedControl() == State().mainList;
    Exit();
  });
  RunScreen();
  EXPECT_TRUE(focusedWhenActive);
  EXPECT_FALSE(focusedWhenInactive);
  EXPECT_THAT(answers, ElementsAre(TRUE, TRUE));
}

// Each screen frees what it made when it ends: its windows, fonts, brushes, bitmaps, image
// lists and device contexts. A thousand openings of each, closed with the keys a person
// presses, leave as many live handles as there were, and no call is given a dead handle.
TEST_F(MainScreenTest, TheMainScreenThePickerAndTheBrowserFreeWhatTheyMadeWhenTheyEnd) {
  WriteThreeCalls();
  // No address book, no data server, no SIM card: the picker opens on an empty list.
  setenv("XDG_DATA_HOME", directory_.c_str(), 1);
  setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/pelorin-test-bus", 1);
  SetSimCardFactoryForTesting([] { return std::unique_ptr<SimCard>(); });
  SetFileRootForTesting(FromUtf8(directory_.string()));
  LiveHandles shown;
  const auto openAndClose = [&](auto screen, UINT closingKey) {
    RunLater([&shown, closingKey] {
      shown = CountLiveHandles();
      PressKey(closingKey);
    });
    screen.Run();
  };
  const auto openEach = [&] {
    openAndClose(MainScreen(), VK_ESCAPE);
    openAndClose(CallerPicker(), VK_TSOFT2);
    openAndClose(RingtoneBrowser(), VK_TSOFT2);
  };
  openEach();  // what lives as long as the process is made by the first openings
  const LiveHandles start = CountLiveHandles();
  const int deadCalls = DeadHandleCalls();
  for (int round = 0; round < 1000; ++round) {
    openEach();
  }
  const LiveHandles end = CountLiveHandles();
  SetFileRootForTesting({});
  SetSimCardFactoryForTesting({});
  unsetenv("XDG_DATA_HOME");
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  EXPECT_EQ(end, start);
  EXPECT_EQ(DeadHandleCalls(), deadCalls);
  EXPECT_GT(shown.windows, start.windows);  // the browser's own were counted while it showed
  EXPECT_GT(shown.imageLists, start.imageLists);
  std::printf(
      "live handles (windows fonts brushes bitmaps image-lists contexts): start %d %d %d %d "
      "%d %d, in the browser %d %d %d %d %d %d, after 3,000 screens %d %d %d %d %d %d\n",
      start.windows, start.fonts, start.brushes, start.bitmaps, start.imageLists,
      start.deviceContexts, shown.windows, shown.fonts, shown.brushes, shown.bitmaps,
      shown.imageLists, shown.deviceContexts, end.windows, end.fonts, end.brushes, end.bitmaps,
      end.imageLists, end.deviceContexts);
}

}  // namespace
