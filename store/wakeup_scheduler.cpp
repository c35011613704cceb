#include "wakeup_scheduler.h"

#include "platform/launch/timed_launch.h"
#include "platform/system/clock.h"
#include "platform/system/module_path.h"

void WakeupScheduler(ScheduleStore& store) {
  SYSTEMTIME localNow{};
  GetLocalTime(&localNow);
  FILETIME now{};
  SystemTimeToFileTime(&localNow, &now);

  store.PurgeCalls(now);

  FILETIME earliest{};
  if (store.FindEarliestCall(earliest) == -1) {
    return;  // nothing left: whatever was armed before stays armed
  }
  SYSTEMTIME ringTime{};
  if (!FileTimeToSystemTime(&earliest, &ringTime)) {
    return;
  }
  CeRunAppAtTime(GetModuleFileNameW(), &ringTime);
}
