// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <cstdint>

// Blocks the calling thread for the given number of milliseconds.
void Sleep(std::uint32_t milliseconds);
