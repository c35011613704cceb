// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A session bus of a test's own (dbus-daemon) and, on it, the stand-in screen saver
// (fake_screen_saver, built beside the tests), which writes "ready" and then a line for each
// inhibit and release into its log, or any other service the test starts. The bus starts no
// installed service on demand (a real feedbackd or dconf would answer in a stand-in's place and
// write into the person's settings): only what the test starts is on it.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/processes.h"
#include "tests/support/text_files.h"
#include "tests/support/waiting.h"

namespace test_support {

class PrivateSessionBus {
 public:
  PrivateSessionBus() = default;
  PrivateSessionBus(const PrivateSessionBus&) = delete;
  PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;
  ~PrivateSessionBus() { Stop(); }

  // Starts the daemon, which writes its address into `directory`; false when it gave none.
  bool Start(const std::filesystem::path& directory) {
    const std::filesystem::path address = directory / "bus-address";
    const std::filesystem::path configuration = directory / "bus.conf";
    std::ofstream(configuration) << R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";
    daemon_ = Spawn(
        {"dbus-daemon", "--config-file=" + configuration.string(), "--nofork", "--print-address=1"},
        EnvironmentWith(), address);
    if (daemon_ <= 0 ||
        !WaitUntil([&] { return ReadFile(address).find('\n') != std::string::npos; },
                   std::chrono::seconds(20))) {
      return false;
    }
    address_ = Lines(ReadFile(address)).front();
    return true;
  }

  // Starts the stand-in screen saver on this bus, logging into `log`; true once it is ready.
  bool StartScreenSaver(const std::filesystem::path& log) {
    const std::filesystem::path program =
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / "fake_screen_saver";
    screenSaver_ = Spawn({program.string(), log.string()},
                         EnvironmentWith("DBUS_SESSION_BUS_ADDRESS", address_));
    return screenSaver_ > 0 && WaitUntil(
                                   [&] {
                                     const auto lines = Lines(ReadFile(log));
                                     return !lines.empty() && lines.front() == "ready";
                                   },
                                   std::chrono::seconds(20));
  }

  // Starts `command` (a program built beside the tests, or one on PATH) on this bus with these
  // variables besides the test's own, its output going to `log`; true once the log holds
  // `ready`. It runs until StopServices or Stop.
  bool StartService(std::vector<std::string> command, const std::filesystem::path& log,
                    const std::string& ready, const std::vector<std::string>& variables = {}) {
    const std::filesystem::path beside =
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / command.front();
    if (std::filesystem::exists(beside)) {
      command.front() = beside.string();
    }
    std::vector<std::string> environment = EnvironmentWith("DBUS_SESSION_BUS_ADDRESS", address_);
    environment.insert(environment.end(), variables.begin(), variables.end());
    // The log is appended to: a service started before with the same log said "ready" too.
    const std::size_t said = ReadFile(log).size();
    const int service = Spawn(command, environment, log, log);
    if (service <= 0) {
      return false;
    }
    services_.push_back(service);
    return WaitUntil([&] { return ReadFile(log).find(ready, said) != std::string::npos; },
                     std::chrono::seconds(20));
  }

  // Ends the services the test started; the bus stays.
  void StopServices() {
    for (int service : services_) {
      test_support::Stop(service);
    }
    services_.clear();
  }

  // Ends the services, the screen saver and the daemon.
  void Stop() {
    StopServices();
    test_support::Stop(screenSaver_);
    test_support::Stop(daemon_);
    screenSaver_ = daemon_ = -1;
  }

  const std::string& address() const { return address_; }

 private:
  int daemon_ = -1;
  int screenSaver_ = -1;
  std::vector<int> services_;
  std::string address_;
};

}  // namespace test_support
