// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What the Evolution Data Server module (pelorin-evolution.so beside the program: libebook and
// its stack) gives the caller picker: the card texts of every enabled address book. It is
// opened when the picker first reads contacts, so that no other screen maps that stack.
#include <string>
#include <vector>

struct EvolutionReader {
  // A cancellation token for one reading, and its release.
  void* (*newCancellable)();
  void (*release)(void* cancellable);
  // Asks a reading to stop; it returns soon after.
  void (*cancel)(void* cancellable);
  // Blocks until read or cancelled: one list of vCard 3.0 texts per book, in the registry's
  // order; a book that cannot be opened or read gives an empty list.
  void (*readBooks)(void* cancellable, std::vector<std::vector<std::string>>* books);
};

inline constexpr char kEvolutionModule[] = "pelorin-evolution.so";
inline constexpr char kEvolutionEntry[] = "PelorinEvolutionReader";
