#include "schedule_store.h"
