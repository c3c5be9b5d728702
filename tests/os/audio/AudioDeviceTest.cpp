// Choosing and opening a backend: the QUILLORY_AUDIO values, the WAV file
// as written, and SDL through its dummy driver (or its failure).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "AudioTestSupport.h"
#include "os/audio/AudioDevice.h"

namespace {

uint32_t Get32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

uint16_t Get16(const std::vector<uint8_t>& b, size_t at)
{
    return uint16_t(b[at] | b[at + 1] << 8);
}

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string TempPath(const char* name)
{
    return ::testing::TempDir() + name;
}

} // namespace

TEST(AudioDevice, OptionsFromTheEnvironmentValue)
{
    static const struct {
        const char* value;
        AudioBackend backend;
        const char* wavPath;
        bool logged;
    } cases[] = {
        {nullptr, AudioBackend::Sdl, "", false},
        {"", AudioBackend::Sdl, "", false},
        {"sdl", AudioBackend::Sdl, "", false},
        {"null", AudioBackend::Null, "", false},
        {"none", AudioBackend::None, "", false},
        {"wav:/tmp/out.wav", AudioBackend::Wav, "/tmp/out.wav", false},
        {"wav:a b:c.wav", AudioBackend::Wav, "a b:c.wav", false},
        {"wav:", AudioBackend::Sdl, "", true}, // no path
        {"wav", AudioBackend::Sdl, "", true},
        {"SDL", AudioBackend::Sdl, "", true},
        {"null ", AudioBackend::Sdl, "", true},
        {"pulse", AudioBackend::Sdl, "", true},
    };
    for (const auto& c : cases) {
        AudioLogCapture log;
        AudioDeviceOptions o = AudioOptionsFromValue(c.value);
        const char* shown = c.value ? c.value : "(unset)";
        EXPECT_EQ(o.backend, c.backend) << shown;
        EXPECT_EQ(o.wavPath, c.wavPath) << shown;
        // A program run without a sound card plays in real time.
        EXPECT_EQ(o.realTime, c.backend == AudioBackend::Null || c.backend == AudioBackend::Wav) << shown;
        EXPECT_EQ(log.Lines().size(), c.logged ? 1u : 0u) << shown;
        if (c.logged && !log.Lines().empty()) {
            EXPECT_NE(log.Lines()[0].find(c.value), std::string::npos) << log.Lines()[0];
        }
    }

    setenv("QUILLORY_AUDIO", "wav:/x/y.wav", 1);
    AudioDeviceOptions o = AudioOptionsFromEnvironment();
    EXPECT_EQ(o.backend, AudioBackend::Wav);
    EXPECT_EQ(o.wavPath, "/x/y.wav");
    unsetenv("QUILLORY_AUDIO");
    EXPECT_EQ(AudioOptionsFromEnvironment().backend, AudioBackend::Sdl);
}

TEST(AudioDevice, CreateReportsNoDevice)
{
    AudioLogCapture log;
    std::unique_ptr<AudioDevice> device;
    EXPECT_EQ(AudioCreateDevice({AudioBackend::None, {}}, &device), AudioResult::NoDevice);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(AudioCreateDevice({AudioBackend::Wav, "/nonexistent-folder/out.wav"}, &device),
              AudioResult::NoDevice);
    EXPECT_EQ(device, nullptr);
    // Opens, but its header cannot be written.
    EXPECT_EQ(AudioCreateDevice({AudioBackend::Wav, "/dev/full"}, &device), AudioResult::NoDevice);
    EXPECT_EQ(device, nullptr);
    ASSERT_EQ(log.Lines().size(), 3u);
    EXPECT_NE(log.Lines()[1].find("/nonexistent-folder/out.wav"), std::string::npos) << log.Lines()[1];
    EXPECT_NE(log.Lines()[2].find("/dev/full"), std::string::npos) << log.Lines()[2];
    EXPECT_EQ(AudioCreateDevice({AudioBackend::Null, {}}, nullptr), AudioResult::InvalidParam);
}

