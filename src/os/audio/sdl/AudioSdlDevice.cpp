#include "os/audio/sdl/AudioSdlDevice.h"

#include <SDL.h>

#include <bit>
#include <cstring>

#include "os/audio/AudioLog.h"

// The mixer writes host-order samples straight into SDL's little-endian stream.
static_assert(std::endian::native == std::endian::little);

std::unique_ptr<AudioSdlDevice> AudioSdlDevice::Open()
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        AudioLog("SDL audio could not start: %s", SDL_GetError());
        return nullptr;
    }
    std::unique_ptr<AudioSdlDevice> device(new AudioSdlDevice);
    SDL_AudioSpec want{};
    want.freq = int(kAudioMixFormat.rate);
    want.format = AUDIO_S16LSB;
    want.channels = uint8_t(kAudioMixFormat.channels);
    want.samples = uint16_t(kAudioChunkFrames);
    want.callback = &AudioSdlDevice::Callback;
    want.userdata = device->mCore.get();
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the card wants.
    device->mDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device->mDevice == 0) {
        AudioLog("No audio device could be opened: %s", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    SDL_PauseAudioDevice(device->mDevice, 0);
    return device;
}

AudioSdlDevice::~AudioSdlDevice()
{
    // Closing waits for a running callback, so the core is not mixed after.
    SDL_CloseAudioDevice(mDevice);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void AudioSdlDevice::Callback(void* user, uint8_t* stream, int len)
{
    auto* core = static_cast<AudioCore*>(user);
    const uint32_t frames = uint32_t(len) / kAudioMixFormat.BlockAlign();
    core->Mix(reinterpret_cast<int16_t*>(stream), frames);
    // A stray odd tail (never seen with 16-bit stereo) stays silent.
    const uint32_t mixed = frames * kAudioMixFormat.BlockAlign();
    if (uint32_t(len) > mixed)
        memset(stream + mixed, 0, uint32_t(len) - mixed);
}
