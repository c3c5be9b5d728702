#pragma once
// Helpers for the audio stand-in tests: mixer voices filled with samples,
// buffers written through Lock/Unlock, and a log sink that keeps lines.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "os/audio/AudioBuffer.h"
#include "os/audio/AudioLog.h"
#include "os/audio/AudioMixer.h"

inline std::vector<uint8_t> SampleBytes(const std::vector<int16_t>& samples)
{
    std::vector<uint8_t> bytes(samples.size() * 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        bytes[2 * i] = uint8_t(uint16_t(samples[i]));
        bytes[2 * i + 1] = uint8_t(uint16_t(samples[i]) >> 8);
    }
    return bytes;
}

inline AudioVoice MakeVoice(uint32_t rate, uint16_t channels, const std::vector<int16_t>& samples,
                            bool looping = false)
{
    AudioVoice voice;
    voice.format = AudioFormat{rate, channels, 16};
    voice.ring = SampleBytes(samples);
    voice.playing = true;
    voice.looping = looping;
    return voice;
}

// Mixes `frames` frames of the given voices on a fresh mixer.
inline std::vector<int16_t> MixVoices(std::vector<AudioVoice*> voices, uint32_t frames)
{
    AudioMixer mixer;
    for (AudioVoice* v : voices)
        mixer.Add(v);
    std::vector<int16_t> out(size_t(frames) * 2, 12345);
    mixer.Mix(out.data(), frames);
    return out;
}

inline void WriteBuffer(AudioBuffer& buffer, uint32_t offset, const std::vector<uint8_t>& bytes)
{
    void* p1 = nullptr;
    void* p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    ASSERT_EQ(buffer.Lock(offset, uint32_t(bytes.size()), &p1, &n1, &p2, &n2), AudioResult::Ok);
    ASSERT_EQ(size_t(n1) + n2, bytes.size());
    memcpy(p1, bytes.data(), n1);
    if (n2)
        memcpy(p2, bytes.data() + n1, n2);
    ASSERT_EQ(buffer.Unlock(p1, n1, p2, n2), AudioResult::Ok);
}

inline std::vector<uint8_t> ReadBuffer(AudioBuffer& buffer)
{
    void* p1 = nullptr;
    uint32_t n1 = 0;
    std::vector<uint8_t> bytes;
    if (buffer.Lock(0, buffer.GetSize(), &p1, &n1, nullptr, nullptr) != AudioResult::Ok)
        return bytes;
    bytes.assign(static_cast<uint8_t*>(p1), static_cast<uint8_t*>(p1) + n1);
    buffer.Unlock(p1, 0, nullptr, 0);
    return bytes;
}

struct Cursors {
    uint32_t play = 0xDEAD;
    uint32_t write = 0xBEEF;
    bool operator==(const Cursors&) const = default;
};

inline Cursors GetCursors(AudioBuffer& buffer)
{
    Cursors c;
    EXPECT_EQ(buffer.GetCurrentPosition(&c.play, &c.write), AudioResult::Ok);
    return c;
}

inline void PrintTo(const Cursors& c, std::ostream* os)
{
    *os << "{play " << c.play << ", write " << c.write << "}";
}

// Collects the audio log while alive.
class AudioLogCapture {
public:
    AudioLogCapture()
    {
        Lines().clear();
        AudioSetLogSink([](const char* line) { Lines().push_back(line); });
    }
    ~AudioLogCapture() { AudioSetLogSink(nullptr); }
    static std::vector<std::string>& Lines()
    {
        static std::vector<std::string> lines;
        return lines;
    }
};
