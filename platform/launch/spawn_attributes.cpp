// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "spawn_attributes.h"

#include <signal.h>

bool PrepareSpawnAttributes(posix_spawnattr_t* attributes, bool newSession, bool blockTermination) {
  if (posix_spawnattr_init(attributes) != 0) {
    return false;
  }
  sigset_t blocked;
  sigset_t all;
  sigemptyset(&blocked);
  if (blockTermination) {
    sigaddset(&blocked, SIGTERM);
  }
  sigfillset(&all);
  short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
  if (newSession) {
    flags |= POSIX_SPAWN_SETSID;
  }
  posix_spawnattr_setsigmask(attributes, &blocked);
  posix_spawnattr_setsigdefault(attributes, &all);
  posix_spawnattr_setflags(attributes, flags);
  return true;
}
