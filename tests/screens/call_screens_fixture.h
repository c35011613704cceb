// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The main, new call and about screens run offscreen in the test process, in a program
// directory of their own, at a clock the test sets, with the timed launch recorded instead of
// armed. Steps are queued with RunLater and run as a person would press the keys.
#include <gmock/gmock.h>

#include <string>
#include <vector>

#include "platform/launch/timed_launch.h"
#include "platform/ui/application.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/keys.h"
#include "platform/ui/list_view.h"
#include "platform/ui/testing/screen_driver.h"
#include "resources/resource_ids.h"
#include "resources/resource_table.h"
#include "store/schedule_store.h"
#include "tests/support/process_state_reset.h"
#include "tests/support/schedule_fixture.h"
#include "tests/support/screen_platform.h"

class CallScreensFixture : public ScheduleFixture {
 protected:
  void SetUp() override {
    ScheduleFixture::SetUp();
    std::string why;
    ASSERT_TRUE(test_support::StartTestScreens("call_screen_tests", &why)) << why;
    test_support::ResetProcessState(&ProgramResources());
    ++serial_;
    SetTimedLaunchService([this](const std::u16string&, const SYSTEMTIME& time) {
      armed_.push_back(time);
      return true;
    });
  }

  void TearDown() override {
    SetTimedLaunchService({});
    ScheduleFixture::TearDown();
  }

  static void Press(UINT key) { PressKey(key); }
  // Chooses entry `digit` of the right soft key's popup.
  static void ChooseFromMenu(char digit) {
    PressKey(VK_F2);
    PressKey(static_cast<UINT>(digit));
  }

  // Queued after the steps that should end the new call screen with SAVE. Should the screen
  // still be open (a refused SAVE, a message box), the test fails and the screen is closed,
  // instead of waiting for a key forever. Left over after a good SAVE, it runs in a later
  // test's first screen and does nothing there.
  static void QueueRescue() {
    const int test = serial_;
    RunLater([test] {
      if (test != serial_ || LeftSoftKeyCaption() != u"SAVE") {
        return;
      }
      ADD_FAILURE() << "the new call screen stayed open: " << ToUtf8(MessageBoxShown());
      if (!MessageBoxShown().empty()) {
        PressKey(VK_RETURN);
      }
      ChooseFromMenu('3');
    });
  }

  // The text of control `controlId` of the newest screen.
  static std::u16string ControlText(int controlId) {
    char16_t text[512] = {};
    GetWindowTextW(GetDlgItem(NewestScreen(), controlId), text, 512);
    return text;
  }
  static bool IsTicked(int controlId) {
    return SendMessageW(GetDlgItem(NewestScreen(), controlId), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }

  // The message box open now, as "caption: text", or empty when none is open.
  static std::u16string MessageBoxShown() {
    std::u16string caption;
    std::u16string text;
    if (!OpenMessageBox(&caption, &text)) {
      return {};
    }
    return caption + u": " + text;
  }

  // The calls in the schedule file, in file order, as the store reads them.
  std::vector<CallRecord> StoredCalls() const {
    ScheduleStore store;
    std::vector<CallRecord> calls;
    for (int i = 0; i < store.CountCalls(); ++i) {
      CallRecord record{};
      if (store.ReadCall(i, record)) {
        calls.push_back(record);
      }
    }
    return calls;
  }

  std::u16string ProgramPath(const std::string& file) const {
    return FromUtf8((directory_ / file).string());
  }

  static std::string Utf8(const char16_t* text) { return ToUtf8(text); }

  std::vector<SYSTEMTIME> armed_;
  static inline int serial_ = 0;
};

// A file time as "YYYY-MM-DD hh:mm:ss.mmm", for comparing ring times.
inline std::string CalendarText(const FILETIME& time) {
  SYSTEMTIME calendar{};
  FileTimeToSystemTime(&time, &calendar);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", calendar.wYear,
                calendar.wMonth, calendar.wDay, calendar.wHour, calendar.wMinute, calendar.wSecond,
                calendar.wMilliseconds);
  return text;
}
