#pragma once
#include <memory>

#include "platform/sim/sim_manager.h"

// The SIM card of the machine's modem; empty, with SIM_E_NOSIM or SIM_E_NOBACKEND in
// *failure, when it cannot be reached.
std::unique_ptr<SimCard> OpenModemSimCard(int* failure);
