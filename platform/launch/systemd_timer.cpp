// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "systemd_timer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <vector>

#include "launch_name.h"
#include "launch_time.h"
#include "platform/system/atomic_file.h"
#include "platform/system/home_directory.h"
#include "platform/system/regular_file.h"
#include "platform/system/starting_environment.h"
#include "systemd_units.h"
#include "waiter_state.h"

namespace {

constexpr const char* kDone = "done";

// The manager never reads half a unit, even when it reloads on its own.
bool WriteUnitFile(const std::string& directory, const std::string& name, const std::string& text,
                   std::string* failure) {
  const std::string path = directory + "/" + name;
  std::string reason;
  if (!WriteFileAtomically(path, text, &reason)) {
    *failure = "cannot write " + path + ": " + reason;
    return false;
  }
  return true;
}

// The zone the person named in TZ, by the name systemd knows it. Empty when it has no such
// name (a rule written out in TZ).
std::string ZoneName(std::string zone) {
  if (zone.empty()) {
    return "UTC";  // an empty TZ is universal time
  }
  if (zone.starts_with(':')) {
    zone.erase(0, 1);
  }
  if (const std::size_t database = zone.rfind("zoneinfo/"); database != std::string::npos) {
    zone.erase(0, database + 9);
  }
  if (zone.empty() || zone.front() == '/' || zone.find("..") != std::string::npos ||
      zone.find_first_not_of(
          "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789/_+-") !=
          std::string::npos) {
    return {};
  }
  // systemd takes a zone whose file in the database is a zone file.
  char magic[4] = {};
  const int file = open(("/usr/share/zoneinfo/" + zone).c_str(), O_RDONLY | O_CLOEXEC);
  const bool isZone = file >= 0 && read(file, magic, 4) == 4 && std::memcmp(magic, "TZif", 4) == 0;
  if (file >= 0) {
    close(file);
  }
  return isZone ? zone : std::string();
}

// Ring times are wall-clock times. Without TZ the program reads them in the system's zone, as
// the manager does: the calendar time goes without a zone, and when the phone moves to another
// zone the manager moves the timer with it. A zone the person set is named; one without a
// name is written as the same moment in universal time.
std::string CalendarEvent(const SYSTEMTIME& time) {
  const auto variable = StartingVariable("TZ");
  if (!variable) {
    return FormatLaunchTime(time);
  }
  if (const std::string zone = ZoneName(*variable); !zone.empty()) {
    return FormatLaunchTime(time) + " " + zone;
  }
  const std::time_t moment = LocalCalendarToEpoch(time);
  std::tm universal{};
  gmtime_r(&moment, &universal);
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &universal);
  return text;
}

bool HasControlCharacter(const std::string& text) {
  for (const char character : text) {
    const auto byte = static_cast<unsigned char>(character);
    if (byte < 0x20 || byte == 0x7f) {
      return true;
    }
  }
  return false;
}

// A user manager without the wake-alarm privilege (most desktops), or a machine without a
// real-time clock, refuses a timer that would wake the machine. Which manager refused is kept
// with the waiters' state, so the next arming of any Pelorin asks it no more.
std::string WakeRefusalPath() {
  std::string ignored;
  const std::string directory = StateDirectoryPath(&ignored);
  return directory.empty() ? std::string() : directory + "/systemd-cannot-wake";
}

bool RefusesToWake(const std::string& manager) {
  std::string known;
  const std::string path = WakeRefusalPath();
  RegularFile file(path);
  return !manager.empty() && !path.empty() && file.ReadAll(known) && known == manager + "\n";
}

void RememberRefusalToWake(const std::string& manager) {
  if (const std::string path = WakeRefusalPath(); !manager.empty() && !path.empty()) {
    WriteFileAtomically(path, manager + "\n");
  }
}

// Each arming's timer has a name of its own: a stopped timer's name stays taken until the
// manager has forgotten it.
std::string ArmingName() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}

// The loaded timers of `executable`: the pair loaded at the manager's start, and each
// arming's.
std::vector<std::string> TimerPatterns(const std::string& executable) {
  const std::string name = LaunchName(executable);
  return {name + ".timer", name + "-*.timer"};
}

bool StopTimers(UserManager& manager, const std::vector<ManagedUnit>& timers,
                const std::string& keep, std::string* failure) {
  for (const ManagedUnit& timer : timers) {
    if (timer.name == keep) {
      continue;
    }
    if (timer.activeState == "failed") {
      manager.ResetFailedUnit(timer.name, failure);
    } else if (timer.activeState != "inactive" && !manager.StopUnit(timer.name, failure)) {
      return false;
    }
  }
  return true;
}

