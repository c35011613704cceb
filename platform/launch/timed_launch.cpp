// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "timed_launch.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

#include "launch_name.h"
#include "launch_time.h"
#include "platform/system/clock.h"
#include "platform/system/module_path.h"
#include "platform/system/text.h"
#include "systemd_timer.h"
#include "user_manager.h"
#include "waiter_launch.h"
#include "waiter_state.h"

namespace {

std::mutex serviceMutex;
TimedLaunchService service;

// How long an arming waits for the turn of another: armings take milliseconds, and each call
// to the manager has a limit of its own.
constexpr auto kLongestTurnWait = std::chrono::seconds(30);

enum class Backend { kSystemd, kWaiter, kEither };

Backend ChosenBackend() {
  const char* choice = std::getenv("PELORIN_TIMED_LAUNCH");
  const std::string_view chosen = choice ? choice : "";
  if (chosen == "systemd") {
    return Backend::kSystemd;
  }
  if (chosen == "waiter") {
    return Backend::kWaiter;
  }
  return Backend::kEither;
}

// One line, whatever the path holds.
std::string Printable(std::string_view text) {
  std::string line;
  for (const char character : text) {
    const auto byte = static_cast<unsigned char>(character);
    line += byte < 0x20 || byte == 0x7f ? '?' : character;
  }
  return line;
}

bool ReportFailure(const std::string& executable, const std::string& reason) {
  std::fprintf(stderr, "pelorin: cannot arm the timed launch of '%s': %s\n",
               Printable(executable).c_str(), Printable(reason).c_str());
  return false;
}

// A program file replaced while it runs is "<path> (deleted)" to the process; the launch is
// for the program as installed now.
std::string InstalledPath(const std::string& executable) {
  constexpr std::string_view kDeletedMark = " (deleted)";
  if (access(executable.c_str(), X_OK) == 0 || !executable.ends_with(kDeletedMark)) {
    return executable;
  }
  const std::string installed = executable.substr(0, executable.size() - kDeletedMark.size());
  return access(installed.c_str(), X_OK) == 0 ? installed : executable;
}

std::string CheckRequest(const std::string& executable, const SYSTEMTIME* localTime) {
  FILETIME valid{};
  if (localTime == nullptr || !SystemTimeToFileTime(localTime, &valid)) {
    return "the launch time is not a valid calendar time";
  }
  // A launch due at once would start a program that arms again: never a restart storm.
  if (LocalCalendarToEpoch(*localTime) <= std::time(nullptr)) {
    return "the launch time " + FormatLaunchTime(*localTime) + " is not in the future";
  }
  if (executable.empty() || executable.front() != '/') {
    return "the program path is not absolute";
  }
  if (access(executable.c_str(), X_OK) != 0) {
    return "the program cannot be run";
  }
  return {};
}

}  // namespace

void SetTimedLaunchService(TimedLaunchService replacement) {
  std::lock_guard lock(serviceMutex);
  service = std::move(replacement);
}

bool CeRunAppAtTime(const std::u16string& executable, const SYSTEMTIME* localTime) {
  {
    std::lock_guard lock(serviceMutex);
    if (service) {
      return localTime != nullptr && service(executable, *localTime);
    }
  }
  const std::string path = InstalledPath(ToUtf8(executable));
  if (const std::string problem = CheckRequest(path, localTime); !problem.empty()) {
    return ReportFailure(path, problem);
  }
  // The waiter is installed beside the program; the systemd service uses it too, to start
  // the launch without holding the service open while the call rings.
  const std::string waiter = ToUtf8(GetApplicationDirectory()) + "pelorin-waiter";
  if (access(waiter.c_str(), X_OK) != 0) {
    return ReportFailure(path, "no pelorin-waiter beside the program (" + waiter + ")");
  }
  // One launch per program whichever way armed it: the other way's pending launch goes,
  // once this one is in place.
  std::string failure;
  const Backend backend = ChosenBackend();
  std::unique_ptr<UserManager> manager;
  if (backend != Backend::kWaiter) {
    manager = UserManager::Connect(&failure);
    if (manager == nullptr && backend == Backend::kSystemd) {
      return ReportFailure(path, failure);
    }
  }
  if (manager != nullptr) {
    if (!ArmSystemdTimer(*manager, path, waiter, *localTime, &failure)) {
      return ReportFailure(path, failure);
    }
    CancelWaiters(path);
    return true;
  }
  if (!ArmWaiter(path, waiter, *localTime, &failure)) {
    return ReportFailure(path, failure);
  }
  if (!CancelSystemdTimer(path, &failure)) {
    std::fprintf(stderr, "pelorin: the systemd timer of '%s' could not be removed: %s\n",
                 Printable(path).c_str(), Printable(failure).c_str());
  }
  return true;
}

TimedLaunchTurn::TimedLaunchTurn(const std::u16string& executable) {
  std::string failure;
  const std::string directory = StateDirectoryPath(&failure);
  const std::string path =
      directory.empty() ? std::string()
                        : directory + "/" + LaunchName(InstalledPath(ToUtf8(executable))) + ".turn";
  descriptor_ =
      path.empty() ? -1 : open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (descriptor_ < 0) {
    std::fprintf(stderr, "pelorin: arming without waiting for other armings: %s\n",
                 Printable(path.empty() ? failure : path + ": " + std::strerror(errno)).c_str());
    return;
  }
  // A holder that is stopped (not killed: that ends its lock) must not hold every arming back.
  const auto deadline = std::chrono::steady_clock::now() + kLongestTurnWait;
  while (flock(descriptor_, LOCK_EX | LOCK_NB) != 0) {
    if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
      std::fprintf(stderr, "pelorin: arming without waiting for other armings: %s: %s\n",
                   Printable(path).c_str(),
                   errno == EWOULDBLOCK ? "held too long" : std::strerror(errno));
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

TimedLaunchTurn::~TimedLaunchTurn() {
  if (descriptor_ >= 0) {
    close(descriptor_);
  }
}
