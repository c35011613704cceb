// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Modal screens driven by keys: end codes, what the procedure receives and in what order,
// screens that end while starting, nested screens, controls and timers.
#include <gmock/gmock.h>

#include "tests/ui/ui_fixture.h"

namespace {

using ::testing::ElementsAre;

class DialogManagerTest : public ScreenTest {};

TEST_F(DialogManagerTest, AMissingTemplateRunsNothing) {
  EXPECT_EQ(DialogBoxIndirectParamW(TestInstance(), nullptr, nullptr, ProcedureOf(0), 0), -1);
  EXPECT_EQ(FindResourceW(TestInstance(), 999, RT_DIALOG), nullptr);
  EXPECT_EQ(FindResourceW(nullptr, kFormScreen, RT_DIALOG), nullptr);
  EXPECT_EQ(FindSoftKeyBar(TestInstance(), 999), nullptr);
  EXPECT_TRUE(Slot(0).messages.empty());
}

TEST_F(DialogManagerTest, EndingDuringInitialisationShowsNothingAndSendsNothingMore) {
  bool stepRan = false;
  Slot(0).answer = [](HWND screen, UINT message, WPARAM, LPARAM) -> INT_PTR {
    if (message == WM_INITDIALOG) {
      EndDialog(screen, 5);
      EndDialog(screen, 3);  // the later end code stands
      SendMessageW(screen, WM_COMMAND, kGo, 0);
      return TRUE;
    }
    return FALSE;
  };
  RunLater([&] { stepRan = true; });
  EXPECT_EQ(RunTestScreen(kFormScreen), 3);
  ASSERT_EQ(Slot(0).messages.size(), 1u);
  EXPECT_EQ(Slot(0).messages[0].message, WM_INITDIALOG);
  EXPECT_FALSE(stepRan);  // no loop ever ran for the screen
  EXPECT_EQ(NewestScreen(), nullptr);
  // The queued step runs in the next screen instead.
  Slot(1).answer = [](HWND screen, UINT message, WPARAM, LPARAM) -> INT_PTR {
    if (message == WM_COMMAND) {
      EndDialog(screen, 0);
    }
    return message == WM_INITDIALOG;
  };
  RunLater([] { PressKey(VK_RETURN); });
  EXPECT_EQ(RunTestScreen(kPlainScreen, 1), 0);
  EXPECT_TRUE(stepRan);
}

TEST_F(DialogManagerTest, InitialisationComesFirstThenTheScreenIsActiveWithTheFirstControlFocused) {
  HWND focused = nullptr;
  HWND newest = nullptr;
  HWND nameField = nullptr;
  RunLater([&] {
    focused = FocusedControl();
    newest = NewestScreen();
    nameField = GetDlgItem(NewestScreen(), kNameEdit);
    EndDialog(NewestScreen(), 42);
  });
  EXPECT_EQ(RunTestScreen(kFormScreen), 42);
  const ScreenRecord& screen = Slot(0);
  ASSERT_GE(screen.messages.size(), 2u);
  EXPECT_EQ(screen.messages[0].message, WM_INITDIALOG);
  EXPECT_EQ(newest, screen.window);
  // wParam of WM_INITDIALOG: the first control that takes the focus, the name field.
  EXPECT_EQ(reinterpret_cast<HWND>(screen.messages[0].wParam), focused);
  EXPECT_EQ(focused, nameField);
  ASSERT_FALSE(screen.Of(WM_ACTIVATE).empty());
  EXPECT_EQ(LOWORD(screen.Of(WM_ACTIVATE)[0].wParam), WA_ACTIVE);
  EXPECT_EQ(NewestScreen(), nullptr);
  EXPECT_EQ(GetDlgItem(screen.window, kNameEdit), nullptr);  // the screen's windows are gone
}

TEST_F(DialogManagerTest, KeysReachTheProcedureAsWholeCommandIds) {
  Slot(0).answer = [](HWND screen, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    if (message == WM_INITDIALOG) {
      GiveBar(screen, kTwoKeyBar);
      return TRUE;
    }
    if (message == WM_COMMAND && wParam == kRight) {
      EndDialog(screen, -1);
    }
    return FALSE;  // Back (command 2) unhandled: the screen stays
  };
  RunLater([] {
    PressKey(VK_F1);
    PressKey(VK_RETURN);
    PressKey(VK_ESCAPE);
    PressKey(VK_F3);  // Talk: nothing asked for it
    PressKey(VK_F2);
  });
  EXPECT_EQ(RunTestScreen(kPlainScreen), -1);
  EXPECT_THAT(Slot(0).Commands(), ElementsAre(kLeft, IDOK, IDCANCEL, kRight));
  EXPECT_TRUE(Slot(0).Of(WM_HOTKEY).empty());
}

TEST_F(DialogManagerTest, EnterInAnEditFieldIsTheActionKeyAndLeavesTheText) {
  std::u16string text;
  Slot(0).answer = [&](HWND screen, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    if (message == WM_COMMAND && wParam == IDOK) {
      text = WindowText(GetDlgItem(screen, kNameEdit));
      EndDialog(screen, 1);
    }
    return message == WM_INITDIALOG;
  };
  RunLater([] {
    TypeText(u"Ann é 𝄞");
    PressKey(VK_RETURN);
  });
  EXPECT_EQ(RunTestScreen(kFormScreen), 1);
  EXPECT_EQ(text, u"Ann é 𝄞");
  // Each typed character told the screen of the change, with the field's id in the low word.
  const auto changes = Slot(0).Of(WM_COMMAND);
  ASSERT_FALSE(changes.empty());
  EXPECT_EQ(changes.front().wParam, MAKEWPARAM(kNameEdit, EN_CHANGE));
  EXPECT_EQ(changes.back().wParam, static_cast<WPARAM>(IDOK));
}

TEST_F(DialogManagerTest, ACheckBoxClickSendsItsIdAfterTheTickChanged) {
  std::vector<WPARAM> ticksSeen;
  Slot(0).answer = [&](HWND screen, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    if (message == WM_COMMAND && wParam == kTickBox) {
      ticksSeen.push_back(
          static_cast<WPARAM>(SendMessageW(GetDlgItem(screen, kTickBox), BM_GETCHECK, 0, 0)));
    }
    return message == WM_INITDIALOG;
  };
  RunLater([] {
    PressKey(VK_DOWN);  // from the name field to the box
    PressKey(0x20);     // space ticks it
    PressKey(0x20);
    // Setting the tick from the program sends no command.
    SendMessageW(GetDlgItem(NewestScreen(), kTickBox), BM_SETCHECK, BST_CHECKED, 0);
    EndDialog(NewestScreen(), 0);
  });
  EXPECT_EQ(RunTestScreen(kFormScreen), 0);
  EXPECT_THAT(ticksSeen, ElementsAre(BST_CHECKED, BST_UNCHECKED));
}

TEST_F(DialogManagerTest, UpAndDownMoveTheFocusThroughTheControlsThatTakeIt) {
  std::vector<int> path;
  RunLater([&] {
    HWND screen = NewestScreen();
    auto record = [&] {
      for (int id : {kNameEdit, kTickBox, kDatePicker, kTimePicker}) {
        if (FocusedControl() == GetDlgItem(screen, id)) {
          path.push_back(id);
        }
      }
    };
    record();
    for (UINT key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_UP, VK_TAB}) {
      PressKey(key);
      record();
    }
    EndDialog(screen, 0);
  });
  RunTestScreen(kFormScreen);
  EXPECT_THAT(path, ElementsAre(kNameEdit, kTickBox, kDatePicker, kTimePicker, kNameEdit,
                                kTimePicker, kNameEdit));
}

