// Interpolators: channel values over time for both curves, the end held
// after the duration, and a duration of zero.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "game/stage/anim/Interpolate.h"
#include "platform/Timer.h"

namespace {

uint32_t gNow = 0;
uint32_t FakeTime()
{
    return gNow;
}

class InterpolateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gNow = 70000;
        SetTimerSource(FakeTime);
    }
    void TearDown() override { SetTimerSource(nullptr); }
};

enum class Curve { Linear, Cubic };

std::unique_ptr<KUtil::KInterpolate> Make(Curve curve, uint16_t channels, uint32_t duration, const float* start,
                                          const float* end)
{
    if (curve == Curve::Linear)
        return std::make_unique<KUtil::KLinearInterpolate>(channels, duration, start, end);
    return std::make_unique<KUtil::KCubicInterpolate>(channels, duration, start, end);
}

TEST_F(InterpolateTest, ValuesOverTime)
{
    // Channels: a rise, a fall, a constant.
    const float start[3] = {0, 10, 5};
    const float end[3] = {8, -10, 5};
    const struct {
        Curve curve;
        uint32_t duration;
        uint32_t elapsed;
        std::vector<float> values;
        bool done;
    } cases[] = {
        {Curve::Linear, 1000, 0, {0, 10, 5}, false},
        {Curve::Linear, 1000, 500, {4, 0, 5}, false},
        {Curve::Linear, 1000, 250, {2, 5, 5}, false},
        {Curve::Linear, 1000, 999, {7.992f, -9.98f, 5}, false},
        {Curve::Linear, 1000, 1000, {8, -10, 5}, true},
        {Curve::Linear, 1000, 60000, {8, -10, 5}, true},
        {Curve::Cubic, 1000, 0, {0, 10, 5}, false},
        {Curve::Cubic, 1000, 250, {8 * 0.15625f, 10 - 20 * 0.15625f, 5}, false},
        {Curve::Cubic, 1000, 500, {4, 0, 5}, false},
        {Curve::Cubic, 1000, 750, {8 * 0.84375f, 10 - 20 * 0.84375f, 5}, false},
        {Curve::Cubic, 1000, 1000, {8, -10, 5}, true},
        {Curve::Cubic, 1000, 5000, {8, -10, 5}, true},
        // No duration: done at once, at the end values (never 0 / 0).
        {Curve::Linear, 0, 0, {8, -10, 5}, true},
        {Curve::Cubic, 0, 0, {8, -10, 5}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << (c.curve == Curve::Linear ? "linear" : "cubic") << " "
                                          << c.elapsed << "/" << c.duration);
        const uint32_t made = gNow;
        auto interp = Make(c.curve, 3, c.duration, start, end);
        gNow = made + c.elapsed;
        float out[3] = {NAN, NAN, NAN};
        EXPECT_EQ(interp->Evaluate(out), out);
        for (size_t i = 0; i < 3; ++i)
            EXPECT_NEAR(out[i], c.values[i], 1e-5f) << "channel " << i;
        EXPECT_EQ(interp->IsDone(), c.done);
    }
}

TEST_F(InterpolateTest, ValuesAreCopiedAndTheClockRunsFromConstruction)
{
    std::vector<float> start{1, 2}, end{3, 6};
    KUtil::KLinearInterpolate interp(2, 400, start.data(), end.data());
    start.assign(2, 100);
    end.assign(2, 100);
    gNow += 100;
    float out[2];
    interp.Evaluate(out);
    EXPECT_FLOAT_EQ(out[0], 1.5f);
    EXPECT_FLOAT_EQ(out[1], 3.0f);
    gNow += 300;
    EXPECT_TRUE(interp.IsDone());
    EXPECT_EQ(interp.Value(7, 0.5f), 0.0f) << "a channel out of range reads 0";
    EXPECT_EQ(interp.GetChannels(), 2);
}

} // namespace
