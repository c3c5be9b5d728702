#include "os/system/Time.h"

#include <time.h>

uint32_t OsTimeMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    uint64_t ms = uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u;
    return uint32_t(ms);
}

void OsSleepMs(int32_t ms)
{
    if (ms <= 0)
        return;
    timespec ts{ms / 1000, long(ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0) {
    }
}
