// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A real systemd user manager of a test's own: its runtime directory, home and unit directory
// in a scratch directory, so timers really fire. A machine not booted with systemd (a
// container) has the manager refuse to start unless /run/systemd/system exists: made only when
// running as root, and removed again when the manager ends. Where it cannot be started,
// Start says why in one line, for the test to skip with.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/processes.h"
#include "tests/support/text_files.h"
#include "tests/support/waiting.h"

namespace test_support {

class UserSystemdManager {
 public:
  UserSystemdManager() = default;
  UserSystemdManager(const UserSystemdManager&) = delete;
  UserSystemdManager& operator=(const UserSystemdManager&) = delete;
  ~UserSystemdManager() { Stop(); }

  // Starts the manager; false with `why` set when it cannot run here.
  bool Start(const std::filesystem::path& directory, std::string* why) {
    const std::filesystem::path program = "/lib/systemd/systemd";
    if (access(program.c_str(), X_OK) != 0) {
      *why = "no systemd to start a user manager with (" + program.string() + ")";
      return false;
    }
    std::error_code error;
    if (!std::filesystem::exists(kBooted, error)) {
      if (geteuid() != 0) {
        *why = "this machine was not booted with systemd, and only root may pretend it was";
        return false;
      }
      madeBooted_ = std::filesystem::create_directories(kBooted, error);
    }
    directory_ = directory;
    std::filesystem::create_directories(runtime(), error);
    std::filesystem::create_directories(home(), error);
    chmod(runtime().c_str(), 0700);
    manager_ = Spawn({program.string(), "--user"}, Environment(), directory / "manager.log",
                     directory / "manager.log");
    const bool running = manager_ > 0 && WaitUntil(
                                             [&] {
                                               const std::string state =
                                                   Systemctl({"is-system-running"});
                                               return state == "running\n" || state == "degraded\n";
                                             },
                                             std::chrono::seconds(20));
    if (!running) {
      *why = "the user manager did not start: " + ReadFile(directory / "manager.log");
      Stop();
    }
    return running;
  }

  void Stop() {
    if (manager_ > 0) {
      test_support::Stop(manager_);
      manager_ = -1;
    }
    if (madeBooted_) {
      std::error_code ignored;
      std::filesystem::remove(kBooted, ignored);
      madeBooted_ = false;
    }
  }

  // What systemctl --user prints for these arguments (its errors included).
  std::string Systemctl(const std::vector<std::string>& arguments) const {
    std::vector<std::string> command = {"systemctl", "--user"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const std::filesystem::path output = directory_ / "systemctl.out";
    std::error_code ignored;
    std::filesystem::remove(output, ignored);
    const int process = Spawn(command, Environment(), output, output);
    int status = 0;
    if (process > 0) {
      waitpid(process, &status, 0);
    }
    return ReadFile(output);
  }

  // One property of a unit, as systemctl show gives its value.
  std::string Property(const std::string& unit, const std::string& name) const {
    std::string text = Systemctl({"show", "--timestamp=us+utc", "-p", name, "--value", unit});
    while (!text.empty() && text.back() == '\n') {
      text.pop_back();
    }
    return text;
  }

  // The loaded units matching a pattern, by name.
  std::vector<std::string> Units(const std::string& pattern) const {
    std::vector<std::string> names;
    for (const std::string& line :
         Lines(Systemctl({"list-units", "--all", "--plain", "--no-legend", pattern}))) {
      names.push_back(line.substr(0, line.find(' ')));
    }
    return names;
  }

  // What a program needs in its environment to reach this manager.
  std::vector<std::string> Variables() const {
    return {"XDG_RUNTIME_DIR=" + runtime().string(), "HOME=" + home().string(),
            "XDG_CONFIG_HOME=" + (home() / ".config").string()};
  }

  std::filesystem::path runtime() const { return directory_ / "run"; }
  std::filesystem::path home() const { return directory_ / "home"; }
  std::filesystem::path unitDirectory() const { return home() / ".config" / "systemd" / "user"; }
  int process() const { return manager_; }

 private:
  static constexpr const char* kBooted = "/run/systemd/system";

  std::vector<std::string> Environment() const {
    std::vector<std::string> environment = {"PATH=/usr/sbin:/usr/bin:/sbin:/bin"};
    const std::vector<std::string> variables = Variables();
    environment.insert(environment.end(), variables.begin(), variables.end());
    return environment;
  }

  std::filesystem::path directory_;
  int manager_ = -1;
  bool madeBooted_ = false;
};

}  // namespace test_support
