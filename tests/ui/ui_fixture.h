// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Test screens for the platform's screen services: a resource module of their own, and screen
// procedures that record every message they get and answer as each test tells them.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/application.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/keys.h"
#include "platform/ui/list_view.h"
#include "platform/ui/menu_bar.h"
#include "platform/ui/message_box.h"
#include "platform/ui/painting.h"
#include "platform/ui/resource_module.h"
#include "platform/ui/testing/screen_driver.h"

// Numbers of the test module.
inline constexpr int kFormScreen = 900;
inline constexpr int kPlainScreen = 901;
inline constexpr int kTallScreen = 902;  // scrolls: its last control stands below the frame
inline constexpr int kMenuBar = 800;
inline constexpr int kTwoKeyBar = 801;
inline constexpr int kNameEdit = 10;
inline constexpr int kTickBox = 11;
inline constexpr int kDatePicker = 12;
inline constexpr int kTimePicker = 13;
inline constexpr int kLabel = 14;
inline constexpr int kFrameBox = 15;
inline constexpr int kBlankIcon = 16;
inline constexpr int kGo = 5001;
inline constexpr int kDelete = 5002;
inline constexpr int kAbout = 5003;
inline constexpr int kExit = 5004;
inline constexpr int kLeft = 5005;
inline constexpr int kRight = 5006;

const ResourceModule& TestModule();
HINSTANCE TestInstance();

struct Message {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Message&) const = default;
};

// One screen slot: what its procedure received, and how it answers.
struct ScreenRecord {
  std::vector<Message> messages;
  // Answers the message; unset: WM_INITDIALOG TRUE, everything else FALSE.
  std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)> answer;
  HWND window = nullptr;

  std::vector<Message> Of(UINT message) const;
  std::vector<WPARAM> Commands() const;
};

// Slots 0, 1, 2 have procedures of their own, for nested screens.
ScreenRecord& Slot(int index);
DLGPROC ProcedureOf(int index);

// Runs template `id` of the test module with the procedure of slot `index`.
INT_PTR RunTestScreen(int id, int index = 0);

// Makes the screen full-screen with bar `barId`; the bar or nullptr.
HWND GiveBar(HWND screen, int barId);

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};

// The window's text as GetWindowTextW reads it (up to 511 characters).
std::u16string WindowText(HWND window);
