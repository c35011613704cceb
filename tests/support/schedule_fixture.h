#pragma once
// A program directory of its own for each test: a temporary folder that stands where the
// executable lives, with the schedule file the test writes, and a clock the test sets.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/system/clock.h"
#include "platform/system/module_path.h"
#include "platform/system/text.h"

class ScheduleFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = std::filesystem::temp_directory_path() /
                 ("pelorin-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    std::filesystem::remove_all(directory_);
    std::filesystem::create_directories(directory_);
    SetModuleFileNameForTesting(FromUtf8((directory_ / "pelorin").string()));
    SetNow({2026, 12, 0, 7, 12, 0, 0, 0});
  }

  void TearDown() override {
    SetLocalTimeSource({});
    SetModuleFileNameForTesting({});
    std::filesystem::permissions(directory_, std::filesystem::perms::owner_all);
    std::filesystem::remove_all(directory_);
  }

  void SetNow(SYSTEMTIME now) {
    now_ = now;
    SetLocalTimeSource([this] { return now_; });
  }

  // The present moved by a number of seconds, as a file time.
  FILETIME NowPlus(long long seconds) const {
    FILETIME now{};
    SystemTimeToFileTime(&now_, &now);
    return Uint64ToFileTime(FileTimeToUint64(now) + static_cast<unsigned long long>(seconds * 10'000'000));
  }

  std::filesystem::path SchedulePath() const { return directory_ / "pelorin.xml"; }

  void WriteSchedule(const std::string& text) const {
    std::ofstream(SchedulePath(), std::ios::binary) << text;
  }

  std::string ReadSchedule() const {
    std::ifstream in(SchedulePath(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // A "CI" element with the attributes the program writes.
  static std::string Call(const std::string& name, FILETIME time, int index = 1,
                          const std::string& ringtone = "/r.mp3", int vibrate = 1) {
    return "<CI Name=\"" + name + "\" PhoneNo=\"\" Ringtone=\"" + ringtone + "\" Vibrate=\"" +
           std::to_string(vibrate) + "\" Index=\"" + std::to_string(index) + "\" CallTimeHigh=\"" +
           std::to_string(time.dwHighDateTime) + "\" CallTimeLow=\"" +
           std::to_string(time.dwLowDateTime) + "\"/>";
  }

  std::filesystem::path directory_;
  SYSTEMTIME now_{};
  static inline int counter_ = 0;
};
