#pragma once
#include "schedule_store.h"

// Purges every call not later than ten seconds from now and arms the timed launch of this
// executable for the earliest call left. Shows nothing and reports nothing.
void WakeupScheduler(ScheduleStore& store);
