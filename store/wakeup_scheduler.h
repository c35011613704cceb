// SPDX-FileCopyrightText: 2026 The Pelorin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include "schedule_store.h"

// Purges every call not later than ten seconds from now and arms the timed launch of this
// executable for the earliest call left. Shows nothing; a file that cannot be saved is said
// on stderr by the store, and then only a call still to come is armed.
void WakeupScheduler(ScheduleStore& store);
