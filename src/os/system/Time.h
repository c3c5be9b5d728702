#pragma once
#include <cstdint>

// Monotonic millisecond clock in the manner of timeGetTime: uint32, wraps
// after about 49.7 days. Compare two readings by signed difference.
uint32_t OsTimeMs();

// Sleeps the calling thread; a negative or zero duration returns at once.
void OsSleepMs(int32_t ms);
