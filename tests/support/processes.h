// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Starting, finding and ending the processes a test runs beside itself.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/text_files.h"

extern char** environ;

namespace test_support {

// This process's variables, with `name` set to `value` in place of its own when a name is given.
inline std::vector<std::string> EnvironmentWith(const std::string& name = {},
                                                const std::string& value = {}) {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (name.empty() || std::string(*entry).rfind(name + "=", 0) != 0) {
      environment.push_back(*entry);
    }
  }
  if (!name.empty()) {
    environment.push_back(name + "=" + value);
  }
  return environment;
}

// Starts the command (the program found on PATH) with exactly these variables; what it prints
// is added to `output`, its errors to `errors` (the same file, or an empty path: this
// process's own). The process id, or -1.
inline int Spawn(std::vector<std::string> command, std::vector<std::string> environment,
                 const std::filesystem::path& output = {},
                 const std::filesystem::path& errors = {}) {
  std::vector<char*> argv;
  for (std::string& part : command) argv.push_back(part.data());
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& variable : environment) envp.push_back(variable.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  constexpr int kAppend = O_WRONLY | O_CREAT | O_APPEND;
  if (!output.empty()) {
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), kAppend, 0600);
  }
  if (!errors.empty() && errors == output) {
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
  } else if (!errors.empty()) {
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), kAppend, 0600);
  }
  pid_t process = 0;
  const int error = posix_spawnp(&process, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? process : -1;
}

// Ends a child of this process and waits for it to be gone.
inline void Stop(int process) {
  if (process > 0) {
    ::kill(process, SIGTERM);
    ::waitpid(process, nullptr, 0);
  }
}

// The running processes whose command line (the program, then its arguments) matches.
inline std::vector<int> Processes(
    const std::function<bool(const std::vector<std::string>&)>& matches) {
  std::vector<int> found;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ignored)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) {
      continue;
    }
    std::vector<std::string> words;
    const std::string text = ReadFile(entry.path() / "cmdline");
    for (std::size_t start = 0; start < text.size();) {
      const std::size_t end = text.find('\0', start);
      words.push_back(text.substr(start, end - start));
      start = end == std::string::npos ? text.size() : end + 1;
    }
    if (!words.empty() && matches(words)) {
      found.push_back(std::stoi(name));
    }
  }
  return found;
}

}  // namespace test_support
