// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A directory of its own for each test, made empty in the system's temporary folder.
#include <unistd.h>

#include <filesystem>
#include <string>

namespace test_support {

// "<temporary folder>/pelorin-<kind>-<process>-<serial>", created empty: whatever a killed
// earlier run left under that name is removed first.
inline std::filesystem::path MakeScratchDirectory(const std::string& kind) {
  static int serial = 0;
  const std::filesystem::path directory =
      std::filesystem::temp_directory_path() /
      ("pelorin-" + kind + "-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
  std::filesystem::remove_all(directory);
  std::filesystem::create_directories(directory);
  return directory;
}

}  // namespace test_support
