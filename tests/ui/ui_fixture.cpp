// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/ui/ui_fixture.h"

#include "tests/support/screen_platform.h"

namespace {

constexpr ControlTemplate kFormControls[] = {
    {kNameEdit, ControlKind::kEdit, u"", kControlTabStop | kControlBorder | kControlAutoScroll, 2,
     17, 174, 22, 0},
    {kTickBox, ControlKind::kAutoCheckBox, u"Tick", kControlTabStop, 2, 45, 174, 17, 0},
    {kDatePicker, ControlKind::kDatePicker, u"", kControlTabStop | kControlShortDate, 6, 68, 170,
     22, 0},
    {kTimePicker, ControlKind::kDatePicker, u"",
     kControlTabStop | kControlTimeFormat | kControlUpDown, 6, 102, 170, 22, 0},
    {kLabel, ControlKind::kStaticText, u"Label", 0, 2, 0, 174, 17, 0},
    {kFrameBox, ControlKind::kGroupBox, u"Frame", kControlCentred, 2, 60, 174, 70, 0},
    {kBlankIcon, ControlKind::kStaticIcon, u"", 0, 150, 140, 16, 16, 1},
};

constexpr ControlTemplate kTallControls[] = {
    {kNameEdit, ControlKind::kEdit, u"", kControlTabStop | kControlBorder, 2, 17, 174, 22, 0},
    {kDatePicker, ControlKind::kDatePicker, u"", kControlTabStop | kControlShortDate, 6, 68, 170,
     22, 0},
    {kTickBox, ControlKind::kAutoCheckBox, u"Tick", kControlTabStop, 2, 300, 174, 17, 0},
};

constexpr DialogTemplate kDialogs[] = {
    {kFormScreen, kDialogPopup | kDialogVisible, u"Form", nullptr, 0, 176, 180, kFormControls},
    {kPlainScreen, kDialogPopup | kDialogVisible, u"Plain", nullptr, 0, 176, 180, {}},
    {kTallScreen, kDialogPopup | kDialogVisible | kDialogVerticalScroll, u"Tall", u"MS Sans Serif",
     8, 176, 180, kTallControls},
};

constexpr PopupEntry kMenu[] = {{kDelete, u"DEL"}, {kAbout, u"About"}, {kExit, u"Exit"}};

constexpr SoftKeyBarResource kBars[] = {
    {kMenuBar, {kGo, u"Go", {}}, {0, u"Menu", kMenu}},
    {kTwoKeyBar, {kLeft, u"Left", {}}, {kRight, u"Right", {}}},
};

// An icon whose picture is not made: it loads as an empty picture.
constexpr ImageResource kIcons[] = {{1, {}}};

ScreenRecord slots[3];

template <int index>
INT_PTR RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ScreenRecord& slot = slots[index];
  slot.window = window;
  slot.messages.push_back(Message{message, wParam, lParam});
  if (slot.answer) {
    return slot.answer(window, message, wParam, lParam);
  }
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

}  // namespace

const ResourceModule& TestModule() {
  static const ResourceModule module{kDialogs, kBars, kIcons, {}};
  return module;
}

HINSTANCE TestInstance() {
  return &TestModule();
}

std::vector<Message> ScreenRecord::Of(UINT message) const {
  std::vector<Message> found;
  for (const Message& each : messages) {
    if (each.message == message) {
      found.push_back(each);
    }
  }
  return found;
}

std::vector<WPARAM> ScreenRecord::Commands() const {
  std::vector<WPARAM> commands;
  for (const Message& each : Of(WM_COMMAND)) {
    commands.push_back(each.wParam);
  }
  return commands;
}

ScreenRecord& Slot(int index) {
  return slots[index];
}

DLGPROC ProcedureOf(int index) {
  static constexpr DLGPROC procedures[] = {RecordingProcedure<0>, RecordingProcedure<1>,
                                           RecordingProcedure<2>};
  return procedures[index];
}

INT_PTR RunTestScreen(int id, int index) {
  const auto* dialog = static_cast<const DLGTEMPLATE*>(
      LoadResource(TestInstance(), FindResourceW(TestInstance(), id, RT_DIALOG)));
  return DialogBoxIndirectParamW(TestInstance(), dialog, nullptr, ProcedureOf(index), 0);
}

HWND GiveBar(HWND screen, int barId) {
  SHINITDLGINFO init{SHIDIM_FLAGS, screen, SHIDIF_SIZEDLGFULLSCREEN};
  if (!SHInitDialog(&init)) {
    return nullptr;
  }
  SHMENUBARINFO bar{};
  bar.cbSize = kPhoneMenuBarInfoSize;
  bar.hwndParent = screen;
  bar.nToolBarId = static_cast<UINT>(barId);
  bar.hInstRes = TestInstance();
  return SHCreateMenuBar(&bar) ? bar.hwndMB : nullptr;
}

void ScreenTest::SetUp() {
  std::string why;
  ASSERT_TRUE(test_support::StartTestScreens("ui_tests", &why)) << why;
  for (ScreenRecord& slot : slots) {
    slot = ScreenRecord{};
  }
}

void ScreenTest::TearDown() {
  for (ScreenRecord& slot : slots) {
    slot = ScreenRecord{};
  }
}

std::u16string WindowText(HWND window) {
  char16_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}
