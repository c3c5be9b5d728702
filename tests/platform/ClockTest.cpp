#include "platform/Clock.h"
#include "platform/Timer.h"

#include <gtest/gtest.h>

namespace {

uint32_t gNow = 0;
uint32_t FakeNow()
{
    return gNow;
}

class ClockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gNow = 0;
        SetTimerSource(FakeNow);
    }
    void TearDown() override { SetTimerSource(nullptr); }
};

} // namespace

TEST_F(ClockTest, NewClockIsPausedAtZero)
{
    gNow = 5000;
    TClock clock;
    EXPECT_TRUE(clock.IsPaused());
    EXPECT_EQ(clock.GetTime(), 0u);
    gNow = 9000;
    EXPECT_EQ(clock.GetTime(), 0u);
}

TEST_F(ClockTest, PauseAndRestartSkipThePausedTime)
{
    TClock clock;
    gNow = 1000;
    clock.Start();
    gNow = 1250;
    EXPECT_EQ(clock.GetTime(), 250u);
    gNow = 1500;
    EXPECT_FALSE(clock.Pause());
    gNow = 3000;
    EXPECT_EQ(clock.GetTime(), 500u);
    clock.Start();
    EXPECT_EQ(clock.GetTime(), 500u);
    gNow = 3200;
    EXPECT_EQ(clock.GetTime(), 700u);
    // A second pause period adds up.
    clock.Pause();
    gNow = 10000;
    clock.Start();
    gNow = 10100;
    EXPECT_EQ(clock.GetTime(), 800u);
}

TEST_F(ClockTest, ResetThenStartRunsFromZero)
{
    TClock clock;
    gNow = 100;
    clock.Start();
    gNow = 600;
    clock.Reset();
    EXPECT_TRUE(clock.IsPaused());
    EXPECT_EQ(clock.GetTime(), 0u);
    gNow = 2000;
    EXPECT_EQ(clock.GetTime(), 0u);
    clock.Start();
    EXPECT_EQ(clock.GetTime(), 0u);
    gNow = 2300;
    EXPECT_EQ(clock.GetTime(), 300u);
}

TEST_F(ClockTest, DoublePauseKeepsTheFirstFrozenValue)
{
    TClock clock;
    gNow = 0;
    clock.Start();
    gNow = 400;
    EXPECT_FALSE(clock.Pause());
    gNow = 900;
    EXPECT_TRUE(clock.Pause());
    EXPECT_EQ(clock.GetTime(), 400u);
    clock.Start();
    gNow = 1000;
    EXPECT_EQ(clock.GetTime(), 500u);
}

TEST_F(ClockTest, StartWhileRunningChangesNothing)
{
    TClock clock;
    gNow = 50;
    clock.Start();
    gNow = 150;
    clock.Start();
    gNow = 250;
    EXPECT_EQ(clock.GetTime(), 200u);
}

TEST_F(ClockTest, SetTimeKeepsThePausedState)
{
    TClock clock;
    gNow = 100;
    clock.SetTime(5000);
    EXPECT_TRUE(clock.IsPaused());
    EXPECT_EQ(clock.GetTime(), 5000u);
    clock.Start(); // first start sets 0
    gNow = 150;
    EXPECT_EQ(clock.GetTime(), 50u);
    clock.SetTime(7000);
    gNow = 400;
    EXPECT_EQ(clock.GetTime(), 7250u);
}

TEST_F(ClockTest, SurvivesTimerWrapAround)
{
    TClock clock;
    gNow = 0xFFFFFF00u;
    clock.Start();
    gNow = 0x100u; // 512 ms later, past the wrap
    EXPECT_EQ(clock.GetTime(), 512u);
}

TEST(Timer, SourceInjectionAndRealClock)
{
    SetTimerSource(FakeNow);
    gNow = 1234;
    EXPECT_EQ(GetTimer(), 1234u);
    SetTimerSource(nullptr);
    uint32_t a = GetTimer();
    uint32_t b = GetTimer();
    EXPECT_GE(int32_t(b - a), 0);
    EXPECT_LT(a, 60u * 60 * 1000); // counted from program start, not from boot
}
