// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "screens/main_screen.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

#include "platform/files/file_watch.h"
#include "platform/system/clock.h"
#include "platform/system/text.h"
#include "resources/resource_ids.h"
#include "screens/about_screen.h"
#include "screens/new_call_screen.h"
#include "store/schedule_store.h"
#include "store/wakeup_scheduler.h"
#include "toolkit/process_state.h"
#include "toolkit/screen_toolkit.h"

namespace {

constexpr char16_t kCallerCaption[] = u"Caller";
constexpr char16_t kRingTimeCaption[] = u"Ring Time";
constexpr double kCallerFraction = 0.4;
constexpr double kRingTimeFraction = 0.6;
constexpr int kCallImage = 0;
// The caller column is 70 pixels, the row's icon included: a font three pixels under the text
// unit shows the first eight characters of a name, and the ring time whole beside the scroll
// bar.
constexpr int kCallListFontExtra = -3;
// Sent to the screen when the schedule file changed, whoever changed it.
constexpr UINT WM_SCHEDULE_CHANGED = WM_APP + 1;

// Month-day hour:minute:second of the ring time, as the phone's clock shows it.
std::u16string FormatRingTime(const FILETIME& ringTime) {
  SYSTEMTIME calendar{};
  FileTimeToSystemTime(&ringTime, &calendar);
  char text[32];
  std::snprintf(text, sizeof text, "%02d-%02d %02d:%02d:%02d", calendar.wMonth, calendar.wDay,
                calendar.wHour, calendar.wMinute, calendar.wSecond);
  return std::u16string(text, text + std::char_traits<char>::length(text));
}

void CreateCallList(HWND screen) {
  RECT client{};
  GetClientRect(screen, &client);
  HWND list = CreateReportList(screen, client);
  State().mainList = list;
  if (list == nullptr) {
    return;
  }
  SetScreenFont(list, kCallListFontExtra);
  AddListColumn(list, 0, kCallerCaption, client, kCallerFraction);
  AddListColumn(list, 1, kRingTimeCaption, client, kRingTimeFraction);
  AttachRowIcons(list, {IDI_CALL});
}

void AddNewCall() {
  NewCallScreen newCall;
  if (newCall.Run() == 0) {
    MainScreen::RefreshCallList();
  }
}

// Whether the file still holds the call `shown` at the row's position.
bool StillListed(ScheduleStore& store, int row, const CallRecord& shown) {
  CallRecord stored{};
  return store.ReadCall(row, stored) && SameCall(stored, shown);
}

// Rebuilds the rows and puts the selection back on the call it was on, wherever that call
// now stands. When the file no longer holds it, the first row is selected, as after any
// refresh.
void RefreshKeepingSelection() {
  HWND list = State().mainList;
  const std::vector<CallRecord>& shown = State().shownCalls;
  const int row = GetSelectedRowIndex(list);
  if (row < 0 || row >= static_cast<int>(shown.size())) {
    MainScreen::RefreshCallList();
    return;
  }
  const CallRecord selected = shown[static_cast<std::size_t>(row)];
  MainScreen::RefreshCallList();
  for (std::size_t i = 0; i < shown.size(); ++i) {
    if (SameCall(shown[i], selected)) {
      SelectListRow(list, static_cast<int>(i));
      return;
    }
  }
}

// Another process changed the file (a timed launch purged the call it rang, say): the list
// follows. Our own saves change nothing the rows show, so they cause no second refresh.
void FollowScheduleFile() {
  bool same = false;
  {
    ScheduleStore store;
    const std::vector<CallRecord> calls = store.ReadCalls();
    same = std::equal(calls.begin(), calls.end(), State().shownCalls.begin(),
                      State().shownCalls.end(), SameCall);
  }
  if (!same) {
    RefreshKeepingSelection();
  }
}

void WatchScheduleFile(HWND screen) {
  ScheduleStore store;
  State().scheduleWatch = WatchFile(FromUtf8(store.path()),
                                    [screen] { SendMessageW(screen, WM_SCHEDULE_CHANGED, 0, 0); });
}

// Deletes the call the selected row shows. When the file no longer holds that call at the
// row's position (another process purged or changed it), nothing is deleted and the list is
// refreshed with the selection kept on the same call, so a second DEL deletes the call the
// person chose. A delete that failed while the call is still there (the file could not be
// saved) leaves the list as it was.
void DeleteSelectedCall() {
  HWND list = State().mainList;
  if (list == nullptr) {
    return;
  }
  const int row = GetSelectedRowIndex(list);
  if (row < 0 || row >= static_cast<int>(State().shownCalls.size())) {
    return;
  }
  const CallRecord shown = State().shownCalls[static_cast<std::size_t>(row)];
  bool deleted = false;
  bool stale = false;
  {
    ScheduleStore store;
    deleted = store.DeleteCall(row, shown);
    stale = !deleted && !StillListed(store, row, shown);
  }
  if (deleted) {
    MainScreen::RefreshCallList();
  } else if (stale) {
    RefreshKeepingSelection();
  }
}

void ShowAbout() {
  AboutScreen about;
  about.Run();
}

INT_PTR MainProcedure(HWND screen, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      if (InitScreenWithBar(screen, IDR_MAIN_BAR) == nullptr) {
        EndDialog(screen, -1);
      }
      CreateCallList(screen);
      MainScreen::RefreshCallList();
      WatchScheduleFile(screen);
      return TRUE;
    case WM_SIZE:
      return CoverClientWithList(lParam, State().mainList);
    case WM_SCHEDULE_CHANGED:
      FollowScheduleFile();
      return TRUE;
    case WM_COMMAND:
      switch (wParam) {
        case IDM_NEW:
          AddNewCall();
          break;
        case IDM_DELETE:
          DeleteSelectedCall();
          break;
        case IDM_ABOUT:
          ShowAbout();
          break;
        case IDM_EXIT:
        case IDCANCEL:
          EndDialog(screen, -1);
          break;
        default:
          break;
      }
      return FALSE;
    case WM_ACTIVATE:
      // Any first parameter but 0 means the screen becomes active, whatever its high word.
      if (wParam != 0) {
        SetFocus(State().mainList);
      }
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void MainScreen::RefreshCallList() {
  HWND list = State().mainList;
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  ScheduleStore store;
  WakeupScheduler(store);
  State().shownCalls = store.ReadCalls();
  if (State().shownCalls.empty()) {
    return;
  }
  for (const CallRecord& call : State().shownCalls) {
    const int row = SetListCell(list, call.Name, 0, kCallImage);
    SetListCell(list, FormatRingTime(call.CallTime).c_str(), 1, row);
  }
  SelectListRow(list, 0);
}

MainScreen::~MainScreen() = default;

int MainScreen::Run() {
  const int code = static_cast<int>(RunModalScreen(IDD_MAIN, MainProcedure));
  StopWatchingFile(State().scheduleWatch);
  State().scheduleWatch = 0;
  return code;
}
