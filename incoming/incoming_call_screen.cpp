// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "incoming/incoming_call_screen.h"

#include <chrono>
#include <future>
#include <memory>

#include "incoming/ringtone_player.h"
#include "platform/power/power.h"
#include "platform/ui/notifications.h"
#include "platform/ui/resource_module.h"
#include "platform/ui/vibrator.h"
#include "resources/resource_ids.h"
#include "store/schedule_store.h"
#include "store/wakeup_scheduler.h"
#include "toolkit/process_state.h"
#include "toolkit/screen_toolkit.h"

namespace {

constexpr UINT kVibrationPeriod = 1000;  // milliseconds on, then as long off
constexpr int kUnmeasuredLineHeight = 20;
constexpr char16_t kMeasuredText[] = u" Incoming";
constexpr int kMeasuredLength = 9;
constexpr char16_t kBacklight[] = u"BKL1:";
constexpr COLORREF kPictureKeyColour = RGB(255, 0, 255);

constexpr INT_PTR kAnswered = 0;
constexpr INT_PTR kRejected = -1;
constexpr INT_PTR kNoBar = 3;
// How often a screen shown before the next call is armed looks whether it may ring.
constexpr UINT kAlertingCheckPeriod = 5;  // milliseconds
// A call nobody answers stops ringing after this long, as a phone call does.
constexpr UINT kUnansweredAfter = 60000;  // milliseconds

// The call's notification, shown where a locked screen hides the window; the missed call's.
constexpr DWORD kCallNotification = 1;
constexpr DWORD kMissedNotification = 2;
constexpr char16_t kCallTitle[] = u"Incoming";
constexpr char16_t kMissedTitle[] = u"Missed call";

// The schedule's work begun by BeginScheduleWork: the due call as soon as it is read, then the
// end of the purge's save and of the arming.
struct DueCall {
  bool due = false;
  CallRecord record{};  // as LoadDueRecord would have left the process-wide one
};

struct ScheduleWork {
  std::future<DueCall> dueCall;
  std::future<void> done;
};

ScheduleWork& PendingScheduleWork() {
  static ScheduleWork work;
  return work;
}

void StartVibrator() {
  Vibrate(0, nullptr, TRUE, INFINITE);
}

// One blank line, "Incoming", another blank line, the caller's name: each line as high as
// " Incoming" measures in the screen's font, plus 3.
void LayOutLabels(HWND screen) {
  SIZE extent{};
  const bool measured = GetTextExtentExPointW(GetDC(screen), kMeasuredText, kMeasuredLength, 0,
                                              nullptr, nullptr, &extent) != FALSE;
  const int line = measured ? extent.cy + 3 : kUnmeasuredLineHeight;
  RECT client{};
  GetClientRect(screen, &client);
  const int width = client.right - client.left;
  MoveWindow(GetDlgItem(screen, IDC_INCOMING_LABEL), 0, line, width, line, TRUE);
  MoveWindow(GetDlgItem(screen, IDC_CALLER_NAME_LABEL), 0, 3 * line, width, line, TRUE);
  SetScreenFont(GetDlgItem(screen, IDC_INCOMING_LABEL), 2);
  SetScreenFont(GetDlgItem(screen, IDC_CALLER_NAME_LABEL), 1);
}

// The vibrator runs while the tick count is even: seconds 0-1 on, 1-2 off, 2-3 on...
void AlternateVibrator() {
  ++State().vibrationTicks;
  if (State().vibrationTicks % 2 == 1) {
    VibrateStop();
  } else {
    StartVibrator();
  }
}

// The handset picture in the bottom-right corner, unscaled, its magenta pixels left out.
void PaintHandset(HWND screen) {
  PAINTSTRUCT paint{};
  HDC target = BeginPaint(screen, &paint);
  HDC memory = CreateCompatibleDC(target);
  HBITMAP picture = LoadBitmapW(State().instance, IDB_HANDSET);
  HGDIOBJ previous = SelectObject(memory, picture);
  BITMAP size{};
  GetObjectW(picture, sizeof size, &size);
  RECT client{};
  GetClientRect(screen, &client);
  TransparentImage(target, client.right - size.bmWidth, client.bottom - size.bmHeight, size.bmWidth,
                   size.bmHeight, memory, 0, 0, size.bmWidth, size.bmHeight, kPictureKeyColour);
  SelectObject(memory, previous);
  DeleteObject(picture);
  DeleteDC(memory);
  EndPaint(screen, &paint);
}

// Rings once the schedule's work begun early has saved the purge and armed the next call, so
// that a ringing program killed by then leaves the next call armed.
void AlertOnceArmed(HWND screen) {
  std::future<void>& done = PendingScheduleWork().done;
  if (done.valid() && done.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
    return;
  }
  KillTimer(screen, IDT_ALERTING);
  if (done.valid()) {
    done.get();
  }
  StartAlerting(screen);
}

// The notification carries the soft keys' own captions and commands: choosing one there is
// pressing it here.
void PostCallNotification(HWND screen) {
  const SoftKeyBarResource* bar = FindSoftKeyBar(State().instance, IDR_INCOMING_BAR);
  SHNOTIFICATIONDATA call{};
  call.dwID = kCallNotification;
  call.grfFlags = SHNF_CRITICAL;
  call.pszTitle = kCallTitle;
  call.pszHTML = State().dueRecord.Name;
  call.pszCategory = u"call.incoming";
  call.hwndSink = screen;
  if (bar != nullptr) {
    call.rgskn[0] = {bar->left.caption, static_cast<DWORD>(bar->left.command)};
    call.rgskn[1] = {bar->right.caption, static_cast<DWORD>(bar->right.command)};
  }
  SHNotificationAdd(&call);
}

// Whatever ends the call (a key, the notification, no answer, the window's close button, a
// signal's end) ends what ringing holds besides the window: the vibration, the notification
// and the system's keeping awake.
void StopAlerting() {
  VibrateStop();
  SHNotificationRemove(kCallNotification);
  PowerPolicyNotify(PPN_UNATTENDEDMODE, FALSE);
}

// Answering and rejecting by soft key differ only in the end code. The Talk key is given back
// at once, so that a later screen of this process can have it.
void EndCall(HWND screen, INT_PTR code) {
  UnregisterHotKey(screen, IDH_TALK);
  StopAlerting();
  EndDialog(screen, code);
}

// Nobody answered: the call ends as rejected, and a notification that stays until dismissed
// says whose call was missed.
void MissCall(HWND screen) {
  EndCall(screen, kRejected);
  SHNOTIFICATIONDATA missed{};
  missed.dwID = kMissedNotification;
  missed.pszTitle = kMissedTitle;
  missed.pszHTML = State().dueRecord.Name;
  missed.pszCategory = u"call.unanswered";
  SHNotificationAdd(&missed);
}

// A screen that ends here is never shown and never rings, but the schedule is still brought
// up to date: past calls purged, the next launch armed.
void Initialise(HWND screen) {
  bool ending = false;
  INT_PTR endCode = kAnswered;
  HWND bar = InitScreenWithBar(screen, IDR_INCOMING_BAR);
  if (bar == nullptr) {
    ending = true;
    endCode = kNoBar;
  }
  OverrideBarKey(bar, VK_TTALK);
  // Begun early, the schedule's work gives the due call here; the ring waits for the rest.
  const bool scheduled = PendingScheduleWork().dueCall.valid();
  bool due = false;
  if (scheduled) {
    const DueCall dueCall = PendingScheduleWork().dueCall.get();
    State().dueRecord = dueCall.record;
    due = dueCall.due;
  } else {
    due = LoadDueRecord();
  }
  // No call due outranks no bar. The screen is ended once, with the code that counts.
  if (!due) {
    ending = true;
    endCode = kRejected;
  }
  if (ending) {
    EndDialog(screen, endCode);
  }
  RegisterHotKey(screen, IDH_TALK, MOD_KEYUP, VK_TTALK);
  LayOutLabels(screen);
  if (scheduled) {
    // The screen shows at once; it rings once the next call is armed.
    if (!ending) {
      SetTimer(screen, IDT_ALERTING, kAlertingCheckPeriod, nullptr);
    }
  } else {
    if (!ending) {
      StartAlerting(screen);
    }
    ScheduleStore store;
    WakeupScheduler(store);
  }
  if (ending) {
    UnregisterHotKey(screen, IDH_TALK);
  }
}

}  // namespace

