// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// pelorin-waiter: starts a program with the command line "AppRunAtTime" at a local time.
//
//   pelorin-waiter EXECUTABLE "YYYY-MM-DD HH:MM:SS"
//       Leaves a process of its own that sleeps until that local time (at once when it is
//       past) and then becomes EXECUTABLE AppRunAtTime; ends the earlier waiter for
//       EXECUTABLE, if any, and returns.
//   pelorin-waiter --now EXECUTABLE
//       Starts EXECUTABLE AppRunAtTime in a session of its own and returns (the systemd
//       service's way to start a launch without waiting for it to end).
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/launch/launch_time.h"
#include "platform/launch/spawn_attributes.h"
#include "platform/launch/waiter_state.h"

extern char** environ;

namespace {

constexpr const char* kLaunchArgument = "AppRunAtTime";
// The waiter wakes at least this often to read the time zone again: the local time it waits
// for moves when the zone changes (daylight saving time rules, a move to another zone).
constexpr std::time_t kLongestSleepSeconds = 60;

int Fail(const std::string& reason) {
  std::fprintf(stderr, "pelorin-waiter: %s\n", reason.c_str());
  return 1;
}

int StartNow(const std::string& executable) {
  posix_spawnattr_t attributes;
  if (!PrepareSpawnAttributes(&attributes, true, false)) {
    return Fail("cannot start " + executable + ": no spawn attributes");
  }
  char* arguments[] = {const_cast<char*>(executable.c_str()), const_cast<char*>(kLaunchArgument),
                       nullptr};
  pid_t child = 0;
  const int error =
      posix_spawn(&child, executable.c_str(), nullptr, &attributes, arguments, environ);
  posix_spawnattr_destroy(&attributes);
  return error == 0 ? 0 : Fail("cannot start " + executable + ": " + std::strerror(error));
}

void DetachFromCaller() {
  setsid();
  const int nothing = open("/dev/null", O_RDWR);
  if (nothing >= 0) {
    dup2(nothing, 0);
    dup2(nothing, 1);
    dup2(nothing, 2);
    if (nothing > 2) {
      close(nothing);
    }
  }
  if (chdir("/") != 0) {
    // Staying in the caller's directory only keeps it busy.
  }
}

// Absolute sleeps on the real-time clock, so a change of the system time is followed.
void WaitForLocalTime(const std::tm& calendar) {
  for (;;) {
    tzset();
    const std::time_t target = LocalCalendarToEpoch(calendar);
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    if (now.tv_sec >= target) {
      return;
    }
    const timespec wake{std::min(target, now.tv_sec + kLongestSleepSeconds), 0};
    clock_nanosleep(CLOCK_REALTIME, TIMER_ABSTIME, &wake, nullptr);
  }
}

// Fires only while the state file still names this process. The lock is held into exec and
// let go by it, so whoever arms next sees either this waiter asleep or the program started.
// Without a file (a cleaner of /tmp took it) the waiter fires: it was the one recorded.
[[noreturn]] void Fire(const std::string& statePath, const std::string& executable) {
  const int state = OpenLockedState(statePath, false);
  if (state >= 0) {
    if (ReadPendingWaiter(state) != getpid()) {
      _exit(0);
    }
    unlink(statePath.c_str());
  }
  char* arguments[] = {const_cast<char*>(executable.c_str()), const_cast<char*>(kLaunchArgument),
                       nullptr};
  execv(executable.c_str(), arguments);
  _exit(127);
}

// Tests end the arming at a named step, as a kill at that moment would.
void TestStop(const char* step) {
  const char* chosen = std::getenv("PELORIN_WAITER_TEST_KILL_AT");
  if (chosen != nullptr && std::strcmp(chosen, step) == 0) {
    raise(SIGKILL);
  }
}

// The new waiter stays only once its arming recorded it. Its lock comes after the arming's
// lock ends, by the arming's end or its death; a waiter the file does not name was left by an
// arming that died before recording it, and the earlier waiter is still the one to fire.
bool AwaitRecord(const std::string& statePath, const std::string& executable) {
  const int state = OpenLockedState(statePath, false);
  if (state < 0 || ReadPendingWaiter(state) != getpid()) {
    return false;
  }
  // The arming may have died before it ended the earlier waiter.
  EndOtherWaiters(executable, getpid());
  close(state);
  return true;
}

void AllowTermination(bool allowed) {
  sigset_t termination;
  sigemptyset(&termination);
  sigaddset(&termination, SIGTERM);
  sigprocmask(allowed ? SIG_UNBLOCK : SIG_BLOCK, &termination, nullptr);
}

// Fork, record, then end the earlier waiter: whenever the arming is interrupted, exactly
// one waiter is left that will fire, the earlier one or the new one.
int Arm(const std::string& executable, const std::string& time) {
  std::tm calendar{};
  if (!ParseLaunchTime(time, &calendar)) {
    return Fail("not a local time of the form YYYY-MM-DD HH:MM:SS: " + time);
  }
  std::string failure;
  const std::string statePath = StateFilePath(executable, &failure);
  if (statePath.empty()) {
    return Fail(failure);
  }
  const int state = OpenLockedState(statePath, true);
  if (state < 0) {
    return Fail("cannot open " + statePath + ": " + std::strerror(errno));
  }
  const pid_t waiter = fork();
  if (waiter < 0) {
    return Fail(std::string("cannot fork: ") + std::strerror(errno));
  }
  if (waiter == 0) {
    close(state);  // the parent's lock must end when the parent lets go of it
    DetachFromCaller();
    if (!AwaitRecord(statePath, executable)) {
      _exit(0);
    }
    AllowTermination(true);
    WaitForLocalTime(calendar);
    Fire(statePath, executable);
  }
  TestStop("forked");
  if (!WritePendingWaiter(state, waiter)) {
    kill(waiter, SIGKILL);
    return Fail("cannot write " + statePath + ": " + std::strerror(errno));
  }
  TestStop("recorded");
  EndOtherWaiters(executable, waiter);
  close(state);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Nothing the arming program left open may stay open for hours, nor reach the program.
  close_range(3, ~0U, 0);
  if (argc == 3 && std::strcmp(argv[1], "--now") == 0) {
    return argv[2][0] == '/' ? StartNow(argv[2]) : Fail("the program path must be absolute");
  }
  if (argc != 3) {
    std::fprintf(stderr,
                 "usage: pelorin-waiter EXECUTABLE \"YYYY-MM-DD HH:MM:SS\"\n"
                 "       pelorin-waiter --now EXECUTABLE\n");
    return 2;
  }
  if (argv[1][0] != '/') {
    return Fail("the program path must be absolute");
  }
  // An arming process looks like a waiter for the same program; another arming that ends the
  // earlier waiters must not end this one. Its waiter allows termination once recorded.
  AllowTermination(false);
  return Arm(argv[1], argv[2]);
}
