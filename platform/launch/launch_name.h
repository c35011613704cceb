// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The name under which one executable's pending launch is kept: its systemd unit pair and the
// waiter's state file. A hash of the path gives a short name that is safe in both places.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

inline std::string LaunchName(std::string_view executable) {
  std::uint64_t hash = 14695981039346656037ull;  // 64-bit FNV-1a
  for (const char byte : executable) {
    hash ^= static_cast<unsigned char>(byte);
    hash *= 1099511628211ull;
  }
  char digits[17];
  std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
  return "pelorin-" + std::string(digits);
}
