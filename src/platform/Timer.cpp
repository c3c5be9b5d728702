#include "platform/Timer.h"

#include "os/system/Time.h"

#include <atomic>

namespace {

std::atomic<uint32_t (*)()> gSource{nullptr};

uint32_t StartTime()
{
    static const uint32_t start = OsTimeMs();
    return start;
}

// Pins the start time at program start rather than at the first reading.
[[maybe_unused]] const uint32_t gPinStart = StartTime();

} // namespace

uint32_t GetTimer()
{
    if (uint32_t (*source)() = gSource.load(std::memory_order_acquire))
        return source();
    return OsTimeMs() - StartTime();
}

void SetTimerSource(uint32_t (*source)())
{
    gSource.store(source, std::memory_order_release);
}
