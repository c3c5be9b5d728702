#include "os/audio/AudioPacedDevice.h"

#include <chrono>

namespace {

constexpr auto kTick = std::chrono::milliseconds(20);

} // namespace

AudioPacedDevice::AudioPacedDevice(std::unique_ptr<AudioDevice> device) : mDevice(std::move(device))
{
    mThread = std::thread(&AudioPacedDevice::Run, this);
}

AudioPacedDevice::~AudioPacedDevice()
{
    {
        std::lock_guard<std::mutex> lock(mMutex);
        mQuit = true;
    }
    mWake.notify_all();
    mThread.join();
}

AudioResult AudioPacedDevice::SetCooperativeLevel(void* window, uint32_t level)
{
    return mDevice->SetCooperativeLevel(window, level);
}

AudioResult AudioPacedDevice::SetPrimaryFormat(const AudioFormat& format)
{
    return mDevice->SetPrimaryFormat(format);
}

AudioResult AudioPacedDevice::CreateBuffer(const AudioFormat& format, uint32_t bytes,
                                           std::unique_ptr<AudioBuffer>* buffer)
{
    return mDevice->CreateBuffer(format, bytes, buffer);
}

void AudioPacedDevice::Advance(uint32_t) {}

void AudioPacedDevice::Run()
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    uint64_t done = 0; // frames advanced since start
    std::unique_lock<std::mutex> lock(mMutex);
    while (!mWake.wait_for(lock, kTick, [this] { return mQuit; })) {
        lock.unlock();
        auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
        uint64_t due = uint64_t(elapsed.count()) * kAudioMixFormat.rate / 1000000;
        if (due > done) {
            mDevice->Advance(uint32_t(due - done));
            done = due;
        }
        lock.lock();
    }
}
