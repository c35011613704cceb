// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "command.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/system/starting_environment.h"
#include "spawn_attributes.h"

namespace {

constexpr std::size_t kMaximumErrorText = 4096;

std::string FirstLine(const std::string& text) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      end = text.size();
    }
    std::string line = text.substr(start, end - start);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
      line.pop_back();
    }
    if (!line.empty()) {
      return line;
    }
    start = end + 1;
  }
  return {};
}

void ReadAvailable(int descriptor, std::string* text) {
  char buffer[512];
  for (;;) {
    const ssize_t count = read(descriptor, buffer, sizeof buffer);
    if (count <= 0) {
      return;
    }
    if (text->size() < kMaximumErrorText) {
      text->append(buffer, static_cast<std::size_t>(count));
    }
  }
}

// Waits for the child while draining its stderr. The pipe is not waited on to its end: a
// program that leaves a daemon behind may hand the pipe on.
bool WaitForExit(pid_t child, int errorPipe, int timeoutMilliseconds, int* status,
                 std::string* errorText) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
  for (;;) {
    const pid_t done = waitpid(child, status, WNOHANG);
    if (done == child) {
      ReadAvailable(errorPipe, errorText);
      return true;
    }
    if (done < 0 && errno != EINTR) {
      return false;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(child, SIGKILL);
      while (waitpid(child, status, 0) < 0 && errno == EINTR) {
      }
      return false;
    }
    pollfd waiting{errorPipe, POLLIN, 0};
    if (poll(&waiting, 1, 20) > 0 && (waiting.revents & POLLIN)) {
      ReadAvailable(errorPipe, errorText);
    }
  }
}

}  // namespace

CommandResult RunCommand(const std::vector<std::string>& arguments, int timeoutMilliseconds,
                         bool newSession, bool blockTermination) {
  CommandResult result;
  if (arguments.empty()) {
    return result;
  }
  int errorPipe[2];
  if (pipe2(errorPipe, O_CLOEXEC) != 0) {
    result.errorLine = std::strerror(errno);
    return result;
  }
  // Only our end is non-blocking; the child's stderr stays an ordinary blocking pipe.
  fcntl(errorPipe[0], F_SETFL, fcntl(errorPipe[0], F_GETFL) | O_NONBLOCK);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, errorPipe[1], 2);
  posix_spawnattr_t attributes;
  PrepareSpawnAttributes(&attributes, newSession, blockTermination);

  std::vector<char*> argv;
  for (const std::string& argument : arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);
  // What runs later on the person's behalf gets the person's environment.
  std::vector<std::string> variables = StartingEnvironment();
  std::vector<char*> envp;
  for (std::string& variable : variables) {
    envp.push_back(variable.data());
  }
  envp.push_back(nullptr);

  pid_t child = 0;
  const int spawnError =
      posix_spawnp(&child, argv[0], &actions, &attributes, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(errorPipe[1]);
  if (spawnError != 0) {
    close(errorPipe[0]);
    result.errorLine = std::strerror(spawnError);
    return result;
  }
  result.started = true;

  int status = 0;
  std::string errorText;
  result.finished = WaitForExit(child, errorPipe[0], timeoutMilliseconds, &status, &errorText);
  close(errorPipe[0]);
  if (result.finished) {
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  result.errorLine = FirstLine(errorText);
  return result;
}

bool Succeeded(const CommandResult& result) {
  return result.finished && result.exitCode == 0;
}

std::string DescribeFailure(const std::vector<std::string>& arguments,
                            const CommandResult& result) {
  std::string command;
  for (const std::string& argument : arguments) {
    command += command.empty() ? "" : " ";
    command += argument;
  }
  std::string text;
  if (!result.started) {
    text = "cannot start " + command;
  } else if (!result.finished) {
    text = command + " did not answer in time";
  } else if (result.exitCode < 0) {
    text = command + " was killed";
  } else {
    text = command + " failed (exit code " + std::to_string(result.exitCode) + ")";
  }
  if (!result.errorLine.empty()) {
    text += ": " + result.errorLine;
  }
  return text;
}
