// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Where the schedule file lives. Beside the program when the program's directory holds one (a
// build tree, a per-user install); otherwise in the person's own data directory
// ($XDG_DATA_HOME/pelorin/pelorin.xml), so that a program installed for every user writes
// nothing where it is installed and each user keeps their own calls.
#include <string>

struct ScheduleLocation {
  std::string path;
  // The installed schedule file the person's own one starts as; empty beside the program.
  std::string defaultPath;
};

ScheduleLocation FindScheduleFile();

// Makes the person's schedule file from the installed default when it is missing (its
// directories private to the person). True when there is a file at location.path afterwards;
// failure then says nothing. False with the reason otherwise.
bool ProvideScheduleFile(const ScheduleLocation& location, std::string* failure);
