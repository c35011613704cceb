// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The timed launch without a service manager: Pelorin's own waiter process, one per
// executable, that sleeps until the local time and then starts `executable AppRunAtTime`.
#include <string>

#include "platform/system/phone_types.h"

// Starts `waiter` for the executable and time and returns once it has taken over from any
// earlier waiter for the same executable and gone to sleep in the background. On failure,
// `failure` says why in a few words.
bool ArmWaiter(const std::string& executable, const std::string& waiter, const SYSTEMTIME& time,
               std::string* failure);
