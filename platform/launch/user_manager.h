// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The user's systemd manager, spoken to over D-Bus (sd-bus): on its private socket, the way
// systemctl --user reaches it, else through the user's session bus. Every call has a time
// limit, so a manager that hangs costs seconds, never the program.
#include <memory>
#include <string>
#include <vector>

struct sd_bus;

// What a transient timer and the service it starts are made of.
struct TransientLaunch {
  std::string timerName;    // "pelorin-<hash>-<arming>.timer"
  std::string serviceName;  // the same with ".service"
  std::string description;
  std::string calendar;  // an OnCalendar= expression
  bool wakeSystem = false;
  std::vector<std::string> command;      // the service's program and its arguments
  std::vector<std::string> environment;  // "NAME=value"
};

struct ManagedUnit {
  std::string name;
  std::string activeState;  // "active", "inactive", "failed", ...
};

class UserManager {
 public:
  // Connects and checks that the manager answers; null with `failure` set when it does not.
  static std::unique_ptr<UserManager> Connect(std::string* failure);
  ~UserManager();
  UserManager(const UserManager&) = delete;
  UserManager& operator=(const UserManager&) = delete;

  // The loaded units whose names match one of the shell patterns.
  bool ListUnits(const std::vector<std::string>& patterns, std::vector<ManagedUnit>* units,
                 std::string* failure);
  // Starts the timer and waits for the manager's verdict on the job: `result` is "done" when
  // the timer is pending, else the job's result ("failed" when the manager cannot keep it).
  bool StartTransientTimer(const TransientLaunch& launch, std::string* result,
                           std::string* failure);
  // Starts or stops a unit and waits until the manager has done so.
  bool StartUnit(const std::string& name, std::string* failure);
  bool StopUnit(const std::string& name, std::string* failure);
  // Lets the manager forget a failed unit.
  bool ResetFailedUnit(const std::string& name, std::string* failure);
  // Enables the unit file at `path`, as systemctl --user enable does.
  bool EnableUnitFile(const std::string& path, std::string* failure);

  // Tells this manager from any other, one started later included: its process and the time
  // it started. Empty when it cannot be told.
  std::string Identity();

 private:
  UserManager(sd_bus* bus, bool throughSessionBus);
  bool RunJob(const char* method, const std::string& name, std::string* failure);
  bool WaitForJob(const std::string& job, std::string* result, std::string* failure);

  sd_bus* bus_;
  bool throughSessionBus_;
  struct FinishedJobs;
  std::unique_ptr<FinishedJobs> finished_;
};
