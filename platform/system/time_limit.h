// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Waiting on another process (a phone service over D-Bus) for a bounded time.
#include <chrono>
#include <functional>

// Runs `work` on a thread of its own and waits at most `limit` for it to return; true when it
// did. Otherwise `cancel` is called to ask the work to stop and false comes back at once: the
// thread ends by itself whenever the work returns, so the work must own (capture by value)
// everything it touches, and its results are not to be read.
bool RunWithin(std::chrono::milliseconds limit, std::function<void()> work,
               const std::function<void()>& cancel);
