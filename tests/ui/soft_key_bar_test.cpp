// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The soft-key bar and the phone's keys: captions, the popup chosen by digit, arrows or mouse,
// Escape closing it, and keys a screen takes over (Back that erases, Talk on release).
#include <gmock/gmock.h>

#include "tests/ui/ui_fixture.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class SoftKeyBarTest : public ScreenTest {
 protected:
  // The menu screen: bar 800, ends on "Exit" with code 9.
  void SetUp() override {
    ScreenTest::SetUp();
    Slot(0).answer = [this](HWND screen, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
      if (message == WM_INITDIALOG) {
        bar_ = GiveBar(screen, kMenuBar);
        if (overrideKey_ != 0) {
          SendMessageW(
              bar_, SHCMBM_OVERRIDEKEY, overrideKey_,
              MAKELPARAM(SHMBOF_NODEFAULT | SHMBOF_NOTIFY, SHMBOF_NODEFAULT | SHMBOF_NOTIFY));
        }
        if (registerTalk_) {
          EXPECT_TRUE(RegisterHotKey(screen, 114, MOD_KEYUP, VK_TTALK));
        }
        return TRUE;
      }
      if (message == WM_COMMAND && wParam == kExit) {
        EndDialog(screen, 9);
      }
      return message == WM_HOTKEY ? TRUE : FALSE;
    };
  }

  static std::vector<WPARAM> Commands() { return Slot(0).Commands(); }

  HWND bar_ = nullptr;
  UINT overrideKey_ = 0;
  bool registerTalk_ = false;
};

TEST_F(SoftKeyBarTest, TheBarShowsItsCaptionsAndTheLeftKeySendsItsCommand) {
  std::u16string left;
  std::u16string right;
  RunLater([&] {
    left = LeftSoftKeyCaption();
    right = RightSoftKeyCaption();
    PressKey(VK_F1);
    EXPECT_THAT(OpenPopupText(), IsEmpty());
    EndDialog(NewestScreen(), 0);
  });
  RunTestScreen(kPlainScreen);
  EXPECT_EQ(left, u"Go");
  EXPECT_EQ(right, u"Menu");
  EXPECT_THAT(Commands(), ElementsAre(kGo));
}

TEST_F(SoftKeyBarTest, APopupEntryIsChosenByItsDigit) {
  std::u16string shown;
  std::u16string afterChoice;
  RunLater([&] {
    PressKey(VK_F2);
    shown = OpenPopupText();
    PressKey('4');  // no fourth entry: nothing
    PressKey('2');
    afterChoice = OpenPopupText();
    PressKey(VK_F2);
    PressKey('3');
  });
  EXPECT_EQ(RunTestScreen(kPlainScreen), 9);
  EXPECT_EQ(shown, u"1 DEL\n2 About\n3 Exit");
  EXPECT_THAT(afterChoice, IsEmpty());
  EXPECT_THAT(Commands(), ElementsAre(kAbout, kExit));
}

TEST_F(SoftKeyBarTest, ArrowsMoveThroughThePopupRoundItsEndsAndEnterChooses) {
  RunLater([] {
    PressKey(VK_F2);
    PressKey(VK_DOWN);
    PressKey(VK_RETURN);  // About: the action key is not command 1 while the popup is open
    PressKey(VK_F2);
    PressKey(VK_UP);  // from the first entry round to the last
    PressKey(VK_RETURN);
  });
  EXPECT_EQ(RunTestScreen(kPlainScreen), 9);
  EXPECT_THAT(Commands(), ElementsAre(kAbout, kExit));
}

TEST_F(SoftKeyBarTest, EscapeAndASecondPressOfTheKeyCloseThePopupWithoutACommand) {
  std::vector<std::u16string> popups;
  RunLater([&] {
    PressKey(VK_F2);
    PressKey(VK_ESCAPE);
    popups.push_back(OpenPopupText());
    PressKey(VK_F2);
    PressKey(VK_F2);
    popups.push_back(OpenPopupText());
    EndDialog(NewestScreen(), 0);
  });
  RunTestScreen(kPlainScreen);
  EXPECT_THAT(popups, ElementsAre(u"", u""));
  EXPECT_THAT(Commands(), IsEmpty());  // Back closed the popup; it did not reach the screen
}

TEST_F(SoftKeyBarTest, TheMouseChoosesSoftKeysAndPopupEntries) {
  RunLater([] {
    ClickAt(20, 210);   // the left soft key
    ClickAt(160, 210);  // the right soft key opens the popup
    RECT entry{};
    ASSERT_TRUE(OpenPopupEntryRect(0, &entry));
    EXPECT_GT(entry.top, 20);
    EXPECT_LE(entry.bottom, 200);
    ClickAt((entry.left + entry.right) / 2, (entry.top + entry.bottom) / 2);
    ClickAt(160, 210);
    ClickAt(10, 100);  // beside the popup: closes it
    EXPECT_THAT(OpenPopupText(), IsEmpty());
    ClickAt(160, 210);
    ASSERT_TRUE(OpenPopupEntryRect(2, &entry));
    ClickAt(entry.left + 2, entry.top + 2);
  });
  EXPECT_EQ(RunTestScreen(kPlainScreen), 9);
  EXPECT_THAT(Commands(), ElementsAre(kGo, kDelete, kExit));
}

