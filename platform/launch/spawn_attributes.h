// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// How every child of the timed launch starts: with each signal at its default and none
// blocked, whatever the starting process ignores or blocks. A waiter that inherited an ignored
// SIGTERM could never be replaced.
#include <spawn.h>

// Initialises `attributes` for posix_spawn; false when they could not be made (nothing to
// destroy then). `newSession` starts the child in a session of its own, away from the caller's
// terminal and process group. `blockTermination` starts it with SIGTERM blocked, for a child
// that unblocks it itself.
bool PrepareSpawnAttributes(posix_spawnattr_t* attributes, bool newSession, bool blockTermination);
