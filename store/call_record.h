// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// One scheduled call as the program holds it: fixed-size, zero-terminated UTF-16 texts and the
// ring time as a local-time file time. Copied and overwritten field by field.
#include <cstdint>

#include "platform/system/phone_types.h"

struct CallRecord {
  char16_t Name[255];      // at most 254 characters
  char16_t PhoneNo[255];   // no screen fills it; kept for the file
  char16_t Ringtone[256];  // full path; empty means a silent call
  FILETIME CallTime;       // local time, 100 ns since 1601
  std::int32_t Vibrate;    // 1 vibrates during the call
  std::int32_t Index;      // number the file gave the call when it was appended
};

// Text capacities, terminating zero included.
inline constexpr std::size_t kNameCapacity = 255;
inline constexpr std::size_t kPhoneNoCapacity = 255;
inline constexpr std::size_t kRingtoneCapacity = 256;