TEST_F(SoftKeyBarTest, AnOverriddenBackComesAsAHotKeyAndErasesOneCharacter) {
  overrideKey_ = VK_TBACK;
  Slot(0).answer = [inner = Slot(0).answer](HWND screen, UINT message, WPARAM wParam,
                                            LPARAM lParam) -> INT_PTR {
    if (message == WM_HOTKEY && HIWORD(static_cast<std::uintptr_t>(lParam)) == VK_TBACK) {
      SHSendBackToFocusWindow(message, wParam, lParam);
      return TRUE;
    }
    return inner(screen, message, wParam, lParam);
  };
  std::vector<std::u16string> texts;
  RunLater([&] {
    HWND name = GetDlgItem(NewestScreen(), kNameEdit);
    SetWindowTextW(name, u"Tobrin");
    PressKey(VK_ESCAPE);
    texts.push_back(WindowText(name));
    PressKey(VK_LEFT);
    PressKey(VK_LEFT);
    PressKey(VK_ESCAPE);  // erases before the cursor, not at the end
    texts.push_back(WindowText(name));
    PressKey(VK_DOWN);  // on the check box Back erases nothing
    PressKey(VK_ESCAPE);
    texts.push_back(WindowText(name));
    PressKey(VK_F2);
    PressKey('3');
  });
  EXPECT_EQ(RunTestScreen(kFormScreen), 9);
  EXPECT_THAT(texts, ElementsAre(u"Tobri", u"Tori", u"Tori"));
  // Never command 2; a press and a release per Back.
  EXPECT_THAT(Commands(), testing::Not(testing::Contains(IDCANCEL)));
  const auto hotKeys = Slot(0).Of(WM_HOTKEY);
  ASSERT_EQ(hotKeys.size(), 6u);
  EXPECT_EQ(hotKeys[0].lParam, MAKELPARAM(0, VK_TBACK));
  EXPECT_EQ(hotKeys[1].lParam, MAKELPARAM(MOD_KEYUP, VK_TBACK));
}

TEST_F(SoftKeyBarTest, TalkRegisteredForReleaseComesWhenTheKeyIsLetGo) {
  registerTalk_ = true;
  std::size_t afterPress = 0;
  RunLater([&] {
    PressKeyDown(VK_TTALK);
    afterPress = Slot(0).Of(WM_HOTKEY).size();
    ReleaseKey(VK_TTALK);
    EXPECT_TRUE(UnregisterHotKey(NewestScreen(), 114));
    EXPECT_FALSE(UnregisterHotKey(NewestScreen(), 114));
    PressKey(VK_TTALK);  // no longer registered: nothing
    EndDialog(NewestScreen(), 0);
  });
  RunTestScreen(kPlainScreen);
  EXPECT_EQ(afterPress, 0u);
  ASSERT_EQ(Slot(0).Of(WM_HOTKEY).size(), 1u);
  EXPECT_EQ(Slot(0).Of(WM_HOTKEY)[0].wParam, 114u);
  EXPECT_EQ(Slot(0).Of(WM_HOTKEY)[0].lParam, MAKELPARAM(MOD_KEYUP, VK_TTALK));
}

TEST_F(SoftKeyBarTest, TalkTakenFromTheBarComesAsAHotKeyOnPress) {
  overrideKey_ = VK_TTALK;
  RunLater([] {
    PressKeyDown(VK_TTALK);
    EndDialog(NewestScreen(), 0);
  });
  RunTestScreen(kPlainScreen);
  ASSERT_EQ(Slot(0).Of(WM_HOTKEY).size(), 1u);
  EXPECT_EQ(HIWORD(static_cast<std::uintptr_t>(Slot(0).Of(WM_HOTKEY)[0].lParam)), VK_TTALK);
}

TEST_F(SoftKeyBarTest, AHotKeyBelongsToOneScreenAtATime) {
  Slot(0).answer = [](HWND screen, UINT message, WPARAM, LPARAM) -> INT_PTR {
    if (message == WM_INITDIALOG) {
      EXPECT_TRUE(RegisterHotKey(screen, 1, 0, VK_TTALK));
      EXPECT_FALSE(RegisterHotKey(screen, 2, MOD_KEYUP, VK_TTALK));  // same key, same modifiers
      EXPECT_TRUE(RegisterHotKey(screen, 3, MOD_SHIFT, VK_TTALK));
      EndDialog(screen, 0);
    }
    return TRUE;
  };
  RunTestScreen(kPlainScreen);
  // The ended screen's keys are free again.
  Slot(1).answer = [](HWND screen, UINT message, WPARAM, LPARAM) -> INT_PTR {
    if (message == WM_INITDIALOG) {
      EXPECT_TRUE(RegisterHotKey(screen, 4, 0, VK_TTALK));
      EndDialog(screen, 0);
    }
    return TRUE;
  };
  RunTestScreen(kPlainScreen, 1);
}

TEST_F(SoftKeyBarTest, AMissingBarGivesNoBarAndTheKeysStillWork) {
  HWND made = reinterpret_cast<HWND>(1);
  Slot(0).answer = [&](HWND screen, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    if (message == WM_INITDIALOG) {
      made = GiveBar(screen, 999);
    } else if (message == WM_COMMAND && wParam == IDCANCEL) {
      EndDialog(screen, -1);
    }
    return message == WM_INITDIALOG;
  };
  std::u16string caption = u"unset";
  RunLater([&] {
    caption = LeftSoftKeyCaption();
    PressKey(VK_F1);
    PressKey(VK_F2);
    PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(RunTestScreen(kPlainScreen), -1);
  EXPECT_EQ(made, nullptr);
  EXPECT_EQ(caption, u"");
  EXPECT_THAT(Commands(), ElementsAre(IDCANCEL));
}

}  // namespace