TEST_F(DialogManagerTest, NestedScreensCoverTheirOpenerAndReturnToItWithTheirEndCode) {
  std::vector<INT_PTR> codes;
  std::vector<HWND> newestSeen;
  Slot(0).answer = [&](HWND screen, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    if (message == WM_INITDIALOG) {
      GiveBar(screen, kTwoKeyBar);
    } else if (message == WM_COMMAND && wParam == kLeft) {
      codes.push_back(RunTestScreen(kPlainScreen, 1));
      newestSeen.push_back(NewestScreen());
    } else if (message == WM_COMMAND && wParam == kRight) {
      EndDialog(screen, 10);
    }
    return message == WM_INITDIALOG;
  };
  Slot(1).answer = [&](HWND screen, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    if (message == WM_INITDIALOG) {
      GiveBar(screen, kMenuBar);
    } else if (message == WM_COMMAND && wParam == kGo) {
      codes.push_back(RunTestScreen(kFormScreen, 2));
    } else if (message == WM_COMMAND && wParam == IDCANCEL) {
      EndDialog(screen, 20);
    }
    return message == WM_INITDIALOG;
  };
  Slot(2).answer = [&](HWND screen, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    if (message == WM_COMMAND && wParam == IDCANCEL) {
      EndDialog(screen, 30);
    }
    return message == WM_INITDIALOG;
  };
  std::u16string innerCaption;
  std::u16string deepestCaption;
  std::vector<std::u16string> windowsDeepest;
  RunLater([] { PressKey(VK_F1); });  // opens the second screen; returns when it ends
  RunLater([&] {
    innerCaption = LeftSoftKeyCaption();
    PressKey(VK_F1);  // opens the third
  });
  RunLater([&] {
    deepestCaption = LeftSoftKeyCaption();  // the third screen has no bar
    windowsDeepest = ShownWindowTitles();
    newestSeen.push_back(NewestScreen());
    PressKey(VK_ESCAPE);  // ends the third
  });
  RunLater([] { PressKey(VK_ESCAPE); });  // ends the second
  RunLater([] { PressKey(VK_F2); });      // ends the first
  EXPECT_EQ(RunTestScreen(kPlainScreen, 0), 10);
  EXPECT_THAT(codes, ElementsAre(30, 20));
  EXPECT_EQ(innerCaption, u"Go");
  EXPECT_EQ(deepestCaption, u"");
  ASSERT_EQ(newestSeen.size(), 2u);
  EXPECT_EQ(newestSeen[0], Slot(2).window);
  EXPECT_EQ(newestSeen[1], Slot(0).window);
  // The opener was made inactive while covered and active again when the screen above ended.
  std::vector<WORD> activations;
  for (const Message& each : Slot(0).Of(WM_ACTIVATE)) {
    activations.push_back(LOWORD(each.wParam));
  }
  EXPECT_THAT(activations, ElementsAre(WA_ACTIVE, WA_INACTIVE, WA_ACTIVE));
  EXPECT_EQ(NewestScreen(), nullptr);
  // Three screens in one window, titled by the newest; no window once they all ended.
  EXPECT_THAT(windowsDeepest, ElementsAre(u"Form"));
  EXPECT_THAT(ShownWindowTitles(), ::testing::IsEmpty());
}

