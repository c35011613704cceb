// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Waiting for something another process does, looking again every 50 ms.
#include <chrono>
#include <functional>
#include <thread>

namespace test_support {

// Waits until the condition holds or `limit` has passed; says whether it holds.
inline bool WaitUntil(const std::function<bool()>& condition, std::chrono::duration<double> limit) {
  const auto end = std::chrono::steady_clock::now() +
                   std::chrono::duration_cast<std::chrono::steady_clock::duration>(limit);
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return condition();
}

}  // namespace test_support