TEST(AudioDevice, WavFileHoldsTheMix)
{
    const std::string path = TempPath("quillory-audio-test.wav");
    std::unique_ptr<AudioDevice> device;
    ASSERT_EQ(AudioCreateDevice({AudioBackend::Wav, path}, &device), AudioResult::Ok);
    EXPECT_EQ(device->GetBackend(), AudioBackend::Wav);

    // A header with no data yet.
    auto file = ReadFile(path);
    ASSERT_EQ(file.size(), 44u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
    EXPECT_EQ(Get32(file, 4), 36u);
    EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(Get32(file, 16), 16u);
    EXPECT_EQ(Get16(file, 20), 1);     // PCM
    EXPECT_EQ(Get16(file, 22), 2);     // channels
    EXPECT_EQ(Get32(file, 24), 44100u);
    EXPECT_EQ(Get32(file, 28), 176400u);
    EXPECT_EQ(Get16(file, 32), 4);
    EXPECT_EQ(Get16(file, 34), 16);
    EXPECT_EQ(std::string(file.begin() + 36, file.begin() + 40), "data");
    EXPECT_EQ(Get32(file, 40), 0u);

    // A mono 22,050 Hz ramp at -20 dB, played once.
    std::unique_ptr<AudioBuffer> buffer;
    ASSERT_EQ(device->CreateBuffer({22050, 1, 16}, 2000, &buffer), AudioResult::Ok);
    std::vector<int16_t> ramp(1000);
    for (int i = 0; i < 1000; ++i)
        ramp[i] = int16_t(i * 20);
    WriteBuffer(*buffer, 0, SampleBytes(ramp));
    buffer->SetVolume(-2000);
    buffer->Play(0);
    device->Advance(1500);
    // Sizes are right after each Advance, while the device still runs.
    file = ReadFile(path);
    ASSERT_EQ(file.size(), 44u + 6000u);
    EXPECT_EQ(Get32(file, 4), 36u + 6000u);
    EXPECT_EQ(Get32(file, 40), 6000u);
    device->Advance(1000);
    file = ReadFile(path);
    ASSERT_EQ(file.size(), 44u + 10000u);
    EXPECT_EQ(Get32(file, 4), 36u + 10000u);
    EXPECT_EQ(Get32(file, 40), 10000u);

    // Output frame i is source position i / 2, a tenth as loud: i; both sides.
    for (uint32_t i = 0; i < 2500; ++i) {
        int16_t left = int16_t(Get16(file, 44 + 4 * i));
        int16_t right = int16_t(Get16(file, 46 + 4 * i));
        int expected = i < 1999 ? int(i) : i == 1999 ? 999 : 0; // the last frame fades out
        ASSERT_EQ(left, expected) << i;
        ASSERT_EQ(right, expected) << i;
    }
    device.reset();
    EXPECT_EQ(ReadFile(path).size(), 44u + 10000u);
    remove(path.c_str());
}

TEST(AudioDevice, RealTimeWavWritesWithTheClock)
{
    const std::string path = TempPath("quillory-audio-realtime.wav");
    AudioDeviceOptions options{AudioBackend::Wav, path};
    options.realTime = true;
    std::unique_ptr<AudioDevice> device;
    ASSERT_EQ(AudioCreateDevice(options, &device), AudioResult::Ok);
    EXPECT_EQ(device->GetBackend(), AudioBackend::Wav);
    std::unique_ptr<AudioBuffer> buffer;
    ASSERT_EQ(device->CreateBuffer({44100, 2, 16}, 4000, &buffer), AudioResult::Ok);
    WriteBuffer(*buffer, 0, SampleBytes(std::vector<int16_t>(2000, 1000)));
    ASSERT_EQ(buffer->Play(kAudioPlayLooping), AudioResult::Ok);
    device->Advance(44100 * 60); // the clock moves it, not the caller
    const auto start = std::chrono::steady_clock::now();
    uint32_t play = 0, write = 0, moves = 0, last = 0;
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(300)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        buffer->GetCurrentPosition(&play, &write);
        moves += play != last;
        last = play;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    buffer.reset();
    device.reset(); // stops the pacing thread, then closes the file
    auto file = ReadFile(path);
    ASSERT_GE(file.size(), 44u);
    const double written = double(file.size() - 44) / 176400.0;
    EXPECT_GT(moves, 3u);
    EXPECT_GT(written, seconds * 0.5) << "seconds written of " << seconds;
    EXPECT_LT(written, seconds + 0.5) << "seconds written of " << seconds;
    int loudest = 0; // the looping buffer, at full volume
    for (size_t at = 44; at + 2 <= file.size(); at += 2)
        loudest = std::max(loudest, int(int16_t(Get16(file, at))));
    EXPECT_EQ(loudest, 1000);
    remove(path.c_str());
}

TEST(AudioDevice, SdlDummyDriverPullsTheMixer)
{
    AudioLogCapture log;
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::unique_ptr<AudioDevice> device;
    AudioResult r = AudioCreateDevice({AudioBackend::Sdl, {}}, &device);
    unsetenv("SDL_AUDIODRIVER");
    if (r != AudioResult::Ok) {
        // No dummy driver in this SDL: the failure is reported, not a crash.
        EXPECT_EQ(r, AudioResult::NoDevice);
        EXPECT_EQ(log.Lines().size(), 1u);
        GTEST_SKIP() << "SDL's dummy audio driver did not open";
    }
    EXPECT_EQ(device->GetBackend(), AudioBackend::Sdl);
    std::unique_ptr<AudioBuffer> buffer;
    ASSERT_EQ(device->CreateBuffer(kAudioMixFormat, 176400, &buffer), AudioResult::Ok);
    buffer->Play(kAudioPlayLooping);
    device->Advance(100000); // SDL keeps its own time
    Cursors c{0, 0};
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (c.write < 8192 && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        c = GetCursors(*buffer);
    }
    EXPECT_GE(c.write, 8192u) << "the audio thread never mixed";
    // The lead is what the last chunk took: about 1,024 frames, under 50 ms.
    uint32_t lead = (c.write + 176400 - c.play) % 176400;
    EXPECT_GT(lead, 0u);
    EXPECT_LE(lead, 8820u);
    device.reset(); // closes the device while the buffer lives on
    buffer->Stop();
    Cursors stopped = GetCursors(*buffer);
    EXPECT_EQ(stopped.play, stopped.write);
}

TEST(AudioDevice, SdlWithoutADriverIsNoDevice)
{
    AudioLogCapture log;
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    std::unique_ptr<AudioDevice> device;
    EXPECT_EQ(AudioCreateDevice({AudioBackend::Sdl, {}}, &device), AudioResult::NoDevice);
    unsetenv("SDL_AUDIODRIVER");
    EXPECT_EQ(device, nullptr);
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_NE(log.Lines()[0].find("SDL audio"), std::string::npos) << log.Lines()[0];
}
