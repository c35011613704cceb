// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "new_call.h"

#include "platform/system/clock.h"
#include "platform/system/module_path.h"
#include "platform/system/text.h"

namespace {

constexpr char16_t kDefaultRingtoneFile[] = u"ringtone1.mp3";
// 11 seconds in file-time units of 100 ns: one more than the window in which a launch
// removes the calls due with the one it rings.
constexpr std::uint64_t kShortestLead = 110'000'000ull;

}  // namespace

std::u16string DefaultRingtonePath() {
  return GetApplicationDirectory() + kDefaultRingtoneFile;
}

bool SetRingtonePath(CallRecord& record, std::u16string_view path) {
  if (path.size() >= kRingtoneCapacity) {
    return false;
  }
  return CopyToField(record.Ringtone, kRingtoneCapacity, path);
}

bool RingTimeOf(const SYSTEMTIME& date, const SYSTEMTIME& timeOfDay, FILETIME* ringTime) {
  SYSTEMTIME combined = timeOfDay;
  combined.wYear = date.wYear;
  combined.wMonth = date.wMonth;
  combined.wDayOfWeek = date.wDayOfWeek;
  combined.wDay = date.wDay;
  return SystemTimeToFileTime(&combined, ringTime);
}

RingTimeCheck CheckRingTime(const FILETIME& ringTime, const FILETIME& now) {
  const FILETIME earliest = Uint64ToFileTime(FileTimeToUint64(now) + kShortestLead);
  if (CompareFileTime(&ringTime, &earliest) == -1) {
    return RingTimeCheck::kTooSoon;
  }
  SYSTEMTIME calendar{};
  if (FileTimeToSystemTime(&ringTime, &calendar) && LocalTimeOccurrences(calendar) == 0) {
    return RingTimeCheck::kSkipped;
  }
  return RingTimeCheck::kAccepted;
}
