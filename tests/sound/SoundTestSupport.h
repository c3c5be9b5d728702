#pragma once
// A sound manager on the null (or WAV) device with a hand-moved clock: each
// Step moves the application time, mixes the same time on the device and
// polls the streams on the calling thread.

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "os/audio/AudioDevice.h"
#include "platform/AssetManager.h"
#include "platform/AssetNames.h"
#include "platform/Timer.h"
#include "sound/Sound.h"
#include "sound/SoundCallBack.h"
#include "sound/SoundInstance.h"
#include "sound/SoundManager.h"
#include "support/OggWriter.h"
#include <vorbis/vorbisfile.h>
#include <cstdio>
#include <thread>
#include "support/TempFolder.h"

inline std::atomic<uint32_t> gSoundTestNow{0};
inline uint32_t SoundTestClock()
{
    return gSoundTestNow.load();
}

// Records each completion with the thread it ran on.
class TRecordingCallBack : public TSoundCallBack {
public:
    void OnSoundFinished(const std::shared_ptr<TSoundInstance>& voice, const std::shared_ptr<TSound>&) override
    {
        finished.push_back(voice.get());
        threads.push_back(std::this_thread::get_id());
    }
    std::vector<TSoundInstance*> finished;
    std::vector<std::thread::id> threads;
};

class SoundFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        gSoundTestNow = 100000;
        SetTimerSource(&SoundTestClock);
        mAssets = std::make_unique<TAssetManager>();
        SetAssetManager(mAssets.get());
    }
    void TearDown() override
    {
        mManager.reset();
        for (auto& file : mFiles)
            RegisterMemoryFile(TString(file.first.c_str()), nullptr, 0);
        SetAssetManager(nullptr);
        SetTimerSource(nullptr);
    }

    // A manager polled only by Step; backend None means no device.
    void MakeManager(AudioBackend backend = AudioBackend::Null, const std::string& wavPath = std::string())
    {
        mManager = std::make_unique<TSoundManager>();
        AudioDeviceOptions options;
        options.backend = backend;
        options.wavPath = wavPath;
        mManager->Init(options, false);
    }

    // Registers the bytes as an asset file of that name.
    void AddFile(const std::string& name, std::vector<uint8_t> bytes)
    {
        std::vector<uint8_t>& kept = mFiles[name];
        kept = std::move(bytes);
        RegisterMemoryFile(TString(name.c_str()), kept.data(), uint32_t(kept.size()));
    }
    // An encoded sine of that length, registered under name (less any
    // "?group=").
    std::shared_ptr<TSound> MakeSound(const std::string& name, double seconds, int rate = 44100, int channels = 2)
    {
        AddFile(name.substr(0, name.find('?')), EncodeOgg(MakeSine(rate, channels, seconds)));
        return TSound::Create(TString(name.c_str()), true, -1);
    }

    // Moves time by ms in steps of at most 50 ms, mixing on the device
    // and polling after each.
    void Step(uint32_t ms)
    {
        while (ms > 0) {
            uint32_t step = ms < 50 ? ms : 50;
            gSoundTestNow += step;
            if (AudioDevice* device = mManager->GetDevice())
                device->Advance(step * 441 / 10);
            mManager->Update(false);
            ms -= step;
        }
    }
    // Steps until the voice has stopped playing or limitMs passed; the
    // milliseconds it took.
    uint32_t RunUntilDone(const std::shared_ptr<TSoundInstance>& voice, uint32_t limitMs)
    {
        uint32_t elapsed = 0;
        while (voice->IsPlaying() && elapsed < limitMs) {
            Step(50);
            mManager->DispatchCallbacks();
            elapsed += 50;
        }
        return elapsed;
    }

    std::unique_ptr<TAssetManager> mAssets;
    std::unique_ptr<TSoundManager> mManager;
    std::map<std::string, std::vector<uint8_t>> mFiles;
};

// The whole stream decoded straight through vorbisfile (16-bit LE signed).
inline std::vector<int16_t> DecodeDirect(const std::vector<uint8_t>& bytes, int* rate = nullptr,
                                         int* channels = nullptr)
{
    std::vector<int16_t> out;
    FILE* file = fmemopen(const_cast<uint8_t*>(bytes.data()), bytes.size(), "rb");
    OggVorbis_File decoder;
    if (!file || ov_open(file, &decoder, nullptr, 0) != 0) {
        if (file)
            fclose(file);
        ADD_FAILURE() << "the fixture does not decode";
        return out;
    }
    if (rate)
        *rate = int(ov_info(&decoder, -1)->rate);
    if (channels)
        *channels = ov_info(&decoder, -1)->channels;
    char chunk[8192];
    int section = 0;
    for (long got; (got = ov_read(&decoder, chunk, sizeof chunk, 0, 2, 1, &section)) != 0;) {
        if (got < 0)
            continue;
        const auto* samples = reinterpret_cast<const int16_t*>(chunk);
        out.insert(out.end(), samples, samples + got / 2);
    }
    ov_clear(&decoder);
    return out;
}
