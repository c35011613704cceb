#include "timed_launch.h"

#include <cstdio>
#include <mutex>

namespace {
std::mutex serviceMutex;
TimedLaunchService service;
}  // namespace

void SetTimedLaunchService(TimedLaunchService replacement) {
  std::lock_guard lock(serviceMutex);
  service = std::move(replacement);
}

bool CeRunAppAtTime(const std::u16string& executable, const SYSTEMTIME* localTime) {
  {
    std::lock_guard lock(serviceMutex);
    if (service) {
      return service(executable, *localTime);
    }
  }
  std::fprintf(stderr, "pelorin: the timed launch is not available yet\n");
  return false;
}
