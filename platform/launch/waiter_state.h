#pragma once
// The waiters' state: per executable, a small file that names the process id of the one
// waiter allowed to fire. Every change and every firing happens under an exclusive lock on
// that file, so a waiter that was replaced can never fire, even if it wakes at that moment.
#include <sys/types.h>

#include <string>

// $XDG_RUNTIME_DIR/pelorin/pelorin-<hash>.pid, else /tmp/pelorin-<uid>/pelorin-<hash>.pid.
// Creates the directory (mode 0700) and refuses one that another user could change. Empty
// with `failure` set when there is no safe place.
std::string StateFilePath(const std::string& executable, std::string* failure);

// Opens the state file and waits for its lock; the lock ends when the descriptor is closed
// (also by exec, the descriptor being close-on-exec). -1 when it cannot be opened.
int OpenLockedState(const std::string& path, bool create);

// The waiter the file names, 0 when none.
pid_t ReadPendingWaiter(int descriptor);
// Names `waiter` in the file (0 clears it).
bool WritePendingWaiter(int descriptor, pid_t waiter);

// True when `process` is a pelorin-waiter of this user that waits to start `executable`:
// a pid in the file may since have been reused by any other program.
bool IsWaiterFor(pid_t process, const std::string& executable);