// The desktop's close button closes an open message box first, then asks the newest screen to
// cancel (command 2); a screen that ignores it stays.
TEST_F(DialogManagerTest, TheCloseButtonClosesTheMessageBoxThenCancelsTheNewestScreen) {
  int cancels = 0;
  std::vector<bool> boxOpen;
  Slot(0).answer = [&](HWND screen, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    if (message == WM_COMMAND && wParam == IDOK) {
      MessageBoxW(screen, u"Ring time is not correct!", u"Error", MB_ICONERROR);
    } else if (message == WM_COMMAND && wParam == IDCANCEL && ++cancels == 2) {
      EndDialog(screen, 7);
    }
    return message == WM_INITDIALOG;
  };
  RunLater([] { PressKey(VK_RETURN); });
  RunLater([&] {
    boxOpen.push_back(OpenMessageBox(nullptr, nullptr));
    PressCloseButton();
  });
  RunLater([&] {
    boxOpen.push_back(OpenMessageBox(nullptr, nullptr));
    PressCloseButton();  // ignored by the screen
  });
  RunLater([] { PressCloseButton(); });
  EXPECT_EQ(RunTestScreen(kPlainScreen), 7);
  EXPECT_THAT(boxOpen, ElementsAre(true, false));
  EXPECT_EQ(cancels, 2);
}

