// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What the oFono module (pelorin-ofono.so beside the program: GIO) gives the SIM card: the
// phone book of the first modem that offers one, read over the system bus. It is opened when
// the caller picker first asks for the SIM, so that no other screen maps GIO.
#include <string>

struct OfonoReader {
  // A cancellation token for finding the modems, and its release.
  void* (*newCancellable)();
  void (*release)(void* cancellable);
  void (*cancel)(void* cancellable);
  // What finding gives: a connection of its own to the system bus and the modems offering a
  // phone book; empty (not connected) without a bus or without oFono on it.
  void* (*newModems)();
  void (*releaseModems)(void* modems);
  // Blocks until found, cancelled, or oFono's limit of `limitMilliseconds` passed.
  void (*findModems)(void* cancellable, int limitMilliseconds, void* modems);
  bool (*connected)(const void* modems);
  // The phone book as vCard text, one card per entry; false when no modem gives it.
  bool (*importPhonebook)(const void* modems, std::string* cards);
};

inline constexpr char kOfonoModule[] = "pelorin-ofono.so";
inline constexpr char kOfonoEntry[] = "PelorinOfonoReader";
