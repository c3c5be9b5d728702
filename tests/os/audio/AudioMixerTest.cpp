// The mixer on voices of known samples: gain, channels, rate conversion,
// clamping and how voices move on, stop and wrap.
#include <cmath>
#include <numbers>

#include "AudioTestSupport.h"

TEST(AudioMixer, GainFromCentibels)
{
    static const struct {
        int32_t centibels;
        float gain;
    } cases[] = {
        {0, 1.0f},          {-2000, 0.1f},   {-600, 0.501187f}, {-1, 0.998849f},
        {-6000, 0.001f},    {-9999, 1.0012e-5f},
        {-10000, 0.0f}, // the minimum is silence, not 10^-5
        {-10001, 0.0f},     {-50000, 0.0f},  {1, 1.0f},        {5000, 1.0f},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(AudioMixer::GainFromCentibels(c.centibels), c.gain, c.gain * 1e-4f) << c.centibels;
    EXPECT_EQ(AudioMixer::GainFromCentibels(kAudioVolumeMin), 0.0f);
}

TEST(AudioMixer, VolumeScalesSamples)
{
    static const struct {
        int32_t centibels;
        int16_t out; // of a 10,000 sample
    } cases[] = {{0, 10000}, {-2000, 1000}, {-600, 5012}, {-4000, 100}, {-9999, 0}, {-10000, 0}};
    for (const auto& c : cases) {
        AudioVoice v = MakeVoice(44100, 1, std::vector<int16_t>(8, 10000));
        v.centibels = c.centibels;
        v.gain = AudioMixer::GainFromCentibels(c.centibels);
        auto out = MixVoices({&v}, 4);
        EXPECT_EQ(out[0], c.out) << c.centibels;
        EXPECT_EQ(out[7], c.out) << c.centibels;
        // A silent voice still moves on.
        EXPECT_EQ(v.frame, 4u) << c.centibels;
    }
}

TEST(AudioMixer, ChannelsAndSilence)
{
    AudioVoice mono = MakeVoice(44100, 1, {100, -200, 300, 32767});
    EXPECT_EQ(MixVoices({&mono}, 4), (std::vector<int16_t>{100, 100, -200, -200, 300, 300, 32767, 32767}));

    AudioVoice stereo = MakeVoice(44100, 2, {1, -1, 2, -2});
    EXPECT_EQ(MixVoices({&stereo}, 2), (std::vector<int16_t>{1, -1, 2, -2}));

    // Stopped voices, and no voices, leave silence.
    AudioVoice stopped = MakeVoice(44100, 2, {5, 5, 5, 5});
    stopped.playing = false;
    EXPECT_EQ(MixVoices({&stopped}, 2), std::vector<int16_t>(4, 0));
    EXPECT_EQ(stopped.frame, 0u);
    EXPECT_EQ(MixVoices({}, 3), std::vector<int16_t>(6, 0));
}

TEST(AudioMixer, SumsAreClamped)
{
    static const struct {
        int16_t a, b;
        int16_t out;
    } cases[] = {
        {30000, 30000, 32767}, {-30000, -30000, -32768}, {32767, -32768, -1},
        {20000, 12767, 32767}, {-20000, -12768, -32768}, {20000, -30000, -10000},
    };
    for (const auto& c : cases) {
        AudioVoice a = MakeVoice(44100, 1, {c.a, c.a});
        AudioVoice b = MakeVoice(44100, 2, {c.b, c.b, c.b, c.b});
        auto out = MixVoices({&a, &b}, 2);
        EXPECT_EQ(out, std::vector<int16_t>(4, c.out)) << c.a << " + " << c.b;
    }
}

TEST(AudioMixer, UpsamplesARampExactly)
{
    // A ramp at 22,050 Hz comes out at 44,100 Hz with the midpoints between.
    std::vector<int16_t> ramp;
    for (int i = 0; i < 100; ++i)
        ramp.push_back(int16_t(i * 100));
    AudioVoice v = MakeVoice(22050, 1, ramp, true);
    auto out = MixVoices({&v}, 150);
    for (int i = 0; i < 150; ++i)
        ASSERT_EQ(out[2 * i], i * 50) << i;
    EXPECT_EQ(v.frame, 75u);
    EXPECT_EQ(v.phase, 0u);
    // Source bytes taken for this chunk: 75 mono frames.
    EXPECT_EQ(v.leadBytes, 150u);
}

TEST(AudioMixer, ResamplesASineWithinTolerance)
{
    static const uint32_t rates[] = {22050, 11025, 32000, 48000, 96000};
    constexpr double kHz = 440.0, kAmp = 16000.0;
    for (uint32_t rate : rates) {
        std::vector<int16_t> sine(rate); // one second
        for (uint32_t i = 0; i < rate; ++i)
            sine[i] = int16_t(std::lround(kAmp * std::sin(2 * std::numbers::pi * kHz * i / rate)));
        AudioVoice v = MakeVoice(rate, 1, sine);
        auto out = MixVoices({&v}, 4000);
        // Linear interpolation errs by at most A (2 pi f / rate)^2 / 8, plus
        // the rounding of source and output.
        const double step = 2 * std::numbers::pi * kHz / rate;
        const double bound = kAmp * step * step / 8 + 2;
        double worst = 0;
        for (int i = 0; i < 4000; ++i)
            worst = std::max(worst, std::abs(out[2 * i] - kAmp * std::sin(2 * std::numbers::pi * kHz * i / 44100)));
        EXPECT_LT(worst, bound) << rate;
        // Exactly the source frames that 4,000 output frames span.
        EXPECT_EQ(v.frame, uint32_t(uint64_t(4000) * rate / 44100)) << rate;
    }
}

TEST(AudioMixer, SplitMixesMatchOneMix)
{
    // The fractional position carries over between calls: no drift, no click.
    static const uint32_t rates[] = {22050, 44100, 48000, 11025, 7999};
    static const uint32_t pieces[] = {1, 7, 13, 256, 1000, 3, 2720};
    for (uint32_t rate : rates) {
        std::vector<int16_t> src(2 * 997);
        for (size_t i = 0; i < src.size(); ++i)
            src[i] = int16_t((i * 7919) % 20000 - 10000);
        AudioVoice whole = MakeVoice(rate, 2, src, true);
        AudioVoice split = MakeVoice(rate, 2, src, true);
        uint32_t total = 0;
        for (uint32_t n : pieces)
            total += n;
        auto expected = MixVoices({&whole}, total);

        AudioMixer mixer;
        mixer.Add(&split);
        std::vector<int16_t> got;
        for (uint32_t n : pieces) {
            std::vector<int16_t> out(size_t(n) * 2);
            mixer.Mix(out.data(), n);
            got.insert(got.end(), out.begin(), out.end());
        }
        EXPECT_EQ(got, expected) << rate;
        EXPECT_EQ(split.frame, whole.frame) << rate;
        EXPECT_EQ(split.phase, whole.phase) << rate;
    }
}

TEST(AudioMixer, DownsamplingConsumesExactFrames)
{
    // 44,100 output frames of a 48 kHz loop take exactly 48,000 source frames.
    AudioVoice v = MakeVoice(48000, 2, std::vector<int16_t>(2 * 1000, 0), true);
    MixVoices({&v}, 44100);
    EXPECT_EQ(v.frame, 48000u % 1000u);
    EXPECT_EQ(v.phase, 0u);
}

TEST(AudioMixer, OneShotStopsAtItsEnd)
{
    std::vector<int16_t> src{1000, 2000, 3000, 4000};
    AudioVoice v = MakeVoice(44100, 1, src);
    auto out = MixVoices({&v}, 6);
    EXPECT_EQ(out, (std::vector<int16_t>{1000, 1000, 2000, 2000, 3000, 3000, 4000, 4000, 0, 0, 0, 0}));
    EXPECT_FALSE(v.playing);
    EXPECT_EQ(v.frame, 0u);
    EXPECT_EQ(v.PlayCursor(), 0u);
    EXPECT_EQ(v.WriteCursor(), 0u);

    // Upsampled, the last frame fades towards silence instead of the start.
    AudioVoice half = MakeVoice(22050, 1, src);
    out = MixVoices({&half}, 10);
    std::vector<int16_t> left;
    for (int i = 0; i < 10; ++i)
        left.push_back(out[2 * i]);
    EXPECT_EQ(left, (std::vector<int16_t>{1000, 1500, 2000, 2500, 3000, 3500, 4000, 2000, 0, 0}));
    EXPECT_FALSE(half.playing);
}

TEST(AudioMixer, LoopingWrapsWithoutAGap)
{
    std::vector<int16_t> src{0, 100, 200, 300};
    AudioVoice v = MakeVoice(44100, 1, src, true);
    auto out = MixVoices({&v}, 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(out[2 * i], src[i % 4]) << i;
    EXPECT_TRUE(v.playing);
    EXPECT_EQ(v.frame, 2u);

    // Between the last frame and the first, interpolation reads the start.
    AudioVoice slow = MakeVoice(22050, 1, src, true);
    out = MixVoices({&slow}, 10);
    std::vector<int16_t> left;
    for (int i = 0; i < 10; ++i)
        left.push_back(out[2 * i]);
    EXPECT_EQ(left, (std::vector<int16_t>{0, 50, 100, 150, 200, 250, 300, 150, 0, 50}));
}

TEST(AudioMixer, PlayCursorTrailsByTheChunkTaken)
{
    AudioVoice v = MakeVoice(44100, 2, std::vector<int16_t>(2 * 100, 0), true);
    AudioMixer mixer;
    mixer.Add(&v);
    std::vector<int16_t> out(2 * 64);
    mixer.Mix(out.data(), 30);
    EXPECT_EQ(v.WriteCursor(), 120u);
    EXPECT_EQ(v.PlayCursor(), 0u);
    mixer.Mix(out.data(), 64); // wraps: frames 30..93
    EXPECT_EQ(v.WriteCursor(), 376u);
    EXPECT_EQ(v.PlayCursor(), 120u);
    mixer.Mix(out.data(), 10); // frames 94..103 -> 4
    EXPECT_EQ(v.WriteCursor(), 16u);
    EXPECT_EQ(v.PlayCursor(), 376u);
    // A removed voice is no longer mixed.
    mixer.Remove(&v);
    mixer.Mix(out.data(), 10);
    EXPECT_EQ(v.WriteCursor(), 16u);
}
