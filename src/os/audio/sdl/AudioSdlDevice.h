#pragma once
#include <cstdint>
#include <memory>

#include "os/audio/AudioDeviceBase.h"

// The default output device through SDL: SDL's audio thread pulls the
// mixer in chunks of about kAudioChunkFrames, under the device lock only.
class AudioSdlDevice final : public AudioDeviceBase {
public:
    // Null (with a log line) when SDL audio cannot start or open a device.
    static std::unique_ptr<AudioSdlDevice> Open();
    ~AudioSdlDevice() override;

    // Time moves with the sound card.
    void Advance(uint32_t) override {}
    AudioBackend GetBackend() const override { return AudioBackend::Sdl; }

private:
    AudioSdlDevice() = default;
    static void Callback(void* user, uint8_t* stream, int len);

    uint32_t mDevice = 0;
};
