// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <string>

// Full path of the running executable, links resolved; empty when it cannot be read.
std::u16string GetModuleFileNameW();

// The executable's directory with its final separator ("/opt/pelorin/"); a path without a
// separator gives the empty text.
std::u16string GetApplicationDirectory();

// Tests point the program at a directory of their own; an empty text restores the real path.
void SetModuleFileNameForTesting(std::u16string path);
