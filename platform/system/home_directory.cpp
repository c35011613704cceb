// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "home_directory.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

std::string HomeDirectory() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') {
    return home;
  }
  const passwd* user = getpwuid(getuid());
  if (user != nullptr && user->pw_dir != nullptr && user->pw_dir[0] == '/') {
    return user->pw_dir;
  }
  return {};
}

std::string DataHomeDirectory() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data != nullptr && data[0] == '/') {
    return data;
  }
  const std::string home = HomeDirectory();
  return home.empty() ? home : home + "/.local/share";
}
