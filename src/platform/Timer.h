#pragma once
#include <cstdint>

// Application time in milliseconds since start-up (uint32, wraps).
// Compare two readings by signed difference.
uint32_t GetTimer();

// Replaces the time source (tests); the source's value is returned as the
// application time unchanged. Null restores the real clock.
void SetTimerSource(uint32_t (*source)());
