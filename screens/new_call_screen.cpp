// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "screens/new_call_screen.h"

#include <string>

#include "platform/sound/system_sound.h"
#include "platform/system/clock.h"
#include "platform/system/text.h"
#include "resources/resource_ids.h"
#include "screens/caller_picker.h"
#include "screens/ringtone_browser.h"
#include "store/new_call.h"
#include "store/schedule_store.h"
#include "toolkit/process_state.h"
#include "toolkit/screen_toolkit.h"

namespace {

constexpr char16_t kRingTimeRefused[] = u"Ring time is not correct!";
constexpr char16_t kSaveFailed[] = u"Error occured while saving record";
constexpr char16_t kErrorCaption[] = u"Error";
constexpr char16_t kClickSound[] = u"MouseClick";

// Five minutes in file-time units of 100 ns.
constexpr std::uint64_t kFiveMinutes = 3'000'000'000ull;
// Room for one more character than the name holds, so a longer name is cut, not refused.
constexpr int kNameReadCapacity = 256;

bool IsTicked(HWND screen, int id) {
  return SendMessageW(GetDlgItem(screen, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetTick(HWND screen, int id, WPARAM tick) {
  SendMessageW(GetDlgItem(screen, id), BM_SETCHECK, tick, 0);
}

void SetPickerTime(HWND screen, int id, const SYSTEMTIME& time) {
  SendMessageW(GetDlgItem(screen, id), DTM_SETSYSTEMTIME, GDT_VALID,
               reinterpret_cast<LPARAM>(&time));
}

SYSTEMTIME PickerTime(HWND screen, int id) {
  SYSTEMTIME time{};
  SendMessageW(GetDlgItem(screen, id), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
  return time;
}

// The ringtone field shows nothing while the call is muted, the record's path otherwise.
void ShowRingtone(HWND screen) {
  SetWindowTextW(GetDlgItem(screen, IDC_RINGTONE),
                 IsTicked(screen, IDC_MUTE) ? u"" : State().editedRecord.Ringtone);
}

// A path that does not fit the record is refused: a cut path would name another file. The
// record keeps what it held and false tells the caller so.
bool TakeRingtonePath(const std::u16string& path) {
  return SetRingtonePath(State().editedRecord, path);
}

void LayOutControls(HWND screen) {
  const int line = MeasureLayoutLine(screen);
  RECT client{};
  GetClientRect(screen, &client);
  const int width = client.right - client.left;
  MoveWindow(GetDlgItem(screen, IDC_CALL_FROM_LABEL), 2, 0, width - 2, line, TRUE);
  MoveWindow(GetDlgItem(screen, IDC_CALLER_NAME), 2, line, width - 2, line + 5, TRUE);
  MoveWindow(GetDlgItem(screen, IDC_RING_TIME_FRAME), 2, 3 * line, width - 2, 5 * line, TRUE);
  MoveWindow(GetDlgItem(screen, IDC_RING_DATE), 6, 4 * line, width - 6, line + 5, TRUE);
  MoveWindow(GetDlgItem(screen, IDC_RING_TIME_OF_DAY), 6, 6 * line, width - 6, line + 5, TRUE);
  MoveWindow(GetDlgItem(screen, IDC_RINGTONE_LABEL), 2, 9 * line, width - 2, line, TRUE);
  MoveWindow(GetDlgItem(screen, IDC_RINGTONE), 2, 10 * line, width - 2, line + 5, TRUE);
  MoveWindow(GetDlgItem(screen, IDC_MUTE), 2, 12 * line, width - 2, line, TRUE);
  MoveWindow(GetDlgItem(screen, IDC_VIBRATE), 2, 13 * line, width - 2, line, TRUE);
}

void InitialiseScreen(HWND screen) {
  HWND bar = InitScreenWithBar(screen, IDR_NEW_CALL_BAR);
  if (bar == nullptr) {
    EndDialog(screen, -1);
  }
  OverrideBarKey(bar, VK_TBACK);
  NewCallScreen::SetDefaultRingTime(screen);
  LayOutControls(screen);
  SetWindowTextW(GetDlgItem(screen, IDC_CALLER_NAME), kDefaultCallerName);
  SetTick(screen, IDC_MUTE, BST_UNCHECKED);
  SetTick(screen, IDC_VIBRATE, BST_CHECKED);
  // A program directory too deep for the field leaves the call without a ringtone rather
  // than with the wrong file.
  if (!TakeRingtonePath(DefaultRingtonePath())) {
    State().editedRecord.Ringtone[0] = u'\0';
  }
  SetWindowTextW(GetDlgItem(screen, IDC_RINGTONE), State().editedRecord.Ringtone);
}

void SaveCall(HWND screen) {
  CallRecord& record = State().editedRecord;
  const SYSTEMTIME date = PickerTime(screen, IDC_RING_DATE);
  const SYSTEMTIME timeOfDay = PickerTime(screen, IDC_RING_TIME_OF_DAY);
  // Too soon to ring, or a time the clocks skip: either way the call would never ring.
  if (!RingTimeOf(date, timeOfDay, &record.CallTime) ||
      CheckRingTime(record.CallTime, LocalNowAsFileTime()) != RingTimeCheck::kAccepted) {
    MessageBoxW(screen, kRingTimeRefused, kErrorCaption, MB_ICONERROR);
    return;
  }

  record.Vibrate = IsTicked(screen, IDC_VIBRATE) ? 1 : 0;
  if (IsTicked(screen, IDC_MUTE)) {
    record.Ringtone[0] = u'\0';
  }
  char16_t name[kNameReadCapacity] = {};
  GetWindowTextW(GetDlgItem(screen, IDC_CALLER_NAME), name, kNameReadCapacity);
  CopyToField(record.Name, kNameCapacity, name);

  ScheduleStore store;
  if (store.AppendCall(record) == 0) {
    EndDialog(screen, 0);
  } else {
    MessageBoxW(screen, kSaveFailed, kErrorCaption, MB_ICONERROR);
  }
}

void ChooseCaller(HWND screen) {
  CallerPicker picker;
  if (picker.Run() == 0) {
    SetWindowTextW(GetDlgItem(screen, IDC_CALLER_NAME), State().chosenCallerName.c_str());
  }
}

void ChooseRingtone(HWND screen) {
  RingtoneBrowser browser;
  if (browser.Run() == 0 && TakeRingtonePath(State().chosenRingtonePath)) {
    SetWindowTextW(GetDlgItem(screen, IDC_RINGTONE), State().editedRecord.Ringtone);
  }
}

// The action key picks for the field it stands on, after the phone's click.
void ActOnFocusedField(HWND screen) {
  HWND focus = GetFocus();
  if (focus != nullptr && focus == GetDlgItem(screen, IDC_CALLER_NAME)) {
    PlaySoundW(kClickSound, nullptr, 0);
    ChooseCaller(screen);
  } else if (focus != nullptr && focus == GetDlgItem(screen, IDC_RINGTONE)) {
    PlaySoundW(kClickSound, nullptr, 0);
    ChooseRingtone(screen);
  }
}

INT_PTR NewCallProcedure(HWND screen, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitialiseScreen(screen);
      return TRUE;
    case WM_COMMAND:
      switch (wParam) {
        case IDM_SAVE:
          SaveCall(screen);
          return TRUE;
        case IDM_NEW_CALL_CANCEL:
          EndDialog(screen, -1);
          return TRUE;
        case IDM_GET_CALLER_NAME:
          ChooseCaller(screen);
          return TRUE;
        case IDM_SELECT_MUSIC:
          ChooseRingtone(screen);
          return TRUE;
        case IDC_MUTE:
          ShowRingtone(screen);
          return TRUE;
        case IDOK:
          ActOnFocusedField(screen);
          return TRUE;
        default:
          return FALSE;
      }
    case WM_HOTKEY:
      // Back erases in the focused field; it never closes this screen.
      if (HIWORD(static_cast<std::uintptr_t>(lParam)) == VK_TBACK) {
        SHSendBackToFocusWindow(message, wParam, lParam);
      }
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void NewCallScreen::SetDefaultRingTime(HWND screen) {
  const FILETIME now = LocalNowAsFileTime();
  const FILETIME aheadFile = Uint64ToFileTime(FileTimeToUint64(now) + kFiveMinutes);
  SYSTEMTIME ahead{};
  FileTimeToSystemTime(&aheadFile, &ahead);
  // Both pickers take the moment five minutes ahead, so that just before midnight the
  // default date is tomorrow's and the defaults are never in the past.
  SetPickerTime(screen, IDC_RING_DATE, ahead);
  SetPickerTime(screen, IDC_RING_TIME_OF_DAY, ahead);
}

NewCallScreen::~NewCallScreen() = default;

int NewCallScreen::Run() {
  return static_cast<int>(RunModalScreen(IDD_NEW_CALL, NewCallProcedure));
}
