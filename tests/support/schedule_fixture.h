// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A program directory of its own for each test: a temporary folder that stands where the
// executable lives, with the schedule file the test writes, and a clock the test sets.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <utility>

#include "platform/system/clock.h"
#include "platform/system/module_path.h"
#include "platform/system/text.h"
#include "tests/support/scratch_directory.h"

class ScheduleFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = test_support::MakeScratchDirectory("test");
    SetModuleFileNameForTesting(FromUtf8((directory_ / "pelorin").string()));
    // Where a schedule file would be made when none is beside the program: never the home of
    // the person running the tests.
    setenv("XDG_DATA_HOME", (directory_ / "data").c_str(), 1);
    SetNow({2026, 12, 0, 7, 12, 0, 0, 0});
  }

  void TearDown() override {
    SetLocalTimeSource({});
    SetModuleFileNameForTesting({});
    unsetenv("XDG_DATA_HOME");
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
    return Uint64ToFileTime(FileTimeToUint64(now) +
                            static_cast<unsigned long long>(seconds * 10'000'000));
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

  // Runs work in a child process for which the test's directory is read-only, as a program
  // directory owned by root is for the person running Pelorin: the directory loses its write
  // permission, and the child of a test run as root becomes "nobody", whom permissions bind.
  // Gives what work returned and what the child wrote on stderr.
  std::pair<std::string, std::string> InReadOnlyDirectory(
      const std::function<std::string()>& work) {
    namespace fs = std::filesystem;
    const fs::perms readable =
        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    fs::permissions(SchedulePath(), readable, fs::perm_options::add);
    fs::permissions(directory_, readable | fs::perms::owner_exec | fs::perms::group_exec |
                                    fs::perms::others_exec);
    std::FILE* result = std::tmpfile();
    std::FILE* errors = std::tmpfile();
    const pid_t child = fork();
    if (child == 0) {
      if (geteuid() == 0 &&
          (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) {
        _exit(2);
      }
      dup2(fileno(errors), 2);
      const std::string text = work();
      std::fwrite(text.data(), 1, text.size(), result);
      std::fflush(result);
      _exit(0);
    }
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_EQ(status, 0) << "the read-only child failed";
    fs::permissions(directory_, fs::perms::owner_all);
    return {Contents(result), Contents(errors)};
  }

  // A "CI" element with the attributes the program writes.
  static std::string Call(const std::string& name, FILETIME time, int index = 1,
                          const std::string& ringtone = "/r.mp3", int vibrate = 1) {
    return "<CI Name=\"" + name + "\" PhoneNo=\"\" Ringtone=\"" + ringtone + "\" Vibrate=\"" +
           std::to_string(vibrate) + "\" Index=\"" + std::to_string(index) + "\" CallTimeHigh=\"" +
           std::to_string(time.dwHighDateTime) + "\" CallTimeLow=\"" +
           std::to_string(time.dwLowDateTime) + "\"/>";
  }

  static std::string Contents(std::FILE* file) {
    std::string text;
    std::rewind(file);
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
      text.append(buffer, n);
    }
    std::fclose(file);
    return text;
  }

  std::filesystem::path directory_;
  SYSTEMTIME now_{};
};
