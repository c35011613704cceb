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
  const CommandResult result = RunCommand(command, kWaiterStartMilliseconds, true);
  if (Succeeded(result)) {
    return true;
  }
  *failure = result.finished && !result.errorLine.empty() ? result.errorLine
                                                          : DescribeFailure(command, result);
  return false;
}
