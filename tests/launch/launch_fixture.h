// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Scratch directories, environment changes and file reading shared by the timed-launch tests.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/system/phone_types.h"
#include "tests/support/local_time.h"
#include "tests/support/processes.h"
#include "tests/support/text_files.h"

namespace launch_test {

class TemporaryDirectory {
 public:
  TemporaryDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pelorin-launch-XXXXXX");
    path_ = mkdtemp(pattern.data());
  }
  ~TemporaryDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Sets (or with nullopt, removes) a variable for the life of the object.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = getenv(name)) {
      old_ = old;
    }
    Apply(value);
  }
  ~ScopedVariable() { Apply(old_); }

 private:
  void Apply(const std::optional<std::string>& value) {
    if (value) {
      setenv(name_.c_str(), value->c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }
  std::string name_;
  std::optional<std::string> old_;
};

using test_support::Lines;
using test_support::ReadFile;

inline void WriteExecutable(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

// The build directory, where pelorin-waiter is built beside the program.
inline std::string BuildDirectory() {
  const char* directory = getenv("PELORIN_BUILD_DIR");
  return directory ? directory : "";
}

using test_support::LocalCalendar;

// The live waiters that wait to start `program`, once those being replaced have gone.
inline int CountWaitersFor(const std::string& program) {
  const auto count = [&] {
    return test_support::Processes([&](const std::vector<std::string>& command) {
             return command.size() == 3 && command[0].ends_with("/pelorin-waiter") &&
                    command[1] == program;
           })
        .size();
  };
  // A waiter that was just ended may still be on its way out: wait until two looks 50 ms
  // apart agree and at most one is left.
  std::size_t seen = count();
  for (int tries = 0; tries < 40; ++tries) {
    usleep(50'000);
    const std::size_t now = count();
    if (now == seen && now <= 1) {
      break;
    }
    seen = now;
  }
  return static_cast<int>(seen);
}

}  // namespace launch_test
