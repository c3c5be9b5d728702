#pragma once
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "os/audio/AudioDevice.h"

// Runs a device that moves only through Advance (null, WAV) in real time:
// its own thread advances it by the frames the monotonic clock says have
// passed, about every 20 ms. Everything else goes to the device. The thread
// stops before the device is deleted.
class AudioPacedDevice final : public AudioDevice {
public:
    explicit AudioPacedDevice(std::unique_ptr<AudioDevice> device);
    ~AudioPacedDevice() override;

    AudioResult SetCooperativeLevel(void* window, uint32_t level) override;
    AudioResult SetPrimaryFormat(const AudioFormat& format) override;
    AudioResult CreateBuffer(const AudioFormat& format, uint32_t bytes,
                             std::unique_ptr<AudioBuffer>* buffer) override;
    // Time moves by itself: does nothing.
    void Advance(uint32_t frames) override;
    AudioBackend GetBackend() const override { return mDevice->GetBackend(); }

private:
    void Run();

    std::unique_ptr<AudioDevice> mDevice;
    std::mutex mMutex;
    std::condition_variable mWake;
    bool mQuit = false; // under mMutex
    std::thread mThread;
};
