// The sounds the build makes (tools/make-sounds), read back with vorbisfile:
// format, length, level, and loops that join without a jump.
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

struct SoundCase {
    const char* name;
    int channels;
    double minSeconds;
    double maxSeconds;
    bool loop;  // played over and over: its end runs into its start
};

const SoundCase kSounds[] = {
    {"sfx/ButtonPush.ogg", 1, 0.04, 0.09, false},
    {"sfx/rollover.ogg", 1, 0.02, 0.05, false},
    {"sfx/reveal_question.ogg", 1, 0.8, 1.2, false},
    {"sfx/flunk_out.ogg", 1, 1.7, 2.3, false},
    {"sfx/sfx_typing_01.ogg", 1, 0.05, 0.08, false},
    {"sfx/sfx_typing_02.ogg", 1, 0.05, 0.08, false},
    {"sfx/sfx_typing_03.ogg", 1, 0.05, 0.08, false},
    {"sfx/sfx_typing_04.ogg", 1, 0.05, 0.08, false},
    {"sfx/correct.ogg", 1, 1.0, 1.4, false},
    {"sfx/wrong.ogg", 1, 0.8, 1.2, false},
    {"sfx/lock_in.ogg", 1, 0.6, 1.0, false},
    {"sfx/audience/applause_light_10_sec.ogg", 2, 9.8, 10.2, false},
    {"sfx/audience/applause_medium_6_sec.ogg", 2, 5.8, 6.2, false},
    {"sfx/audience/applause_heavy_6_sec.ogg", 2, 5.8, 6.2, false},
    {"sfx/audience/applause_heavy_15_sec.ogg", 2, 14.8, 15.2, false},
    {"sfx/audience/applause_heavy_16_sec.ogg", 2, 15.8, 16.2, false},
    {"sfx/audience/applause_heavy_30_sec.ogg", 2, 29.8, 30.2, false},
    {"sfx/audience/awww_5_sec.ogg", 2, 4.8, 5.2, false},
    {"sfx/audience/coaxing_7_sec.ogg", 2, 6.8, 7.2, false},
    {"music/intro_18s.ogg", 2, 17.8, 18.2, false},
    {"music/question.ogg", 2, 15.0, 17.0, true},
    {"music/theme.ogg", 2, 19.0, 21.0, false},
    {"music/millionq.ogg", 2, 15.0, 17.0, true},
    {"music/coldopen_dv.ogg", 2, 9.5, 10.5, false},
    {"music/playdv.ogg", 2, 11.0, 13.0, true},
};

struct Decoded {
    int channels = 0;
    long rate = 0;
    double seconds = 0;
    std::vector<std::vector<float>> samples;  // one list per channel
};

// Opens and decodes a whole file; false with a message when it cannot.
bool Decode(const std::string& path, Decoded& out, std::string& error)
{
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0) {
        error = "cannot open " + path;
        return false;
    }
    const vorbis_info* info = ov_info(&file, -1);
    out.channels = info->channels;
    out.rate = info->rate;
    out.seconds = ov_time_total(&file, -1);
    out.samples.assign(static_cast<size_t>(out.channels), {});
    int section = 0;
    for (;;) {
        float** pcm = nullptr;
        const long n = ov_read_float(&file, &pcm, 4096, &section);
        if (n == 0)
            break;
        if (n < 0) {
            error = "decoding error " + std::to_string(n) + " in " + path;
            ov_clear(&file);
            return false;
        }
        for (int c = 0; c < out.channels; ++c)
            out.samples[static_cast<size_t>(c)].insert(out.samples[static_cast<size_t>(c)].end(),
                                                       pcm[c], pcm[c] + n);
    }
    ov_clear(&file);
    return true;
}

double Rms(const std::vector<float>& s, size_t from, size_t count)
{
    double sum = 0;
    for (size_t i = from; i < from + count; ++i)
        sum += static_cast<double>(s[i]) * s[i];
    return count ? std::sqrt(sum / static_cast<double>(count)) : 0.0;
}

TEST(SoundAssetsTest, EverySoundHasItsFormatLengthAndLevel)
{
    for (const SoundCase& c : kSounds) {
        SCOPED_TRACE(c.name);
        Decoded d;
        std::string error;
        ASSERT_TRUE(Decode(std::string(QUILLORY_ASSET_DIR) + "/" + c.name, d, error)) << error;
        EXPECT_EQ(d.channels, c.channels);
        EXPECT_EQ(d.rate, 44100);
        EXPECT_GE(d.seconds, c.minSeconds);
        EXPECT_LE(d.seconds, c.maxSeconds);

        const size_t frames = d.samples[0].size();
        EXPECT_EQ(static_cast<double>(frames), std::round(d.seconds * 44100.0));
        for (const std::vector<float>& channel : d.samples) {
            ASSERT_EQ(channel.size(), frames);
            float peak = 0;
            for (float v : channel)
                peak = std::max(peak, std::fabs(v));
            EXPECT_LT(peak, 0.99f) << "clips";
            EXPECT_GT(Rms(channel, 0, frames), 0.01) << "silent";
        }
    }
}

// A loop is heard end to start: the level on either side of the join is
// about the same and the join is no larger a step than the music takes
// anywhere else.
TEST(SoundAssetsTest, LoopsJoinSmoothly)
{
    for (const SoundCase& c : kSounds) {
        if (!c.loop)
            continue;
        SCOPED_TRACE(c.name);
        Decoded d;
        std::string error;
        ASSERT_TRUE(Decode(std::string(QUILLORY_ASSET_DIR) + "/" + c.name, d, error)) << error;
        for (const std::vector<float>& s : d.samples) {
            const size_t second = 44100;
            ASSERT_GT(s.size(), 2 * second);
            const double head = Rms(s, 0, second);
            const double tail = Rms(s, s.size() - second, second);
            EXPECT_GT(head / tail, 0.5);
            EXPECT_LT(head / tail, 2.0);

            float largestStep = 0;
            for (size_t i = 1; i < s.size(); ++i)
                largestStep = std::max(largestStep, std::fabs(s[i] - s[i - 1]));
            EXPECT_LE(std::fabs(s.front() - s.back()), largestStep);
        }
    }
}

// Music that does not loop fades out rather than stopping short.
TEST(SoundAssetsTest, CuesThatEndFadeOut)
{
    for (const SoundCase& c : kSounds) {
        if (c.loop || std::string(c.name).rfind("music/", 0) != 0)
            continue;
        SCOPED_TRACE(c.name);
        Decoded d;
        std::string error;
        ASSERT_TRUE(Decode(std::string(QUILLORY_ASSET_DIR) + "/" + c.name, d, error)) << error;
        for (const std::vector<float>& s : d.samples) {
            const size_t tenth = 4410;
            EXPECT_LT(Rms(s, s.size() - tenth, tenth), 0.1 * Rms(s, 0, s.size()));
        }
    }
}

}  // namespace
