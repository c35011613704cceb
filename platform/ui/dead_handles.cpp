// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Calls on dead handles: one line per call name, every one counted.
#include "platform/ui/internal/dead_handles.h"

#include <cstdio>
#include <set>
#include <string>

namespace {

int reportCount = 0;

}  // namespace

void ReportDeadHandle(const char* call, const void* handle) {
  static std::set<std::string> reported;
  ++reportCount;
  if (reported.insert(call).second) {
    std::fprintf(stderr, "pelorin: %s was given the dead handle %p; it did nothing\n", call,
                 handle);
  }
}

int DeadHandleCalls() {
  return reportCount;
}
