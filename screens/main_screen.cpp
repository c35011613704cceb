#include "screens/main_screen.h"

#include <cstdio>
#include <string_view>
#include <vector>

#include "app/process_state.h"
#include "app/screen_toolkit.h"
#include "platform/system/clock.h"
#include "resources/resource_ids.h"
#include "screens/about_screen.h"
#include "screens/new_call_screen.h"
#include "store/schedule_store.h"
#include "store/wakeup_scheduler.h"

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

// Month-day hour:minute:second of the ring time, as the phone's clock shows it.
std::u16string formatRingTime(const FILETIME& ringTime) {
  SYSTEMTIME calendar{};
  FileTimeToSystemTime(&ringTime, &calendar);
  char text[32];
  std::snprintf(text, sizeof text, "%02d-%02d %02d:%02d:%02d", calendar.wMonth, calendar.wDay,
                calendar.wHour, calendar.wMinute, calendar.wSecond);
  return std::u16string(text, text + std::char_traits<char>::length(text));
}

void createCallList(HWND screen) {
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

void addNewCall() {
  NewCallScreen newCall;
  if (newCall.Run() == 0) {
    MainScreen::RefreshCallList();
  }
}

bool sameCall(const CallRecord& a, const CallRecord& b) {
  return std::u16string_view(a.Name) == std::u16string_view(b.Name) &&
         CompareFileTime(&a.CallTime, &b.CallTime) == 0 && a.Index == b.Index;
}

// Whether the file still holds the call `shown` at the row's position.
bool stillListed(ScheduleStore& store, int row, const CallRecord& shown) {
  CallRecord stored{};
  return store.ReadCall(row, stored) && sameCall(stored, shown);
}

// Deletes the call the selected row shows. When the file no longer holds that call at the
// row's position (another process purged or changed it), nothing is deleted and the list is
// refreshed, so it shows the file as it is now. A delete that failed while the call is still
// there (the file could not be saved) leaves the list as it was.
void deleteSelectedCall() {
  HWND list = State().mainList;
  if (list == nullptr) {
    return;
  }
  const int row = GetSelectedRowIndex(list);
  if (row < 0 || row >= static_cast<int>(State().shownCalls.size())) {
    return;
  }
  const CallRecord shown = State().shownCalls[static_cast<std::size_t>(row)];
  bool refresh = false;
  {
    ScheduleStore store;
    refresh = store.DeleteCall(row, shown) || !stillListed(store, row, shown);
  }
  if (refresh) {
    MainScreen::RefreshCallList();
  }
}

void showAbout() {
  AboutScreen about;
  about.Run();
}

INT_PTR mainProcedure(HWND screen, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      if (InitScreenWithBar(screen, IDR_MAIN_BAR) == nullptr) {
        EndDialog(screen, -1);
      }
      createCallList(screen);
      MainScreen::RefreshCallList();
      return TRUE;
    case WM_COMMAND:
      switch (wParam) {
        case IDM_NEW:
          addNewCall();
          break;
        case IDM_DELETE:
          deleteSelectedCall();
          break;
        case IDM_ABOUT:
          showAbout();
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
  State().shownCalls.clear();
  ScheduleStore store;
  WakeupScheduler(store);
  const int count = store.CountCalls();
  if (count <= 0) {
    return;
  }
  for (int i = 0; i < count; ++i) {
    // A fresh record for every read: a call without some attribute shows nothing of the
    // call read before it.
    CallRecord record{};
    if (!store.ReadCall(i, record)) {
      break;
    }
    State().shownCalls.push_back(record);
    const int row = SetListCell(list, record.Name, 0, kCallImage);
    SetListCell(list, formatRingTime(record.CallTime).c_str(), 1, row);
  }
  SelectListRow(list, 0);
}

MainScreen::~MainScreen() = default;

int MainScreen::Run() {
  return static_cast<int>(RunModalScreen(IDD_MAIN, mainProcedure));
}
