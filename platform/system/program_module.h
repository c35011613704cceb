// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The program's own modules: shared objects installed beside its executable, opened when a
// screen first needs what they hold, so that a start maps only the libraries it uses.
#include <cstdio>
#include <string>

// The address of `entry` in module `fileName` beside the running executable (the file itself,
// not a directory tests point the program at); nullptr, with the reason in *why, when the
// module is missing or cannot be loaded. A module, once opened, stays for the process's life.
void* ProgramModuleEntry(const char* fileName, const char* entry, std::string* why);

// What entry `entry` of module `fileName` (a function taking nothing) gives; nullptr when the
// module cannot be had, said on stderr as "pelorin: <without>: <reason>". Asked once, kept.
template <typename Given>
const Given* OpenProgramModule(const char* fileName, const char* entry, const char* without) {
  std::string why;
  void* found = ProgramModuleEntry(fileName, entry, &why);
  if (found == nullptr) {
    std::fprintf(stderr, "pelorin: %s: %s\n", without, why.c_str());
    return nullptr;
  }
  return reinterpret_cast<const Given* (*)()>(found)();
}
