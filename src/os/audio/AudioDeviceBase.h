#pragma once
#include <memory>

#include "os/audio/AudioDevice.h"
#include "os/audio/AudioMixer.h"

// What every backend shares: format checks, buffers on the shared mixer.
class AudioDeviceBase : public AudioDevice {
public:
    AudioDeviceBase();

    AudioResult SetCooperativeLevel(void* window, uint32_t level) override;
    AudioResult SetPrimaryFormat(const AudioFormat& format) override;
    AudioResult CreateBuffer(const AudioFormat& format, uint32_t bytes,
                             std::unique_ptr<AudioBuffer>* buffer) override;

    // 16-bit PCM, 1 or 2 channels, 1..192,000 frames a second.
    static bool IsValidFormat(const AudioFormat& format);

protected:
    std::shared_ptr<AudioCore> mCore;
};
