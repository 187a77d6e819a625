#pragma once
#include "app/core/schedule.h"

// The current local wall-clock time in whole seconds.
ClockReading ReadLocalClock();