bool StartTimer(UserManager& manager, const TransientLaunch& launch, std::string* result,
                std::string* failure) {
  if (!manager.StartTransientTimer(launch, result, failure)) {
    return false;
  }
  if (*result != kDone) {
    std::string ignored;
    manager.ResetFailedUnit(launch.timerName, &ignored);
  }
  return true;
}

}  // namespace

std::string UserUnitDirectory() {
  const char* configuration = std::getenv("XDG_CONFIG_HOME");
  if (configuration && configuration[0] == '/') {
    return std::string(configuration) + "/systemd/user";
  }
  const std::string home = HomeDirectory();
  return home.empty() ? std::string() : home + "/.config/systemd/user";
}

bool ArmSystemdTimer(UserManager& manager, const std::string& executable, const std::string& waiter,
                     const SYSTEMTIME& time, std::string* failure) {
  // systemd refuses control characters in the program it runs, and would then leave the
  // timer armed for a service that cannot start.
  if (HasControlCharacter(waiter)) {
    *failure = "the path of pelorin-waiter holds control characters";
    return false;
  }
  const std::string directory = UserUnitDirectory();
  if (directory.empty()) {
    *failure = "no home directory for the user's systemd units";
    return false;
  }
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  if (error) {
    *failure = "cannot create " + directory + ": " + error.message();
    return false;
  }
  std::vector<ManagedUnit> earlier;
  if (!manager.ListUnits(TimerPatterns(executable), &earlier, failure)) {
    return false;
  }
  const std::string event = CalendarEvent(time);
  const std::string identity = manager.Identity();
  bool wake = !RefusesToWake(identity);
  const UnitPair units = ComposeUnits(executable, waiter, event, wake);
  if (!WriteUnitFile(directory, units.serviceName, units.serviceText, failure) ||
      !WriteUnitFile(directory, units.timerName, units.timerText, failure)) {
    return false;
  }
  struct stat link {};
  const std::string wanted = directory + "/timers.target.wants/" + units.timerName;
  if (lstat(wanted.c_str(), &link) != 0 &&
      !manager.EnableUnitFile(directory + "/" + units.timerName, failure)) {
    return false;
  }

  TransientLaunch launch = ComposeTransientLaunch(executable, waiter, event, wake, ArmingName());
  std::string result;
  if (!StartTimer(manager, launch, &result, failure)) {
    return false;
  }
  if (result != kDone && wake) {
    // Refused for waking: it fires once the machine is awake, and so does the next login's.
    RememberRefusalToWake(identity);
    launch = ComposeTransientLaunch(executable, waiter, event, false, ArmingName());
    if (!StartTimer(manager, launch, &result, failure) ||
        !WriteUnitFile(directory, units.timerName,
                       ComposeUnits(executable, waiter, event, false).timerText, failure)) {
      return false;
    }
  }
  if (result != kDone) {
    *failure = "the user's systemd manager could not start the timer (" + result + ")";
    return false;
  }
  // The earlier timers go once this one is pending: an arming cut short leaves one that fires.
  if (!StopTimers(manager, earlier, launch.timerName, failure)) {
    return false;
  }
  // A calendar time already past never elapses; one that passed while arming is due now.
  if (LocalCalendarToEpoch(time) <= std::time(nullptr)) {
    return manager.StartUnit(launch.serviceName, failure);
  }
  return true;
}

bool CancelSystemdTimer(const std::string& executable, std::string* failure) {
  const std::string directory = UserUnitDirectory();
  const std::string name = LaunchName(executable);
  const std::string timer = directory + "/" + name + ".timer";
  const std::string service = directory + "/" + name + ".service";
  if (directory.empty() ||
      (access(timer.c_str(), F_OK) != 0 && access(service.c_str(), F_OK) != 0)) {
    return true;
  }
  // Every arming through the manager writes the pair, so without it there is no timer to stop.
  std::string ignored;
  std::vector<ManagedUnit> timers;
  if (const auto manager = UserManager::Connect(&ignored);
      manager && manager->ListUnits(TimerPatterns(executable), &timers, &ignored)) {
    StopTimers(*manager, timers, {}, &ignored);
  }
  for (const std::string& path :
       {timer, service, directory + "/timers.target.wants/" + name + ".timer"}) {
    if (unlink(path.c_str()) != 0 && errno != ENOENT) {
      *failure = "cannot remove " + path + ": " + std::strerror(errno);
      return false;
    }
  }
  return true;
}
