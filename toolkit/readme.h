// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Where a person finds the README: named by --help and on the about screen.
#include <string>

// The README as installed beside the program's prefix; a program run from its build tree
// points at the source tree's copy instead.
std::string ReadmePath();
