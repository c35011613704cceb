// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "wakeup_scheduler.h"

#include "platform/launch/timed_launch.h"
#include "platform/system/clock.h"
#include "platform/system/module_path.h"

namespace {
constexpr std::uint64_t kPurgeWindow = 100'000'000;  // 10 seconds in 100-ns units
}

void WakeupScheduler(ScheduleStore& store) {
  const FILETIME now = LocalNowAsFileTime();
  store.PurgeCalls(now);

  // Read under the turn: an arming of another process that began before the file changed
  // must not finish after this one and put back a call the file no longer holds.
  const TimedLaunchTurn turn(GetModuleFileNameW());
  FILETIME earliest{};
  if (store.FindEarliestCall(earliest) == -1) {
    return;  // nothing left: whatever was armed before stays armed
  }
  // A purge that could not be saved leaves the past calls in the file (the store has said
  // why). Arming one of them would start the program at once, and that launch would arm it
  // again: only a call still to come is armed.
  const FILETIME purged = Uint64ToFileTime(FileTimeToUint64(now) + kPurgeWindow);
  if (CompareFileTime(&earliest, &purged) <= 0 &&
      store.FindEarliestCallAfter(purged, earliest) == -1) {
    return;
  }
  SYSTEMTIME ringTime{};
  if (!FileTimeToSystemTime(&earliest, &ringTime)) {
    return;
  }
  CeRunAppAtTime(GetModuleFileNameW(), &ringTime);
}
