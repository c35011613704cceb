// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include <memory>

#include "platform/sim/sim_manager.h"

// The SIM card of the machine's modem, its phone book read through oFono on the system bus;
// empty, with SIM_E_NOSIM or SIM_E_NOBACKEND in *failure, when it cannot be reached: no system
// bus, no oFono on it, no modem with a phone book, or no answer in time.
std::unique_ptr<SimCard> OpenModemSimCard(int* failure);
