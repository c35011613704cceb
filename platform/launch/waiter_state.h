// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The waiters' state: per executable, a small file that names the process id of the one
// waiter allowed to fire. Every change and every firing happens under an exclusive lock on
// that file, so a waiter that was replaced can never fire, even if it wakes at that moment.
#include <sys/types.h>

#include <string>

// Where the state files of this user live. Taken from the user id alone, never from the
// environment: two Pelorins of one user started with different variables must find the same
// file, or each would keep a launch of its own.
struct StatePlaces {
  std::string runtimeRoot = "/run/user";  // the login manager's per-user directories
  std::string temporaryRoot = "/tmp";
};

// <runtime root>/<uid>/pelorin when that directory is this user's own, else
// <temporary root>/pelorin-<uid>. Creates the directory (mode 0700) and refuses one that
// another user could change. Empty with `failure` set when there is no safe place.
std::string StateDirectoryPath(std::string* failure, const StatePlaces& places = {});

// The state directory's /pelorin-<hash>.pid for `executable`; empty as above.
std::string StateFilePath(const std::string& executable, std::string* failure,
                          const StatePlaces& places = {});

// Opens the state file and waits for its lock; the lock ends when the descriptor is closed
// (also by exec, the descriptor being close-on-exec). -1 when it cannot be opened, or, without
// `create`, when there is no file.
int OpenLockedState(const std::string& path, bool create);

// The waiter the file names, 0 when none.
pid_t ReadPendingWaiter(int descriptor);
// Names `waiter` in the file (0 clears it).
bool WritePendingWaiter(int descriptor, pid_t waiter);

// True when `process` is a pelorin-waiter of this user that waits to start `executable`:
// a pid in the file may since have been reused by any other program.
bool IsWaiterFor(pid_t process, const std::string& executable);

// Ends every waiter of this user for `executable` but `keep`, wherever its state was kept:
// an older build kept it under $XDG_RUNTIME_DIR, so the file may not know it.
void EndOtherWaiters(const std::string& executable, pid_t keep);

// Clears the file and ends every waiter for `executable` (the launch moved to systemd).
void CancelWaiters(const std::string& executable);
