#include "os/system/Time.h"

#include <gtest/gtest.h>

TEST(OsTime, MonotonicAndSleeps)
{
    uint32_t a = OsTimeMs();
    OsSleepMs(20);
    uint32_t b = OsTimeMs();
    EXPECT_GE(int32_t(b - a), 19);
    uint32_t c = OsTimeMs();
    OsSleepMs(-5);
    EXPECT_LT(int32_t(OsTimeMs() - c), 5);
}
