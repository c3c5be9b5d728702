// Voices played through the manager into the WAV device, the file read
// back and compared with vorbisfile's own decode of the same Ogg data.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>

#include "SoundTestSupport.h"

namespace {

// The interleaved stereo samples of a 16-bit WAV file; empty when it is not
// one.
std::vector<int16_t> ReadWav(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples;
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) || std::memcmp(bytes.data() + 8, "WAVE", 4))
        return samples;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        uint32_t size;
        std::memcpy(&size, bytes.data() + at + 4, 4);
        if (std::memcmp(bytes.data() + at, "data", 4) == 0) {
            size = std::min<uint32_t>(size, uint32_t(bytes.size() - at - 8));
            samples.resize(size / 2);
            std::memcpy(samples.data(), bytes.data() + at + 8, samples.size() * 2);
            return samples;
        }
        at += 8 + size + (size & 1);
    }
    return samples;
}

class SoundWav : public SoundFixture {
protected:
    void SetUp() override
    {
        SoundFixture::SetUp();
        mWavPath = mFolder.File("mix.wav");
        MakeManager(AudioBackend::Wav, mWavPath);
        ASSERT_TRUE(mManager->IsInitialised());
    }

    // Plays the file's sound (name may carry a group), runs the manager for
    // ms and returns the mix.
    std::vector<int16_t> PlayAndRecord(const std::string& file, const std::string& name, const TPcm16& signal,
                                       int32_t loop, uint32_t ms, std::vector<int16_t>* decoded)
    {
        std::vector<uint8_t> ogg = EncodeOgg(signal);
        *decoded = DecodeDirect(ogg);
        AddFile(file, ogg);
        std::shared_ptr<TSound> sound = TSound::Create(TString(name.c_str()), true, -1);
        EXPECT_TRUE(sound);
        if (!sound)
            return {};
        std::shared_ptr<TSoundInstance> voice = sound->Play(loop);
        for (uint32_t t = 0; t < ms; t += 50) {
            Step(50);
            mManager->DispatchCallbacks();
        }
        mDone = !voice->IsPlaying();
        voice->Stop();
        mManager.reset(); // closes the file
        return ReadWav(mWavPath);
    }

    TTempFolder mFolder{"sound-wav"};
    std::string mWavPath;
    bool mDone = false;
};

// Frames [from, to) of the mix against the decoded stereo signal at gain.
void ExpectStereoMatch(const std::vector<int16_t>& mix, const std::vector<int16_t>& decoded, size_t frames,
                       double gain, int tolerance, bool wrap)
{
    ASSERT_GE(mix.size(), frames * 2);
    int worst = 0;
    size_t worstAt = 0;
    for (size_t i = 0; i < frames * 2; ++i) {
        size_t source = wrap ? i % decoded.size() : i;
        int want = source < decoded.size() ? int(std::lrint(decoded[source] * gain)) : 0;
        int off = std::abs(int(mix[i]) - want);
        if (off > worst)
            worst = off, worstAt = i;
    }
    EXPECT_LE(worst, tolerance) << "at sample " << worstAt;
}

TEST_F(SoundWav, OneShotVoiceIsTheDecodedSoundThenSilence)
{
    std::vector<int16_t> decoded;
    std::vector<int16_t> mix =
        PlayAndRecord("sfx/one.ogg", "sfx/one.ogg", MakeSine(44100, 2, 1.0), 0, 3500, &decoded);
    EXPECT_TRUE(mDone);
    ASSERT_EQ(decoded.size(), 44100u * 2);
    ExpectStereoMatch(mix, decoded, 44100 * 3, 1.0, 0, false);
}

TEST_F(SoundWav, StreamedVoiceIsTheDecodedSoundThenSilence)
{
    std::vector<int16_t> decoded;
    std::vector<int16_t> mix =
        PlayAndRecord("music/long.ogg", "music/long.ogg", MakeSine(44100, 2, 3.0, 330.0), 0, 6000, &decoded);
    EXPECT_TRUE(mDone);
    ASSERT_EQ(decoded.size(), 44100u * 3 * 2);
    ExpectStereoMatch(mix, decoded, 44100 * 5, 1.0, 0, false);
}

TEST_F(SoundWav, MonoAt22050IsResampledToTheMix)
{
    std::vector<int16_t> decoded;
    std::vector<int16_t> mix =
        PlayAndRecord("vo/mono.ogg", "vo/mono.ogg", MakeSine(22050, 1, 1.0, 300.0), 0, 3000, &decoded);
    EXPECT_TRUE(mDone);
    ASSERT_EQ(decoded.size(), 22050u);
    ASSERT_GE(mix.size(), 44100u * 2 * 2);
    // Each output frame lies between the two source samples around it (one
    // step of slack for the interpolation's rounding), on both sides.
    int outside = 0;
    for (size_t i = 0; i < 44100 * 2; ++i) {
        size_t k = i / 2;
        int a = k < decoded.size() ? decoded[k] : 0;
        int b = k + 1 < decoded.size() ? decoded[k + 1] : 0;
        int left = mix[2 * i], right = mix[2 * i + 1];
        outside += left != right || left < std::min(a, b) - 1 || left > std::max(a, b) + 1;
    }
    EXPECT_EQ(outside, 0);
    // The sound's energy arrives: not silence, not clipped.
    double sum = 0;
    for (size_t i = 0; i < 44100 * 2; ++i)
        sum += double(mix[i]) * mix[i];
    EXPECT_NEAR(std::sqrt(sum / (44100 * 2)), 0.5 * 32767 / std::sqrt(2.0), 500.0);
}

TEST_F(SoundWav, LoopingVoiceRepeatsWithoutAGap)
{
    std::vector<int16_t> decoded;
    std::vector<int16_t> mix =
        PlayAndRecord("sfx/loop.ogg", "sfx/loop.ogg", MakeSine(44100, 2, 0.7, 500.0), 1, 4000, &decoded);
    EXPECT_FALSE(mDone) << "a looping voice plays until stopped";
    ExpectStereoMatch(mix, decoded, 44100 * 4 - 2205, 1.0, 0, true);
}

TEST_F(SoundWav, GroupVolumeScalesTheVoice)
{
    mManager->SetGroupVolume(1000, 0.5f); // -2500 cB
    std::vector<int16_t> decoded;
    std::vector<int16_t> mix = PlayAndRecord("sfx/quiet.ogg", "sfx/quiet.ogg?group=1000",
                                             MakeSine(44100, 2, 3.0, 440.0, 0.9), 0, 5000, &decoded);
    ExpectStereoMatch(mix, decoded, 44100 * 4, std::pow(10.0, -2500 / 2000.0), 1, false);
}

} // namespace
