// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The screen platform of a test program: started once, by the first test that needs screens.
#include <string>

#include "platform/ui/application.h"

namespace test_support {

// Starts the screens as program `program` would; the first call names the program, later
// calls find the platform started. False, with the reason, when there is no display.
inline bool StartTestScreens(const char* program, std::string* why) {
  // The platform keeps pointing at the arguments for the life of the process.
  static std::string name = program;
  static int argc = 1;
  static char* argv[] = {name.data(), nullptr};
  return StartScreenPlatform(argc, argv, why);
}

}  // namespace test_support
