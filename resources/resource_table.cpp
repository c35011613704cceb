// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The screen templates and soft-key bars of every screen, as data.
#include "resources/resource_table.h"

#include "resources/resource_ids.h"

extern const ImageResource kiconsResources[];
extern const int kiconsResourceCount;
extern const ImageResource kbitmapsResources[];
extern const int kbitmapsResourceCount;
extern const ImageResource kdetailsResources[];
extern const int kdetailsResourceCount;

namespace {

// Every screen is made full-screen when it starts; the template size is the phone's client area.
constexpr int kWidth = 176;
constexpr int kHeight = 180;

constexpr std::uint32_t kFullScreen = kDialogPopup | kDialogVisible;

// Incoming call: both labels are laid out again when the screen starts.
constexpr ControlTemplate kIncomingControls[] = {
    {IDC_INCOMING_LABEL, ControlKind::kStaticText, u"Incoming", 0, 0, 20, kWidth, 20, 0},
    {IDC_CALLER_NAME_LABEL, ControlKind::kStaticText, u"Caller", 0, 0, 60, kWidth, 20, 0},
};

// New call: focus moves through the first six controls in this order.
constexpr ControlTemplate kNewCallControls[] = {
    {IDC_CALLER_NAME, ControlKind::kEdit, u"",
     kControlTabStop | kControlBorder | kControlAutoScroll, 2, 17, 174, 22, 0},
    {IDC_RING_DATE, ControlKind::kDatePicker, u"", kControlTabStop | kControlShortDate, 6, 68, 170,
     22, 0},
    {IDC_RING_TIME_OF_DAY, ControlKind::kDatePicker, u"",
     kControlTabStop | kControlTimeFormat | kControlUpDown, 6, 102, 170, 22, 0},
    {IDC_RINGTONE, ControlKind::kEdit, u"",
     kControlTabStop | kControlBorder | kControlAutoScroll | kControlTapActs, 2, 170, 174, 22, 0},
    {IDC_MUTE, ControlKind::kAutoCheckBox, u"Mute", kControlTabStop, 2, 204, 174, 17, 0},
    {IDC_VIBRATE, ControlKind::kAutoCheckBox, u"Vibrate", kControlTabStop | kControlTextLeft, 2,
     221, 174, 17, 0},
    {IDC_RING_TIME_FRAME, ControlKind::kGroupBox, u"Ring Time", kControlCentred, 2, 51, 174, 85, 0},
    {IDC_RINGTONE_LABEL, ControlKind::kStaticText, u"RingTone", kControlCentred, 2, 153, 174, 17,
     0},
    {IDC_CALL_FROM_LABEL, ControlKind::kStaticText, u"Call from", kControlCentred, 2, 0, 174, 17,
     0},
};

constexpr ControlTemplate kAboutControls[] = {
    {IDC_ABOUT_ICON, ControlKind::kStaticIcon, u"", 0, 3, 17, 16, 16, IDI_PROGRAM},
    {IDC_ABOUT_NAME, ControlKind::kStaticText, u"  Pelorin 0.2", 0, 19, 17, 157, 17, 0},
    {IDC_ABOUT_NOTICE, ControlKind::kStaticText, u"GPL-3.0-or-later", kControlEdged, 2, 33, 174, 17,
     0},
    {IDC_ABOUT_WEB, ControlKind::kStaticText, u"Help: README.md in", kControlEdged, 2, 51, 174, 17,
     0},
    // The README's folder, filled in when the screen starts.
    {IDC_ABOUT_SUPPORT, ControlKind::kStaticText, u"", kControlEdged, 2, 69, 174, 17, 0},
};

constexpr DialogTemplate kDialogs[] = {
    {IDD_INCOMING, kFullScreen | kDialogBorder | kDialogSetForeground, u"Incoming", nullptr, 0,
     kWidth, kHeight, kIncomingControls},
    {IDD_CALLER_PICKER, kFullScreen, u"Caller", nullptr, 0, kWidth, kHeight, {}},
    {IDD_NEW_CALL, kFullScreen | kDialogVerticalScroll, u"New Call", u"MS Sans Serif", 8, kWidth,
     kHeight, kNewCallControls},
    {IDD_MAIN, kFullScreen, u"Pelorin", nullptr, 0, kWidth, kHeight, {}},
    {IDD_RINGTONE_BROWSER, kFullScreen, u"RingTone", nullptr, 0, kWidth, kHeight, {}},
    {IDD_ABOUT, kFullScreen, u"About", nullptr, 0, kWidth, kHeight, kAboutControls},
};

constexpr PopupEntry kMainMenu[] = {
    {IDM_DELETE, u"DEL"},
    {IDM_ABOUT, u"About"},
    {IDM_EXIT, u"Exit"},
};

constexpr PopupEntry kNewCallMenu[] = {
    {IDM_SELECT_MUSIC, u"Select Music"},
    {IDM_GET_CALLER_NAME, u"Get CallerName"},
    {IDM_NEW_CALL_CANCEL, u"Cancel"},
};

constexpr SoftKeyBarResource kBars[] = {
    {IDR_MAIN_BAR, {IDM_NEW, u"New", {}}, {0, u"Menu", kMainMenu}},
    {IDR_INCOMING_BAR, {IDM_ACCEPT, u"Accept", {}}, {IDM_REJECT, u"Reject", {}}},
    {IDR_NEW_CALL_BAR, {IDM_SAVE, u"SAVE", {}}, {0, u"Menu", kNewCallMenu}},
    {IDR_CALLER_PICKER_BAR, {IDM_DONE, u"Done", {}}, {IDM_CALLER_PICKER_CANCEL, u"Cancel", {}}},
    {IDR_RINGTONE_BROWSER_BAR,
     {IDM_SELECT, u"Select", {}},
     {IDM_RINGTONE_BROWSER_CANCEL, u"Cancel", {}}},
    {IDR_ABOUT_BAR, {0, nullptr, {}}, {IDM_ABOUT_CANCEL, u"Cancel", {}}},
};

}  // namespace

const ResourceModule& ProgramResources() {
  static const ResourceModule resources{
      kDialogs,
      kBars,
      {kiconsResources, static_cast<std::size_t>(kiconsResourceCount)},
      {kbitmapsResources, static_cast<std::size_t>(kbitmapsResourceCount)},
      {kdetailsResources, static_cast<std::size_t>(kdetailsResourceCount)},
  };
  return resources;
}
