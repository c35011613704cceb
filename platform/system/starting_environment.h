// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The environment as the person started the program, before it set variables for its own use
// (its desktop scaling, a session bus it refused to start). What the program arms or starts
// on the person's behalf, to run later, gets that environment, never the program's own
// settings passed off as the person's.
#include <optional>
#include <string>
#include <vector>

// Copies the present environment; called first thing by the program's entry.
void KeepStartingEnvironment();

// A variable as the program found it; the present one when no copy was kept (tests, other
// programs).
std::optional<std::string> StartingVariable(const std::string& name);

// The whole environment as the program found it, "NAME=value" each.
std::vector<std::string> StartingEnvironment();