TEST_F(DialogManagerTest, TimersTickUntilTheirScreenEnds) {
  int ticks = 0;
  Slot(0).answer = [&](HWND screen, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    if (message == WM_INITDIALOG) {
      EXPECT_EQ(SetTimer(screen, 40001, 5, nullptr), 40001u);
    } else if (message == WM_TIMER) {
      EXPECT_EQ(wParam, 40001u);
      if (++ticks == 3) {
        EndDialog(screen, 0);
      }
    }
    return message == WM_INITDIALOG;
  };
  EXPECT_EQ(RunTestScreen(kPlainScreen), 0);
  LetTimePass(30);
  EXPECT_EQ(ticks, 3);
}

TEST_F(DialogManagerTest, TheClientAreaAndControlsAreInLogicalPixels) {
  RECT client{};
  RECT moved{};
  RECT barRect{};
  Slot(0).answer = [&](HWND screen, UINT message, WPARAM, LPARAM) -> INT_PTR {
    if (message == WM_INITDIALOG) {
      HWND bar = GiveBar(screen, kMenuBar);
      GetClientRect(screen, &client);
      GetClientRect(bar, &barRect);
      HWND label = GetDlgItem(screen, kLabel);
      EXPECT_TRUE(MoveWindow(label, 0, 19, 176, 19, TRUE));
      GetClientRect(label, &moved);
      EndDialog(screen, 0);
    }
    return TRUE;
  };
  RunTestScreen(kFormScreen);
  EXPECT_EQ(client.right, 176);
  EXPECT_EQ(client.bottom, 180);
  EXPECT_EQ(moved.right, 176);
  EXPECT_EQ(moved.bottom, 19);
  EXPECT_EQ(barRect.bottom, 20);
}

TEST_F(DialogManagerTest, TextsAndPickerValuesComeBackAsTheyWereSet) {
  Slot(0).answer = [](HWND screen, UINT message, WPARAM, LPARAM) -> INT_PTR {
    if (message != WM_INITDIALOG) {
      return FALSE;
    }
    HWND name = GetDlgItem(screen, kNameEdit);
    EXPECT_TRUE(SetWindowTextW(name, u"Zoë 𝄞"));
    EXPECT_EQ(WindowText(name), u"Zoë 𝄞");
    char16_t small[4] = {u'x', u'x', u'x', u'x'};
    EXPECT_EQ(GetWindowTextW(name, small, 4), 3);  // cut, and always terminated
    EXPECT_EQ(std::u16string(small), u"Zoë");
    EXPECT_EQ(WindowText(GetDlgItem(screen, kTickBox)), u"Tick");
    EXPECT_EQ(WindowText(GetDlgItem(screen, kLabel)), u"Label");
    EXPECT_TRUE(SetWindowTextW(GetDlgItem(screen, kLabel), u"Other"));
    EXPECT_EQ(WindowText(GetDlgItem(screen, kLabel)), u"Other");

    // A date picker keeps the whole value it was given, the milliseconds too.
    const SYSTEMTIME set{2027, 1, 0, 1, 0, 2, 30, 250};
    HWND time = GetDlgItem(screen, kTimePicker);
    EXPECT_EQ(SendMessageW(time, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&set)),
              TRUE);
    SYSTEMTIME read{};
    EXPECT_EQ(SendMessageW(time, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&read)), GDT_VALID);
    EXPECT_EQ(read.wYear, 2027);
    EXPECT_EQ(read.wDay, 1);
    EXPECT_EQ(read.wDayOfWeek, 5);  // a Friday
    EXPECT_EQ(read.wMinute, 2);
    EXPECT_EQ(read.wSecond, 30);
    EXPECT_EQ(read.wMilliseconds, 250);
    const SYSTEMTIME invalid{2027, 2, 0, 30, 0, 0, 0, 0};
    EXPECT_EQ(SendMessageW(time, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&invalid)),
              FALSE);
    EndDialog(screen, 0);
    return TRUE;
  };
  RunTestScreen(kFormScreen);
}

