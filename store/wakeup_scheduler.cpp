#include "wakeup_scheduler.h"
