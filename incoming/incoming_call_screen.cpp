#include "incoming/incoming_call_screen.h"

#include <future>

#include "incoming/ringtone_player.h"
#include "platform/power/power.h"
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

// What the worker begun by BeginScheduleWork found: whether a call is due, and the record as
// LoadDueRecord would have left it.
struct ScheduleWork {
  bool due = false;
  CallRecord record{};
};

std::future<ScheduleWork>& PendingScheduleWork() {
  static std::future<ScheduleWork> work;
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

// Answering and rejecting by soft key differ only in the end code. The Talk key is given back
// at once, so that a later screen of this process can have it.
void EndCall(HWND screen, INT_PTR code) {
  UnregisterHotKey(screen, IDH_TALK);
  VibrateStop();
  EndDialog(screen, code);
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
  // Begun early, the schedule's work is done once it is waited for here.
  const bool scheduled = PendingScheduleWork().valid();
  bool due = false;
  if (scheduled) {
    const ScheduleWork work = PendingScheduleWork().get();
    State().dueRecord = work.record;
    due = work.due;
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
  if (!ending) {
    StartAlerting(screen);
  }
  if (!scheduled) {
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
      AlternateVibrator();
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
        VibrateStop();
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

void IncomingCallScreen::BeginScheduleWork() {
  ScheduleWork work;
  work.record = State().dueRecord;
  PendingScheduleWork() = std::async(std::launch::async, [work]() mutable {
    ScheduleStore store;
    work.due = store.CountCalls() > 0 && store.FindDueCall(work.record);
    WakeupScheduler(store);
    return work;
  });
}

int IncomingCallScreen::Run() {
  return static_cast<int>(RunModalScreen(IDD_INCOMING, IncomingCallProcedure));
}