// Refused loudly: each call on a dead handle is counted (and said on stderr).
TEST_F(DialogManagerTest, HandlesOfEndedScreensAreRefused) {
  RunLater([] { EndDialog(NewestScreen(), 0); });
  RunTestScreen(kFormScreen);
  HWND gone = Slot(0).window;
  const int before = DeadHandleCalls();
  EXPECT_FALSE(EndDialog(gone, 1));
  EXPECT_FALSE(SetWindowTextW(gone, u"x"));
  EXPECT_EQ(GetDlgItem(gone, kNameEdit), nullptr);
  RECT rect{};
  EXPECT_FALSE(GetClientRect(gone, &rect));
  EXPECT_EQ(SendMessageW(gone, WM_COMMAND, 1, 0), 0);
  EXPECT_EQ(DeadHandleCalls(), before + 5);
}

}  // namespace

namespace {

// A screen taller than the frame scrolls to the control that gets the focus, and the wheel
// scrolls it without turning a date picker it passes over.
TEST_F(DialogManagerTest, ATallScreenScrollsToTheFocusAndTheWheelNeverTurnsADate) {
  const SYSTEMTIME set{2026, 12, 1, 7, 12, 0, 0, 0};
  SYSTEMTIME afterWheel{};
  int inkBefore = 0;
  int inkAfter = 0;
  // Pixels that are not the white background, at the bottom of the client area, left of the
  // scroll bar.
  auto inkAtBottom = [] {
    int ink = 0;
    for (int y = 20 + 150; y < 20 + 180; ++y) {
      for (int x = 0; x < 170; x += 2) {
        COLORREF seen = 0;
        ReadFramePixel(x, y, &seen);
        ink += seen != RGB(255, 255, 255);
      }
    }
    return ink;
  };
  RECT client{};
  Slot(0).answer = [&](HWND screen, UINT message, WPARAM, LPARAM) -> INT_PTR {
    if (message == WM_INITDIALOG) {
      GiveBar(screen, kTwoKeyBar);
      GetClientRect(screen, &client);
      SendMessageW(GetDlgItem(screen, kDatePicker), DTM_SETSYSTEMTIME, GDT_VALID,
                   reinterpret_cast<LPARAM>(&set));
    }
    return message == WM_INITDIALOG;
  };
  RunLater([&] {
    HWND screen = NewestScreen();
    WheelAt(60, 20 + 68 + 10, -3);  // over the date picker
    SendMessageW(GetDlgItem(screen, kDatePicker), DTM_GETSYSTEMTIME, 0,
                 reinterpret_cast<LPARAM>(&afterWheel));
    WheelAt(60, 20 + 68 + 10, 10);  // back to the top
    // The tick box stands at y 300 of the screen: out of sight until it has the focus.
    inkBefore = inkAtBottom();
    PressKey(VK_UP);  // from the name field round to the last control, the box
    EXPECT_EQ(FocusedControl(), GetDlgItem(screen, kTickBox));
    inkAfter = inkAtBottom();
    EndDialog(screen, 0);
  });
  RunTestScreen(kTallScreen);
  EXPECT_EQ(client.bottom, 180);  // the client area is the frame's, however tall the screen
  EXPECT_EQ(afterWheel.wDay, 7);
  EXPECT_EQ(afterWheel.wMonth, 12);
  EXPECT_EQ(inkBefore, 0);
  EXPECT_GT(inkAfter, 20);  // the box and its text came into sight
}

// The scroll bar stands at the frame's right edge (x 170 to 175), beside the client area, only on a
// scrolling screen whose content is taller than the frame; its handle follows the focus and a
// click on its groove scrolls the screen.
constexpr COLORREF kHandle = RGB(0x7F, 0x7F, 0x7F);
constexpr COLORREF kWhite = RGB(255, 255, 255);

COLORREF SeenAt(int x, int y) {
  COLORREF seen = 0;
  ReadFramePixel(x, y, &seen);
  return seen;
}

TEST_F(DialogManagerTest, OnlyAScrollingScreenTallerThanTheFrameShowsAScrollBar) {
  COLORREF plainEdge = 0;
  RunLater([&] {
    plainEdge = SeenAt(173, 20 + 170);
    EndDialog(NewestScreen(), 0);
  });
  RunTestScreen(kPlainScreen);
  EXPECT_EQ(plainEdge, kWhite);

  // The same scrolling screen with its last control moved up fits the frame: no bar.
  COLORREF shortEdge = 0;
  Slot(0).answer = [](HWND screen, UINT message, WPARAM, LPARAM) -> INT_PTR {
    if (message == WM_INITDIALOG) {
      GiveBar(screen, kTwoKeyBar);
      MoveWindow(GetDlgItem(screen, kTickBox), 2, 120, 174, 17, TRUE);
    }
    return message == WM_INITDIALOG;
  };
  RunLater([&] {
    shortEdge = SeenAt(173, 20 + 170);
    EndDialog(NewestScreen(), 0);
  });
  RunTestScreen(kTallScreen);
  EXPECT_EQ(shortEdge, kWhite);
}

TEST_F(DialogManagerTest, TheScrollBarFollowsTheFocusAndAClickOnItScrolls) {
  COLORREF topAtStart = 0;
  COLORREF bottomAtStart = 0;
  int inkAfterClick = 0;
  COLORREF topAfterWheel = 0;
  COLORREF topAfterFocus = 0;
  COLORREF bottomAfterFocus = 0;
  RECT client{};
  Slot(0).answer = [&](HWND screen, UINT message, WPARAM, LPARAM) -> INT_PTR {
    if (message == WM_INITDIALOG) {
      GiveBar(screen, kTwoKeyBar);
    }
    return message == WM_INITDIALOG;
  };
  RunLater([&] {
    HWND screen = NewestScreen();
    GetClientRect(screen, &client);
    topAtStart = SeenAt(173, 20 + 4);
    bottomAtStart = SeenAt(173, 20 + 176);
    ClickAt(173, 20 + 170);  // the groove below the handle: a page down
    for (int y = 20 + 150; y < 20 + 180; ++y) {
      for (int x = 0; x < 170; x += 2) {
        inkAfterClick += SeenAt(x, y) != kWhite;
      }
    }
    WheelAt(60, 20 + 40, 10);  // back to the top
    topAfterWheel = SeenAt(173, 20 + 4);
    PressKey(VK_UP);  // round to the tick box at the bottom
    topAfterFocus = SeenAt(173, 20 + 4);
    bottomAfterFocus = SeenAt(173, 20 + 176);
    EndDialog(screen, 0);
  });
  RunTestScreen(kTallScreen);
  EXPECT_EQ(client.right, 170);  // the bar's room is no part of the client area
  EXPECT_EQ(topAtStart, kHandle);
  EXPECT_NE(bottomAtStart, kHandle);
  EXPECT_NE(bottomAtStart, kWhite);  // the groove
  EXPECT_GT(inkAfterClick, 20);      // the tick box came into sight
  EXPECT_EQ(topAfterWheel, kHandle);
  EXPECT_NE(topAfterFocus, kHandle);
  EXPECT_EQ(bottomAfterFocus, kHandle);
}

}  // namespace
