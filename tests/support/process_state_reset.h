// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Every screen test starts from the process-wide state a fresh program has: whatever an earlier
// test's screens left there is gone, and the screens load their resources from `instance`.
#include "toolkit/process_state.h"

namespace test_support {

inline void ResetProcessState(const void* instance) {
  State() = ProcessState{};
  State().instance = instance;
}

}  // namespace test_support
