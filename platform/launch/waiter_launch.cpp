// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "waiter_launch.h"

#include <vector>

#include "command.h"
#include "launch_time.h"

namespace {
// The waiter only checks its state file, forks and returns; this is a generous bound.
constexpr int kWaiterStartMilliseconds = 5000;
}  // namespace

bool ArmWaiter(const std::string& executable, const std::string& waiter, const SYSTEMTIME& time,
               std::string* failure) {
  const std::vector<std::string> command = {waiter, executable, FormatLaunchTime(time)};
  // Another arming of the same program ends every waiter for it; this one must not be ended
  // before it has blocked that signal itself, so it starts with it blocked.
  const CommandResult result = RunCommand(command, kWaiterStartMilliseconds, true, true);
  if (Succeeded(result)) {
    return true;
  }
  *failure = result.finished && !result.errorLine.empty() ? result.errorLine
                                                          : DescribeFailure(command, result);
  return false;
}
