#pragma once
// A session bus of a test's own (dbus-daemon) and, on it, the stand-in screen saver
// (fake_screen_saver, built beside the tests), which writes "ready" and then a line for each
// inhibit and release into its log.
#include <chrono>
#include <filesystem>
#include <string>

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
    daemon_ = Spawn({"dbus-daemon", "--session", "--nofork", "--print-address=1"},
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

  // Ends the screen saver and the daemon.
  void Stop() {
    test_support::Stop(screenSaver_);
    test_support::Stop(daemon_);
    screenSaver_ = daemon_ = -1;
  }

  const std::string& address() const { return address_; }

 private:
  int daemon_ = -1;
  int screenSaver_ = -1;
  std::string address_;
};

}  // namespace test_support
