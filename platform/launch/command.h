// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Runs a helper program (the waiter) without a shell: every argument is passed as
// an argument. Its standard input and output are /dev/null; what it writes on stderr is kept
// so that a failure can be reported in one line. It gets the environment the program was
// started with.
#include <string>
#include <vector>

struct CommandResult {
  bool started = false;   // the program could be started
  bool finished = false;  // it ended by itself within the time allowed
  int exitCode = -1;      // its exit code once finished; -1 when it died of a signal
  std::string errorLine;  // the first non-empty line it wrote on stderr
};

// A program without a slash is looked up on PATH. A command still running after
// `timeoutMilliseconds` is killed. `newSession` starts it in a session of its own, away from
// the caller's terminal and process group. `blockTermination` starts it with SIGTERM blocked
// from its first instruction (the timeout's SIGKILL still ends it).
CommandResult RunCommand(const std::vector<std::string>& arguments, int timeoutMilliseconds,
                         bool newSession, bool blockTermination = false);

bool Succeeded(const CommandResult& result);

// "systemctl --user daemon-reload failed: <its first error line>", for a one-line report.
std::string DescribeFailure(const std::vector<std::string>& arguments, const CommandResult& result);