bool LoadDueRecord() {
  ScheduleStore store;
  if (store.CountCalls() <= 0) {
    return false;
  }
  return store.FindDueCall(State().dueRecord);
}

void StartAlerting(HWND screen) {
  const CallRecord& call = State().dueRecord;
  SetWindowTextW(GetDlgItem(screen, IDC_CALLER_NAME_LABEL), call.Name);
  if (call.Vibrate == 1) {
    StartVibrator();
    SetTimer(screen, IDT_VIBRATION, kVibrationPeriod, nullptr);
    State().vibrationTicks = 0;
  }
  // Held until the process ends, whatever the call's vibrate choice.
  SetPowerRequirement(kBacklight, D0, POWER_NAME, nullptr, 0);
  PlayRingtone(call.Ringtone);
  // What the bus does for the call comes after the sound has started, and waits for nothing.
  PostCallNotification(screen);
  PowerPolicyNotify(PPN_UNATTENDEDMODE, TRUE);
  SetTimer(screen, IDT_UNANSWERED, kUnansweredAfter, nullptr);
}

INT_PTR IncomingCallProcedure(HWND screen, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Initialise(screen);
      return TRUE;
    case WM_PAINT:
      PaintHandset(screen);
      return TRUE;
    case WM_TIMER:
      if (wParam == IDT_ALERTING) {
        AlertOnceArmed(screen);
      } else if (wParam == IDT_UNANSWERED) {
        MissCall(screen);
      } else {
        AlternateVibrator();
      }
      return TRUE;
    case WM_COMMAND:
      switch (wParam) {
        case IDM_ACCEPT:
          EndCall(screen, kAnswered);
          return FALSE;
        case IDM_REJECT:
        case IDCANCEL:
          EndCall(screen, kRejected);
          return FALSE;
        default:
          return FALSE;
      }
    case WM_HOTKEY:
      // Only the key counts, not the modifiers: the first Talk release answers.
      if (HIWORD(static_cast<std::uintptr_t>(lParam)) == VK_TTALK) {
        UnregisterHotKey(screen, static_cast<int>(wParam));
        StopAlerting();
        EndDialog(screen, kAnswered);
      }
      return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      return PaleBackground(screen, wParam);
    default:
      return FALSE;
  }
}

IncomingCallScreen::~IncomingCallScreen() = default;

void IncomingCallScreen::PreparePictures(HINSTANCE instance) {
  PrepareBitmap(instance, IDB_HANDSET);
}

void IncomingCallScreen::BeginScheduleWork() {
  auto dueCall = std::make_shared<std::promise<DueCall>>();
  ScheduleWork& work = PendingScheduleWork();
  work.dueCall = dueCall->get_future();
  work.done = std::async(std::launch::async, [dueCall, record = State().dueRecord] {
    DueCall found{false, record};
    ScheduleStore store;
    found.due = store.CountCalls() > 0 && store.FindDueCall(found.record);
    dueCall->set_value(found);
    WakeupScheduler(store);
  });
}

int IncomingCallScreen::Run() {
  const int code = static_cast<int>(RunModalScreen(IDD_INCOMING, IncomingCallProcedure));
  // Work begun for this screen ends with it, whether or not the screen rang.
  PendingScheduleWork() = ScheduleWork{};
  return code;
}
