#pragma once
// Scratch directories, environment changes and file reading shared by the timed-launch tests.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

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

}  // namespace launch_test
