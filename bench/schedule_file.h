// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The schedule file the benchmarks measure against: `calls` calls far in the future, so that a
// wake-up's purge keeps them all.
#include <filesystem>
#include <fstream>

inline void WriteFarFutureSchedule(const std::filesystem::path& directory, int calls) {
  std::filesystem::create_directories(directory);
  std::ofstream file(directory / "pelorin.xml");
  file << "<?xml version=\"1.0\"?>\n<CallInfo>\n";
  for (int i = 0; i < calls; ++i) {
    file << "  <CI Name=\"Caller " << i << "\" PhoneNo=\"\" Ringtone=\"/home/user/ring.mp3\" "
         << "Vibrate=\"1\" Index=\"" << i + 1 << "\" CallTimeHigh=\"40000000\" CallTimeLow=\"" << i
         << "\"/>\n";
  }
  file << "</CallInfo>\n";
}
